// The words that name the group a log line is about: its class level and BY group
// (grouptext.h).
#include "proc/framework/grouptext.h"
#include "proc/vyxstate.h"

#include <cstdio>

#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"

int grouptext(vyxstate* s, bool withclass, char* buf, int len) {
    if (!buf || len <= 0) return 0;
    buf[0] = '\0';
    int n = 0;
    auto add = [&](const char* text) {
        const int k = std::snprintf(buf + n, static_cast<size_t>(len - n), "%s%s", n > 0 ? " in " : "", text);
        if (k > 0) n = n + k < len ? n + k : len - 1;
    };
    if (withclass && s->groups.nclass > 0 && s->row.grplablen > 0) {
        char level[300];
        const int l = wzstrip(s->row.grplabel, s->row.grplablen < 256 ? s->row.grplablen : 256);
        const int nl = s->groups.clsnamelen[CV_FIRST] > 0 && s->groups.clsnamelen[CV_FIRST] <= 32 ? s->groups.clsnamelen[CV_FIRST] : 0;
        if (s->groups.nclass == 1 && nl > 0) std::snprintf(level, sizeof level, "%.*s=%.*s", nl, s->groups.clsnames[CV_FIRST], l, s->row.grplabel);
        else std::snprintf(level, sizeof level, "group %.*s", l, s->row.grplabel);
        add(level);
    }
    if (s->input.dsin && s->input.nbyvars > 0) {
        char line[480] = "";
        hostvec<vec203>(VEC_DATASETS)->xbyline(s->input.dsin, line, sizeof line);
        char by[512];
        std::snprintf(by, sizeof by, "the BY group %s", line);
        if (line[0]) add(by);
    }
    return n;
}

const char* groupsuffix(vyxstate* s, bool withclass, const char* lead, char* buf, int len) {
    char where[600];
    if (!buf || len <= 0) return "";
    buf[0] = '\0';
    if (grouptext(s, withclass, where, sizeof where) > 0) std::snprintf(buf, static_cast<size_t>(len), "%s%s", lead, where);
    return buf;
}
