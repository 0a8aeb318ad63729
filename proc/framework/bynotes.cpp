// Notes about the data of the current BY group, each logged once per BY group although every
// statement reads the group again (bynotes.h).
#include "proc/framework/bynotes.h"

#include <cstdio>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"

void bynotes_bygone(vyxstate* s) {
    bynoterec& r = s->step.bynotes;
    r.nkeys = r.capkeys = 0;
    r.keys = nullptr;
}

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

void skipcount(const vyxstate* s, skiptally& t, int why) {
    if (t.n[why]++ == 0) t.first[why] = hostvec<vec203>(VEC_DATASETS)->xobsnum(s->input.dsin);
}

namespace {

// "t", "t or c": the variables whose value a note names.
void responsenames(const noteresponse& r, bool both, char* out, size_t len) {
    out[0] = '\0';
    if (r.var[0] && r.var[1] && both)
        std::snprintf(out, len, "%s or %s", r.var[0]->name, r.var[1]->name);
    else if (r.var[0])
        std::snprintf(out, len, "%s", r.var[0]->name);
}

// A note about rows of the response: the reason's message with the count, the variables, the
// BY group and the first observation (with THRESHOLD= the time reason names the threshold).
void responsenote(vyxstate* s, const skiptally& t, int why, const noteresponse& r, bool interval, const char* by) {
    const double n = static_cast<double>(t.n[why]);
    const auto count = static_cast<long long>(t.n[why]), first = static_cast<long long>(t.first[why]);
    char names[80];
    if (why == SKIP_NONPOS) {
        const bool threshold = s->work.thrflags[TH_GIVEN] != 0;
        const int msg = threshold ? N510_SKIP_NOT_POSITIVE_THRESHOLD : N510_SKIP_NOT_POSITIVE;
        if (!bynotefresh(s, msg, r.id[0], interval ? r.id[1] : 0, n)) return;
        responsenames(r, interval, names, sizeof names);
        if (threshold)
            xpmlog(510, msg, count, names, by, s->opts.fixedparms[FP_THRESHOLD], first);
        else
            xpmlog(510, msg, count, names, by, first);
    } else if (why == SKIP_REVERSED) {
        if (r.var[0] && r.var[1] && bynotefresh(s, N510_SKIP_REVERSED, r.id[0], r.id[1], n))
            xpmlog(510, N510_SKIP_REVERSED, count, r.var[0]->name, r.var[1]->name, by, first);
    } else if (interval && r.var[0] && r.var[1]) {
        if (bynotefresh(s, N510_SKIP_NO_ENDS, r.id[0], r.id[1], n))
            xpmlog(510, N510_SKIP_NO_ENDS, count, r.var[0]->name, r.var[1]->name, by, first);
    } else if (bynotefresh(s, N510_SKIP_MISSING, r.id[0], r.var[1] ? r.id[1] : 0, n)) {
        responsenames(r, true, names, sizeof names);
        xpmlog(510, N510_SKIP_MISSING, count, names, by, first);
    }
}

// A note about rows of a PROC-level or class variable (name null: none is named): the message
// with the count, the variable, the BY group and the first observation; var tells one class
// variable's note from another's.
void variablenote(vyxstate* s, const skiptally& t, int why, int msg, const char* name, uint32_t var, const char* by) {
    if (!bynotefresh(s, msg, var, 0, static_cast<double>(t.n[why]))) return;
    const auto count = static_cast<long long>(t.n[why]), first = static_cast<long long>(t.first[why]);
    if (name)
        xpmlog(510, msg, count, name, by, first);
    else
        xpmlog(510, msg, count, by, first);
}

}  // namespace

