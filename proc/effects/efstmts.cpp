// EFFECT statements: constructed effects (multi-member sets, collections, splines,
// polynomials) from statement records laid out as efstmts.h names them.
#include "proc/framework/expect.h"
#include "proc/effects/efstmts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/xinit.h"
#include "proc/framework/msgeffects.h"

namespace {

double num(const stmtrec* st, int slot, double def) {
    const optslot* s = stmtslot(st, slot);
    return s ? s->num : def;
}

std::string text(const stmtrec* st, int slot, const char* def) {
    const optslot* s = stmtslot(st, slot);
    if (!s) return def;
    return std::string(static_cast<const char*>(s->ptr ? s->ptr : ""), static_cast<size_t>(std::max(s->count, 0)));
}

std::vector<int32_t> varlist(const stmtrec* st, int slot) {
    const optslot* s = stmtslot(st, slot);
    if (!s || !s->ptr || s->count < 1) return {};
    const auto* p = static_cast<const int32_t*>(s->ptr);
    return std::vector<int32_t>(p, p + s->count);
}

std::vector<double> numlist(const stmtrec* st, int slot) {
    const optslot* s = stmtslot(st, slot);
    if (!s || !s->ptr || s->count < 1) return {};
    const auto* p = static_cast<const double*>(s->ptr);
    return std::vector<double>(p, p + s->count);
}

void raise(levstate* ls, int rc) { ls->lsrc = std::max(ls->lsrc, rc); }

std::string varname(dshandle ds, int32_t var) {
    vardesc d{};
    xvname(ds, var, &d);
    return std::string(d.name, d.namelen);
}

// One character of a separator text: the first of a longer one (174/64), a blank for an
// empty one (174/65).
char onechar(levstate* ls, const std::string& t) {
    if (t.empty()) {
        xpmlog(174, W174_SEPARATOR_EMPTY);
        raise(ls, 4);
        return ' ';
    }
    if (t.size() > 1) {
        xpmlog(174, W174_SEPARATOR_TOO_LONG);
        raise(ls, 4);
    }
    return t[0];
}

// Every term of degree 1..d of n variables: the variables of each term, ascending.
struct polyterms {
    std::vector<std::vector<int32_t>> terms;
    std::vector<int32_t> bounds, start;   // degree bounds (d + 1), start indexes (d x n)
};

polyterms allterms(int n, int d) {
    polyterms pt;
    pt.bounds.assign(static_cast<size_t>(d + 1), 0);
    pt.start.assign(static_cast<size_t>(d) * n, 0);
    for (int j = 0; j < n; ++j) {
        pt.start[static_cast<size_t>(j)] = static_cast<int32_t>(pt.terms.size());
        pt.terms.push_back({j});
    }
    pt.bounds[1] = n;
    for (int k = 1; k < d; ++k) {
        const int from = pt.bounds[static_cast<size_t>(k - 1)], to = pt.bounds[static_cast<size_t>(k)];
        for (int j = 0; j < n; ++j) {
            pt.start[static_cast<size_t>(k) * n + j] = static_cast<int32_t>(pt.terms.size());
            for (int t = pt.start[static_cast<size_t>(k - 1) * n + j]; t < to; ++t) {
                std::vector<int32_t> term = {j};
                term.insert(term.end(), pt.terms[static_cast<size_t>(t)].begin(), pt.terms[static_cast<size_t>(t)].end());
                pt.terms.push_back(term);
            }
        }
        (void)from;
        pt.bounds[static_cast<size_t>(k + 1)] = static_cast<int32_t>(pt.terms.size());
    }
    return pt;
}

int maxrun(const std::vector<int32_t>& term) {
    int best = 0, run = 0;
    for (size_t i = 0; i < term.size(); ++i) {
        run = i > 0 && term[i] == term[i - 1] ? run + 1 : 1;
        best = std::max(best, run);
    }
    return best;
}

}  // namespace

