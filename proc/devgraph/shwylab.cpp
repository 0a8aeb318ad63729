// Tick value labels.
#include "proc/devgraph/devgraph.h"

#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"

namespace {
// Removes n characters at `at`, moving the rest left and padding with blanks.
void cut(char* b, int at, int n) {
    std::memmove(b + at, b + at + n, static_cast<size_t>(10 - at - n));
    std::memset(b + 10 - n, ' ', static_cast<size_t>(n));
}
}  // namespace

int shwylab(char* out, double value, int* ndec, int* w, int trim) {
    char b[11];
    std::memset(b, ' ', 10);
    b[10] = '\0';
    if (value == 0.0)
        b[0] = '0';
    else
        xpfs(value, -10, *w, b);
    int len = wzstrip(b, 10);
    if (trim) {
        if (len >= 2 && b[0] == '0' && b[1] == '.') {
            cut(b, 0, 1), len -= 1;
        } else if (len >= 3 && b[0] == '-' && b[1] == '0' && b[2] == '.') {
            cut(b, 1, 1), len -= 1;
        } else if (len >= 4 && std::memcmp(b + 1, ".0E", 3) == 0) {
            cut(b, 1, 2), len -= 2;
        } else if (len >= 5 && b[0] == '-' && std::memcmp(b + 2, ".0E", 3) == 0) {
            cut(b, 2, 2), len -= 2;
        }
    }
    int e = -1, d = -1;
    for (int k = 0; k < 10; ++k) {
        if (e < 0 && b[k] == 'E') e = k;
        if (d < 0 && b[k] == '.') d = k;
    }
    if (e < 1) {
        *ndec = d >= 0 ? len - d - 1 : 0;
    } else if (d < 0) {
        *ndec = 0;
        *w = -1;
    } else {
        *ndec = e - d - 1;
        *w = -*ndec;
    }
    if (out) std::memcpy(out, b, 10);
    return len;
}
