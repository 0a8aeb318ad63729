// BY-group input of ANALYZE, PROBPLOT and RELATIONPLOT: every observation of the BY group
// is either used (one row in its class group) or counted as skipped; groups keep their rows
// in a buffer of rows per buffer rows and spill full buffers to their utility file.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "proc/framework/bynotes.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/keychars.h"
#include "proc/framework/pooledkeys.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/readtimes.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;   // 2^-53
constexpr int kKeyPos = static_cast<int>(offsetof(grpnode, key));

enum : int { ORDER_FREQ = 2, ORDER_DATA = 3 };

// What one observation contributes, once its values are known.
struct obsval {
    double w;          // weight (1 without FREQ)
    double a, b;       // time or lower end (a), upper end, censor value or second response (b)
    int code;          // censoring code
    int fmidx;         // failure-mode index (COMBINE)
    double nenter;
    int fmmatch;       // the listed failure-mode value the mode matches, or -1
};

// The settings of the pass, taken once from the state block.
struct pass {
    vyxstate* s;
    obscols cols;
    uint32_t form;
    double threshold;
    bool logtest;
    bool ln, log10;
    bool countcase;
    bool poisson;
    bool fmode;
    bool readtimes;          // keep the times read for the tables (readtimes.h)
    int32_t fmnvals;
    const char** fmvals;    // the listed failure-mode values
    const int32_t* fmlens;
    keyslot* fmkeys;         // per listed value, the whole modes it matched
    wholecell fmwhole;       // where the whole mode value is
    wholecell clswhole[2];   // where the whole class values are (CV_* places)
    char* cutkey[3];         // the keys that may run past 16 bytes (keychars.h), and their whole values
    const wholecell* cutwhole[3];
    int ncut;
    double used, read, skipped;
    double wused, wread;
    double sumx, sumn;       // count case: sum of w x first and second response
    int64_t used_n, read_n, skipped_n;
    skiptally skips;         // why observations were skipped (a note per reason)
    uint8_t* censeen;        // per censoring value: an observation used has it
    censtaken censother;     // the values of the censoring variable that are not listed
};

// What the reader makes of an observation's response.
enum class fate { use, skip, nonpositive, reversed };

// Counts the current observation as skipped for reason why.
void skip(pass& p, int why) {
    ++p.skipped_n;
    skipcount(p.s, p.skips, why);
}

bool classmissing(const vyxstate* s, int k) {
    const obsvalues& v = s->inwork.obsvals;
    if (s->groups.clsnumeric[k]) return ismissing(v.clsnum[k]);
    return vzatl(' ', v.clsraw[k], 16) != 0;
}

// Fills a spare node from the current class value k; the rest of a spare node is zero.
void setkey(vyxstate* s, grpnode* g, int k) {
    const obsvalues& v = s->inwork.obsvals;
    std::memcpy(g->key, v.clsfmt[k], 16);
    if (s->groups.clsnumeric[k])
        g->numkey = v.clsnum[k];
    else
        std::memcpy(g->rawkey, v.clsraw[k], 16);
}

// Memory ran out (xmemmsg logged) while a level's whole values were kept.
grpnode* nomemory(int* rc) {
    *rc = 1;
    return nullptr;
}

// Finds or inserts the node of class value k in the tree whose head, spare and current
// nodes are slots; counts a new node in *nsub. Returns the node, or null after a
// logged failure (*rc set).
grpnode* findlevel(pass& p, grptree* slots, int32_t* nsub, int k, double w, int treemsg, int* rc) {
    vyxstate* s = p.s;
    // Observations of one level often follow one another: the current node answers at once.
    grpnode* cur = slots->current;
    if (cur && std::memcmp(cur->key, s->inwork.obsvals.clsfmt[k], 16) == 0) {
        if (s->groups.clsorder[CO_CODE + k] == ORDER_FREQ) cur->ordkey -= w;
        if (!keynote(s->pools.stmtpool, cur->whole, p.clswhole[k])) return nomemory(rc);
        return cur;
    }
    if (!slots->spare && !(slots->spare = newgroup(s))) {
        *rc = 1;
        return nullptr;
    }
    grpnode* spare = slots->spare;
    setkey(s, spare, k);
    auto* g = static_cast<grpnode*>(ztrebld(&slots->head, spare, 16, kKeyPos));
    if (!g) {
        xpmlog(510, treemsg);
        *rc = 1;
        return nullptr;
    }
    if (g == spare) {
        slots->spare = nullptr;
        ++*nsub;
        if (s->groups.clsorder[CO_CODE + k] == ORDER_FREQ) g->ordkey = -w;
        if (s->groups.clsorder[CO_CODE + k] == ORDER_DATA) g->ordkey = static_cast<double>(p.used_n);
        if (!keyfirst(s->pools.stmtpool, g->whole, p.clswhole[k])) return nomemory(rc);
    } else {
        if (s->groups.clsorder[CO_CODE + k] == ORDER_FREQ) g->ordkey -= w;
        if (!keynote(s->pools.stmtpool, g->whole, p.clswhole[k])) return nomemory(rc);
    }
    slots->current = g;
    return g;
}

