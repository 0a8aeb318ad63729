// Data sets the procedure makes in memory: the converted copy of an annotate data set.
// They are read like any other data set and deleted by xoclose or at the end of the step.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/hostdefs.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/library.h"
#include "runtime/datasets/services.h"

namespace rt::ds::svc {

namespace {

struct Made {
    std::unique_ptr<hdataset> ds;
    std::vector<double> nums;       // the observation being built
    std::vector<std::string> texts;
};
std::vector<Made>& made() {
    static std::vector<Made> v;
    return v;
}
Made* find(dshandle ds) {
    for (Made& m : made())
        if (m.ds.get() == ds) return &m;
    return nullptr;
}
void clear(Made& m) {
    for (size_t k = 0; k < m.ds->cols.size(); ++k) {
        m.nums[k] = hostmissing();
        m.texts[k].clear();
    }
}

}  // namespace

dshandle xocreate(const char* name, int nvars, const vardesc* vars) {
    if (nvars <= 0 || !vars) return nullptr;
    Made m;
    m.ds = std::make_unique<hdataset>();
    m.ds->lib = "WORK";
    m.ds->member = name ? name : "_COPY";
    for (int k = 0; k < nvars; ++k) {
        Column c;
        c.name = std::string(vars[k].name, strnlen(vars[k].name, sizeof vars[k].name));
        c.numeric = vars[k].type != 2;
        c.width = c.numeric ? 8 : std::max(1, vars[k].length);
        m.ds->cols.push_back(std::move(c));
    }
    m.nums.assign(static_cast<size_t>(nvars), hostmissing());
    m.texts.assign(static_cast<size_t>(nvars), std::string());
    made().push_back(std::move(m));
    return made().back().ds.get();
}

int xvput1f(dshandle ds, int32_t var, double value) {
    Made* m = find(ds);
    if (!m || !ds->column(var) || !ds->column(var)->numeric) return 1;
    m->nums[static_cast<size_t>(var - 1)] = value;
    return 0;
}

int xvput1c(dshandle ds, int32_t var, const char* text, int length) {
    Made* m = find(ds);
    if (!m || !ds->column(var) || ds->column(var)->numeric) return 1;
    std::string t(text ? text : "", text ? strnlen(text, static_cast<size_t>(std::max(length, 0))) : 0);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    if (static_cast<int>(t.size()) > ds->column(var)->width) t.resize(static_cast<size_t>(ds->column(var)->width));
    m->texts[static_cast<size_t>(var - 1)] = t;
    return 0;
}

// Every text is followed by TEXT_SLACK blanks, so that 16 bytes can be read from any value.
int xoadd(dshandle ds) {
    Made* m = find(ds);
    if (!m) return 1;
    for (size_t k = 0; k < ds->cols.size(); ++k) {
        Column& c = ds->cols[k];
        if (c.numeric) {
            c.num.push_back(m->nums[k]);
            continue;
        }
        const std::string& t = m->texts[k];
        if (!c.arena.reserve(c.arena.size() + t.size() + TEXT_SLACK)) return 1;
        TextRef ref{static_cast<uint32_t>(c.arena.size()), static_cast<uint32_t>(t.size())};
        c.arena.append(t.data(), t.size());
        c.arena.appendblanks(TEXT_SLACK);
        c.txt.push_back(ref);
    }
    ++ds->nobs;
    clear(*m);
    return 0;
}

int xoclose(dshandle ds, int del) {
    auto& v = made();
    auto it = std::find_if(v.begin(), v.end(), [&](const Made& m) { return m.ds.get() == ds; });
    if (it == v.end()) return ds ? 0 : 1;
    if (del) v.erase(it);
    return 0;
}

void endmade() { made().clear(); }

}  // namespace rt::ds::svc

namespace rt::ds {
void dropmade() { svc::endmade(); }
}
