// Notes on the design columns the starting values drop. The design of an effect with CLASS
// variables has a column per level combination met in the data, so the sweep drops the
// column of the last level as a matter of course (the reference level, printed as 0); a
// column dropped for any other reason (a continuous column that is a multiple of another, an
// interaction that loses a column to an empty cell) is named in a note, since its row looks
// like a reference level's.
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "proc/effects/effects.h"
#include "proc/framework/bynotes.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"

namespace {


// For one effect with CLASS variables: per crossed variable j, the largest level index met
// among the combinations that agree with a given one everywhere but at j.
class lastlevels {
public:
    explicit lastlevels(const leveffect& e) : e_(e), most_(static_cast<size_t>(e.ncls)) {
        for (int k = 0; k < e.nseen; ++k)
            for (int j = 0; j < e.ncls; ++j) {
                int& m = most_[static_cast<size_t>(j)].try_emplace(others(k, j), -1).first->second;
                m = std::max(m, level(k, j));
            }
    }
    // Whether combination k holds, for some crossed variable, the last level of its margin:
    // the column the sweep drops as the reference of that margin.
    bool reference(int k) const {
        for (int j = 0; j < e_.ncls; ++j) {
            auto it = most_[static_cast<size_t>(j)].find(others(k, j));
            if (it != most_[static_cast<size_t>(j)].end() && it->second == level(k, j)) return true;
        }
        return false;
    }

private:
    int level(int k, int j) const { return e_.combs[static_cast<size_t>(k) * e_.nclsall + j]; }
    std::string others(int k, int j) const {
        std::string key(reinterpret_cast<const char*>(e_.combs + static_cast<size_t>(k) * e_.nclsall),
                        sizeof(int32_t) * static_cast<size_t>(e_.nclsall));
        std::memset(&key[sizeof(int32_t) * static_cast<size_t>(j)], 0xff, sizeof(int32_t));
        return key;
    }
    const leveffect& e_;
    std::vector<std::unordered_map<std::string, int>> most_;
};

// "A*B a2 b1": the effect's name and the levels of combination k, as the estimates show them.
std::string columnname(const modelstate& mdl, const leveffect& e, int k) {
    std::string name = e.effname ? e.effname : "";
    const levstate* m = mdl.mdllev->lstate;
    for (int j = 0; e.combs && k < e.nseen && j < e.nclsall; ++j) {
        const int idx = e.combs[static_cast<size_t>(k) * e.nclsall + j];
        const levclass& cl = m->classv[e.clsall[j]];
        if (idx < 0 || idx >= cl.nlev) continue;
        char text[256];
        const int n = std::min(cl.fmtlen, 255);
        std::memcpy(text, cl.levels[idx], static_cast<size_t>(n));
        int len = 0, start = 0;
        wzstjls(text, n, 'l', &len, &start);
        name += ' ';
        name.append(text, static_cast<size_t>(len));
    }
    return name;
}

// The notes of the effects of one model whose columns start at parameter `first`: a column
// the sweep dropped (status '*', no place among the estimated parameters; a fixed intercept
// keeps its place) that is not the reference of its effect.
void modelnotes(vyxstate* s, const levstate* ls, int first, const char* stmt, const char* by) {
    for (int i = 0; i < ls->neffect; ++i) {
        const leveffect& e = ls->effects[i];
        std::vector<int> dropped;
        for (int c = 0; c < e.ncol; ++c) {
            const int j = first + e.firstcol + c;
            if (s->mdl.parmstat[j] == '*' && s->mdl.parmmap[j] < 0) dropped.push_back(c);
        }
        if (dropped.empty()) continue;
        std::optional<lastlevels> last;
        if (e.ncls > 0 && e.combs) last.emplace(e);
        for (int c : dropped) {
            const int k = c % std::max(e.ncomb, 1);
            if (last && k < e.nseen && last->reference(k)) continue;
            const std::string name = columnname(s->mdl, e, k);
            xpmlog(510, N510_COLUMN_DROPPED, stmt, name.c_str(), first + e.firstcol + c + 1, by);
        }
    }
}

}  // namespace

void droppednotes(vyxstate* s) {
    if (!s->mdl.mdllev || !s->mdl.mdllev->lstate) return;   // no effect records to name the columns by
    const mdlcounts n = mdlsizes(s);
    char by[512];
    bygrouptext(s, by, sizeof by);
    modelnotes(s, s->mdl.mdllev->lstate, 0, "MODEL", by);
    if (s->mdl.haslogscl && s->mdl.logscl) modelnotes(s, static_cast<const levstate*>(s->mdl.logscl), n.ncol, "LOGSCALE", by);
}
