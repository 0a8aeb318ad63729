// Warnings written once per step (steplog.h).
#include "proc/framework/steplog.h"

#include <cstddef>
#include <cstdint>

#include "proc/vyxstate.h"

namespace {

// FNV-1a over bytes.
uint64_t mix(uint64_t h, const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001b3ULL;
    return h;
}

// The key of a message: values that write the same text give the same key (a text without its
// trailing blanks, 0 and -0 alike).
uint64_t keyof(int group, int n, int nargs, const msgarg* args) {
    uint64_t h = 0xcbf29ce484222325ULL;
    const int32_t head[3] = {group, n, nargs};
    h = mix(h, head, sizeof head);
    for (int i = 0; i < nargs; ++i) {
        const msgarg& a = args[i];
        h = mix(h, &a.kind, sizeof a.kind);
        if (a.kind == msgarg::INT) {
            h = mix(h, &a.i, sizeof a.i);
        } else if (a.kind == msgarg::DBL) {
            const double d = a.d == 0 ? 0.0 : a.d;
            h = mix(h, &d, sizeof d);
        } else {
            int len = a.s ? a.len : 0;
            while (len > 0 && (a.s[len - 1] == ' ' || a.s[len - 1] == '\0')) --len;
            h = mix(h, &len, sizeof len);
            if (len > 0) h = mix(h, a.s, static_cast<size_t>(len));
        }
    }
    return h;
}

}  // namespace

bool stepfresh(vyxstate* s, int group, int n, int nargs, const msgarg* args) {
    steplogged& r = s->step.logged;
    const uint64_t k = keyof(group, n, nargs, args);
    for (int32_t i = 0; i < r.n; ++i)
        if (r.key[i] == k) return false;
    if (r.n < static_cast<int32_t>(sizeof r.key / sizeof r.key[0])) r.key[r.n++] = k;
    return true;
}
