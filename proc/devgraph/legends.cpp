// Legends: records, entries, titles and sizing.
#include "proc/devgraph/legends.h"

#include <algorithm>
#include <cstring>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/hostgraphics.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/fndstmt.h"

namespace {

constexpr int kEntry = 40;

legrec* newlegend(vyxstate* s, const stmtrec* optsrc, int posslot) {
    auto* l = poolget<legrec>(s->pools.stmtpool, 1, poolflag::zeroed);
    if (!l) {
        xmemmsg(500);
        return nullptr;
    }
    l->slots[0] = l->slots[1] = -1;
    l->flags = static_cast<uint8_t>((l->flags & 0x0b) | 0x08);
    l->fill = -1;
    l->pos = -1;
    char name[8];
    if (optsrc && optname(optsrc, posslot, 0, name)) {
        char prefix[8];
        int32_t code = 0;
        znamsuf(1, name, 8, prefix, 8, &code);
        l->pos = code;
    }
    l->box[0] = 'B';
    l->box[1] = 'E';
    std::memset(l->font, ' ', 8);
    std::memset(l->textcolor, ' ', 8);
    std::memset(l->framecolor, ' ', 8);
    const stmtrec* r = s->inwork.curstmt;
    if (!optname(r, slot::plot::CTEXT, 0, l->textcolor) && s->plot.gctx && vzatl(' ', s->plot.gctx->valuecolor, 8) == 0)
        std::memcpy(l->textcolor, s->plot.gctx->valuecolor, 8);
    optname(r, slot::plot::CFRAME, 0, l->framecolor);
    l->spare = 0;
    return l;
}

// "a  b": two texts joined by two blanks into a field of n characters; the joined length.
int join2(char* out, int n, const char* a, int la, const char* b, int lb) {
    std::memset(out, ' ', static_cast<size_t>(n));
    int at = std::min(la, n);
    std::memcpy(out, a, static_cast<size_t>(at));
    at = std::min(at + 2, n);
    int take = std::min(lb, n - at);
    std::memcpy(out + at, b, static_cast<size_t>(take));
    return std::min(la + 2 + lb, n);
}

bool entries(vyxstate* s, legrec* l, uint32_t n) {
    l->entries = poolget<legent>(s->pools.stmtpool, n ? n : 1, poolflag::zeroed);
    if (!l->entries) return false;
    for (uint32_t k = 0; k < n; ++k) {
        l->entries[k].size = kEntry;
        l->entries[k].text = static_cast<char*>(poolbytes(s->pools.stmtpool, kEntry, poolflag::raw_marked));
        if (!l->entries[k].text) return false;
        std::memset(l->entries[k].text, ' ', kEntry);
    }
    l->count = n;
    return true;
}

bool title(vyxstate* s, legrec* l, int size) {
    l->titlesize = static_cast<uint16_t>(size);
    l->title = static_cast<char*>(poolbytes(s->pools.stmtpool, size, poolflag::raw_marked));
    if (!l->title) return false;
    std::memset(l->title, ' ', static_cast<size_t>(size));
    return true;
}

// Label of class variable k when given, else its name.
void clsname(const groupstate& groups, int k, const char** text, int* len) {
    if (groups.clslabgiven[k] && groups.clslablen[k] > 0) {
        *text = groups.clslabels[k];
        *len = groups.clslablen[k];
    } else {
        *text = groups.clsnames[k];
        *len = groups.clsnamelen[k];
    }
}

// The groups of the legend's entries, in their order: the first-level groups, or the cells of
// the grid that hold data.
template <class F>
void eachentry(const groupstate& gs, F&& f) {
    if (gs.nclass == 2) {
        for (uint32_t k = 0; gs.grpgrid && k < gs.nlev[NLEV_FIRST] * gs.nlev[NLEV_SECOND]; ++k)
            if (gs.grpgrid[k]) f(gs.grpgrid[k]);
    } else if (gs.nclass == 1) {
        for (const grpnode* g = gs.grplist.head; g; g = g->next) f(g);
    }
}

// The legend's own copy of the records of its entries, where a group without a fitted line
// (its fit failed, or none was asked for) gets the line type -1: its entry shows no sample of
// a line. The records that the drawing uses stay as they are.
symrec* entrystyles(vyxstate* s, symrec* from, uint32_t n) {
    bool some = false;
    eachentry(s->groups, [&](const grpnode* g) { some = some || g->nofit || g->nocurve; });
    if (!some || !from || n == 0) return from;
    auto* to = poolget<symrec>(s->pools.stmtpool, n, poolflag::zeroed);
    if (!to) return from;
    std::memcpy(to, from, sizeof(symrec) * n);
    uint32_t k = 0;
    eachentry(s->groups, [&](const grpnode* g) {
        if (k < n && (g->nofit || g->nocurve)) to[k].ltype = -1;
        ++k;
    });
    return to;
}

int grouplegend(vyxstate* s) {
    legrec* l = newlegend(s, s->inwork.curstmt, slot::plot::PPLEGEND);
    if (!l) return 1;
    if (!entries(s, l, s->groups.nplotgrp)) return 1;
    uint32_t e = 0;
    if (s->groups.nclass == 2) {
        const uint32_t n1 = s->groups.nlev[NLEV_FIRST], n2 = s->groups.nlev[NLEV_SECOND];
        for (uint32_t r = 0; r < n1; ++r)
            for (uint32_t c = 0; c < n2 && e < l->count; ++c) {
                if (!s->groups.grpgrid || !s->groups.grpgrid[r * n2 + c]) continue;   // an empty cell has no entry
                char k1[16], k2[16];
                std::memcpy(k1, s->groups.levkeys[CV_FIRST] + 16 * r, 16);
                std::memcpy(k2, s->groups.levkeys[CV_SECOND] + 16 * c, 16);
                int l1 = wzstjus(k1, 16, 'l'), l2 = wzstjus(k2, 16, 'l');
                legent& en = l->entries[e++];
                en.len = static_cast<uint16_t>(join2(en.text, kEntry, k1, l1, k2, l2));
            }
        l->count = e;
    } else if (s->groups.nclass == 1 && s->groups.levkeys[CV_FIRST]) {
        for (uint32_t i = 0; i < l->count; ++i) {
            std::memcpy(l->entries[i].text, s->groups.levkeys[CV_FIRST] + 16 * i, 16);
            l->entries[i].len = static_cast<uint16_t>(wzstrip(l->entries[i].text, 16));
        }
    }
    l->kind = s->popt.pflags.noppos ? 'L' : 'S';
    l->syms = entrystyles(s, l->kind == 'S' && s->plot.symcomp ? s->plot.symcomp : s->plot.symarr, l->count);
    if (!title(s, l, kEntry)) return 1;
    const char* t1 = nullptr;
    int n1 = 0;
    clsname(s->groups, CV_FIRST, &t1, &n1);
    if (s->groups.nclass == 2) {
        const char* t2 = nullptr;
        int n2 = 0;
        clsname(s->groups, CV_SECOND, &t2, &n2);
        l->titlelen = static_cast<uint16_t>(join2(l->title, kEntry, t1, n1, t2, n2));
    } else {
        std::memcpy(l->title, t1, static_cast<size_t>(std::min(n1, kEntry)));
        l->titlelen = static_cast<uint16_t>(std::min(n1, kEntry));
    }
    gglsize(0, l, s->plot.frame->pagewin);
    s->plot.legends[LG_GROUPS] = l;
    return 0;
}

int pctlegend(vyxstate* s) {
    legrec* l = newlegend(s, s->inwork.curstmt, slot::plot::RPLEGEND);
    if (!l) return 1;
    if (!entries(s, l, s->opts.pctcount)) return 1;
    for (uint32_t k = 0; k < s->opts.pctcount; ++k) {
        char b[kEntry];
        std::memset(b, ' ', kEntry);
        xpfs(s->opts.pctvals[k], -32, 99, b);
        std::memcpy(l->entries[k].text, b, kEntry);
        l->entries[k].len = static_cast<uint16_t>(wzstrip(b, kEntry));
    }
    l->kind = 'L';
    l->syms = s->plot.gstyles ? static_cast<symrec*>(s->plot.gstyles) + GS_PCT : s->plot.symarr;
    if (!title(s, l, kEntry)) return 1;
    const char* t = s->opts.pctcount == 1 ? "Percentile" : "Percentiles";
    l->titlelen = static_cast<uint16_t>(std::strlen(t));
    std::memcpy(l->title, t, l->titlelen);
    gglsize(0, l, s->plot.frame->pagewin);
    s->plot.legends[LG_PCT] = l;
    return 0;
}

int fmodelegend(vyxstate* s) {
    stmtrec* fm = nullptr;
    fndstmt("FMODE", &fm);
    legrec* l = newlegend(s, fm, slot::fmode::LEGEND);
    if (!l) return 1;
    const fmodesettings& m = s->groups.fmodeset;
    if (!entries(s, l, static_cast<uint32_t>(std::max(m.nvals, 0)))) return 1;
    for (int k = 0; k < m.nvals; ++k) {
        int len = std::min(m.lens ? m.lens[k] : 0, kEntry);
        std::memcpy(l->entries[k].text, m.vals[k], static_cast<size_t>(std::min(len, 17)));
        l->entries[k].len = static_cast<uint16_t>(std::min(len, 17));
    }
    l->kind = 'L';
    l->syms = s->plot.fmstyles;
    const bool labelled = m.desc.labellen > 0;
    if (!title(s, l, labelled ? 256 : 32)) return 1;
    if (labelled) {
        l->titlelen = static_cast<uint16_t>(std::min<int>(m.desc.labellen, 256));
        std::memcpy(l->title, m.desc.label, l->titlelen);
    } else {
        l->titlelen = static_cast<uint16_t>(std::min<int>(m.desc.namelen, 32));
        std::memcpy(l->title, m.desc.name, l->titlelen);
    }
    gglsize(0, l, s->plot.frame->pagewin);
    s->plot.legends[LG_FMODES] = l;
    return 0;
}

}  // namespace

int vyxglgi(vyxstate* s) {
    if (s->popt.pflags.legend && grouplegend(s)) return 1;
    if (s->work.rellegend && pctlegend(s)) return 1;
    if (s->groups.fmodeset.legend && fmodelegend(s)) return 1;
    return 0;
}