double onscale(const pass& p, double t) {
    if (ismissing(t)) return t;
    if (p.ln) return std::log(t);
    if (p.log10) return std::log10(t);
    return t;
}

// Whether the censor value b of a form-1 row is one of the censor list.
bool censoredunit(const pass& p, double b) {
    const vyxstate* s = p.s;
    if (p.form != FORM_CENSOR || s->life.fmresp || ismissing(b)) return false;
    for (int i = 0; i < s->input.ncensvals; ++i)
        if (b == s->input.censvals[i]) return true;
    return false;
}

// The censoring code of form 1 from the censor value and the failure mode.
int censorcode(pass& p, obsval& o) {
    const vyxstate* s = p.s;
    for (int i = 0; i < s->input.ncensvals; ++i)
        if (o.b == s->input.censvals[i]) {
            if (p.censeen) p.censeen[i] = 1;
            return CENS_RIGHT;
        }
    if (p.censeen) censtakenadd(p.censother, o.b);
    if (!p.fmode) return CENS_EXACT;
    char* mode = const_cast<char*>(s->inwork.obsvals.fmodefmt);
    int len = 0, start = 0;
    wzstjls(mode, 16, 'l', &len, &start);
    int match = -1;
    for (int i = 0; i < p.fmnvals && match < 0; ++i)
        if (wzstcom(mode, len, p.fmvals[i], p.fmlens[i]) == 0) match = i;
    o.fmmatch = match;
    switch (s->groups.fmodeset.mode) {
        case 0: return match >= 0 ? CENS_EXACT : CENS_OTHERMODE;           // KEEP
        case 1: return match >= 0 ? CENS_OTHERMODE : CENS_EXACT;           // ELIMINATE
        default: o.fmidx = match >= 0 ? match : p.fmnvals; return CENS_EXACT;   // COMBINE
    }
}

// Decides whether the current observation is usable and what it holds. On a log scale a
// lower end of exactly 0 with an upper end above it means "failed before the upper end": the
// row is left-censored (its lower end missing), as the MODEL reads it; a time or an end below
// 0 has no logarithm and skips the row.
fate classify(pass& p, obsval& o) {
    const vyxstate* s = p.s;
    const obsvalues& v = s->inwork.obsvals;
    o.a = v.rsp[RSP_FIRST];
    o.b = v.rsp[RSP_SECOND];
    o.fmidx = 0;
    o.fmmatch = -1;
    if (p.form != FORM_COUNTS) {
        if (!ismissing(o.a)) o.a -= p.threshold;
        if (p.form == FORM_INTERVAL && !ismissing(o.b)) o.b -= p.threshold;
    }
    switch (p.form) {
        case FORM_TIME:
        case FORM_READOUT:
            if (ismissing(o.a)) return fate::skip;
            if (p.logtest && o.a <= 0) return fate::nonpositive;
            o.code = p.form == FORM_TIME ? CENS_EXACT : CENS_INTERVAL;
            return fate::use;
        case FORM_CENSOR:
            if (s->life.fmresp) o.b = 0;   // form 1 implied by FMODE: no censoring variable
            if (ismissing(o.a) || ismissing(o.b)) return fate::skip;
            if (p.logtest && o.a <= 0) return fate::nonpositive;
            o.code = censorcode(p, o);
            return fate::use;
        case FORM_INTERVAL: {
            const bool lomiss = ismissing(o.a), upmiss = ismissing(o.b);
            if (lomiss && upmiss) return fate::skip;
            if (lomiss) {
                if (p.logtest && o.b <= 0) return fate::nonpositive;
                o.code = CENS_LEFT;
            } else if (upmiss) {
                if (p.logtest && o.a <= 0) return fate::nonpositive;
                o.code = CENS_RIGHT;
            } else {
                if (o.a > o.b) return fate::reversed;
                if (p.logtest && o.a == 0 && o.b > 0) {
                    o.a = hostmissing();
                    o.code = CENS_LEFT;
                    return fate::use;
                }
                if (p.logtest && (o.a <= 0 || o.b <= 0)) return fate::nonpositive;
                o.code = o.a < o.b ? CENS_INTERVAL : CENS_EXACT;
            }
            return fate::use;
        }
        case FORM_COUNTS:
            if (ismissing(o.a) || ismissing(o.b)) return fate::skip;
            o.code = CENS_EXACT;
            return fate::use;
        default:
            return fate::skip;
    }
}

