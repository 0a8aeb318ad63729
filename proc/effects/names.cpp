// Level combinations that order the parameters, and the parameters' names and labels.
#include "proc/effects/names.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/varnames.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/framework/trees.h"

namespace {

bool selected(int n, const int32_t* list, int k) {
    if (n == 0) return true;
    for (int i = 0; i < n; ++i)
        if (list[i] == k) return true;
    return false;
}

bool textcoding(int cd) { return cd == CODE_EFFECT || cd == CODE_REF || cd == CODE_ORDINAL || cd == CODE_SPLIT; }

// The coded-name prefix of a matrix or polynomial coding, null for the codings that name a
// level by its text.
const char* codedprefix(int cd) {
    switch (cd) {
        case CODE_OEFF: return "OEFF";
        case CODE_OREF: return "OREF";
        case CODE_POLY: return "POLY";
        case CODE_OPOLY: return "OPOLY";
        case CODE_OORD: return "OORD";
        case CODE_OBATH: return "OBATH";
        default: return nullptr;
    }
}

void setfield(char* f, int len, const char* s, int n) {
    n = std::max(0, std::min(n, len));
    std::memcpy(f, s, static_cast<size_t>(n));
    std::memset(f + n, ' ', static_cast<size_t>(len - n));
}

int nomem(int64_t n) {
    xmemmsg(n);
    return RC_NOMEM;
}

}  // namespace

int zlevLevelsNonSing(levstate* ls, poolobj* pool, int n, const int32_t* list) {
    for (int k = 0; k < ls->neffect; ++k) {
        if (!selected(n, list, k)) continue;
        leveffect* e = &ls->effects[k];
        if (e->nclsall == 0) continue;
        // The first crossed variable of the first effect keeps all its levels without an
        // intercept, as the design columns do.
        auto width = [&](int j) {
            const levclass* c = &ls->classv[e->clsall[j]];
            if (j >= e->ncls) return c->nlev;
            return (j == 0 && k == 0 && (ls->lsflags & LS_NOINT)) ? c->nlev : c->nlev - 1;
        };
        int64_t P = 1, Q = 1;
        for (int j = 0; j < e->ncls; ++j) P *= std::max(width(j), 0);
        for (int j = e->ncls; j < e->nclsall; ++j) Q *= std::max(width(j), 0);
        const int64_t count = P * Q;
        e->nscombs = count > 0 ? poolget<int32_t>(pool, count * e->nclsall, poolflag::zeroed_marked) : nullptr;
        if (count > 0 && !e->nscombs) return nomem(4 * count * e->nclsall);
        std::vector<int32_t> nest(static_cast<size_t>(e->nnest)), crossed(static_cast<size_t>(e->ncls));
        int64_t at = 0;
        for (int64_t q = 0; q < Q; ++q) {
            int64_t rest = q;
            for (int j = e->nnest - 1; j >= 0; --j) {
                const int wd = width(e->ncls + j);
                nest[static_cast<size_t>(j)] = static_cast<int32_t>(rest % wd);
                rest /= wd;
            }
            for (int64_t p = 0; p < P; ++p) {
                rest = p;
                for (int j = e->ncls - 1; j >= 0; --j) {
                    const int wd = width(j);
                    int32_t d = static_cast<int32_t>(rest % wd);
                    rest /= wd;
                    const levclass* c = &ls->classv[e->clsix[j]];
                    const bool full = j == 0 && k == 0 && (ls->lsflags & LS_NOINT);
                    if (!full && (c->coding == CODE_EFFECT || c->coding == CODE_REF || c->coding == CODE_ORDINAL) &&
                        d >= c->reflev)
                        ++d;
                    crossed[static_cast<size_t>(j)] = d;
                }
                int32_t* row = e->nscombs + at * e->nclsall;
                for (int j = 0; j < e->ncls; ++j) row[j] = crossed[static_cast<size_t>(j)];
                for (int j = 0; j < e->nnest; ++j) row[e->ncls + j] = nest[static_cast<size_t>(j)];
                ++at;
            }
        }
    }
    return 0;
}

