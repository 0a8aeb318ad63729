#include "proc/framework/wholenum.h"

#include <cmath>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"

int32_t satint(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

namespace {

int32_t within(const msgarg& stmt, const char* option, double v, int32_t least, int32_t most, int32_t fallback) {
    if (v > most) {
        xpmlog(510, W510_OPTION_ABOVE_LIMIT, stmt, option, v, most);
        return most;
    }
    if (!(v >= least)) {
        xpmlog(510, W510_OPTION_BELOW_LIMIT, stmt, option, v, least, fallback);
        return fallback;
    }
    return satint(v);
}

}  // namespace

int32_t countopt(const stmtrec* r, const char* option, double v, int32_t least, int32_t most, int32_t fallback) {
    const char* kw = r ? r->keyword : "";
    return within(txtarg(kw, r ? wzstrip(kw, STMT_KEYLEN) : 0), option, v, least, most, fallback);
}

void widthlimits(const stmtrec* r, const int* slots, const char* const* names, int n) {
    for (int k = 0; k < n; ++k)
        if (const optslot* o = stmtslot(r, slots[k]); o && o->num > MOST_WIDTH) countopt(r, names[k], o->num, 1, MOST_WIDTH, 1);
}