int32_t zlevBinCoef(int32_t n, int32_t k) {
    if (k == 0 || k == n) return 1;
    if (k == 1 || k == n - 1) return n;
    const int32_t kk = std::min(k, n - k);
    double v = static_cast<double>(n) / kk;
    int32_t factor = n;
    for (int32_t j = kk - 1; j >= 1; --j) {
        --factor;
        v /= j;
        if (2147483647.0 / factor < v) return 2147483647;
        v *= factor;
    }
    return static_cast<int32_t>(std::floor(v + 0.5));
}

int32_t zlevPolyNefts(const stmtrec* st) {
    if (stmtflag(st, EFF_COLLECTION)) return 1;
    const int32_t v = static_cast<int32_t>(varlist(st, EFS_VARS).size());
    const int32_t d = static_cast<int32_t>(num(st, EFS_DEGREE, 1));
    const int32_t mp = static_cast<int32_t>(num(st, EFS_MAXPOWER, d));
    if (mp >= d) return zlevBinCoef(v + d, d) - 1;
    int32_t n = 0;
    for (const auto& t : allterms(v, d).terms) n += maxrun(t) <= mp;
    return n;
}

int zlevParsePoly(int32_t nvars, polydesc* p, poolobj* pool, const stmtrec* st) {
    levstate dummy{};
    const int d = std::max(1, static_cast<int>(num(st, EFS_DEGREE, 1)));
    p->nvars = nvars;
    p->degree = d;
    p->maxpower = static_cast<int32_t>(num(st, EFS_MAXPOWER, d));
    const polyterms pt = allterms(nvars, d);
    p->nfull = static_cast<int32_t>(pt.terms.size());
    p->degcount = poolget<int32_t>(pool, d, poolflag::zeroed_marked);
    p->degbounds = poolget<int32_t>(pool, d + 1, poolflag::zeroed_marked);
    p->startidx = poolget<int32_t>(pool, static_cast<int64_t>(d) * std::max(nvars, 1), poolflag::zeroed_marked);
    int64_t nv = 0;
    for (const auto& t : pt.terms) nv += static_cast<int64_t>(t.size());
    p->termvars = poolget<int32_t>(pool, std::max<int64_t>(nv, 1), poolflag::zeroed_marked);
    p->work = poolget<double>(pool, std::max(nvars, 1), poolflag::zeroed_marked);
    if (!p->degcount || !p->degbounds || !p->startidx || !p->termvars || !p->work) return RC_NOMEM;
    for (int k = 0; k <= d; ++k) p->degbounds[k] = pt.bounds[static_cast<size_t>(k)];
    for (int k = 1; k <= d; ++k) p->degcount[k - 1] = zlevBinCoef(nvars + k - 1, k);
    std::copy(pt.start.begin(), pt.start.end(), p->startidx);
    int64_t at = 0;
    for (const auto& t : pt.terms)
        for (int32_t v : t) p->termvars[at++] = v;
    // a largest power below the degree keeps only the terms within it
    if (p->maxpower < d) {
        std::vector<int32_t> keep;
        for (size_t t = 0; t < pt.terms.size(); ++t)
            if (maxrun(pt.terms[t]) <= p->maxpower) keep.push_back(static_cast<int32_t>(t));
        p->keep = poolget<int32_t>(pool, std::max<int64_t>(1, static_cast<int64_t>(keep.size())), poolflag::zeroed_marked);
        p->fullbuf = poolget<double>(pool, std::max(p->nfull, 1), poolflag::zeroed_marked);
        if (!p->keep || !p->fullbuf) return RC_NOMEM;
        std::copy(keep.begin(), keep.end(), p->keep);
        p->nterms = static_cast<int32_t>(keep.size());
    } else {
        p->nterms = p->nfull;
    }
    // standardisation
    const bool ask = stmtflag(st, EFF_STANDARDIZE), forbid = stmtflag(st, EFF_NOSTANDARDIZE);
    levstate* ls = &dummy;
    if (ask && forbid) xpmlog(174, W174_FORBID_AND_ASK);
    if (ask && !forbid) {
        p->stdmode = static_cast<uint8_t>(num(st, EFS_STDMETHOD, 3));
        p->stdsource = static_cast<uint8_t>(num(st, EFS_STDSOURCE, 1));
        if (p->stdmode == 1 || p->stdmode == 3) p->centres = poolget<double>(pool, std::max(nvars, 1), poolflag::zeroed_marked);
        if (p->stdmode == 2 || p->stdmode == 3) p->scales = poolget<double>(pool, std::max(nvars, 1), poolflag::zeroed_marked);
        for (int k = 0; k < nvars; ++k) {
            if (p->centres) p->centres[k] = 0.0;
            if (p->scales) p->scales[k] = 1.0;
        }
    }
    const std::string prefix = text(st, EFS_PREFIX, "s_");
    p->prefix = pooltext(pool, prefix.data(), static_cast<int>(prefix.size()));
    p->prefixlen = static_cast<int32_t>(prefix.size());
    p->power = onechar(ls, text(st, EFS_POWERTEXT, "^"));
    p->sep = stmtflag(st, EFF_NOSEPARATOR) ? 0 : onechar(ls, text(st, EFS_SEPTEXT, "*"));
    p->labelmode = stmtflag(st, EFF_PRODUCTS) ? 1 : 0;
    p->collection = stmtflag(st, EFF_COLLECTION) ? 1 : 0;
    return p->prefix ? 0 : RC_NOMEM;
}