int zlevLevelsAll(levctl* ctl, int n, const int32_t* list) {
    levstate* ls = ctl->lstate;
    poolobj* pool = ctl->ldata->ldpool;
    if (ls->lsflags & LS_CODED)
        if (int rc = zlevLevelsNonSing(ls, pool, n, list)) return rc;
    for (int k = 0; k < ls->neffect; ++k) {
        if (!selected(n, list, k)) continue;
        leveffect* e = &ls->effects[k];
        int32_t* base = (ls->lsflags & LS_CODED) ? e->nscombs : e->combs;
        if (ls->nefstmt == 0 || e->nefref == 0) {
            e->usecombs = base;
            e->combw = e->nclsall;
            continue;
        }
        const int m = e->nefref;
        e->combw = e->nclsall + m;
        std::vector<int64_t> t(static_cast<size_t>(m));
        t[static_cast<size_t>(m - 1)] = std::max(e->ncomb, 1);
        for (int j = m - 1; j > 0; --j) t[static_cast<size_t>(j - 1)] = t[static_cast<size_t>(j)] * ls->efstmt[e->efref[j]].ncols;
        e->usecombs = e->ncol > 0 ? poolget<int32_t>(pool, static_cast<int64_t>(e->ncol) * e->combw, poolflag::zeroed_marked) : nullptr;
        if (e->ncol > 0 && !e->usecombs) return nomem(4LL * e->ncol * e->combw);
        for (int c = 0; c < e->ncol; ++c) {
            int32_t* row = e->usecombs + static_cast<size_t>(c) * e->combw;
            for (int j = 0; j < m; ++j) {
                const int32_t lv = std::max(ls->efstmt[e->efref[j]].ncols, 1);
                row[j] = static_cast<int32_t>((c / t[static_cast<size_t>(j)]) % lv);
            }
            const int32_t cc = c % std::max(e->ncomb, 1);
            if (base && e->nclsall > 0) std::memcpy(row + m, base + static_cast<size_t>(cc) * e->nclsall, 4 * static_cast<size_t>(e->nclsall));
        }
    }
    return 0;
}

