// Class-value formats for worker threads: one format set per worker, so that each worker
// formats CLASS values with handles of its own. The record and its handles are made by the
// procedure's thread before the workers start and released after they stopped.
#pragma once
#include <cstdint>
#include "host/kernel.h"
#include "host/vec203_datasets.h"

struct fmtrec;

struct fmtset {
    kfmthandle** handles;      // per variable
    char* value;               // longest raw width, then the output area
    char* out;                 // the output area (longest formatted width)
    char* work;                // 4 x longest formatted width
    char* work2;               // character variables: 4 x max(longest raw, longest formatted)
    int32_t outlen;            // output length of the last call
    void* tin;                 // transcoders (never needed: the runtime's texts are bytes)
    void* tout;
    fmtrec* rec;
};

struct fmtrec {
    int32_t nsets;
    int32_t nvars;
    int32_t maxfmt;            // longest formatted width
    int32_t maxraw;            // longest raw width
    int32_t* type;             // 1 numeric, 2 character
    int32_t* fmtw;             // formatted width
    int32_t* fw;               // format width
    int32_t* fd;               // format decimals
    int32_t* varnum;
    dshandle ds;
    poolobj* pool;             // kernel pool "Format pool"
    const kfmtext* ext;        // "qxefmt"
    const kencoding* enc;
    fmtset* sets;
};

// Status of zhvnfmt.
enum : int { FMT_OK = 0, FMT_NOMEM = 1, FMT_BADARGS = 2, FMT_NOENC = 3 };

// Makes the format record: nsets sets over the nvars variables. truncate: -1 the format
// width (else the stored length, 12 for numeric variables), -2 the format width and the
// stored length as raw width, 0 means 16, else that width. Null with *status nonzero on failure.
fmtrec* zhvnfmt(dshandle ds, const int32_t* vars, int nvars, int nsets, int* status, int truncate);
// Formats variable i from the value the caller put at set->value (8 bytes of a double, or the
// raw text); the text is at set->out, its length in set->outlen. 0 formatted, 1 no record,
// 2 i out of range, 3 the format failed, 4 no transcoder.
int QXFormatToHVN(fmtset* set, int i);
// Releases the handles and the pool and clears *rec; a null record is left alone.
void zhvnftrm(fmtrec** rec);
