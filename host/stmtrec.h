// Parsed statements: the records the host's parser builds from the procedure's grammar.
#pragma once
#include <cstdint>

// Kinds of value an option slot holds (the parser records what it stored).
enum : uint8_t {
    SK_NONE = 0,
    SK_NUMBER = 1,      // num
    SK_NAME = 2,        // name[8], blank padded
    SK_QSTRING = 3,     // count = length, ptr = char* (not terminated inside the count)
    SK_TEXT = 5,        // as SK_QSTRING
    SK_VARLIST = 10,    // count, ptr = int32_t[count] variable numbers (1-based)
    SK_NAMELIST = 11,   // count, ptr = slname[count]
    SK_NUMLIST = 12,    // count, ptr = double[count]
    SK_QSLIST = 13,     // count, ptr = slstring[count]
    SK_DATASET = 14,    // handle: the data set (dshandle, or a dsspec for output data sets)
    SK_EFFECTS = 15,    // count, ptr = the parsed effect list
};

// One element of a list of quoted strings.
struct slstring {
    int32_t len;
    const char* s;
};
// One element of a list of names: NUL-terminated, upper case, as long as written.
struct slname {
    const char* s;
};

// An output data set named by a statement (OUT=, GOUT= and the like).
struct dsspec {
    char lib[33];       // library name, upper case ("WORK" when none given)
    char mem[33];       // member name, upper case
};

// `optslot`: given byte, then the value.
struct optslot {
    uint8_t given;
    uint8_t kind;       // SK_*
    uint16_t reserved;
    int32_t count;      // list count, or string length
    union {
        double num;
        char name[8];
        void* handle;
    };
    void* ptr;          // list elements or string text
};

enum : int { STMT_KEYLEN = 32, STMT_FLAGBYTES = 32 };

// `stmtrec`: next record, keyword as written (upper case, blank padded), flag bits,
// highest slot index, option slots; then what the host keeps for its messages.
struct stmtrec {
    stmtrec* next;
    char keyword[STMT_KEYLEN];
    uint8_t flags[STMT_FLAGBYTES];    // flag k: byte k/8, mask 0x80 >> (k mod 8)
    int32_t highest;
    optslot* slots;                   // slots[0..highest]
    int32_t line;                     // where the statement starts in the program
    int32_t column;
    const char* name;                 // the statement's name in the grammar (its first keyword)
};

inline bool stmtflag(const stmtrec* r, int k) {
    return k >= 0 && k / 8 < STMT_FLAGBYTES && (r->flags[k / 8] & (0x80 >> (k % 8))) != 0;
}
inline void setstmtflag(stmtrec* r, int k) { r->flags[k / 8] |= static_cast<uint8_t>(0x80 >> (k % 8)); }
// The slot n when it was given, else null.
inline const optslot* stmtslot(const stmtrec* r, int n) {
    if (!r || n < 0 || n > r->highest || !r->slots || !r->slots[n].given) return nullptr;
    return &r->slots[n];
}
