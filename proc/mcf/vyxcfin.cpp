// Recurrence-data input: the observations of the BY group become MCF records of their class
// group, with a unit tree per group for exact recurrence times.
#include <cfloat>
#include <cstdio>
#include <cstddef>
#include <cstring>

#include "proc/framework/bynotes.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/keychars.h"
#include "proc/framework/pooledkeys.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"
#include "proc/mcf/mcf_internal.h"

namespace {

// ORDER codes as the option reader stores them.
enum : uint8_t { ORD_FREQ = 2, ORD_DATA = 3 };

int64_t obsnumber(vyxstate* s) { return hostvec<vec203>(VEC_DATASETS)->xobsnum(s->input.dsin); }

// What one observation holds, after the checks of the reader.
struct obs {
    bool end = false;     // an end-of-observation record (exact data)
    double w = 1;         // its weight
};

// Finds or adds the class-level node of key text k under the tree at root (its spare node
// in spare); *isnew tells which. Null when the tree refuses it. A new node joins the chain of
// the statement's nodes, whose files CleanUpDisk deletes whatever step stops the statement.
grpnode* levelnode(vyxstate* s, grpnode** root, grpnode** spare, const char* fmt, const char* raw, double num,
                   const wholecell& whole, bool* isnew, int* rc) {
    if (!*spare) {
        *spare = poolget<grpnode>(s->pools.stmtpool, 1, poolflag::zeroed);
        if (!*spare) {
            xmemmsg(sizeof(grpnode));
            *rc = RC_NOMEM;
            return nullptr;
        }
    }
    grpnode* n = *spare;
    std::memcpy(n->key, fmt, 16);
    std::memcpy(n->rawkey, raw, 16);
    n->numkey = num;
    auto* got = static_cast<grpnode*>(ztrebld(root, n, 16, static_cast<int>(offsetof(grpnode, key))));
    *isnew = got == n;
    if (*isnew) {
        *spare = nullptr;
        n->stmtnext = s->life.stmtnodes;
        s->life.stmtnodes = n;
    }
    if (got && !(*isnew ? keyfirst(s->pools.stmtpool, got->whole, whole) : keynote(s->pools.stmtpool, got->whole, whole))) {
        *rc = RC_REPORTED;   // memory ran out (logged)
        return nullptr;
    }
    return got;
}

void orderweight(grpnode* g, uint8_t code, bool isnew, double w, int32_t used) {
    if (code == ORD_FREQ) g->ordkey = isnew ? -w : g->ordkey - w;
    else if (code == ORD_DATA && isnew) g->ordkey = used;
}

// Appends one record to the group's buffer, spilling full buffers to its utility file.
int store(vyxstate* s, grpnode* g, const mcfrec& r) {
    if (g->nrows >= MCF_BUFRECS) {
        if (!g->ufile) {
            s->inwork.spilled = 1;
            if (xcopen(&g->ufile, XC_SCRATCH) != 0) {
                g->ufile = nullptr;
                xpmlog(510, E510_FILE_OPEN);
                return RC_REPORTED;
            }
            xcpoint(g->ufile, 0);
        }
        if (xcwrite(g->ufile, g->rowbuf, int64_t(g->nrows) * MCF_RECLEN) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            return RC_REPORTED;
        }
        g->nrows = 0;
        g->nblocks += 1;
    }
    std::memcpy(reinterpret_cast<mcfrec*>(g->rowbuf) + g->nrows, &r, sizeof r);
    g->nrows += 1;
    return 0;
}

// The deepest group node of the observation, made when new; null after a message.
grpnode* groupof(vyxstate* s, double w, int32_t used, int* rc) {
    if (s->groups.nclass == 0) return &s->groups.rootgrp;
    obsvalues& v = s->inwork.obsvals;
    bool isnew = false;
    grpnode* g = levelnode(s, &s->groups.grplist.head, &s->groups.grplist.spare, v.clsfmt[CV_FIRST], v.clsraw[CV_FIRST], v.clsnum[CV_FIRST],
                           classwhole(s, CV_FIRST), &isnew, rc);
    if (!g) {
        if (!*rc) {
            xpmlog(510, E510_LEVELS1_UNORDERED);
            *rc = RC_REPORTED;
        }
        return nullptr;
    }
    if (isnew) {
        s->groups.rootgrp.nsub += 1;
        if (s->groups.nclass == 1 && (*rc = cfbld(s, g)) != 0) {
            *rc = endstep(s, *rc);
            return nullptr;
        }
        if (s->groups.nclass == 2) {
            g->subtree.head = g->subtree.spare = g->subtree.current = nullptr;
            g->nsub = 0;
        }
    }
    orderweight(g, s->groups.clsorder[CO_CODE], isnew, w, used);
    if (s->groups.nclass == 1) return g;
    grpnode* h = levelnode(s, &g->subtree.head, &g->subtree.spare, v.clsfmt[CV_SECOND], v.clsraw[CV_SECOND], v.clsnum[CV_SECOND],
                           classwhole(s, CV_SECOND), &isnew, rc);
    if (!h) {
        if (!*rc) {
            xpmlog(510, E510_LEVELS2_UNORDERED);
            *rc = RC_REPORTED;
        }
        return nullptr;
    }
    if (isnew) {
        g->nsub += 1;
        if ((*rc = cfbld(s, h)) != 0) {
            *rc = RC_REPORTED;
            return nullptr;
        }
    }
    orderweight(h, s->groups.clsorder[CO_CODE2], isnew, w, used);
    return h;
}

// The unit of an exact-data record in the group's unit tree; keeps its end and latest event.
// 0, or a code after a message.
int unitof(vyxstate* s, grpnode* g, const char* id, const wholecell& whole, const obs& o, double t, mcfunit** last,
           grpnode** lastg, mcfunit** out) {
    mcfunit* u = nullptr;
    bool isnew = false;
    if (*lastg == g && *last && std::memcmp((*last)->id, id, 16) == 0) {
        u = *last;   // rows of one unit usually follow one another: no tree search
    } else {
        auto* spare = static_cast<mcfunit*>(g->mcf.units[1]);
        if (!spare) {
            spare = poolget<mcfunit>(s->pools.stmtpool, 1, poolflag::zeroed);
            if (!spare) {
                xmemmsg(sizeof(mcfunit));
                return RC_REPORTED;
            }
            g->mcf.units[1] = spare;
        }
        std::memcpy(spare->id, id, 16);
        u = static_cast<mcfunit*>(ztrebld(&g->mcf.units[0], spare, 16, static_cast<int>(offsetof(mcfunit, id))));
        if (!u) {
            xpmlog(510, E510_MCF_UNIT_TREE, txtarg(id, 16));
            return RC_REPORTED;
        }
        isnew = u == spare;
        if (isnew) {
            g->mcf.units[1] = nullptr;
            u->seq = g->mcf.nunitseq++;
            u->lastevt = -DBL_MAX;
        }
        *last = u;
        *lastg = g;
    }
    // The whole id beside the 16-byte one: ids that agree in their first 16 bytes are one unit,
    // and a message about the unit's records names the two ids they come from.
    poolobj* pool = s->pools.stmtpool;
    if (!(isnew ? keyfirst(pool, u->whole, whole) : keynote(pool, u->whole, whole))) return RC_REPORTED;
    const int which = keywhich(u->whole, whole);
    char other[280], current[280];
    if (o.end) {
        u->weight = o.w;
        if (u->ended) {
            if (keypooled(u->whole) && !keysame(u->endid, which, whole)) {
                keyshown(u->whole, u->endid, whole, other, sizeof other);
                currentshown(whole, current, sizeof current);
                xpmlog(510, E510_MCF_UNITS_POOLED_END_TWICE, other, current, txtarg(id, 16), obsnumber(s));
            } else {
                unitshown(id, whole, current, sizeof current);
                xpmlog(510, E510_MCF_UNIT_ENDS_TWICE, current, obsnumber(s));
            }
            return RC_REPORTED;
        }
        u->endtime = t;
        u->ended = 1;
        if (!keykeep(pool, u->endid, which, whole)) return RC_REPORTED;
    } else if (t > u->lastevt) {
        u->lastevt = t;
        if (!keykeep(pool, u->lastid, which, whole)) return RC_REPORTED;
    }
    if (u->ended && u->lastevt - MCF_ENDSLACK > u->endtime) {
        // The current record is the end (the late event may be another id's) or the late event
        // (the end may be another id's).
        const keyvalue& otherid = o.end ? u->lastid : u->endid;
        if (keypooled(u->whole) && !keysame(otherid, which, whole)) {
            keyshown(u->whole, otherid, whole, other, sizeof other);
            currentshown(whole, current, sizeof current);
            // the id of the event, then that of the end
            xpmlog(510, E510_MCF_UNITS_POOLED_EVENT_AFTER_END, o.end ? other : current, o.end ? current : other,
                   txtarg(id, 16), u->lastevt, u->endtime);
        } else {
            unitshown(id, whole, current, sizeof current);
            xpmlog(510, E510_MCF_EVENT_AFTER_END, current, u->lastevt, u->endtime);
        }
        return endstep(s, RC_INPUT);
    }
    // An event up to the slack past the end is the end time made inexact by rounding: the
    // sorting moves it back to the end, so that it is counted while its unit is at risk.
    if (u->ended && u->lastevt > u->endtime) g->mcf.clamped = 1;
    *out = u;
    return 0;
}

// Logs the interval record of the current observation whose number of events or of removals
// is missing, naming the variables without a value.
void ivlmissing(vyxstate* s) {
    const obsvalues& v = s->inwork.obsvals;
    char names[80] = "";
    for (int k = 0; k < 2; ++k) {
        if (!ismissing(v.rsp[RSP_EVENTS + k])) continue;
        vardesc d{};
        xvname(s->input.dsin, s->mcf.mcfopt.mcfvars[k], &d);
        if (names[0]) std::strncat(names, " and ", sizeof names - std::strlen(names) - 1);
        std::strncat(names, d.name, sizeof names - std::strlen(names) - 1);
    }
    xpmlog(510, W510_MCF_INTERVAL_MISSING, obsnumber(s), v.rsp[RSP_FIRST], v.rsp[RSP_SECOND], names);
}

// A variable of the statement by its name (MCFPLOT keeps no variable numbers).
uint32_t nameid(const vardesc* var) {
    uint32_t id = 2166136261u;
    for (int i = 0; var && i < var->namelen; ++i) id = (id ^ static_cast<uint8_t>(var->name[i])) * 16777619u;
    return id;
}

// A listed end-of-observation value that no record used has: a note, once per BY group.
void endvaluenotes(vyxstate* s, const uint8_t* seen) {
    const vardesc* var = s->input.rspvars[RV_SECOND];
    unseennotes(s, N510_MCF_END_VALUE_UNSEEN, seen, var, nameid(var));
}

// The records skipped, a note per reason, once per BY group.
void skippednotes(vyxstate* s, const skiptally& skips) {
    const vardesc* const* r = s->input.rspvars;
    skipnotes(s, skips, {{r[RV_TIME], r[RV_SECOND]}, {nameid(r[RV_TIME]), nameid(r[RV_SECOND])}}, false);
}

// Calls f for every deepest node of the class trees under root (still trees, not lists).
template <class F>
int eachleaf(grpnode* root, int levels, F& f) {
    if (!root) return 0;
    int rc = eachleaf(root->tleft, levels, f);
    if (rc == 0) rc = levels > 1 ? eachleaf(root->subtree.head, levels - 1, f) : f(root);
    if (rc == 0) rc = eachleaf(root->tright, levels, f);
    return rc;
}

// Calls f for every unit of a unit tree (still a tree: the sorting lists it later).
template <class F>
void eachunit(trenode* t, F& f) {
    if (!t) return;
    eachunit(t->left, f);
    f(reinterpret_cast<mcfunit*>(t));
    eachunit(t->right, f);
}

// Calls f(cell, first) for every deepest node of the class trees under root (still trees, not
// lists), with the first-level node above it (the cell itself with one class variable).
template <class F>
void eachcell(const grpnode* t, int levels, const grpnode* first, F& f) {
    if (!t) return;
    eachcell(t->tleft, levels, first, f);
    if (levels > 1) eachcell(t->subtree.head, levels - 1, t, f);
    else f(t, first ? first : t);
    eachcell(t->tright, levels, first, f);
}

// " for trt=P", " for a=X b=Y": the class group of a message about its units.
void cellwords(const vyxstate* s, const grpnode* cell, const grpnode* first, char* out, size_t len) {
    // MCF keys of numbers stand right-aligned: the words name the level without its blanks.
    auto level = [s](int k, const grpnode* n, char* buf, int blen) {
        int b = 0;
        while (b < 16 && n->key[b] == ' ') ++b;
        return levelwords(s, k, n->key + b, wzstrip(n->key + b, 16 - b), buf, blen);
    };
    char a[80], b[80] = "";
    level(CV_FIRST, first, a, sizeof a);
    if (s->groups.nclass != 1) level(CV_SECOND, cell, b, sizeof b);
    std::snprintf(out, len, " for %s%s%s", a, b[0] ? " " : "", b);
}

uint64_t wordsid(const char* text) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (; *text; ++text) h = (h ^ static_cast<uint8_t>(*text)) * 0x100000001B3ull;
    return h ? h : 1;
}

