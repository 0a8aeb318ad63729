// Vector 4: the host's text extension: locale items, translation and collating tables,
// the multi-byte routines, the locale-aware move, the numeric informat and the
// character-class table.
#pragma once
#include <cstdint>

// A locale item: a word of the host, the text length, then the text (not terminated).
struct locitem {
    int32_t item;
    int32_t len;
    char text[1];
};

// Locale items the procedure's format routines read (the rest are the host's).
enum : int {
    LOC_DATEPAT = 1,        // date pattern
    LOC_DTTMPAT = 2,        // date-time pattern
    LOC_TIMEPAT = 3,        // time pattern
    LOC_AMPM = 4,           // "AM;PM"
    LOC_MONTHS = 5,         // twelve month names separated by ";"
    LOC_MONABBR = 6,        // twelve abbreviated month names
    LOC_DAYS = 7,           // seven weekday names from Sunday, separated by ";"
    LOC_DAYABBR = 11,       // seven abbreviated weekday names
    LOC_GROUPCHAR = 12,     // digit grouping character
    LOC_DECCHAR = 13,       // decimal character
    LOC_NEGFORMAT = 14,     // "0": negative numbers in parentheses, else a sign
    LOC_NEGSIGN = 15,       // negative sign
    LOC_POSSIGN = 16,       // positive sign
    LOC_FONT = 19,          // default text font: the plain and the GSTYLE alternative
    LOC_CURRENCY = 113,     // local currency symbol
    LOC_INTLCURRENCY = 114, // international currency symbol
};

// Bits of the character-class table.
enum : uint16_t { CC_DIGIT = 1, CC_ALPHA = 2, CC_SPACE = 4, CC_UPPER = 8, CC_LOWER = 16, CC_PUNCT = 32 };

struct vec4 {
    // The locale item, or null when the host has none.
    const locitem* (*wzsxglc)(int item);
    // The host's locale setter; returns its status.
    int (*wzsxplc)(int zero, int a, int b, int c);
    // Translation table 0 to 4 (256 bytes; 0 identity, 1 lower case, 2 upper case,
    // 3 control characters to blanks, 4 name characters); null for another number.
    const uint8_t* (*wzsxxlt)(int table);
    // The collating translation table (256 bytes): bytes that collate alike map alike.
    const uint8_t* (*wzsxcol)();
    // 1 when the session encoding has multi-byte characters, else 0.
    int (*wzsxmbcs)();
    // Multi-byte collating comparison, same result as wzstcmn.
    int (*wzsxcmn)(const char* a, int alen, const char* b, int blen, int flag);
    // Multi-byte translation through table (2: upper case) of len bytes; 0 on success.
    int (*wzsxupr)(int table, const char* in, char* out, int len);
    // Byte offset of character number n (0-based) in s, or len when s is shorter.
    int (*wzsxoff)(const char* s, int len, int n);
    // Locale-aware move: copies whole characters of src into dst (at most dstlen bytes);
    // returns the bytes moved.
    int (*wzsxmov)(const char* src, int srclen, char* dst, int dstlen);
    // Numeric informat: reads the text (len bytes, left-justified) as a number with the
    // given implied decimals; 0 on success, non-zero when it is not a number.
    int (*wzsxinf)(const char* text, int len, int decimals, double* out);
    // The character-class table: 256 entries of CC_* bits.
    const uint16_t* (*wzsxctt)();
    // Non-zero when the session encoding needs the parser's symbol table adapted.
    int (*wztxdotr)();
};