void count(grpnode* g, const obsval& o) {
    const double w = o.w;   // 1 without FREQ
    switch (o.code) {
        case CENS_EXACT: g->nfail += 1; g->wfail += w; break;
        case CENS_RIGHT: g->ncens += 1; g->wright += w; break;
        case CENS_LEFT: g->ncens += 1; g->wleft += w; break;
        case CENS_INTERVAL: g->ncens += 1; g->wint += w; break;
        case CENS_OTHERMODE: g->nother += w; break;
        default: break;
    }
    g->totw += w;
    g->nobs += 1;
}

// Invalid count pairs are zeroed in the row as well as in the sums, so that the pooled
// totals and the totals per level agree.
void countpair(pass& p, obsval& o) {
    double& a = o.a;
    double& b = o.b;
    const bool bad = p.poisson ? (a < 0 || b <= 0) : (b <= 0 || a < 0 || b < a);
    if (bad) a = b = 0;
    p.sumx += a * o.w;
    p.sumn += b * o.w;
}

// The times read could not be kept (statement pool full).
int memfail() {
    xmemmsg(int64_t(sizeof(double)) * 2 * 4096);
    return 1;
}

int appendrow(pass& p, grpnode* g, const obsval& o) {
    vyxstate* s = p.s;
    const int m = p.cols.ndoubles;
    const int perbuf = static_cast<int>(s->opts.rowlay[RL_BUFROWS]);
    if (g->nrows >= perbuf) {
        if (!g->ufile) {
            if (ufopen(&g->ufile) != 0) {
                xpmlog(510, E510_FILE_OPEN);
                return 1;
            }
            s->inwork.spilled = 1;
        }
        if (ufwrite(g->ufile, g->rowbuf, int64_t(g->nrows) * m * 8) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            return 1;
        }
        ++g->nblocks;
        g->nrows = 0;
    }
    double* row = g->rowbuf + int64_t(g->nrows) * m;
    switch (p.form) {
        case FORM_INTERVAL:
            row[OBS_LOWER] = onscale(p, o.a);
            row[OBS_UPPER] = onscale(p, o.b);
            if (p.readtimes && !(rtadd(s, row[OBS_LOWER], s->inwork.obsvals.rsp[RSP_FIRST]) && rtadd(s, row[OBS_UPPER], s->inwork.obsvals.rsp[RSP_SECOND])))
                return memfail();
            break;
        case FORM_COUNTS:
            row[OBS_EVENTS] = o.a;
            row[OBS_TRIALS] = o.b;
            break;
        case FORM_CENSOR:
            row[OBS_TIME] = onscale(p, o.a);
            row[OBS_CENS] = o.code == CENS_OTHERMODE ? CENS_RIGHT : o.code;
            break;
        default:
            row[OBS_TIME] = onscale(p, o.a);
            break;
    }
    if (p.readtimes && p.form != FORM_INTERVAL && p.form != FORM_COUNTS && !rtadd(s, row[OBS_TIME], s->inwork.obsvals.rsp[RSP_FIRST]))
        return memfail();
    if (p.cols.weight >= 0) row[p.cols.weight] = o.w;
    if (p.cols.fmidx >= 0) row[p.cols.fmidx] = o.fmidx;
    if (p.cols.nenter >= 0) row[p.cols.nenter] = o.nenter;
    ++g->nrows;
    return 0;
}