int ParmName(levctl* ctl) {
    levstate* ls = ctl->lstate;
    poolobj* ldpool = ctl->ldata->ldpool;
    poolobj* tmp = xmpoolc(0, 1024, 0);
    if (!tmp) return nomem(1024);
    const int ne = ls->nefstmt, nc = ls->nclassv;
    zmnclass* cls = ne + nc > 0 ? zmnalcl(ne + nc, tmp) : nullptr;
    if (ne + nc > 0 && !cls) {
        xmpoold(tmp);
        return nomem(static_cast<int64_t>(sizeof(zmnclass)) * (ne + nc));
    }
    std::vector<std::vector<zmnlevel*>> levrecs(static_cast<size_t>(ne + nc));
    auto newlevel = [&](zmnclass* owner) -> zmnlevel* {
        auto* l = poolget<zmnlevel>(tmp, 1, poolflag::zeroed_record);
        if (!l) return nullptr;
        std::memset(l->cls, ' ', 32);
        std::memset(l->label, ' ', 256);
        std::memset(l->cname, ' ', 32);
        std::memset(l->clabel, ' ', 256);
        std::memset(l->nested, ' ', 32);
        l->owner = owner;
        return l;
    };
    // constructed effects first, then CLASS variables
    for (int e = 0; e < ne; ++e) {
        const efrec* r = &ls->efstmt[e];
        zmnclass* z = &cls[e];
        setfield(z->name, 32, r->label, r->labellen);
        setfield(z->label, 256, r->label, r->labellen);
        z->nfl = 0;
        zmnlevel** link = &z->levels;
        for (int k = 0; k < r->ncols; ++k) {
            zmnlevel* l = newlevel(z);
            if (!l) {
                xmpoold(tmp);
                return nomem(sizeof(zmnlevel));
            }
            const char* t = r->collabels && r->collabels[k] ? r->collabels[k] : r->label;
            const int tl = r->collabels && r->collabels[k] ? (r->lablens ? r->lablens[k] : static_cast<int>(std::strlen(t)))
                                                           : r->labellen;
            wzstmov(t, tl, l->cls, 32);
            wzstmov(t, tl, l->label, 256);
            std::memcpy(l->cname, l->cls, 32);
            std::memcpy(l->clabel, l->label, 256);
            *link = l;
            link = &l->next;
            levrecs[static_cast<size_t>(e)].push_back(l);
        }
    }
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        zmnclass* z = &cls[ne + i];
        if (c->nlev <= 0) continue;
        setfield(z->name, 32, levvarname(c), levvarnamelen(c));
        if (c->varinfo && c->varinfo->d.labellen > 0) setfield(z->label, 256, c->varinfo->d.label, c->varinfo->d.labellen);
        else setfield(z->label, 256, levvarname(c), levvarnamelen(c));
        z->nfl = c->varinfo ? c->varinfo->fmtnamelen[0] : 0;
        z->cprefix = c->cprefix;
        z->lprefix = c->lprefix;
        zmnlevel** link = &z->levels;
        for (int k = 0; k < c->nlev; ++k) {
            zmnlevel* l = newlevel(z);
            if (!l) {
                xmpoold(tmp);
                return nomem(sizeof(zmnlevel));
            }
            setfield(l->cls, 32, c->levels[k], c->fmtlen);
            setfield(l->label, 256, c->levels[k], c->fmtlen);
            if (textcoding(c->coding)) {
                std::memcpy(l->cname, l->cls, 32);
                std::memcpy(l->clabel, l->label, 256);
            } else if (const char* pre = codedprefix(c->coding)) {
                char buf[48];
                int n = std::snprintf(buf, sizeof buf, "%s%d", pre, k + 1);
                setfield(l->cname, 32, buf, n);
                n = std::snprintf(buf, sizeof buf, "%s %d", pre, k + 1);
                setfield(l->clabel, 256, buf, n);
            }
            *link = l;
            link = &l->next;
            levrecs[static_cast<size_t>(ne + i)].push_back(l);
        }
    }
    // continuous naming records
    const int nk = ls->ncontv;
    auto* conts = nk > 0 ? static_cast<zmncont*>(poolbytes(tmp, static_cast<int64_t>(sizeof(zmncont)) * nk, poolflag::zeroed_record)) : nullptr;
    if (nk > 0 && !conts) {
        xmpoold(tmp);
        return nomem(static_cast<int64_t>(sizeof(zmncont)) * nk);
    }
    for (int j = 0; j < nk; ++j) {
        const levclass* c = &ls->contv[j];
        setfield(conts[j].name, 32, levvarname(c), levvarnamelen(c));
        if (c->varinfo && c->varinfo->d.labellen > 0) setfield(conts[j].label, 256, c->varinfo->d.label, c->varinfo->d.labellen);
        else setfield(conts[j].label, 256, "", 0);
    }
    // parameter naming records
    const int np = ls->ncols;
    auto* parms = np > 0 ? static_cast<zmnparm*>(poolbytes(tmp, static_cast<int64_t>(sizeof(zmnparm)) * np, poolflag::zeroed_record)) : nullptr;
    if (np > 0 && !parms) {
        xmpoold(tmp);
        return nomem(static_cast<int64_t>(sizeof(zmnparm)) * np);
    }
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect* e = &ls->effects[k];
        for (int c = 0; c < e->ncol; ++c) {
            zmnparm* p = &parms[e->firstcol + c];
            std::memset(p->name, ' ', 32);
            std::memset(p->label, ' ', 256);
            if (ls->labseplen) {
                p->sep = ls->labsep;
                p->seplen = ls->labseplen;
            }
            const int nl = e->nefref + e->nclsall;
            p->levels = nl > 0 ? static_cast<zmnlevel**>(poolbytes(tmp, 8LL * nl, poolflag::zeroed_record)) : nullptr;
            p->conts = e->ncont > 0 ? static_cast<zmncont**>(poolbytes(tmp, 8LL * e->ncont, poolflag::zeroed_record)) : nullptr;
            if ((nl > 0 && !p->levels) || (e->ncont > 0 && !p->conts)) {
                xmpoold(tmp);
                return nomem(8LL * (nl + e->ncont));
            }
            const int32_t* comb = e->usecombs ? e->usecombs + static_cast<size_t>(c) * e->combw : nullptr;
            int at = 0;
            const int refoff = e->combw > e->nclsall ? e->nefref : 0;
            for (int j = 0; j < e->nefref; ++j) {
                const auto& lv = levrecs[static_cast<size_t>(e->efref[j])];
                const int32_t piece = comb && refoff ? comb[j] : 0;
                p->levels[at++] = piece >= 0 && piece < static_cast<int32_t>(lv.size()) ? lv[static_cast<size_t>(piece)] : nullptr;
            }
            for (int j = 0; j < e->nclsall; ++j) {
                const auto& lv = levrecs[static_cast<size_t>(ne + e->clsall[j])];
                const int32_t lev = comb ? comb[refoff + j] : -1;
                p->levels[at++] = lev >= 0 && lev < static_cast<int32_t>(lv.size()) ? lv[static_cast<size_t>(lev)] : nullptr;
            }
            p->nlevels = at;
            p->ncrossed = e->nefref + e->ncls;
            p->nconts = e->ncont;
            for (int j = 0; j < e->ncont; ++j) p->conts[j] = &conts[e->contix[j]];
        }
    }
    if (ne + nc > 0) zmnprcl(cls, ne + nc);
    if (np > 0) zmname(parms, np);
    ls->pnames = np > 0 ? poolget<char*>(ldpool, np, poolflag::zeroed_marked) : nullptr;
    ls->plabels = np > 0 ? poolget<char*>(ldpool, np, poolflag::zeroed_marked) : nullptr;
    if (np > 0 && (!ls->pnames || !ls->plabels)) {
        xmpoold(tmp);
        return nomem(16LL * np);
    }
    const bool intercept = !(ls->lsflags & LS_NOINT) && ls->neffect > 0;
    for (int q = 0; q < np; ++q) {
        if (q == 0 && intercept) {
            ls->pnames[q] = pooltext(ldpool, "Intercept", 9);
            ls->plabels[q] = pooltext(ldpool, "Intercept", 9);
        } else {
            ls->pnames[q] = pooltext(ldpool, parms[q].name, striplen(parms[q].name, 32));
            ls->plabels[q] = pooltext(ldpool, parms[q].label, striplen(parms[q].label, 256));
            if (ls->pnames[q] && ls->pnames[q][0]) zname(0, ls->pnames[q], static_cast<int>(std::strlen(ls->pnames[q])));
        }
        if (!ls->pnames[q] || !ls->plabels[q]) {
            xmpoold(tmp);
            return nomem(300);
        }
    }
    xmpoold(tmp);
    return 0;
}