namespace {

// The label of full term t of a polynomial over the effect's continuous members.
std::string termlabel(const levstate* ls, const efrec* r, const polydesc* p, int32_t t) {
    int64_t off = 0;
    int deg = 1;
    for (int k = 1; k <= p->degree; ++k)
        if (t < p->degbounds[k]) {
            deg = k;
            break;
        }
    for (int k = 1; k < deg; ++k) off += static_cast<int64_t>(k) * (p->degbounds[k] - p->degbounds[k - 1]);
    off += static_cast<int64_t>(deg) * (t - p->degbounds[deg - 1]);
    const int32_t* vars = p->termvars + off;
    const std::string pre = p->stdmode ? std::string(p->prefix, static_cast<size_t>(p->prefixlen)) : std::string();
    std::string out;
    for (int i = 0; i < deg;) {
        int m = 1;
        while (i + m < deg && vars[i + m] == vars[i]) ++m;
        const levclass* c = &ls->contv[r->contix[vars[i]]];
        const std::string piece = pre + std::string(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
        if (!out.empty() && p->sep) out += p->sep;
        out += piece;
        if (m > 1) {
            if (p->labelmode == 0) {
                out += p->power;
                out += std::to_string(m);
            } else {
                for (int q = 1; q < m; ++q) {
                    if (p->sep) out += p->sep;
                    out += piece;
                }
            }
        }
        i += m;
    }
    return out;
}

}  // namespace

int32_t zlevPolyTermLen(const levstate* ls, const efrec* r, const polydesc* p, int32_t t) {
    return static_cast<int32_t>(termlabel(ls, r, p, t).size());
}

int zlevPolyLabel(levstate* ls, const efrec* r, const polydesc* p, const char* label, int labellen, char** labels,
                  int32_t* lens, int32_t* longest, poolobj* pool) {
    *longest = 0;
    for (int32_t q = 0; q < p->nterms; ++q) {
        const int32_t t = p->keep ? p->keep[q] : q;
        std::string s = termlabel(ls, r, p, t);
        if (p->collection) s = std::string(label, static_cast<size_t>(labellen)) + "_" + s;
        labels[q] = pooltext(pool, s.data(), static_cast<int>(s.size()));
        if (!labels[q]) return RC_NOMEM;
        lens[q] = static_cast<int32_t>(s.size());
        *longest = std::max(*longest, lens[q]);
    }
    return 0;
}

void zlevQSort(double* v, int32_t n) {
    int32_t g = 1;
    while (g < n) g *= 2;
    for (; g >= 1; g /= 2)
        for (int32_t j = g; j < n; ++j)
            for (int32_t k = j - g; k >= 0 && v[k + g] < v[k]; k -= g) std::swap(v[k], v[k + g]);
}

int zlevRepeatedKnotCheck(splinedesc* s) {
    int run = 0;
    bool any = false;
    double prev = 0.0;
    for (int i = 0; i < s->nlisted; ++i) {
        const double v = s->listed[i];
        run = i > 0 && v == prev ? run + 1 : 0;   // repeats of the value so far
        prev = v;
        if (run > s->degree) {
            any = true;
            s->listed[i] = hostmissing();
        }
    }
    if (!any) return 0;
    int n = 0;
    for (int i = 0; i < s->nlisted; ++i)
        if (!ismissing(s->listed[i])) s->listed[n++] = s->listed[i];
    s->nlisted = n;
    xpmlog(174, W174_KNOT_REPEATS_DROPPED);
    return 1;
}

int32_t zlevSplineCols(const splinedesc* s) {
    const int d = s->degree;
    int n;
    switch (s->knotmethod) {
        case 2: n = 1 << std::max(0, s->pow2a); break;
        case 3:
        case 4:
        case 6: n = s->nlisted; break;
        default: n = s->nknots;
    }
    if (s->basis == 1) {
        if (s->knotmethod == 6) return d == 0 ? n : n - d + 1;
        return n + d + 1;
    }
    return n + (s->powerterms ? d : 0) + (s->powerterms >= 2 ? 1 : 0);
}

int zlevPartialParseSpline(levstate*, splinedesc* s, const stmtrec* st, int32_t) {
    s->degree = static_cast<int32_t>(num(st, EFS_DEGREE, 3));
    s->basis = static_cast<uint8_t>(num(st, EFS_BASIS, 1));
    s->knotmethod = static_cast<uint8_t>(num(st, EFS_KNOTMETHOD, 1));
    s->nknots = static_cast<int32_t>(num(st, EFS_NKNOTS, 3));
    s->powerterms = static_cast<uint8_t>(num(st, EFS_POWERTERMS, 1));
    const std::vector<double> m2 = numlist(st, EFS_METHOD2);
    s->pow2a = m2.size() > 0 ? static_cast<int32_t>(m2[0]) : 0;
    s->pow2b = m2.size() > 1 ? static_cast<int32_t>(m2[1]) : 7;
    s->nlisted = static_cast<int32_t>(numlist(st, EFS_KNOTS).size());
    if (s->basis == 2 && s->knotmethod == 2) s->knotmethod = 1;
    if (s->basis == 2 && s->knotmethod == 6) s->knotmethod = 3;
    return zlevSplineCols(s) < 1 ? 1 : 0;
}

int zlevParseSpline(levstate* ls, splinedesc* s, const stmtrec* st, poolobj* pool) {
    s->degree = static_cast<int32_t>(num(st, EFS_DEGREE, 3));
    s->basis = static_cast<uint8_t>(num(st, EFS_BASIS, 1));
    s->knotmethod = static_cast<uint8_t>(num(st, EFS_KNOTMETHOD, 1));
    s->powerterms = static_cast<uint8_t>(num(st, EFS_POWERTERMS, 1));
    s->separate = stmtflag(st, EFF_SEPARATE) ? 1 : 0;
    s->nobounds = stmtflag(st, EFF_NOBOUNDS) ? 1 : 0;
    s->repbound = stmtflag(st, EFF_REPBOUND) ? 1 : 0;
    s->lower = num(st, EFS_LOWER, hostmissing());
    s->upper = num(st, EFS_UPPER, hostmissing());
    const bool bound = !ismissing(s->lower) || !ismissing(s->upper);
    auto warn = [&](int n) {
        xpmlog(174, n);
        raise(ls, 4);
    };
    if (s->basis == 2) {
        if (s->knotmethod == 2) warn(W174_TPF_KNOTS_EQUAL), s->knotmethod = 1;
        if (bound) warn(W174_TPF_NO_BOUNDS);
        if (s->nobounds) warn(W174_TPF_NO_BOUNDARY_KNOTS);
        if (s->knotmethod == 6) warn(W174_TPF_KNOTS_LIST), s->knotmethod = 3;
    } else {
        if (s->nobounds && bound) warn(W174_BOUNDS_EXCLUDED), s->lower = s->upper = hostmissing();
        if (s->knotmethod == 6 && bound) warn(W174_LIST_KNOTS_NO_BOUNDS), s->lower = s->upper = hostmissing();
    }
    switch (s->knotmethod) {
        case 1:
        case 5:
            s->nknots = static_cast<int32_t>(num(st, EFS_NKNOTS, 3));
            break;
        case 2: {
            const std::vector<double> m2 = numlist(st, EFS_METHOD2);
            s->pow2a = m2.size() > 0 ? static_cast<int32_t>(m2[0]) : 0;
            s->pow2b = m2.size() > 1 ? static_cast<int32_t>(m2[1]) : 7;
            s->pow2 = poolget<int32_t>(pool, 1, poolflag::zeroed_marked);
            if (!s->pow2) return RC_NOMEM;
            s->pow2[0] = s->pow2a;
            break;
        }
        case 3:
        case 4:
        case 6: {
            const std::vector<double> k = numlist(st, EFS_KNOTS);
            s->nlisted = static_cast<int32_t>(k.size());
            s->listed = poolget<double>(pool, std::max<int64_t>(1, static_cast<int64_t>(k.size())), poolflag::zeroed_marked);
            if (!s->listed) return RC_NOMEM;
            std::copy(k.begin(), k.end(), s->listed);
            zlevQSort(s->listed, s->nlisted);
            if (zlevRepeatedKnotCheck(s)) raise(ls, 4);
            if (s->knotmethod == 6 && s->basis == 1 && s->nlisted < 2 * s->degree) {
                xpmlog(174, E174_BSPLINE_TOO_FEW_KNOTS);
                raise(ls, RC_SETUP);
                return 1;
            }
            break;
        }
        default:
            break;
    }
    s->needpct = s->knotmethod == 5;
    return 0;
}

namespace {

// One EFFECT statement as read: its kind, name, CLASS and continuous members, its spline or
// polynomial, and the count of the effects it makes (pieces).
struct parsedeffect {
    int kind = 0;
    std::string name;
    std::vector<int32_t> cls, cont;
    splinedesc* spline = nullptr;
    polydesc* poly = nullptr;
    int pieces = 1;
};

// The EFFECT statements of the step, in order.
std::vector<stmtrec*> effectstatements() {
    std::vector<stmtrec*> stmts;
    modparse* mpb = curparse();
    for (stmtrec* r = mpb ? mpb->head : nullptr; r; r = r->next)
        if (std::strncmp(r->keyword, "EFFECT", 6) == 0 && (r->keyword[6] == ' ' || r->keyword[6] == '\0')) stmts.push_back(r);
    return stmts;
}

// The indexes of continuous variables v among the model's continuous variables, added where
// missing; a variable that cannot be added is named (174/25) and *status set.
std::vector<int32_t> addcont(levstate* ls, dshandle ds, std::vector<int32_t> v, int* status) {
    std::vector<int32_t> index(v.size(), -1), copy = v;
    if (zlevAddContVars(ds, ls, static_cast<int>(copy.size()), copy.data(), index.data()) != 0) {
        for (size_t i = 0; i < copy.size(); ++i)
            if (copy[i] > 0) {
                const std::string nm = varname(ds, copy[i]);
                xpmlog(174, E174_EFFECT_NEEDS_NUMERIC, txtarg(nm.data(), static_cast<int>(nm.size())));
            }
        raise(ls, RC_SETUP);
        *status = 1;
    }
    return index;
}

// A multimember effect: CLASS variables only (each one that is not is named, 174/24), with
// optional continuous weights.
void parsemulti(levstate* ls, dshandle ds, const stmtrec* st, const std::vector<int32_t>& vars, parsedeffect& p,
                int* status) {
    std::vector<int32_t> index(vars.size(), -1), copy = vars;
    if (zlevValidateClassList(ls, static_cast<int>(copy.size()), copy.data(), index.data())) {
        for (int32_t v : copy)
            if (v < 0) {
                const std::string nm = varname(ds, -v);
                xpmlog(174, E174_EFFECT_NEEDS_CLASS, txtarg(nm.data(), static_cast<int>(nm.size())));
            }
        raise(ls, RC_SETUP);
        *status = 1;
        return;
    }
    p.cls = index;
    for (int32_t i : index) ls->classv[i].lvmiss = 1;
    const std::vector<int32_t> w = varlist(st, EFS_WEIGHTS);
    if (!w.empty()) p.cont = addcont(ls, ds, w, status);
}

// A spline or polynomial effect: continuous variables only, then its own options read. 0, or
// an exit code (no memory, or the polynomial's options).
int parsesmooth(levstate* ls, dshandle ds, poolobj* pool, const stmtrec* st, const std::vector<int32_t>& vars,
                parsedeffect& p, int* status) {
    if (zlevIsOnClassList(ls, static_cast<int>(vars.size()), vars.data())) {
        if (p.kind == EF_POLY) xpmlog(174, E174_POLY_CLASS_VARIABLE);
        else xpmlog(174, E174_EFFECT_KIND_SETTINGS, txtarg(p.name.data(), static_cast<int>(p.name.size())));
        raise(ls, RC_SETUP);
        *status = 1;
        return 0;
    }
    p.cont = addcont(ls, ds, vars, status);
    if (p.kind == EF_SPLINE) {
        p.spline = poolget<splinedesc>(pool, 1, poolflag::zeroed_marked);
        if (!p.spline) return RC_NOMEM;
        splinedesc probe{};
        if (zlevPartialParseSpline(ls, &probe, st, static_cast<int32_t>(vars.size()))) {
            xpmlog(174, N174_CONSTRUCTED_EFFECTS);
            xpmlog(174, E174_SPLINE_NO_COLUMNS, txtarg(p.name.data(), static_cast<int>(p.name.size())));
            raise(ls, RC_SETUP);
            *status = 1;
            return 0;
        }
        if (zlevParseSpline(ls, p.spline, st, pool) != 0) {
            *status = 1;
            return 0;
        }
        if (p.spline->separate) p.pieces = std::max(1, zlevSplineCols(p.spline) * static_cast<int>(vars.size()));
    } else {
        p.poly = poolget<polydesc>(pool, 1, poolflag::zeroed_marked);
        if (!p.poly) return RC_NOMEM;
        if (int rc = zlevParsePoly(static_cast<int32_t>(vars.size()), p.poly, pool, st)) return rc;
        p.pieces = p.poly->collection ? 1 : std::max(1, static_cast<int>(p.poly->nterms));
    }
    return 0;
}

// 1. One statement's members and settings, checked; then the count of its effects. A fault is
// logged and sets *status; 0, or an exit code that ends the reading at once.
int parseeffect(levstate* ls, dshandle ds, poolobj* pool, const stmtrec* st, parsedeffect& p, int* status) {
    p.kind = static_cast<int>(num(st, EFS_KIND, 0));
    p.name = text(st, EFS_NAME, "");
    std::vector<int32_t> vars = varlist(st, EFS_VARS);
    if (vars.empty()) {
        xpmlog(174, E174_EFFECT_NO_VARIABLES, txtarg(p.name.data(), static_cast<int>(p.name.size())));
        raise(ls, RC_EFFECTS);
        *status = 1;
        return 0;
    }
    switch (p.kind) {
        case EF_MULTI: parsemulti(ls, ds, st, vars, p, status); return 0;
        case EF_COLLECTION: {
            std::vector<int32_t> others;
            for (int32_t v : vars) {
                int32_t one = v;
                if (zlevMapClassVars(ls, 1, &one) == 1) p.cls.push_back(-one);
                else others.push_back(v);
            }
            if (!others.empty()) p.cont = addcont(ls, ds, others, status);
            return 0;
        }
        case EF_SPLINE:
        case EF_POLY: return parsesmooth(ls, ds, pool, st, vars, p, status);
        default:
            xpmlog(174, E174_EFFECT_KIND_SETTINGS, txtarg(p.name.data(), static_cast<int>(p.name.size())));
            raise(ls, RC_SETUP);
            *status = 1;
            return 0;
    }
}

// The labels of a statement's pieces: the statement's label, with the variable and the piece
// number of a separated spline, or the term of a polynomial; a polynomial collection keeps one
// label per term for its columns. 0, or an exit code.
int piecelabels(levstate* ls, poolobj* pool, const parsedeffect& p, efrec* base, std::vector<std::string>& labels) {
    if (p.spline && p.spline->separate) {
        const int cols = zlevSplineCols(p.spline);
        for (int k = 0; k < p.pieces; ++k) {
            std::string s = p.name;
            if (p.cont.size() > 1) {
                const levclass* c = &ls->contv[p.cont[static_cast<size_t>(k / std::max(cols, 1))]];
                s += '_';
                s.append(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
            }
            s += ':';
            s += std::to_string(k % std::max(cols, 1) + 1);
            labels[static_cast<size_t>(k)] = s;
        }
    } else if (p.poly && !p.poly->collection) {
        std::vector<char*> polylabels(static_cast<size_t>(std::max(p.pieces, 1)));
        std::vector<int32_t> polylens(static_cast<size_t>(std::max(p.pieces, 1)));
        int32_t longest = 0;
        if (int rc = zlevPolyLabel(ls, base, p.poly, p.name.data(), static_cast<int>(p.name.size()), polylabels.data(),
                                   polylens.data(), &longest, pool))
            return rc;
        for (int k = 0; k < p.pieces; ++k) labels[static_cast<size_t>(k)] = std::string(polylabels[static_cast<size_t>(k)]);
    } else if (p.poly) {
        base->collabels = poolget<char*>(pool, std::max(p.poly->nterms, 1), poolflag::zeroed_marked);
        base->lablens = poolget<int32_t>(pool, std::max(p.poly->nterms, 1), poolflag::zeroed_marked);
        if (!base->collabels || !base->lablens) return RC_NOMEM;
        if (int rc = zlevPolyLabel(ls, base, p.poly, p.name.data(), static_cast<int>(p.name.size()), base->collabels,
                                   base->lablens, &base->maxlab, pool))
            return rc;
    }
    return 0;
}

// 2. The records of one statement, piece after piece from record first, with their labels.
// 0, or an exit code.
int makerecords(levstate* ls, poolobj* pool, const stmtrec* st, const parsedeffect& p, int first) {
    VX_EXPECT(first >= 0 && first + p.pieces <= ls->nefstmt, "a statement's records lie inside the block");
    for (int k = 0; k < p.pieces; ++k) {
        efrec* r = &ls->efstmt[first + k];
        r->kind = p.kind;
        r->name = pooltext(pool, p.name.data(), static_cast<int>(p.name.size()));
        r->namelen = static_cast<int32_t>(p.name.size());
        r->ncls = static_cast<int32_t>(p.cls.size());
        r->ncont = static_cast<int32_t>(p.cont.size());
        r->clsix = poolget<int32_t>(pool, std::max(r->ncls, 1), poolflag::zeroed_marked);
        r->contix = poolget<int32_t>(pool, std::max(r->ncont, 1), poolflag::zeroed_marked);
        if (!r->name || !r->clsix || !r->contix) return RC_NOMEM;
        std::copy(p.cls.begin(), p.cls.end(), r->clsix);
        std::copy(p.cont.begin(), p.cont.end(), r->contix);
        r->npieces = p.pieces;
        r->linked = -1;
        r->ispiece = k > 0;
        r->allmissok = stmtflag(st, EFF_ALLMISSING) ? 1 : 0;
        r->divtotal = stmtflag(st, EFF_DIVIDE) ? 1 : 0;
        r->spline = p.spline;
        r->poly = p.poly;
        r->needpct = p.spline && p.spline->needpct;
        r->npolyvars = p.poly ? p.poly->nvars : 0;
        if (p.poly) r->ncols = p.poly->collection ? p.poly->nterms : 1;
    }
    std::vector<std::string> labels(static_cast<size_t>(p.pieces), p.name);
    if (int rc = piecelabels(ls, pool, p, &ls->efstmt[first], labels)) return rc;
    for (int k = 0; k < p.pieces; ++k) {
        efrec* r = &ls->efstmt[first + k];
        const std::string& s = labels[static_cast<size_t>(k)];
        r->label = pooltext(pool, s.data(), static_cast<int>(s.size()));
        r->labellen = static_cast<int32_t>(s.size());
        if (!r->label) return RC_NOMEM;
    }
    return 0;
}

// 3. The moment blocks of the polynomials standardised by moments: the continuous variables
// marked in momentvars (by the MODEL's continuous, then CLASS, source). 0, or RC_NOMEM.
int momentblocks(levstate* ls, poolobj* pool, const std::vector<uint8_t> (&momentvars)[2]) {
    for (int b = 0; b < 2; ++b) {
        std::vector<int32_t> vars;
        for (int j = 0; j < ls->ncontv; ++j)
            if (momentvars[b][static_cast<size_t>(j)]) vars.push_back(j);
        if (vars.empty()) continue;
        auto* mb = poolget<levmoments>(pool, 1, poolflag::zeroed_marked);
        if (!mb) return RC_NOMEM;
        mb->nvars = static_cast<int32_t>(vars.size());
        mb->vars = poolget<int32_t>(pool, mb->nvars, poolflag::zeroed_marked);
        mb->sums = poolget<double>(pool, ls->ncontv, poolflag::zeroed_marked);
        mb->sumsq = poolget<double>(pool, ls->ncontv, poolflag::zeroed_marked);
        if (!mb->vars || !mb->sums || !mb->sumsq) return RC_NOMEM;
        std::copy(vars.begin(), vars.end(), mb->vars);
        (b == 0 ? ls->usedcont : ls->usedcls) = mb;
    }
    return 0;
}

}  // namespace

int zlevProcessEffectStatements(levstate* ls, dshandle ds, int32_t** efstlist) {
    VX_EXPECT(ls && efstlist, "the effects' state and the list to fill");
    *efstlist = nullptr;
    ls->nefstmt = 0;
    ls->efstlist = nullptr;
    const std::vector<stmtrec*> stmts = effectstatements();
    if (stmts.empty()) return 0;
    poolobj* pool = effpool();
    xpmlog(174, N174_CONSTRUCTED_EFFECTS);
    const int ns = static_cast<int>(stmts.size());
    int32_t* list = poolget<int32_t>(pool, 2 * ns, poolflag::zeroed_marked);
    if (!list) return RC_NOMEM;

    std::vector<parsedeffect> ps(static_cast<size_t>(ns));
    int status = 0;
    for (int q = 0; q < ns; ++q)
        if (int rc = parseeffect(ls, ds, pool, stmts[static_cast<size_t>(q)], ps[static_cast<size_t>(q)], &status)) return rc;
    if (status) return 1;

    // each statement's first record and count in list, the records piece after piece
    int total = 0;
    for (int q = 0; q < ns; ++q) {
        list[2 * q] = total;
        list[2 * q + 1] = ps[static_cast<size_t>(q)].pieces;
        total += ps[static_cast<size_t>(q)].pieces;
    }
    ls->efstmt = poolget<efrec>(pool, total, poolflag::zeroed_marked);
    if (!ls->efstmt) return RC_NOMEM;
    ls->nefstmt = total;
    std::vector<uint8_t> momentvars[2];
    momentvars[0].assign(static_cast<size_t>(ls->ncontv), 0);
    momentvars[1].assign(static_cast<size_t>(ls->ncontv), 0);
    for (int q = 0; q < ns; ++q) {
        const parsedeffect& p = ps[static_cast<size_t>(q)];
        if (int rc = makerecords(ls, pool, stmts[static_cast<size_t>(q)], p, list[2 * q])) return rc;
        if (p.poly && p.poly->stdmode && (p.poly->stdsource == 1 || p.poly->stdsource == 2))
            for (int32_t j : p.cont) momentvars[p.poly->stdsource - 1][static_cast<size_t>(j)] = 1;
    }
    if (int rc = momentblocks(ls, pool, momentvars)) return rc;
    ls->efstlist = list;
    *efstlist = list;
    return 0;
}
