// Blank-padded text fields: (pointer, length) with blanks (0x20) as padding. Where a
// routine accepts a negative length it means a NUL-terminated string.
#pragma once
#include <cstdint>

enum : int32_t {
    WZ_BADTABLE = static_cast<int32_t>(0x8000200Au),   // wztxxlt: no such translation table
    WZ_NOFIT = static_cast<int32_t>(0x8000200Du),      // wzclchr: the number does not fit
};

int vzatl(int ch, const char* buf, int len);
void vzmp(const char* src, int srclen, char* dst, int dstlen);
int wzmisn(const double* v, int n);
// Pieces are given as (const char* text, int length) pairs after npieces.
int wzstcat(char* dst, int dstlen, int sep, int npieces, ...);
int wzstcom(const char* a, int alen, const char* b, int blen);
int wzstdel(char* s, int slen, const char* chars, int nchars);
void wzstjls(char* s, int len, int mode, int* textlen, int* start);
int wzstjus(char* s, int len, int mode);
int wzstlen(const char* s);
int wzstndx(const char* hay, int haylen, const char* needle, int needlelen);
int wzstpos(const char* buf, int len, int ch);
int wzstrip(const char* buf, int len);
void wzstrns(char* s, int len, const char* to, const char* from, int n);
int wztxxlt(int table, const char* in, char* out, int len);
int wzstcmn(const char* a, int alen, const char* b, int blen, int flag);
int wzstmov(const char* src, int srclen, char* dst, int dstlen);
int wzstver(const char* s, int len, const char* set, int setlen);
int wzbcoff(const void* a, const void* b, int len, int pos);
int wzclchr(int64_t value, char* field, int len);
void vzfdl(double value, double* v, int n);
