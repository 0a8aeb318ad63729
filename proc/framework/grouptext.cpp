// The words that name the group a log line is about: its class level and BY group
// (grouptext.h).
#include "proc/framework/grouptext.h"
#include "proc/vyxstate.h"

#include <cstdint>
#include <cstdio>

#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"

namespace {

int fitted(int n, int len) { return n < 0 ? 0 : n < len ? n : len - 1; }


// "type=A plant=North": cell (i, j) of two class variables; 0 (an empty text) when the
// statement has no such cell.
int cell(const vyxstate* s, int64_t i, int64_t j, char* buf, int len) {
    buf[0] = '\0';
    if (s->groups.nclass != 2 || !s->groups.levkeys[CV_FIRST] || !s->groups.levkeys[CV_SECOND] || i < 0 || j < 0 ||
        i >= int64_t(s->groups.nlev[NLEV_FIRST]) || j >= int64_t(s->groups.nlev[NLEV_SECOND]))
        return 0;
    const char* t1 = s->groups.levkeys[CV_FIRST] + 16 * i;
    const char* t2 = s->groups.levkeys[CV_SECOND] + 16 * j;
    char first[64], second[64];
    levelwords(s, CV_FIRST, t1, wzstrip(t1, 16), first, sizeof first);
    levelwords(s, CV_SECOND, t2, wzstrip(t2, 16), second, sizeof second);
    return fitted(std::snprintf(buf, static_cast<size_t>(len), "%s %s", first, second), len);
}

}  // namespace

int levelwords(const vyxstate* s, int k, const char* text, int l, char* buf, int len) {
    if (!buf || len <= 0) return 0;
    const int nl = s->groups.clsnamelen[k] > 0 && s->groups.clsnamelen[k] <= 32 ? s->groups.clsnamelen[k] : 0;
    if (nl == 0) return fitted(std::snprintf(buf, static_cast<size_t>(len), "group %.*s", l, text), len);
    return fitted(std::snprintf(buf, static_cast<size_t>(len), "%.*s=%.*s", nl, s->groups.clsnames[k], l, text), len);
}

int groupname(const vyxstate* s, const grpnode* g, char* buf, int len) {
    if (!buf || len <= 0) return 0;
    buf[0] = '\0';
    if (!g) return 0;
    if (s->groups.nclass == 1) return levelwords(s, CV_FIRST, g->key, wzstrip(g->key, 16), buf, len);
    if (s->groups.nclass != 2 || !s->groups.grpgrid) return 0;
    const int64_t cols = s->groups.nlev[NLEV_SECOND], n = int64_t(s->groups.nlev[NLEV_FIRST]) * cols;
    for (int64_t k = 0; k < n && cols > 0; ++k)
        if (s->groups.grpgrid[k] == g) return cell(s, k / cols, k % cols, buf, len);
    return 0;
}

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
        if (s->groups.nclass == 1) levelwords(s, CV_FIRST, s->row.grplabel, l, level, sizeof level);
        else if (cell(s, s->groups.grprowix, s->groups.grpcolix, level, sizeof level) == 0)
            std::snprintf(level, sizeof level, "group %.*s", l, s->row.grplabel);
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