int zlevEfLevelLabel(const levstate* ls, const leveffect* e, char* buffer, const int32_t* combination) {
    std::string s;
    const int refoff = e->combw > e->nclsall ? e->nefref : 0;
    for (int j = 0; j < e->nefref; ++j) {
        const efrec* r = &ls->efstmt[e->efref[j]];
        const int32_t piece = refoff ? combination[j] : 0;
        if (r->collabels && piece >= 0 && piece < r->ncols && r->collabels[piece]) {
            s += ' ';
            s += r->collabels[piece];
        }
    }
    bool first = true;
    for (int j = 0; j < e->nclsall; ++j) {
        const levclass* c = &ls->classv[e->clsall[j]];
        if (c->nolabel) continue;
        s += first ? ' ' : ls->levsep;
        first = false;
        const int32_t lev = combination[refoff + j];
        if (const char* pre = codedprefix(c->coding)) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%s%d", pre, lev + 1);
            s += buf;
        } else if (lev >= 0 && lev < c->nlev) {
            s.append(c->levels[lev], static_cast<size_t>(striplen(c->levels[lev], c->fmtlen)));
        }
    }
    std::memcpy(buffer, s.data(), s.size());
    return static_cast<int>(s.size());
}

int zlevEfParmLabel(levstate* ls, poolobj* pool, int32_t effect, int align) {
    leveffect* e = &ls->effects[effect];
    const int nl = static_cast<int>(std::strlen(e->effname ? e->effname : ""));
    int width = nl;
    for (int j = 0; j < e->nefref; ++j) width += ls->efstmt[e->efref[j]].maxlab + 1;
    for (int j = 0; j < e->nclsall; ++j) {
        const levclass* c = &ls->classv[e->clsall[j]];
        if (c->nolabel) continue;
        int lw;
        const int digits = static_cast<int>(std::floor(std::log10(c->nlev + 0.5)));
        if (c->coding == CODE_OEFF || c->coding == CODE_OREF || c->coding == CODE_POLY || c->coding == CODE_OORD) lw = digits + 5;
        else if (c->coding == CODE_OPOLY || c->coding == CODE_OBATH) lw = digits + 6;
        else {
            lw = 0;
            for (int k = 0; k < c->nlev; ++k) lw = std::max(lw, striplen(c->levels[k], c->fmtlen));
        }
        width += lw + 1;
    }
    const int start = ls->labelmode == 1 ? std::max(align, nl) : nl;
    width = std::max(width, start + 1);
    for (int c = 0; c < e->ncol; ++c) {
        std::vector<char> buf(static_cast<size_t>(width + 512), ' ');
        std::memcpy(buf.data(), e->effname ? e->effname : "", static_cast<size_t>(nl));
        const int32_t* comb = e->usecombs ? e->usecombs + static_cast<size_t>(c) * e->combw : nullptr;
        int len = start;
        if (comb) len = start + zlevEfLevelLabel(ls, e, buf.data() + start, comb);
        len = std::max(len, width);
        char* lab = pooltext(pool, buf.data(), len);
        if (!lab) return nomem(len + 1);
        ls->plabels[e->firstcol + c] = lab;
        // short names: numbered, or the label's first 32 characters
        char nm[40];
        int n;
        if (ls->numnames) {
            if (ls->numpfxlen == 0) n = std::snprintf(nm, sizeof nm, "_X%d", c + 1);
            else n = std::snprintf(nm, sizeof nm, "%.*s%d", ls->numpfxlen - 1, ls->numpfx, c + 1);
        } else {
            n = std::min(32, striplen(lab, len));
            std::memcpy(nm, lab, static_cast<size_t>(n));
            zname(0, nm, n);
        }
        ls->pnames[e->firstcol + c] = pooltext(pool, nm, std::min(n, 32));
        if (!ls->pnames[e->firstcol + c]) return nomem(33);
    }
    return 0;
}

