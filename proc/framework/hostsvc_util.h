// Entry routines of the host services of the utilities: trees, sweep, sort, text
// extension and dates. Each jumps through its slot, as in hostsvc.h.
#pragma once
#include <cstdint>
#include "host/vec10_trees.h"
#include "host/vec11_sweep.h"
#include "host/vec155_dates.h"
#include "host/vec472_sort.h"
#include "host/vec4_textext.h"
#include "proc/framework/hostsvc.h"

// ---- vector 10: trees
inline void* ztrebld(void* tree, void* node, int keylen, int keypos) { return hostvec<vec10>(VEC_TREES)->ztrebld(tree, node, keylen, keypos); }
inline void ztrelst(void* tree) { hostvec<vec10>(VEC_TREES)->ztrelst(tree); }
inline void* ztrefnd(void* tree, const void* key, int keylen, int keypos) { return hostvec<vec10>(VEC_TREES)->ztrefnd(tree, key, keylen, keypos); }

// ---- vector 11: sweep
inline int zsweep(double* a, int k, int n, char* status, double* work, double tol) {
    return hostvec<vec11>(VEC_SWEEP)->zsweep(a, k, n, status, work, tol);
}

// ---- vector 472: sort (zsort, the procedure's call, is in sortwrap.h)
inline int zsortap(sortctl* c) { return hostvec<vec472>(VEC_SORT)->zsortap(c); }
// The host's exits, as routines to store in a sort control block.
inline sortexit zsorxci() { return hostvec<vec472>(VEC_SORT)->zsorxci; }
inline sortcmp zsorxct() { return hostvec<vec472>(VEC_SORT)->zsorxct; }
inline sortexit zxcget() { return hostvec<vec472>(VEC_SORT)->zxcget; }
inline sortexit zxcput() { return hostvec<vec472>(VEC_SORT)->zxcput; }
inline sortexit zxcrtn() { return hostvec<vec472>(VEC_SORT)->zxcrtn; }

// ---- vector 4: text extension
inline const locitem* wzsxglc(int item) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxglc(item); }
inline int wzsxplc(int zero, int a, int b, int c) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxplc(zero, a, b, c); }
inline const uint8_t* wzsxxlt(int table) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxxlt(table); }
inline const uint8_t* wzsxcol() { return hostvec<vec4>(VEC_TEXTEXT)->wzsxcol(); }
inline int wzsxmbcs() { return hostvec<vec4>(VEC_TEXTEXT)->wzsxmbcs(); }
inline int wzsxcmn(const char* a, int alen, const char* b, int blen, int flag) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxcmn(a, alen, b, blen, flag); }
inline int wzsxupr(int table, const char* in, char* out, int len) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxupr(table, in, out, len); }
inline int wzsxoff(const char* s, int len, int n) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxoff(s, len, n); }
inline int wzsxmov(const char* src, int srclen, char* dst, int dstlen) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxmov(src, srclen, dst, dstlen); }
inline int wzsxinf(const char* text, int len, int dec, double* out) { return hostvec<vec4>(VEC_TEXTEXT)->wzsxinf(text, len, dec, out); }
inline const uint16_t* wzsxctt() { return hostvec<vec4>(VEC_TEXTEXT)->wzsxctt(); }
inline int wztxdotr() { return hostvec<vec4>(VEC_TEXTEXT)->wztxdotr(); }

// ---- vector 155: dates
inline double wzdtmdy(int m, int d, int y) { return hostvec<vec155>(VEC_DATES)->wzdtmdy(m, d, y); }
inline int wzdtymd(double date, int* y, int* m, int* d) { return hostvec<vec155>(VEC_DATES)->wzdtymd(date, y, m, d); }
inline int wzdtwkd(double date) { return hostvec<vec155>(VEC_DATES)->wzdtwkd(date); }
inline int wzdthour(double t) { return hostvec<vec155>(VEC_DATES)->wzdthour(t); }
inline int wzdtmin(double t) { return hostvec<vec155>(VEC_DATES)->wzdtmin(t); }
inline double wzdtsec(double t) { return hostvec<vec155>(VEC_DATES)->wzdtsec(t); }
inline double wzdtdpt(double dt) { return hostvec<vec155>(VEC_DATES)->wzdtdpt(dt); }
inline double wzdttme() { return hostvec<vec155>(VEC_DATES)->wzdttme(); }
