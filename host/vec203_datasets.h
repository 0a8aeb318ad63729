// Vector 203: data sets, variables, get lists and BY groups.
#pragma once
#include <cstdint>

struct hdataset;                      // an open data set, the host's
typedef hdataset* dshandle;
struct hgetlist;                      // a get list: variables to fetch into fixed cells

// Variable descriptor (xvname).
struct vardesc {
    char name[33];                    // NUL-terminated, as in the data set
    uint16_t namelen;
    uint8_t type;                     // 1 numeric, 2 character
    int32_t length;                   // stored length (8 for numeric variables)
    int32_t fmtwidth;                 // width of the formatted value
    uint16_t labellen;
    char label[257];
};

// Information record of a data set (xoinfo item 1).
struct dsinfo {
    int64_t nobs;
    int32_t nvars;
    uint16_t namelen;
    char name[257];                   // LIBRARY.MEMBER
    uint16_t labellen;
    char label[257];
};

// The data set's name as xoinfo item 81 gives it.
struct dsnamerec {
    uint16_t namelen;
    char name[257];                   // LIBRARY.MEMBER, NUL-terminated
};

// xoinfo items (item 3: *(int64_t*)out = the number of observations).
enum : int { DSI_INFO = 1, DSI_NOBS = 3, DSI_USABLE = 23, DSI_NAME = 81 };
// Get-list entry modes.
enum : int { GET_FORMATTED = 4, GET_RAW = 8 };
// xffile request: prepare the variables for formatted reading.
enum : int { FF_FORMATS = 70 };

struct vec203 {
    int (*xvsele)(dshandle ds);
    // item 23: *(int32_t*)out = 1 when the data set can be read; item 1: *(dsinfo*)out;
    // item 81: the name as u16 length + char[257] (a dsinfo-like name pair).
    int (*xoinfo)(dshandle ds, int item, void* out);
    int (*xvname)(dshandle ds, int32_t var, vardesc* out);
    int (*xffile)(dshandle ds, int request, const int32_t* vars, int count);
    int (*xvgeti)(dshandle ds, int entries, hgetlist** list);
    // Adds one entry: variable var into the cell (width 8 for doubles, 16 for texts),
    // mode GET_RAW (the stored value; 16 raw characters for character variables) or
    // GET_FORMATTED (16 characters of the formatted value, left-aligned, blank padded).
    int (*xvgetd)(hgetlist* list, int32_t var, int offset, void* cell, int width, int mode, int, int);
    int (*xvgete)(hgetlist* list);
    // Next BY group: non-zero when there is one (null data set: none).
    int (*xbynext)(dshandle ds);
    // Back to the first observation of the current BY group.
    int (*xbyrwnd)(dshandle ds, int code);
    // Next observation of the current BY group: 0 when one was read, -1 at the end of the group.
    int (*xybyget)(dshandle ds);
    // Copies the current observation's values into the list's cells.
    int (*xyvget)(hgetlist* list, void* buffer);
    int (*xofprc)(dshandle ds);
    // Number of the current observation in the data set (1-based), for messages.
    int64_t (*xobsnum)(dshandle ds);
    // The BY line of the current group ("name=value name=value"), NUL-terminated.
    int (*xbyline)(dshandle ds, char* buffer, int buflen);

    // One variable of the current observation, without a get list; 0 on success.
    // xvget1f: the value of a numeric variable (a character variable fails and gives missing).
    int (*xvget1f)(dshandle ds, int32_t var, double* out);
    // xvget1v: the formatted value, left-aligned and blank padded (or cut) to width.
    int (*xvget1v)(dshandle ds, int32_t var, char* out, int width);
    // xvget1c: the raw text of a character variable, blank padded (or cut) to width.
    int (*xvget1c)(dshandle ds, int32_t var, char* out, int width);

    // Reading across BY groups: xopnt positions before the first observation of the
    // data set; xoget reads the next one (0 when one was read, -1 at the end).
    int (*xopnt)(dshandle ds);
    int (*xoget)(dshandle ds);

    // ---- data sets made by the procedure (the converted copy of an annotate data set)
    // A data set in memory with the variables described (name, type 1 numeric or 2
    // character, length); null when it cannot be made.
    dshandle (*xocreate)(const char* name, int nvars, const vardesc* vars);
    // Values of the observation being built; xoadd appends it, and the next starts missing.
    int (*xvput1f)(dshandle ds, int32_t var, double value);
    int (*xvput1c)(dshandle ds, int32_t var, const char* text, int length);
    int (*xoadd)(dshandle ds);
    // Closes a data set: one made by xocreate is deleted with del 1; the data sets the
    // parser opened stay open until the end of the step.
    int (*xoclose)(dshandle ds, int del);
};
