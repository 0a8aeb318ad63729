// Notes about the data of the current BY group, each logged once per BY group although every
// statement reads the group again (bynotes.h).
#include "proc/framework/bynotes.h"

#include <cstdio>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"

bool bynotefresh(vyxstate* s, int32_t msg, uint32_t var1, uint32_t var2, double value) {
    bynoterec& r = s->step.bynotes;
    for (int i = 0; i < r.n; ++i) {
        const bynotekey& k = r.k[i];
        if (k.msg == msg && k.var[0] == var1 && k.var[1] == var2 && k.value == value) return false;
    }
    // A full record forgets nothing it holds: later notes are logged each time.
    if (r.n < static_cast<int32_t>(sizeof r.k / sizeof r.k[0])) r.k[r.n++] = bynotekey{msg, {var1, var2}, 0, value};
    return true;
}

void nonposnote(vyxstate* s, int64_t count, const noteresponse& r) {
    const bool threshold = s->opts.thrflags[TH_GIVEN] != 0;
    const int msg = threshold ? MSG_NONPOS_THRESHOLD : MSG_NONPOS;
    if (count <= 0 || !bynotefresh(s, msg, r.id[0], r.var[1] ? r.id[1] : 0, static_cast<double>(count))) return;
    char names[80] = "";
    if (r.var[0] && r.var[1])
        std::snprintf(names, sizeof names, "%s or %s", r.var[0]->name, r.var[1]->name);
    else if (r.var[0])
        std::snprintf(names, sizeof names, "%s", r.var[0]->name);
    char by[512];
    bygrouptext(s, by, sizeof by);
    if (threshold)
        xpmlog(510, MSG_NONPOS_THRESHOLD, static_cast<long long>(count), names, by, s->fit.fixedparms[FP_THRESHOLD]);
    else
        xpmlog(510, MSG_NONPOS, static_cast<long long>(count), names, by);
}

void unseennotes(vyxstate* s, int32_t msg, const uint8_t* seen, const vardesc* var, uint32_t id) {
    if (!seen || !var) return;
    char by[512];
    for (int i = 0; i < s->input.ncensvals; ++i) {
        if (seen[i]) continue;
        bool earlier = false;
        for (int j = 0; j < i && !earlier; ++j) earlier = s->input.censvals[j] == s->input.censvals[i];
        if (earlier || !bynotefresh(s, msg, id, 0, s->input.censvals[i])) continue;
        xpmlog(510, msg, txtarg(var->name, var->namelen), s->input.censvals[i], bygrouptext(s, by, sizeof by));
    }
}

const char* bygrouptext(const vyxstate* s, char* out, int len) {
    if (len <= 0) return out;
    out[0] = '\0';
    if (!s->input.dsin || s->input.nbyvars == 0) return out;
    char line[480] = "";
    hostvec<vec203>(VEC_DATASETS)->xbyline(s->input.dsin, line, sizeof line);
    if (line[0]) std::snprintf(out, static_cast<size_t>(len), " in the BY group %s", line);
    return out;
}
