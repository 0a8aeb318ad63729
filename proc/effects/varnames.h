// Output-variable names: the naming records that turn each parameter of a model into a
// name (at most 32 characters, 8 under VALIDVARNAME=V6) and a label (at most 256), and the
// small list routines of the same family.
#pragma once
#include <cstdint>
#include "host/pool.h"

struct zmnlevel;

// Class naming record: one per CLASS variable or constructed effect.
struct zmnclass {
    char name[32];
    char reflev[32];
    char work[256];
    char label[256];
    int32_t nfl;               // characters reserved for the level part of a name (at least 2)
    int32_t nflen;
    int32_t cprefix;           // leading characters of name in parameter names; -1 computed
    int32_t lprefix;           // leading characters of label in labels; -1 whole label
    int32_t limit;             // per-variable name limit; 0 the VALIDVARNAME limit
    int32_t sepnvlen;
    const char* sepnv;         // between the variable label and the level label; null: a blank
    zmnlevel* levels;          // first level naming record
    char second[32];
    char order;
    int32_t varnum;
    int32_t nclasses;
    int32_t classnum;
    int32_t index;
    int16_t numeric;           // level labels are numbers (right-aligned)
    int16_t reflevfound, firstinfun, orthcoding;
};

// Level naming record, chained by next.
struct zmnlevel {
    char cls[32];              // the level text
    char label[256];
    char cname[32];            // coded name
    char clabel[256];          // coded label
    zmnclass* owner;
    char nested[32];           // nested name piece
    double freq;
    int16_t addflag;
    zmnlevel* next;
};

struct zmncont {
    char name[32];
    char label[256];
};

struct zmnparm {
    char name[32];
    char label[256];
    zmnlevel** levels;         // level parts, crossed first
    zmncont** conts;
    int32_t nlevels;
    int32_t nconts;
    int32_t ncrossed;          // leading (crossed) level parts
    int32_t seplen;            // length + 1; 0: " * "
    const char* sep;
    int32_t order;             // 0: CLASS pieces before continuous names
};

// n blank class naming records from pool (cprefix = lprefix = -1); null when the pool fails.
zmnclass* zmnalcl(int n, poolobj* pool);
void zmnprcl(zmnclass* records, int n);
void zmname(zmnparm* records, int n);
// Appends text to the blank-padded field after its text, with the separator between two
// nonempty texts; all cut at fieldlen.
void zmnlcon(char* field, const char* text, int fieldlen, int textlen, const char* sep, int seplen);
// The i-th name of a host-packed name list: 0 found, 1 not.
struct zmnchunk {
    int32_t w0;
    zmnchunk* next;            // the next chunk
    int32_t w2;
    int32_t last;              // index of the chunk's last name
    // then the names: a length byte and that many characters each
};
int zgetnmr(const zmnchunk* list, int i, const char** text, int* length);

// The VALIDVARNAME rules: 8 under V6, else 32; any: names are not rewritten.
int zmnlimit();
bool zmnanyname();
// The host's name rules: 0 when text is a valid name (nothing is changed).
int zname(int zero, const char* text, int length);

// Uncalled list and name routines of the same family.
void zmnsuff(zmnparm* records, int n, int limit, const char* suffix, int suffixlen, int mode);
void zmncomp(char* dst, const char* a, const char* b, int dstlen, int alen, int blen);
void zmnjust(char* name);
int zmzname(const char* text, int length);
int zlstmem(const char* keys, int n, const char* key, int keylen);
int zlstcmp(const char* a, int na, const char* b, int nb, int keylen);
int zlstmel(const zmnchunk* list, int n, const char* key, int keylen);
int zlstjn(const char* a, int na, int32_t* pa, const char* b, int nb, int32_t* pb, int keylen);
void zmnduef(const zmnparm* records, int n);
void zmnducl(const zmnclass* records, int n);
