// Entry routines of the host services: each clears the vector's flag byte and jumps
// through the service's slot of its vector, as every caller in the procedure expects.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "host/hostdefs.h"
#include "host/instance.h"
#include "host/msgarg.h"
#include "host/vec0_register.h"
#include "host/vec203_datasets.h"
#include "host/vec30_supervisor.h"
#include "host/vec31_statements.h"
#include "host/vec320_output.h"
#include "host/vec39_files.h"

#include "proc/framework/anchor.h"

template <class V>
inline const V* hostvec(int n) {
    hostinst* h = v_global_gcb_anchor;
    h->vflags[n] = 0;
    return static_cast<const V*>(h->vectors[n]);
}

// ---- vector 30: supervisor
inline poolobj* xmpoolc(int64_t init, int64_t grow, int flags) { return hostvec<vec30>(VEC_SUPERVISOR)->xmpoolc(init, grow, flags); }
inline void xmpoold(poolobj* p) { hostvec<vec30>(VEC_SUPERVISOR)->xmpoold(p); }
template <class... A>
inline int xpmlog(int group, int n, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    return hostvec<vec30>(VEC_SUPERVISOR)->xpmlog(group, n, static_cast<int>(sizeof...(A)), args + 1);
}
template <class... A>
inline int xpmstr(char* buf, int len, int group, int n, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    return hostvec<vec30>(VEC_SUPERVISOR)->xpmstr(buf, len, group, n, static_cast<int>(sizeof...(A)), args + 1);
}
inline void xprrlog(int zero, int rc) { hostvec<vec30>(VEC_SUPERVISOR)->xprrlog(zero, rc); }
inline int xexit(int rc, int zero) { return hostvec<vec30>(VEC_SUPERVISOR)->xexit(rc, zero); }
inline void xmemmsg(int64_t bytes) { hostvec<vec30>(VEC_SUPERVISOR)->xmemmsg(bytes); }
inline int xpopen(void* h) { return hostvec<vec30>(VEC_SUPERVISOR)->xpopen(h); }
inline void* xpoutl() { return hostvec<vec30>(VEC_SUPERVISOR)->xpoutl(); }
inline void* xpprnl(int a) { return hostvec<vec30>(VEC_SUPERVISOR)->xpprnl(a); }
inline void* xplogl(int a) { return hostvec<vec30>(VEC_SUPERVISOR)->xplogl(a); }
inline void* xpmsgl(int a) { return hostvec<vec30>(VEC_SUPERVISOR)->xpmsgl(a); }
inline int xpselec(int a, int b) { return hostvec<vec30>(VEC_SUPERVISOR)->xpselec(a, b); }
inline int xoptcgt(const char* name, char* buf, int len) { return hostvec<vec30>(VEC_SUPERVISOR)->xoptcgt(name, buf, len); }
inline int xoptngt(const char* name, double* v) { return hostvec<vec30>(VEC_SUPERVISOR)->xoptngt(name, v); }
inline void xdebug(const char* text) { hostvec<vec30>(VEC_SUPERVISOR)->xdebug(text); }
// The statement being run from now on (null: none); the host names it in its ERROR lines.
inline void xpmstmt(const stmtrec* running) { hostvec<vec30>(VEC_SUPERVISOR)->xpmstmt(running); }
// formatting, name suffixes, modules and named globals
inline int xpfs(double v, int width, int dec, char* buf) { return hostvec<vec30>(VEC_SUPERVISOR)->xpfs(v, width, dec, buf); }
inline int xpils(int64_t v, int width, char* buf) { return hostvec<vec30>(VEC_SUPERVISOR)->xpils(v, width, buf); }
inline int xpis(int64_t v, int width, char* buf) { return hostvec<vec30>(VEC_SUPERVISOR)->xpis(v, width, buf); }
template <class... A>
inline int xpsstr(char* buf, int len, const char* format, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    return hostvec<vec30>(VEC_SUPERVISOR)->xpsstr(buf, len, format, static_cast<int>(sizeof...(A)), args + 1);
}
inline int znamsuf(int mode, const char* name, int n, char* prefix, int plen, int32_t* number) {
    return hostvec<vec30>(VEC_SUPERVISOR)->znamsuf(mode, name, n, prefix, plen, number);
}
inline int wiinstl(int number, const char* name, int mode) { return hostvec<vec30>(VEC_SUPERVISOR)->wiinstl(number, name, mode); }
inline int xytngl(void* t, int page, const char* name, int n, int32_t* id, void** value) {
    return hostvec<vec30>(VEC_SUPERVISOR)->xytngl(t, page, name, n, id, value);
}
inline int xytnsl(void* t, int page, const char* name, int n, int32_t id) { return hostvec<vec30>(VEC_SUPERVISOR)->xytnsl(t, page, name, n, id); }
inline int wtrscrt(void* t, int32_t* id, int z, void (*cleanup)(void*)) { return hostvec<vec30>(VEC_SUPERVISOR)->wtrscrt(t, id, z, cleanup); }
inline int wtrsset(void* t, int32_t id, void* v) { return hostvec<vec30>(VEC_SUPERVISOR)->wtrsset(t, id, v); }
inline int xytexit(void* entry) { return hostvec<vec30>(VEC_SUPERVISOR)->xytexit(entry); }

// ---- vector 0: routine registration
inline int vir2g(void* routine, void** slot, void* session, void* pidb) {
    return hostvec<vec0>(VEC_REGISTER)->vir2g(routine, slot, session, pidb);
}