// The warnings of the unit ids that stand for more than one whole id, one per class group and
// key (a unit is one only within its group); false when memory ran out.
bool unitkeywarnings(vyxstate* s) {
    if (!unitwhole(s).on()) return true;
    poolobj* pool = s->pools.stmtpool;
    const groupstate& groups = s->groups;
    keyentry* e = nullptr;
    keygroup* cells = nullptr;
    constexpr size_t kWords = 120;
    char* words = nullptr;
    int64_t n = 0, ncells = 0;
    // Pass 1 counts the pooled units and the groups that have one; pass 2 (e set) fills them.
    auto walk = [&]() {
        n = ncells = 0;
        auto cell = [&](const grpnode* g, const grpnode* first) {
            bool any = false;
            auto note = [&](mcfunit* u) {
                if (!keypooled(u->whole)) return;
                if (e) e[n] = keyentry{u->id, &u->whole, ncells};
                ++n;
                any = true;
            };
            eachunit(static_cast<trenode*>(g->mcf.units[0]), note);
            if (!any) return;
            if (cells && groups.nclass > 0) {
                char* w = words + kWords * static_cast<size_t>(ncells);
                cellwords(s, g, first, w, kWords);
                cells[ncells] = keygroup{w, wordsid(w)};
            }
            ++ncells;
        };
        if (groups.nclass == 0) cell(&groups.rootgrp, nullptr);
        else eachcell(groups.grplist.head, groups.nclass, nullptr, cell);
    };
    walk();
    if (n == 0) return true;
    e = poolget<keyentry>(pool, n, poolflag::raw);
    if (groups.nclass > 0) {
        cells = poolget<keygroup>(pool, ncells, poolflag::raw);
        words = static_cast<char*>(poolbytes(pool, static_cast<int64_t>(kWords) * ncells, poolflag::raw));
    }
    if (!e || (groups.nclass > 0 && (!cells || !words))) {
        xmemmsg(n * static_cast<int64_t>(sizeof(keyentry)) + ncells * static_cast<int64_t>(sizeof(keygroup) + kWords));
        return false;
    }
    walk();
    return unitidkeywarnings(s, pool, e, n, cells);
}

}  // namespace