int zlevParmName(levctl* ctl, int n, const int32_t* list) {
    levstate* ls = ctl->lstate;
    if (ls->labelmode == 0) return ParmName(ctl);
    poolobj* pool = ctl->ldata->ldpool;
    if (!ls->pnames) {
        ls->pnames = ls->ncols > 0 ? poolget<char*>(pool, ls->ncols, poolflag::zeroed_marked) : nullptr;
        ls->plabels = ls->ncols > 0 ? poolget<char*>(pool, ls->ncols, poolflag::zeroed_marked) : nullptr;
        if (ls->ncols > 0 && (!ls->pnames || !ls->plabels)) return nomem(16LL * ls->ncols);
    }
    int align = 0;
    for (int k = 0; k < ls->neffect; ++k)
        if (selected(n, list, k)) align = std::max(align, static_cast<int>(std::strlen(ls->effects[k].effname ? ls->effects[k].effname : "")));
    for (int k = 0; k < ls->neffect; ++k)
        if (selected(n, list, k))
            if (int rc = zlevEfParmLabel(ls, pool, k, align)) return rc;
    return 0;
}

namespace {
struct dupnode {
    trenode head;
    int32_t counter;
    char name[40];
};
constexpr int DUPOFF = static_cast<int>(offsetof(dupnode, name));
}  // namespace

int UniqDups(levctl* ctl) {
    levstate* ls = ctl->lstate;
    const int np = ls->ncols;
    if (np < 1 || !ls->pnames) return 0;
    poolobj* tmp = xmpoolc(0, 1024, 0);
    if (!tmp) return nomem(1024);
    int L = 0;
    for (int q = 0; q < np; ++q) L = std::max(L, static_cast<int>(std::strlen(ls->pnames[q])));
    const int W = std::min(static_cast<int>(std::floor(std::log10(np + 1.0))) + L + 1, 32);
    void* root[2] = {nullptr, nullptr};
    for (int q = 0; q < np; ++q) {
        auto* nd = poolget<dupnode>(tmp, 1, poolflag::zeroed_record);
        if (!nd) {
            xmpoold(tmp);
            return nomem(sizeof(dupnode));
        }
        const std::string orig = ls->pnames[q];
        std::string cur = orig.substr(0, 32);
        std::snprintf(nd->name, sizeof nd->name, "%s", cur.c_str());
        if (q > 0) {
            for (;;) {
                auto* hit = static_cast<dupnode*>(ztrefdf(root, nd, 0, DUPOFF, clcmp));
                if (!hit) break;
                ++hit->counter;
                const std::string digits = std::to_string(hit->counter);
                std::string base = orig.substr(0, 32);
                if (static_cast<int>(base.size() + digits.size()) <= W) {
                    cur = base + digits;
                } else {
                    base.resize(static_cast<size_t>(std::max(0, W - static_cast<int>(digits.size()))), ' ');
                    cur = base + digits;
                }
                std::snprintf(nd->name, sizeof nd->name, "%s", cur.c_str());
            }
        }
        nd->counter = 1;
        ztrebdf(root, nd, 0, DUPOFF, clcmp);
        if (cur != orig) {
            char* p = pooltext(ctl->ldata->ldpool, cur.data(), static_cast<int>(cur.size()));
            if (!p) {
                xmpoold(tmp);
                return nomem(static_cast<int64_t>(cur.size()) + 1);
            }
            ls->pnames[q] = p;
            ls->lsflags2 |= LS2_RENAMED;
        }
    }
    xmpoold(tmp);
    return 0;
}

