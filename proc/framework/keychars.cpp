// Keys cut back to the last whole UTF-8 character (keychars.h).
#include "proc/framework/keychars.h"

#include <cstring>

void textcut(char* text, int32_t len, const char* whole, int32_t width) {
    int32_t keep;
    if (whole) {
        if (width <= len) return;   // the text holds the whole value
        keep = keptbytes(whole, width, len);
    } else {
        keep = utf8whole(text, len);
        if (keep < 0) return;   // not UTF-8: kept as it is
    }
    if (keep < len) std::memset(text + keep, ' ', static_cast<size_t>(len - keep));
}
