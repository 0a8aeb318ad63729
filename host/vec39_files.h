// Vector 39: utility files (temporary host files written and read in whole records).
#pragma once
#include <cstdint>

struct xcfile;                       // a utility file, the host's
typedef xcfile* xchandle;

enum : uint32_t { XC_SCRATCH = 0x80000008u };   // the one request form of the procedure
enum : int { XC_EOF = 2049 };                   // end-of-file status (after masking with 0x803fffff)

struct vec39 {
    int (*xcopen)(xchandle* handle, uint32_t request);
    int (*xcwrite)(xchandle handle, const void* buffer, int64_t length);
    // Reads the next record into buffer; XC_EOF at end of file, another non-zero value on error.
    int (*xcread)(xchandle handle, void* buffer, int64_t length);
    int (*xcpoint)(xchandle handle, int64_t position);     // 0 rewinds
    int64_t (*xcnoted)(xchandle handle);                   // the current position, for xcpntd
    int (*xcpntd)(xchandle handle, int64_t position);      // back to a noted position
    int (*xcclose)(xchandle handle, int remove);
};
