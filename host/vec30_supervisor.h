// Vector 30, the supervisor: pools, exit, messages, printing, system options, debug log.
#pragma once
#include <cstdint>
#include "host/msgarg.h"
#include "host/pool.h"

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
    // Text of a double in at most width characters (decimals 99: the shortest exact text
    // that fits, else fewer significant digits; a missing value is "."), written to buffer
    // without padding; returns its length.
    int (*xpfs)(double value, int width, int decimals, char* buffer);
    // Text of a count in at most width characters, written to buffer; returns its length.
    int (*xpils)(int64_t value, int width, char* buffer);
};
