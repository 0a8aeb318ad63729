// Keys end on a whole character. Class levels, failure modes and units are keyed by the first 16
// bytes of their formatted value; a text in UTF-8 whose 16th byte lies inside a character would
// leave part of that character in the key, and every table, label and data set built on the key
// would hold text that is no UTF-8. Such a key is cut back to the last whole character (it then
// holds 13 to 15 bytes, blank padded). A key whose 16th byte is plain ASCII is whole as it is,
// and a value that is not UTF-8 is keyed by its 16 bytes.
#pragma once
#include <cstdint>

#include "proc/framework/pooledkeys.h"

// The number of bytes of the whole characters at the start of the n bytes of text: n when the
// text is UTF-8, less when only its last character is cut short; -1 when it is not UTF-8.
int utf8whole(const char* text, int32_t n);

// Cuts the len bytes of text back to their last whole character (blanks after it). whole: the
// whole formatted value (width bytes) of which the text is the start, when the reader has it;
// null when the value may run past the text unseen (a formatted number), and the text's bytes
// alone decide.
void textcut(char* text, int32_t len, const char* whole, int32_t width);
inline void keycut(char* key, const char* whole, int32_t width) { textcut(key, 16, whole, width); }

// The same for a text of len bytes cut from a longer value, when its last byte is not plain ASCII.
inline void wholecharsin(char* text, int32_t len, const char* whole = nullptr, int32_t width = 0) {
    if (len > 0 && static_cast<uint8_t>(text[len - 1]) >= 0x80) textcut(text, len, whole, width);
}

// The key of the current value c: cut back when its 16th byte is not plain ASCII and the value
// runs past it (a character variable of at most 16 bytes, whose key is its whole value, keeps it).
inline void wholechars(char* key, const wholecell& c) {
    if (static_cast<uint8_t>(key[15]) >= 0x80 && c.on()) keycut(key, c.text, c.width);
}