int zlevEftVarParmLevName(levstate* ls, poolobj* pool, int32_t k) {
    efrec* r = &ls->efstmt[k];
    std::vector<std::string> labels;
    if (r->kind == EF_COLLECTION) {
        for (int j = 0; j < r->ncont; ++j) {
            const levclass* c = &ls->contv[r->contix[j]];
            labels.emplace_back(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
        }
        for (int j = 0; j < r->ncls; ++j) {
            const levclass* c = &ls->classv[r->clsix[j]];
            const int nl = (ls->lsflags & LS_CODED) ? c->nlev - 1 : c->nlev;
            for (int l = 0; l < nl; ++l) {
                std::string s(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
                s += ':';
                if (const char* pre = codedprefix(c->coding)) s += pre + std::to_string(l + 1);
                else s.append(c->levels[l], static_cast<size_t>(striplen(c->levels[l], c->fmtlen)));
                labels.push_back(s);
            }
        }
    } else if (r->kind == EF_SPLINE && r->spline) {
        const int nv = r->ncont;
        for (int j = 0; j < nv; ++j) {
            const levclass* c = &ls->contv[r->contix[j]];
            for (int col = 1; col <= r->spline->colspervar; ++col) {
                std::string s = nv > 1 ? std::string(levvarname(c), static_cast<size_t>(levvarnamelen(c))) + ":" : std::string();
                labels.push_back(s + std::to_string(col));
            }
        }
    } else if (r->kind == EF_POLY && r->poly && r->poly->collection) {
        if (r->collabels) return 0;   // the term labels the statement's parse made
        labels.emplace_back();
    } else {
        return 0;
    }
    const int n = static_cast<int>(labels.size());
    r->collabels = n > 0 ? poolget<char*>(pool, n, poolflag::zeroed_marked) : nullptr;
    r->lablens = n > 0 ? poolget<int32_t>(pool, n, poolflag::zeroed_marked) : nullptr;
    if (n > 0 && (!r->collabels || !r->lablens)) return nomem(12LL * n);
    r->maxlab = 0;
    for (int i = 0; i < n; ++i) {
        r->collabels[i] = pooltext(pool, labels[static_cast<size_t>(i)].data(), static_cast<int>(labels[static_cast<size_t>(i)].size()));
        if (!r->collabels[i]) return nomem(static_cast<int64_t>(labels[static_cast<size_t>(i)].size()) + 1);
        r->lablens[i] = static_cast<int32_t>(labels[static_cast<size_t>(i)].size());
        r->maxlab = std::max(r->maxlab, r->lablens[i]);
    }
    return 0;
}

int zlevEftVarLevNames(levctl* ctl, int n, const int32_t* list) {
    levstate* ls = ctl->lstate;
    if (ls->nefstmt == 0) return 0;
    for (int k = 0; k < ls->nefstmt; ++k)
        if (selected(n, list, k))
            if (int rc = zlevEftVarParmLevName(ls, ctl->ldata->ldpool, k)) return rc;
    return 0;
}

int zlevnames(levctl* ctl) {
    levstate* ls = ctl->lstate;
    if (int rc = zlevEftVarLevNames(ctl, 0, nullptr)) return rc;
    if (int rc = zlevLevelsAll(ctl, 0, nullptr)) return rc;
    if (int rc = zlevParmName(ctl, 0, nullptr)) return rc;
    if ((ls->nclassv || ls->nefstmt) && !ls->numnames)
        if (int rc = UniqDups(ctl)) return rc;
    return 0;
}
