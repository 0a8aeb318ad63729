// Vector 30, the supervisor: pools, exit, messages, printing, system options, debug log.
#pragma once
#include <cstdint>
#include "host/msgarg.h"
#include "host/pool.h"

struct stmtrec;

struct vec30 {
    poolobj* (*xmpoolc)(int64_t initial, int64_t growth, int flags);
    void (*xmpoold)(poolobj* pool);
    // Message n of catalog group to the log; kind 'N' note, 'W' warning, 'E' error
    // comes from the catalog entry itself.
    int (*xpmlog)(int group, int n, int nargs, const msgarg* args);
    // Text of message n, blank-padded into buffer[0..length); returns the text length.
    int (*xpmstr)(char* buffer, int length, int group, int n, int nargs, const msgarg* args);
    void (*xprrlog)(int zero, int rc);
    int (*xexit)(int rc, int zero);
    void (*xmemmsg)(int64_t bytes);
    int (*xpopen)(void* printh);
    void* (*xpoutl)();
    void* (*xpprnl)(int);
    void* (*xplogl)(int);
    void* (*xpmsgl)(int);
    int (*xpselec)(int, int);
    // Text of a system option into buffer (NUL-terminated, at most buflen-1 characters);
    // returns the full length of the text, 0 when the option is not set.
    int (*xoptcgt)(const char* name, char* buffer, int buflen);
    // Numeric value of a system option (THREADS: 0/1, CPUCOUNT: n); returns 0 when found.
    int (*xoptngt)(const char* name, double* value);
    // A line for the host's debug log.
    void (*xdebug)(const char* text);

    // ---- formatting of numbers and texts (docs/graphics.md): |width| characters, blank
    // padded, left-aligned for a negative width; the result is the length of the text.
    // decimals: 99 (or any value above 31) the best text for the width, 0 to 31 fixed
    // decimals, below 0 exponent notation with -decimals decimals.
    int (*xpfs)(double value, int width, int decimals, char* buffer);
    int (*xpils)(int64_t value, int width, char* buffer);      // an integer, right-aligned
    int (*xpis)(int64_t value, int width, char* buffer);       // an integer
    // printf-like: %d, %s, %*s (length and text), %g; the text blank padded to buflen.
    int (*xpsstr)(char* buffer, int buflen, const char* format, int nargs, const msgarg* args);
    // A name split into its prefix and trailing number ("LEGEND12": "LEGEND", 12); 1 when
    // the name ends in no number (*number 0).
    int (*znamsuf)(int mode, const char* name, int namelen, char* prefix, int prefixlen, int32_t* number);
    // ---- modules and named globals of the run
    int (*wiinstl)(int number, const char* name, int mode);   // 0: the module is loaded
    // Looks a name up: 0 and its slot and value, or XY_NOTPRESENT.
    int (*xytngl)(void* table, int page, const char* name, int length, int32_t* id, void** value);
    int (*xytnsl)(void* table, int page, const char* name, int length, int32_t id);
    int (*wtrscrt)(void* table, int32_t* id, int zero, void (*cleanup)(void*));   // negative: failure
    int (*wtrsset)(void* table, int32_t id, void* value);
    int (*xytexit)(void* entry);                                // 0: registered as an exit of the run
    // ---- the statement being run
    // The statement the procedure runs from now on (null: none). Every ERROR the host logs
    // until the next call names it and its line.
    void (*xpmstmt)(const stmtrec* running);
};

constexpr int32_t XY_NOTPRESENT = static_cast<int32_t>(0x80008026u);