// ---- vector 31: statements
inline int xsproc(prsctl* b, modparse* m, int flags, prsreq* r, int a, int c) { return hostvec<vec31>(VEC_STATEMENTS)->xsproc(b, m, flags, r, a, c); }
inline void* xtanch() { return hostvec<vec31>(VEC_STATEMENTS)->xtanch(); }
inline stmtrec* xttkcur(void* anchor) { return hostvec<vec31>(VEC_STATEMENTS)->xttkcur(anchor); }
inline int xsfixsym(int a, int b, int c, prsctl** blk) { return hostvec<vec31>(VEC_STATEMENTS)->xsfixsym(a, b, c, blk); }
inline const char* zparm(const optslot* slot, int k, int* length) { return hostvec<vec31>(VEC_STATEMENTS)->zparm(slot, k, length); }

// ---- vector 39: utility files
inline int xcopen(xchandle* h, uint32_t req) { return hostvec<vec39>(VEC_FILES)->xcopen(h, req); }
inline int xcwrite(xchandle h, const void* b, int64_t n) { return hostvec<vec39>(VEC_FILES)->xcwrite(h, b, n); }
inline int xcread(xchandle h, void* b, int64_t n) { return hostvec<vec39>(VEC_FILES)->xcread(h, b, n); }
inline int xcpoint(xchandle h, int64_t pos) { return hostvec<vec39>(VEC_FILES)->xcpoint(h, pos); }
inline int64_t xcnoted(xchandle h) { return hostvec<vec39>(VEC_FILES)->xcnoted(h); }
inline int xcpntd(xchandle h, int64_t pos) { return hostvec<vec39>(VEC_FILES)->xcpntd(h, pos); }
inline int xcclose(xchandle h, int del) { return hostvec<vec39>(VEC_FILES)->xcclose(h, del); }

// ---- vector 203: data sets
inline int xvsele(dshandle ds) { return hostvec<vec203>(VEC_DATASETS)->xvsele(ds); }
inline int xoinfo(dshandle ds, int item, void* out) { return hostvec<vec203>(VEC_DATASETS)->xoinfo(ds, item, out); }
inline int xvname(dshandle ds, int32_t var, vardesc* d) { return hostvec<vec203>(VEC_DATASETS)->xvname(ds, var, d); }
inline int xffile(dshandle ds, int req, const int32_t* vars, int n) { return hostvec<vec203>(VEC_DATASETS)->xffile(ds, req, vars, n); }
inline int xvgeti(dshandle ds, int n, hgetlist** l) { return hostvec<vec203>(VEC_DATASETS)->xvgeti(ds, n, l); }
inline int xvgetd(hgetlist* l, int32_t var, int off, void* cell, int width, int mode, int a, int b) {
    return hostvec<vec203>(VEC_DATASETS)->xvgetd(l, var, off, cell, width, mode, a, b);
}
inline int xvgete(hgetlist* l) { return hostvec<vec203>(VEC_DATASETS)->xvgete(l); }
inline int xbynext(dshandle ds) { return hostvec<vec203>(VEC_DATASETS)->xbynext(ds); }
inline int xbyrwnd(dshandle ds, int code) { return hostvec<vec203>(VEC_DATASETS)->xbyrwnd(ds, code); }
inline int xybyget(dshandle ds) { return hostvec<vec203>(VEC_DATASETS)->xybyget(ds); }
inline int xyvget(hgetlist* l, void* buf) { return hostvec<vec203>(VEC_DATASETS)->xyvget(l, buf); }
inline int xofprc(dshandle ds) { return hostvec<vec203>(VEC_DATASETS)->xofprc(ds); }
inline dshandle xocreate(const char* name, int n, const vardesc* vars) { return hostvec<vec203>(VEC_DATASETS)->xocreate(name, n, vars); }
inline int xvput1f(dshandle ds, int32_t var, double v) { return hostvec<vec203>(VEC_DATASETS)->xvput1f(ds, var, v); }
inline int xvput1c(dshandle ds, int32_t var, const char* t, int n) { return hostvec<vec203>(VEC_DATASETS)->xvput1c(ds, var, t, n); }
inline int xoadd(dshandle ds) { return hostvec<vec203>(VEC_DATASETS)->xoadd(ds); }
inline int xoclose(dshandle ds, int del) { return hostvec<vec203>(VEC_DATASETS)->xoclose(ds, del); }

// ---- vector 320: output system
inline int xobinit(obobject** env, int flags) { return hostvec<vec320>(VEC_OUTPUT)->xobinit(env, flags); }
inline txthandle rdxtxt(const char* t, int n) { return hostvec<vec320>(VEC_OUTPUT)->rdxtxt(t, n); }
template <class... A>
inline txthandle rdxtxts(const char* fmt, int n, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    return hostvec<vec320>(VEC_OUTPUT)->rdxtxts(fmt, n, static_cast<int>(sizeof...(A)), args + 1);
}
inline txthandle rdxmsg(int group, int n) { return hostvec<vec320>(VEC_OUTPUT)->rdxmsg(group, n); }
inline rdxgcb* rdxggcb(int zero) { return hostvec<vec320>(VEC_OUTPUT)->rdxggcb(zero); }
template <class... A>
inline txthandle rdxmsgs(int group, int n, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    return hostvec<vec320>(VEC_OUTPUT)->rdxmsgs(group, n, static_cast<int>(sizeof...(A)), args + 1);
}
