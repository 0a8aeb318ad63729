// Keys end on a whole character. Class levels, failure modes and units are keyed by the first 16
// bytes of their formatted value (MODEL's CLASS levels by n with TRUNCATE=); a value in UTF-8
// whose 16th byte lies inside a character would leave part of that character in the key, and
// every table, label and data set built on the key would hold text that is no UTF-8. Such a key
// is cut back to the last whole character (it then holds 13 to 15 bytes, blank padded). A key
// whose 16th byte is plain ASCII is whole as it is, and a value that is not UTF-8 as a whole
// keeps its 16 bytes. The rule itself (keptbytes, utf8whole) is in host/keychars.h, which the
// host's statement parser shares; the readers here apply it to the cells they read.
#pragma once
#include <cstdint>

#include "host/keychars.h"
#include "proc/framework/pooledkeys.h"

// Cuts the len bytes of text, the start of a longer value, back to their last whole character
// (blanks after it) as keptbytes says. whole: the whole formatted value (width bytes, text its
// first len) when the reader has it; null when the value runs past the text unseen (a formatted
// number, whose key is all the reader gets), and the text's bytes decide: cut back when they are
// UTF-8 but for a last character cut short.
void textcut(char* text, int32_t len, const char* whole, int32_t width);

// The same when the text's last byte is not plain ASCII (else the cut cannot lie inside a
// character): the test every reader makes per value before anything else.
inline void wholecharsin(char* text, int32_t len, const char* whole, int32_t width) {
    if (len > 0 && static_cast<uint8_t>(text[len - 1]) >= 0x80) textcut(text, len, whole, width);
}

// The key of the current value c: cut back when its 16th byte is not plain ASCII and the value
// runs past it (a character variable of at most 16 bytes, whose key is its whole value, keeps it).
inline void wholechars(char* key, const wholecell& c) {
    if (static_cast<uint8_t>(key[15]) >= 0x80 && c.on()) textcut(key, 16, c.text, c.width);
}
