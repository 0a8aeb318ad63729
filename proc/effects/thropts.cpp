// Thread options of the effects library.
#include "proc/effects/effects_internal.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"

void zquerythreads(uint8_t* on, int32_t* cpucount) {
    double v = 0.0;
    if (xoptngt("THREADS", &v) != 0) {
        xdebug("problem with global threads option");
        xexit(RC_SETUP, 0);
        return;
    }
    if (on) *on = v != 0.0 ? 1 : 0;   // a missing value counts as on
    double n = 0.0;
    if (xoptngt("CPUCOUNT", &n) != 0) {
        xdebug("problem with global cpucount option");
        xexit(RC_SETUP, 0);
        return;
    }
    if (cpucount) *cpucount = ismissing(n) ? 0 : static_cast<int32_t>(std::trunc(n));
}

namespace {

// The switch's value: -1 absent or missing, else 0 or 1.
int readswitch(const std::string& name) {
    char buf[64];
    const int n = xoptcgt(name.c_str(), buf, sizeof buf);
    if (n <= 0) return -1;
    char* end = nullptr;
    const double v = std::strtod(buf, &end);
    if (end == buf || ismissing(v)) return -1;
    return v != 0.0 ? 1 : 0;
}

}  // namespace

int ztestthread(const char* suffix, int suffixlen) {
    int result = readswitch("_testthread");
    if (suffix && suffixlen > 0) {
        const int second = readswitch("_testthread" + std::string(suffix, static_cast<size_t>(suffixlen)));
        if (second > result) result = second;
    }
    return result;
}

int zperform(const stmtrec* list, perfrec* result) {
    const stmtrec* last = nullptr;
    int count = 0;
    for (const stmtrec* s = list; s; s = s->next)
        if (std::strncmp(s->keyword, "PERFORM", 7) == 0 && (s->keyword[7] == ' ' || s->keyword[7] == '\0')) {
            ++count;
            last = s;
        }
    if (count > 1) xpmlog(210, W210_PERFORM_TWICE);
    double hc = 0.0;
    const kernelinst* k = qxkernel();
    int32_t hostcpus = 1;
    if (k && k->optlookup("host.cpucount", &hc) == 0 && hc >= 1.0) hostcpus = static_cast<int32_t>(hc);
    uint8_t on = 0;
    int32_t cpus = 0;
    zquerythreads(&on, &cpus);
    if (result) {
        result->stmt = last;
        result->cpucount = cpus;
        result->hostcpus = hostcpus;
        result->threads = on;
    }
    // The PERFORM statement's own settings would override these here; no grammar of this
    // procedure makes one, and the bits that carry them are not ours to invent.
    return 0;
}