// Every node of the statement, in list order: the root, or the first-level nodes and,
// with two class variables, their second-level nodes; level 0, 1 or 2 is passed along.
template <class F>
int eachnode(groupstate& groups, F f) {
    if (groups.nclass == 0) return f(&groups.rootgrp, 0);
    for (grpnode* g = groups.grplist.head; g; g = g->next) {
        if (int rc = f(g, 1)) return rc;
        if (groups.nclass == 2)
            for (grpnode* h = g->subtree.head; h; h = h->next)
                if (int rc = f(h, 2)) return rc;
    }
    return 0;
}

// The class trees are walked in key order once the pass is over; during the pass new
// nodes sit in the tree only, so the lists are made by flattening the trees afterwards
// (the class-level ordering does that). Until then the nodes are found through the tree.
template <class F>
int eachtreenode(grpnode* tree, F f) {
    if (!tree) return 0;
    if (int rc = eachtreenode(tree->tleft, f)) return rc;
    if (int rc = f(tree)) return rc;
    return eachtreenode(tree->tright, f);
}

int flushall(pass& p) {
    vyxstate* s = p.s;
    const int m = p.cols.ndoubles;
    auto flush = [&](grpnode* g, int level) -> int {
        if (g->ufile) {
            if (ufwrite(g->ufile, g->rowbuf, int64_t(g->nrows) * m * 8) != 0) {
                xpmlog(510, E510_FILE_WRITE);
                return 1;
            }
            if (level == 0) ++g->nblocks;
        }
        if (level == 1) ++g->nblocks;
        return 0;
    };
    auto trim = [&](grpnode* g) {
        if (g->ufile || g->nobs <= 0) return;
        const int64_t bytes = int64_t(g->nobs) * m * 8;
        auto* exact = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
        if (!exact) return;   // the larger buffer is kept
        std::memcpy(exact, g->rowbuf, static_cast<size_t>(bytes));
        poolput(s->pools.stmtpool, g->rowbuf);
        g->rowbuf = exact;
    };
    if (s->groups.nclass == 0) {
        if (int rc = flush(&s->groups.rootgrp, 0)) return rc;
        trim(&s->groups.rootgrp);
        return 0;
    }
    return eachtreenode(s->groups.grplist.head, [&](grpnode* g) -> int {
        if (int rc = flush(g, 1)) return rc;
        if (s->groups.nclass == 1) trim(g);
        if (s->groups.nclass == 2)
            return eachtreenode(g->subtree.head, [&](grpnode* h) -> int {
                if (int rc = flush(h, 2)) return rc;
                trim(h);
                return 0;
            });
        return 0;
    });
}