void skipnotes(vyxstate* s, const skiptally& t, const noteresponse& r, bool interval) {
    char by[512];
    bygrouptext(s, by, sizeof by);
    const inputstate& in = s->input;
    const char* freq = in.nfreq > 0 ? in.procvars[PV_FREQ].name : "FREQ";
    for (int why = 0; why < SKIP_REASONS; ++why) {
        if (t.n[why] <= 0) continue;
        switch (why) {
            case SKIP_NONPOS:
            case SKIP_REVERSED:
            case SKIP_MISSING: responsenote(s, t, why, r, interval, by); break;
            case SKIP_FREQNEG: variablenote(s, t, why, N510_SKIP_FREQ_NEGATIVE, freq, 0, by); break;
            case SKIP_FREQMISS: variablenote(s, t, why, N510_SKIP_FREQ_MISSING, freq, 0, by); break;
            case SKIP_FREQZERO: variablenote(s, t, why, N510_SKIP_FREQ_ZERO, freq, 0, by); break;
            case SKIP_NENTER: variablenote(s, t, why, N510_SKIP_NENTER, in.nnenter > 0 ? in.procvars[PV_NENTER].name : "NENTER", 0, by); break;
            case SKIP_FMODE: variablenote(s, t, why, N510_SKIP_FMODE, s->groups.fmodeset.desc.name, 0, by); break;
            case SKIP_CLASS1:
            case SKIP_CLASS2: {
                const int k = why == SKIP_CLASS1 ? CV_FIRST : CV_SECOND;
                variablenote(s, t, why, N510_SKIP_CLASS, s->groups.clsnames[k], static_cast<uint32_t>(s->groups.clsvars[k]), by);
                break;
            }
            case SKIP_EFFECT: variablenote(s, t, why, N510_SKIP_EFFECT, nullptr, 0, by); break;
            case SKIP_RELATION: variablenote(s, t, why, N510_SKIP_RELATION, nullptr, 0, by); break;
            case SKIP_UNITID: variablenote(s, t, why, N510_SKIP_UNITID, in.nunitid > 0 ? in.procvars[PV_UNITID].name : "UNITID", 0, by); break;
            default: break;
        }
    }
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

void censtakenadd(censtaken& t, double b) {
    for (int i = 0; i < t.n; ++i)
        if (t.v[i] == b) return;
    if (t.n < static_cast<int32_t>(sizeof t.v / sizeof t.v[0])) t.v[t.n++] = b;
    else t.more = 1;
}

namespace {

// "0", "0 and 9", "0, 2 and 9", "1, 2, 3, 4, 5, 6 and others": a list of values as text. A
// whole number is written whole (300000, not 3e+05).
void valuelist(const double* v, int n, bool more, char* out, size_t len) {
    size_t at = 0;
    out[0] = '\0';
    for (int i = 0; i < n && at < len; ++i) {
        const char* sep = i == 0 ? "" : (i == n - 1 && !more) ? " and " : ", ";
        at += static_cast<size_t>(std::snprintf(out + at, len - at, "%s%.15g", sep, v[i]));
    }
    if (more && at < len) std::snprintf(out + at, len - at, " and others");
}

}  // namespace

void censornotes(vyxstate* s, const uint8_t* seen, const censtaken& taken, const vardesc* var, uint32_t id, bool fmodeaside) {
    if (!seen || !var) return;
    bool any = false;
    for (int i = 0; i < s->input.ncensvals && !any; ++i) any = seen[i] != 0;
    if (any) {
        unseennotes(s, N510_CENSOR_VALUE_UNSEEN_SOME, seen, var, id);
        return;
    }
    if (taken.n == 0) return;
    char by[512], values[200];
    bygrouptext(s, by, sizeof by);
    const msgarg name = txtarg(var->name, var->namelen);
    if (taken.n == 1 && !taken.more) {
        const int msg = fmodeaside ? N510_CENSOR_ONE_VALUE_FMODE : N510_CENSOR_ONE_VALUE;
        if (!bynotefresh(s, msg, id, 0, taken.v[0])) return;
        valuelist(taken.v, 1, false, values, sizeof values);
        xpmlog(510, msg, name, values, by);
        return;
    }
    const int msg = fmodeaside ? W510_CENSOR_VALUES_UNSEEN_FMODE : W510_CENSOR_VALUES_UNSEEN;
    if (!bynotefresh(s, msg, id, 0, taken.v[0])) return;
    // The listed values, each once.
    double listed[16];
    int nl = 0;
    bool more = false;
    for (int i = 0; i < s->input.ncensvals; ++i) {
        bool earlier = false;
        for (int j = 0; j < nl && !earlier; ++j) earlier = listed[j] == s->input.censvals[i];
        if (earlier) continue;
        if (nl < 16) listed[nl++] = s->input.censvals[i];
        else more = true;
    }
    char list[400];
    valuelist(listed, nl, more, list, sizeof list);
    valuelist(taken.v, taken.n, taken.more != 0, values, sizeof values);
    xpmlog(510, msg, name, list, by, values);
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