// A unit's id as the data hold it: the whole text of a long character id, a number as the
// shortest text that reads back as it (its formatted key can read alike for two ids, 7 for
// 7.0000000000002, or read otherwise, 1E15), else the key (a short id whole) without blanks
// around it.
void unitshown(const char* key, const wholecell& whole, char* out, int len) {
    if (whole.on()) {
        currentshown(whole, out, len);
        return;
    }
    int start = 0;
    while (start < 16 && key[start] == ' ') ++start;
    std::snprintf(out, static_cast<size_t>(len), "%.*s", wzstrip(key + start, 16 - start), key + start);
}

void keptunitshown(const vyxstate* s, const mcfunit* u, const keyvalue& id, char* out, int len) {
    const wholecell cell = unitwhole(s);
    if (cell.on())
        keyshown(u->whole, id, cell, out, len);
    else
        unitshown(u->id, cell, out, len);
}

int cfbld(vyxstate* s, grpnode* g) {
    const int64_t bytes = int64_t(MCF_BUFRECS) * MCF_RECLEN;
    g->rowbuf = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::zeroed));
    if (!g->rowbuf) {
        xmemmsg(bytes);
        return RC_NOMEM;
    }
    g->mcf.units[0] = g->mcf.units[1] = g->mcf.units[2] = nullptr;
    g->nrows = 0;
    g->nblocks = 0;
    return 0;
}