// Reads one observation's values and decides its fate; 0 to go on, or a result of vyxin.
int readone(pass& p) {
    vyxstate* s = p.s;
    const obsvalues& v = s->inwork.obsvals;
    obsval o{};
    o.w = s->input.nfreq > 0 ? v.freq : 1.0;
    if (ismissing(o.w) || o.w < 0 || (o.w == 0 && p.form != FORM_READOUT)) {
        // A missing, negative or zero FREQ value (zero kept for READOUT data) is counted as
        // skipped, so that observations read = used + skipped in every table.
        skip(p, ismissing(o.w) ? SKIP_FREQMISS : o.w < 0 ? SKIP_FREQNEG : SKIP_FREQZERO);
        return 0;
    }
    p.wread += o.w;
    if (s->input.nnenter > 0) {
        o.nenter = v.nenter;
        if (ismissing(o.nenter)) {
            skip(p, SKIP_NENTER);
            return 0;
        }
        if (o.nenter < kEps53) {
            xpmlog(510, E510_NENTER_TOO_SMALL);
            return 1;
        }
    }
    if (p.fmode) {
        const bool miss = s->groups.fmodeset.type == 1 ? ismissing(v.fmodenum) : vzatl(' ', v.fmoderaw, 16) != 0;
        // A censored unit has no failure mode: only a failure without one is skipped.
        if (miss && !censoredunit(p, v.rsp[RSP_SECOND])) {
            skip(p, SKIP_FMODE);
            return 0;
        }
    }
    if (const fate f = classify(p, o); f != fate::use) {
        skip(p, f == fate::nonpositive ? SKIP_NONPOS : f == fate::reversed ? SKIP_REVERSED : SKIP_MISSING);
        return 0;
    }
    grpnode* target = &s->groups.rootgrp;
    if (s->groups.nclass > 0) {
        if (s->groups.clsdropmiss[CV_FIRST] && classmissing(s, 0)) {
            skip(p, SKIP_CLASS1);
            return 0;
        }
        if (s->groups.nclass > 1 && s->groups.clsdropmiss[CV_SECOND] && classmissing(s, 1)) {
            skip(p, SKIP_CLASS2);
            return 0;
        }
        p.wused += o.w;
        ++p.used_n;
        int rc = 0;
        grpnode* g = findlevel(p, &s->groups.grplist, &s->groups.rootgrp.nsub, 0, o.w, E510_BAD_SCALE_OR_LEVEL1, &rc);
        if (!g) return rc;
        if (s->groups.nclass == 1 && !g->rowbuf) {
            if (int brc = vyxbld(s, g)) return endstep(s, brc);
        }
        if (s->groups.nclass == 2) {
            grpnode* h = findlevel(p, &g->subtree, &g->nsub, 1, o.w, E510_BAD_SHAPE_OR_LEVEL2, &rc);
            if (!h) return rc;
            if (!h->rowbuf && vyxbld(s, h) != 0) return 1;
            g = h;
        }
        target = g;
    } else {
        p.wused += o.w;
        ++p.used_n;
    }
    // The modes a listed value matches, for the warning when they differ beyond the key.
    if (o.fmmatch >= 0 && p.fmwhole.on() && !slotnote(s->pools.stmtpool, p.fmkeys[o.fmmatch], p.fmwhole)) return 1;
    count(target, o);
    if (p.countcase) countpair(p, o);
    return appendrow(p, target, o);
}

// The notes of the BY group's pass: rows skipped, a note per reason, and censoring values
// that no observation used has (each once per BY group, not once per statement that reads the
// same rows).
void passnotes(const pass& p) {
    vyxstate* s = p.s;
    skipnotes(s, p.skips, {{s->input.rspvars[RV_TIME], s->input.rspvars[RV_SECOND]}, {s->life.rspvarid[RVAR_FIRST], s->life.rspvarid[RVAR_SECOND]}}, p.form == FORM_INTERVAL);
    if (p.used_n > 0) censornotes(s, p.censeen, p.censother, s->input.rspvars[RV_SECOND], s->life.rspvarid[RVAR_SECOND], p.fmode && s->groups.fmodeset.mode != 2);
}

}  // namespace

int vyxbld(vyxstate* s, grpnode* g) {
    const int64_t bytes = int64_t(s->opts.rowlay[RL_BUFROWS]) * s->opts.rowlay[RL_ROWLEN] * 8;
    g->rowbuf = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!g->rowbuf) {
        xmemmsg(bytes);
        return RC_NOMEM;
    }
    return 0;
}

