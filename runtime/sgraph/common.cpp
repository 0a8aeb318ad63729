// Helpers the graph layouts share: phantom cells, the inset, the axes of data and of life.
#include "runtime/sgraph/common.h"

#include <algorithm>

namespace rt::sgr {

InsetBox insetbox(const Vars& v, const rt::out::PhantomData* values, size_t row) {
    InsetBox b;
    // A group's row of the inset phantom is blank where the group has no such entry (the
    // parameters of a group without a fit, an empty cell): the line is left out.
    if (!v.hasinset()) {
        // Without the variables, the inset phantom's own labels and the row's values.
        if (values && row < values->rows)
            for (size_t k = 0; k < values->cols.size(); ++k) {
                std::string val = trim(values->text(static_cast<int>(k), row));
                if (!val.empty()) b.lines.emplace_back(values->cols[k].label, val);
            }
        return b;
    }
    b.head = v.insettext("_IHead");
    const int n = v.insetint("_INrow");
    for (int i = 1; i <= n; ++i) {
        std::string val = v.insettext("_IValue" + std::to_string(i));
        if (values) {
            const int col = i - 1;
            val = col < static_cast<int>(values->cols.size()) && row < values->rows ? trim(values->text(col, row)) : std::string();
            if (val.empty()) continue;
        }
        b.lines.emplace_back(v.insettext("_ILabel" + std::to_string(i)), val);
    }
    b.framed = v.insetint("_IFrame", 1) != 0;
    if (v.insettext("_AutoAlign") == "none") {
        b.halign = v.insettext("_HAlign");
        b.valign = v.insettext("_VAlign");
    }
    return b;
}

Axis dataaxis(bool log, double lo, double hi, bool zero) {
    if (log) return lo <= hi && lo > 0 ? logaxis(lo, hi) : logaxis(1, 10);
    if (!(lo <= hi)) return linearaxis(0, 1);
    if (zero) lo = std::min(lo, 0.0), hi = std::max(hi, 0.0);
    return linearaxis(lo, hi, 5);
}

Axis lifeaxis(const Vars& v, bool log, double lo, double hi) {
    return endsaxis(log, lo, hi, v.number("_LifeMin", NAN), v.number("_LifeMax", NAN));
}

Axis endsaxis(bool log, double lo, double hi, double gl, double gh, bool nice) {
    auto usable = [&](double g) { return std::isfinite(g) && (!log || g > 0); };
    bool hl = usable(gl), hh = usable(gh);
    if (hl && hh && !(gl < gh)) hl = hh = false;
    const bool data = lo <= hi;
    if (hl && !hh && data && !(gl < hi)) hl = false;
    if (hh && !hl && data && !(gh > lo)) hh = false;
    auto axis = [&](double a, double b) { return nice && !log ? niceaxis(a, b, 4) : dataaxis(log, a, b, false); };
    if (!hl && !hh) return axis(lo, hi);
    double a = hl ? gl : lo, b = hh ? gh : hi;
    if (!data) {   // one end and no data: a decade, or a unit, beside it
        if (!hl) a = log ? b / 10 : b - std::max(1.0, std::fabs(b));
        if (!hh) b = log ? a * 10 : a + std::max(1.0, std::fabs(a));
    }
    Axis ax = axis(a, b);
    const double ua = ax.unit(a), ub = ax.unit(b);
    double step = INFINITY;
    for (size_t k = 1; k < ax.major.size(); ++k) step = std::min(step, ax.major[k] - ax.major[k - 1]);
    if (!std::isfinite(step) || step <= 0) step = ub - ua;
    // A tick closer to a given end than a quarter of a step goes: its label would run into the end's.
    const double gap = 0.25 * step;
    Axis out = ax;
    out.major.clear();
    out.labels.clear();
    out.minor.clear();
    if (hl) out.major.push_back(ua), out.labels.push_back(numlabel(a));
    for (size_t k = 0; k < ax.major.size(); ++k) {
        const double t = ax.major[k];
        if ((hl && t < ua + gap) || (hh && t > ub - gap)) continue;
        out.major.push_back(t);
        out.labels.push_back(ax.labels[k]);
    }
    if (hh) out.major.push_back(ub), out.labels.push_back(numlabel(b));
    for (double t : ax.minor)
        if ((!hl || t > ua) && (!hh || t < ub)) out.minor.push_back(t);
    out.lo = hl ? ua : ax.lo;
    out.hi = hh ? ub : ax.hi;
    // A log axis whose given ends hold no labelled tick between them (STRESSLOWER=20 and
    // STRESSUPPER=40) labels the ticks between them that stand clear of the ends' labels (30),
    // so that a value can be read off between the ends.
    if (log && out.major.size() < 3) {
        std::vector<std::pair<double, std::string>> ticks;
        for (size_t k = 0; k < out.major.size(); ++k) ticks.emplace_back(out.major[k], out.labels[k]);
        const double room = 0.15 * (out.hi - out.lo);
        auto clear = [&](double t) {
            return t > out.lo && t < out.hi &&
                   std::none_of(ticks.begin(), ticks.end(), [&](const auto& m) { return std::fabs(m.first - t) < room; });
        };
        std::vector<double> minor;
        for (double t : ax.major)
            if (clear(t)) ticks.emplace_back(t, numlabel(std::pow(10.0, t)));
        for (double t : out.minor) {
            if (clear(t)) ticks.emplace_back(t, numlabel(std::pow(10.0, t)));
            else minor.push_back(t);
        }
        std::sort(ticks.begin(), ticks.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        out.major.clear();
        out.labels.clear();
        for (auto& [t, l] : ticks) out.major.push_back(t), out.labels.push_back(l);
        out.minor = minor;
    }
    uniformlabels(out);
    steplabels(out);
    return out;
}

namespace {
// The ends of an axis in data units (turned back once, so that a million rows take no
// logarithm each), widened by a millionth of its length: a value on an end is on the axis.
struct Ends {
    double lo, hi;
    explicit Ends(const Axis& a) {
        const double tol = 1e-6 * (a.hi - a.lo), ulo = a.lo - tol, uhi = a.hi + tol;
        lo = a.log ? std::pow(10.0, ulo) : ulo;
        hi = a.log ? std::pow(10.0, uhi) : uhi;
    }
    bool has(double v) const { return v >= lo && v <= hi; }
};
// The least and greatest data values seen, as a range of axis units.
struct Extremes {
    double least = INFINITY, most = -INFINITY;
    void add(double v) { least = std::min(least, v), most = std::max(most, v); }
    void into(const Axis& a, Range* r) const {
        if (least <= most) r->add(a.unit(least)), r->add(a.unit(most));
    }
};
}  // namespace

Range onaxis(const rt::out::PhantomData* d, const Axis& a, std::initializer_list<const char*> cols) {
    Range r;
    if (!d) return r;
    const Ends e(a);
    Extremes x;
    for (const char* name : cols)
        d->eachfinite(d->find(name), 0, d->rows, [&](size_t, double v) {
            if (e.has(v)) x.add(v);
        });
    x.into(a, &r);
    return r;
}

void onaxes(const rt::out::PhantomData* d, const Axis& a, const Axis& b, std::initializer_list<std::pair<const char*, const char*>> pairs,
            Range* ra, Range* rb) {
    if (!d) return;
    const Ends ea(a), eb(b);
    Extremes xa, xb;
    for (auto [ca, cb] : pairs) {
        const int ka = d->find(ca), kb = d->find(cb);
        if (ka < 0 || kb < 0) continue;
        d->eachfinite(ka, 0, d->rows, [&](size_t row, double v) {
            const double w = d->num(kb, row);
            if (ea.has(v) && eb.has(w)) xa.add(v), xb.add(w);
        });
    }
    xa.into(a, ra);
    xb.into(b, rb);
}

void makeroom(Axis& a, const Range& r, double room) {
    if (!r.ok() || !(room > 0) || room >= 0.25 || !(a.hi > a.lo)) return;
    // The ends move out together with the length they are measured in: a few rounds settle it.
    for (int k = 0; k < 4; ++k) {
        const double need = room * (a.hi - a.lo);
        a.lo = std::min(a.lo, r.lo - need);
        a.hi = std::max(a.hi, r.hi + need);
    }
}

}  // namespace rt::sgr