int vyxcfin(vyxstate* s) {
    s->inwork.spilled = 0;
    s->mcf.mcfopt.unitwidth = 0;
    xbyrwnd(s->input.dsin, 66);
    std::memset(&s->groups.rootgrp, 0, sizeof s->groups.rootgrp);
    s->groups.grplist.head = s->groups.grplist.spare = s->groups.grplist.current = nullptr;
    if (int rc = s->groups.nclass == 0 ? cfbld(s, &s->groups.rootgrp) : 0; rc != 0) {
        return endstep(s, rc);
    }
    const bool exact = s->inwork.rspkind == MCF_EXACT;
    const bool hasfreq = s->input.nfreq > 0;
    hgetlist* get = s->input.stmgets ? s->input.stmgets[s->inwork.stmtidx] : nullptr;
    hgetlist* clget = s->groups.nclass > 0 && s->input.stmclgets ? s->input.stmclgets[s->inwork.stmtidx] : nullptr;
    obsvalues& v = s->inwork.obsvals;
    int32_t nread = 0, nused = 0, nskip = 0;
    skiptally skips{};
    double wread = 0, wused = 0;
    mcfunit* lastunit = nullptr;
    grpnode* lastgrp = nullptr;
    const wholecell idwhole = unitwhole(s);
    wholecell clswhole[2] = {};
    for (int k = 0; k < s->groups.nclass && k <= CV_SECOND; ++k) clswhole[k] = classwhole(s, k);
    // Exact data: which of the listed end values the records used have.
    uint8_t* endseen = nullptr;
    if (exact && s->input.ncensvals > 0) {
        endseen = static_cast<uint8_t*>(poolbytes(s->pools.stmtpool, s->input.ncensvals, poolflag::zeroed));
        if (!endseen) {
            xmemmsg(s->input.ncensvals);
            return RC_REPORTED;
        }
    }

    while (xybyget(s->input.dsin) == 0) {
        ++nread;
        if (get) xyvget(get, nullptr);
        if (clget) xyvget(clget, nullptr);
        if (s->input.procget) xyvget(s->input.procget, nullptr);
        for (int k = 0; k < s->groups.nclass && k <= CV_SECOND; ++k) wholechars(v.clsfmt[k], clswhole[k]);
        if (exact) wholechars(v.unitfmt, idwhole);
        // 1. time and second response (interval data: also the events and removals)
        if (wzmisn(v.rsp, 2)) {
            ++nskip;
            skipcount(s, skips, SKIP_MISSING);
            continue;
        }
        if (!exact && wzmisn(v.rsp + 2, 2)) {
            // Skipping it changes the risk set of the later intervals: say so.
            ivlmissing(s);
            ++nskip;
            continue;
        }
        obs o;
        double value = v.rsp[RSP_SECOND];
        int endidx = -1;   // the listed value the record has
        // 2. end-of-observation records carry one of the listed values
        if (exact) {
            for (int k = 0; k < s->input.ncensvals; ++k)
                if (value == s->input.censvals[k]) {
                    o.end = true;
                    endidx = k;
                    break;
                }
            if (o.end) value = hostmissing();
        }
        // 3. weight
        if (hasfreq) {
            o.w = v.freq;
            if (ismissing(o.w) || o.w <= 0) {
                // A record whose FREQ is missing or not positive counts for nothing: it is
                // skipped and named, since its unit's other records remain (a unit whose end
                // record goes is then refused for having none).
                if (exact && o.end) {
                    char current[280];
                    unitshown(v.unitfmt, idwhole, current, sizeof current);
                    xpmlog(510, W510_MCF_END_FREQ, obsnumber(s), current, o.w);
                } else {
                    xpmlog(510, W510_MCF_EVENT_FREQ, obsnumber(s), o.w);
                }
                ++nskip;
                continue;
            }
            if (o.end) wread += o.w;
        }
        // 4. unit id
        char id[16];
        if (exact) {
            bool blank = s->input.unittype == 1 ? ismissing(v.unitnum) : vzatl(' ', v.unitraw, 16);
            if (s->input.nunitid == 0 || blank) {
                ++nskip;
                skipcount(s, skips, SKIP_UNITID);
                continue;
            }
            std::memcpy(id, v.unitfmt, 16);
            int len = wzstjus(id, 16, 'l');
            if (static_cast<uint32_t>(len) > s->mcf.mcfopt.unitwidth) s->mcf.mcfopt.unitwidth = static_cast<uint32_t>(len);
        }
        // 5. class values
        int missingclass = -1;
        for (int j = 0; j < s->groups.nclass && j < 2 && missingclass < 0; ++j) {
            bool miss = s->groups.clsnumeric[j] ? ismissing(v.clsnum[j]) : vzatl(' ', v.clsraw[j], 16) != 0;
            if (miss && !s->groups.clssort[j]) missingclass = j;
        }
        if (missingclass >= 0) {
            ++nskip;
            skipcount(s, skips, missingclass == 0 ? SKIP_CLASS1 : SKIP_CLASS2);
            continue;
        }
        ++nused;
        if (o.end) wused += o.w;
        if (endseen && endidx >= 0) endseen[endidx] = 1;
        // 6. group
        int rc = 0;
        grpnode* g = groupof(s, o.w, nused, &rc);
        if (!g) return rc ? rc : RC_REPORTED;
        // 7. unit
        mcfrec r{};
        r.time = v.rsp[RSP_FIRST];
        r.value = value;
        if (exact) {
            mcfunit* u = nullptr;
            if ((rc = unitof(s, g, id, idwhole, o, r.time, &lastunit, &lastgrp, &u)) != 0) return rc;
            r.mcf = u->seq;
            std::memcpy(r.unit, id, 16);
        } else {
            auto& iv = reinterpret_cast<mcfivl&>(r);
            iv.end = v.rsp[RSP_SECOND];
            iv.start = v.rsp[RSP_FIRST];
            iv.events = v.rsp[RSP_EVENTS];
            iv.removals = v.rsp[RSP_REMOVALS];
        }
        // 8. counts
        g->mcf.nrec += 1;
        if (!exact) {
            g->mcf.nunits += v.rsp[RSP_REMOVALS];
            g->mcf.nexact += v.rsp[RSP_EVENTS];
            g->mcf.nobs += v.rsp[RSP_EVENTS];
        } else if (o.end) {
            if (o.w < 0) {
                xpmlog(510, E510_MCF_NEGATIVE_FREQ, obsnumber(s), o.w);
                return endstep(s, RC_INPUT);
            }
            g->mcf.nunits += o.w;
            g->ncens += 1;
        } else {
            g->mcf.nobs += o.w;
            g->mcf.nexact += 1;
        }
        // 9. store
        if ((rc = store(s, g, r)) != 0) return rc;
    }

    s->row.nobsrow.sumused = wused;
    s->row.nobsrow.sumread = wread;
    s->row.nobsrow.nread = nread;
    s->row.nobsrow.nused = nused;
    s->inwork.nobscnt[NOB_SKIPPED] = nskip;
    s->inwork.nobscnt[NOB_USED] = nused;
    s->inwork.nobscnt[NOB_READ] = nread;
    skippednotes(s, skips);
    if (endseen && nused > 0) endvaluenotes(s, endseen);
    if (!classkeywarnings(s) || (exact && !unitkeywarnings(s))) return RC_REPORTED;
    if (nused == 0) {
        xpmlog(510, E510_NO_USABLE_OBS);
        return RC_REPORTED;
    }
    nobstbl(s);
    if (s->popt.pflags.mcfdiff && s->groups.rootgrp.nsub != 2) {
        xpmlog(510, E510_MCFDIFF_TWO_LEVELS, s->groups.rootgrp.nsub);
        return RC_REPORTED;
    }
    // Flush: a group on file gets its last buffer written, so that the file holds all its
    // records in input order.
    auto flush = [&](grpnode* g) -> int {
        if (g->ufile && g->nrows > 0) {
            if (xcwrite(g->ufile, g->rowbuf, int64_t(g->nrows) * MCF_RECLEN) != 0) {
                xpmlog(510, E510_FILE_WRITE);
                return RC_REPORTED;
            }
            g->nblocks += 1;
            g->nrows = 0;
        }
        return 0;
    };
    if (s->groups.nclass == 0) return flush(&s->groups.rootgrp);
    return eachleaf(s->groups.grplist.head, s->groups.nclass, flush);
}