int vyxin(vyxstate* s) {
    s->inwork.spilled = 0;
    if (s->popt.pflags.pbonly) return 0;

    pass p{};
    p.s = s;
    p.cols = obslayout(s);
    p.form = s->inwork.rspkind;
    p.fmode = s->groups.fmodeset.nvars > 0;
    if (p.fmode && s->groups.fmodeset.nvals > 0) {
        // Pointers to the listed failure-mode values; the allocation is checked.
        const int32_t n = s->groups.fmodeset.nvals;
        p.fmvals = static_cast<const char**>(poolbytes(s->pools.stmtpool, int64_t(n) * sizeof(char*), poolflag::zeroed_marked));
        if (!p.fmvals) {
            xmemmsg(int64_t(n) * int64_t(sizeof(char*)));
            return 1;
        }
        for (int i = 0; i < n; ++i) p.fmvals[i] = s->groups.fmodeset.vals[i];
        p.fmlens = s->groups.fmodeset.lens;
        p.fmnvals = n;
        p.fmkeys = poolget<keyslot>(s->pools.stmtpool, n, poolflag::zeroed);
        if (!p.fmkeys) {
            xmemmsg(int64_t(n) * int64_t(sizeof(keyslot)));
            return 1;
        }
    }
    if (p.fmode) p.fmwhole = wholeof(s->groups.fmodeset.desc, s->inwork.obsvals.fmodewhole, &s->inwork.obsvals.fmodenum);
    for (int k = 0; k < s->groups.nclass && k <= CV_SECOND; ++k) p.clswhole[k] = classwhole(s, k);
    // The keys that may run past 16 bytes, to be cut back to a whole character row by row (a
    // character variable of at most 16 bytes is its key whole).
    auto cuts = [&](char* key, const wholecell* c) {
        if (!c->on()) return;
        p.cutkey[p.ncut] = key;
        p.cutwhole[p.ncut++] = c;
    };
    for (int k = 0; k < s->groups.nclass && k <= CV_SECOND; ++k) cuts(s->inwork.obsvals.clsfmt[k], &p.clswhole[k]);
    if (p.fmode) cuts(s->inwork.obsvals.fmodefmt, &p.fmwhole);
    if (p.form == FORM_CENSOR && !s->life.fmresp && s->input.ncensvals > 0) {
        p.censeen = static_cast<uint8_t*>(poolbytes(s->pools.stmtpool, s->input.ncensvals, poolflag::zeroed));
        if (!p.censeen) {
            xmemmsg(s->input.ncensvals);
            return 1;
        }
    }
    xbyrwnd(s->input.dsin, 66);
    p.threshold = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    p.ln = s->opts.logscale[LSC_LN] != 0;
    p.log10 = !p.ln && s->opts.logscale[LSC_LOG10] != 0;
    p.logtest = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
    p.countcase = s->opts.distcode == DIST_POISSON || s->opts.distcode == DIST_BINOMIAL;
    p.poisson = s->opts.distcode == DIST_POISSON;
    p.readtimes = rtwanted(s) && !p.countcase && p.form != FORM_COUNTS;

    std::memset(&s->groups.rootgrp, 0, sizeof s->groups.rootgrp);
    if (s->groups.nclass == 0) {
        if (int rc = vyxbld(s, &s->groups.rootgrp)) return endstep(s, rc);
    } else {
        s->groups.grplist.head = s->groups.grplist.spare = s->groups.grplist.current = nullptr;
        s->groups.rootgrp.nsub = 0;
    }

    hgetlist* rsp = s->input.stmgets ? s->input.stmgets[s->inwork.stmtidx] : nullptr;
    hgetlist* cls = s->input.stmclgets ? s->input.stmclgets[s->inwork.stmtidx] : nullptr;
    while (xybyget(s->input.dsin) == 0) {
        ++p.read_n;
        if (rsp) xyvget(rsp, nullptr);
        if (s->input.procget) xyvget(s->input.procget, nullptr);
        if (cls) xyvget(cls, nullptr);
        if (s->input.fmodeget) xyvget(s->input.fmodeget, nullptr);
        for (int k = 0; k < p.ncut; ++k) wholechars(p.cutkey[k], *p.cutwhole[k]);
        if (int rc = readone(p)) return rc;
    }

    s->row.nobsrow.sumused = p.wused;
    s->row.nobsrow.sumread = p.wread;
    s->row.nobsrow.nread = static_cast<double>(p.read_n);
    s->row.nobsrow.nused = static_cast<double>(p.used_n);
    s->life.wsums[WS_COUNT] = p.sumx;
    s->life.wsums[WS_TRIALS] = p.sumn;
    s->inwork.nobscnt[NOB_SKIPPED] = static_cast<int32_t>(p.skipped_n);
    s->inwork.nobscnt[NOB_USED] = static_cast<int32_t>(p.used_n);
    s->inwork.nobscnt[NOB_READ] = static_cast<int32_t>(p.read_n);
    passnotes(p);
    if (!classkeywarnings(s) || !fmodekeywarnings(s, s->pools.stmtpool, p.fmkeys)) return 1;
    if (p.used_n == 0) {
        xpmlog(510, E510_NO_USABLE_OBS);
        return 1;
    }
    if (int rc = flushall(p)) return rc;
    printmod(s);
    nobstbl(s);
    return 0;
}
