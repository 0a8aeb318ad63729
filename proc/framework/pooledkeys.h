// Values told apart by their 16-character key. Class levels, failure modes and units are keyed
// by their formatted value cut to 16 characters, so values that differ further on (or numbers
// that format alike) are analysed as one. The readers keep, beside each key, the whole value
// first met under it (the formatted text of a character variable, the number of a numeric
// one), compare a row's whole value only once its key is known, and note the distinct values
// of a key that stands for more than one; a warning then names them.
#pragma once
#include <cstdint>
#include <cstring>

#include "host/vec203_datasets.h"

struct poolobj;
struct vyxstate;

// Where a reader finds the current observation's whole value: the blank-padded text cell of a
// character variable wider than 16 characters (width characters in a block of wholebytes(width)),
// or the number of a numeric variable. Neither: a character variable of at most 16 characters, whose key is its whole value.
struct wholecell {
    const char* text;
    const double* num;
    int32_t width;
    bool on() const { return text || num; }
};

// The whole value of the variable d: its whole-text cell (a character variable longer than 16
// characters; the cell may be null when the reader fetched none) or its number.
inline wholecell wholeof(const vardesc& d, const char* textcell, const double* num) {
    if (d.type == 1) return {nullptr, num, 0};
    if (textcell && d.length > 16) return {textcell, nullptr, d.length};
    return {nullptr, nullptr, 0};
}

struct keyseen;   // the distinct values of a key met with more than one (pooledkeys.cpp)

// The whole values met under one key (zero while none was).
struct keyvals {
    const char* text;         // the first text (a copy of the cell's block in the reader's pool)
    double num;               // the first number
    keyseen* more;            // null while every value met equals the first
};

// A whole text lies in a block of wholebytes(width) bytes, a multiple of 8 whose bytes past the
// width are the same in the cell and in every copy of it, so that texts compare a word at a time.
inline int32_t wholebytes(int32_t width) { return (width + 7) & ~7; }
// Whether two whole texts agree from byte from (a multiple of 8) on.
inline bool sametext(const char* a, const char* b, int32_t width, int32_t from) {
    for (int32_t i = from; i < width; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    return true;
}

// Numbers are the same value when equal, or both missing with the same bits; 0 and -0 are one.
inline bool samenumber(double a, double b) {
    if (a == b) return true;
    if (a == a || b == b) return false;
    uint64_t x, y;
    std::memcpy(&x, &a, 8);
    std::memcpy(&y, &b, 8);
    return x == y;
}

// The first value of a new key (a text is copied into pool); false when memory ran out
// (xmemmsg logged).
bool keyfirst(poolobj* pool, keyvals& k, const wholecell& c);
// A value other than the key's first (out of line: the rare case); false when memory ran out.
bool keyother(poolobj* pool, keyvals& k, const wholecell& c);

// Notes the current value under a key met before (so their first 13 bytes agree: a key cut back
// to a whole character holds at least 13); false when memory ran out.
inline bool keynote(poolobj* pool, keyvals& k, const wholecell& c) {
    if (c.text) {
        if (sametext(k.text, c.text, c.width, 8)) return true;
    } else if (!c.num || samenumber(k.num, *c.num)) {
        return true;
    }
    return keyother(pool, k, c);
}

// The values of a key that may not have been met yet (a listed failure mode).
struct keyslot {
    keyvals vals;
    uint8_t seen;
};
inline bool slotnote(poolobj* pool, keyslot& k, const wholecell& c) {
    if (k.seen) return keynote(pool, k.vals, c);
    k.seen = 1;
    return keyfirst(pool, k.vals, c);
}

// Whether a key stands for more than one value.
inline bool keypooled(const keyvals& k) { return k.more != nullptr; }

// The number of distinct values a key stands for, and the first of them in the order met (at
// most three): the text (width characters) or the number of each.
int64_t keycount(const keyvals& k);
int keylisted(const keyvals& k, const char** texts, double* nums);

// What the key of a warning stands for.
enum class keykind { classlevel, failmode, unit };

// One key of a variable and its values, as the readers hand them to keywarnings.
struct keyentry {
    const char* key;          // the 16-byte key, blank padded
    const keyvals* vals;
    int64_t group;            // the group whose values they are (keygroup), 0 without groups
};

// A group whose keys are told apart from those of the other groups (MCFPLOT's units are one
// unit only within their class level): its words in a message (" for trt=P"), and an id that
// tells it from the other groups of the BY group.
struct keygroup {
    const char* where;
    uint64_t id;
};

// The warnings of one variable (name, id telling it from the step's other variables; width of
// its whole texts, 0 for a numeric one): the entries are sorted by group and key, the values of
// equal keys of a group joined (a second class variable has a node per first-level group), and
// every key that stands for more than one value gets a warning naming the variable, the key, its
// values and the group (groups[entry.group], when groups is given), once per BY group: the first
// statement that meets it says it. At most ten keys of a variable are named so in a BY group;
// the number of the others is said once. False when memory ran out.
bool keywarnings(vyxstate* s, poolobj* pool, keykind kind, const char* name, uint32_t id, int32_t width,
                 keyentry* entries, int64_t n, const keygroup* groups = nullptr);

// The whole value of class variable k (CV_* place) of the current statement.
wholecell classwhole(const vyxstate* s, int k);
// The whole value of the UNITID variable.
wholecell unitwhole(const vyxstate* s);
// keywarnings for the n keys of the UNITID variable in entries, of the groups given.
bool unitidkeywarnings(vyxstate* s, poolobj* pool, keyentry* entries, int64_t n, const keygroup* groups);

// The warnings of the class variables of the statement whose data pass has just filled the
// class trees (nodes are still in their trees): the first variable's levels, and the second's
// joined over the first-level groups. False when memory ran out.
bool classkeywarnings(vyxstate* s);

// The warnings of the FMODE values listed: keys[i] holds the modes matched by the i-th value.
// False when memory ran out.
bool fmodekeywarnings(vyxstate* s, poolobj* pool, const keyslot* keys);

// Which of the values a key names the current value is: 0 to 2 in the order met, or 3 for a
// later one (a key that stands for one value: 0).
int keywhich(const keyvals& k, const wholecell& c);

// One whole value of a key, as a record of it keeps it: which of the values the key names it is
// (keywhich), and for one met after the third, the value itself (a text copied into the pool, or
// a number: a variable's values are all one or all the other, and every MCF unit keeps two of
// these, so they share their place).
struct keyvalue {
    int32_t which;
    union {
        const char* text;
        double num;
    };
};
// Keeps the current value c, which keywhich(k, c) gave, in v (the text block of v is reused);
// false when memory ran out.
bool keykeep(poolobj* pool, keyvalue& v, int which, const wholecell& c);
// Whether the current value c (which keywhich gave) is the value kept in v.
bool keysame(const keyvalue& v, int which, const wholecell& c);
// A value kept, or the current value c, as text without trailing blanks (a number as the shortest
// text that reads back as it).
void keyshown(const keyvals& k, const keyvalue& v, const wholecell& c, char* out, int len);
void currentshown(const wholecell& c, char* out, int len);

// The id of a variable for the notes of the BY group: a hash of its name.
uint32_t varnameid(const char* name, int len);
