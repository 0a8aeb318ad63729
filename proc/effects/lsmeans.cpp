// Least-squares means by level: the values a constructed effect takes at its columns, a
// parameter's combination mapped back to them and to CLASS levels, the averages of an
// effect's estimates (lsmeans.h).
#include "proc/effects/lsmeans.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/hostdefs.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/effects/varnames.h"
#include "proc/framework/textpad.h"
#include "proc/numeric/vecops.h"
#include "proc/effects/effects_internal.h"

namespace {

const efrec* partrec(const leveffect* e, int k) {
    const levstate* ls = e->levback;
    if (!ls || k < 0 || k >= e->nefref || !e->efref) return nullptr;
    const int32_t ix = e->efref[k];
    return ix >= 0 && ix < ls->nefstmt ? &ls->efstmt[ix] : nullptr;
}

int recvalues(const efrec* r) {
    if (!r) return 0;
    if (r->kind == EF_MULTI) return 1;
    if (r->kind == EF_COLLECTION) return std::max(r->nvals, 0);
    return 0;
}

// The values of constructed effect r at its piece, appended at out; returns how many.
int piecevalues(const efrec* r, int piece, int32_t* out) {
    const int n = recvalues(r);
    if (n == 0) return 0;
    if (!r->vallist || piece < 0 || piece >= r->ncols) {
        std::fill(out, out + n, -1);
        return n;
    }
    const int32_t* row = r->vallist + static_cast<size_t>(piece) * static_cast<size_t>(std::max(r->nvals, 1));
    std::copy(row, row + n, out);
    return n;
}

// Columns per level combination of the effect (1 without constructed effects).
int piecespercomb(const leveffect* e) { return e->ncomb > 0 && e->ncol >= e->ncomb ? e->ncol / e->ncomb : 1; }

bool usable(const double* divisors, int k) {
    return divisors && !ismissing(divisors[k]) && divisors[k] != 0.0;
}

}  // namespace

int strjscmp(const char* a, int alen, const char* b, int blen) {
    while (alen > 0 && *a == ' ') ++a, --alen;
    while (blen > 0 && *b == ' ') ++b, --blen;
    return wzstcom(a, alen, b, blen);
}

int zlevEftClValN(const leveffect* e, int k) {
    if (k == e->nefref) return e->nclsall;
    return recvalues(partrec(e, k));
}

int zlevEfClValN(const leveffect* e) {
    int n = 0;
    for (int k = 0; k <= e->nefref; ++k) n += zlevEftClValN(e, k);
    return n;
}

int zlevGetEfClassLevels(const leveffect* e, int column, int32_t* out) {
    if (column < 0 || column >= e->ncol || !e->usecombs) return -1;
    const int32_t* row = e->usecombs + static_cast<size_t>(column) * static_cast<size_t>(e->combw);
    const int refoff = e->combw > e->nclsall ? e->nefref : 0;
    int at = 0;
    for (int k = 0; k < e->nefref; ++k) at += piecevalues(partrec(e, k), refoff ? row[k] : 0, out + at);
    for (int j = 0; j < e->nclsall; ++j) out[at++] = row[refoff + j];
    return at;
}

int zlevPrepLevList(levctl* ctl) {
    levstate* ls = ctl->lstate;
    for (int k = 0; k < ls->neffect; ++k) {
        leveffect* e = &ls->effects[k];
        if (e->nefref == 0) {
            e->levlist = e->extra;
            e->nlevlist = e->nextra;
            continue;
        }
        int64_t room = e->nextra;
        for (int j = 0; j < e->nefref; ++j)
            if (const efrec* r = partrec(e, j)) room += static_cast<int64_t>(r->ncols) * recvalues(r);
        int32_t* list = poolget<int32_t>(ctl->ldata->ldpool, std::max<int64_t>(room, 1), poolflag::zeroed_marked);
        if (!list) {
            xmemmsg(4 * std::max<int64_t>(room, 1));
            return RC_NOMEM;
        }
        std::fill(list, list + std::max<int64_t>(room, 1), -1);
        const char* extra = reinterpret_cast<const char*>(e->extra);
        int n = 0;
        std::vector<int32_t> vals;
        for (int j = 0; j < e->nefref; ++j) {
            const efrec* r = partrec(e, j);
            const int per = recvalues(r);
            vals.resize(static_cast<size_t>(std::max(per, 1)));
            for (int piece = 0; r && per > 0 && piece < r->ncols; ++piece) {
                piecevalues(r, piece, vals.data());
                for (int v = 0; v < per; ++v) {
                    const char* key = reinterpret_cast<const char*>(&vals[static_cast<size_t>(v)]);
                    if (zlstmem(reinterpret_cast<const char*>(list), n, key, 4) < n) continue;
                    if (extra && zlstmem(extra, e->nextra, key, 4) < e->nextra) continue;
                    list[n++] = vals[static_cast<size_t>(v)];
                }
            }
        }
        if (e->nextra > 0 && e->extra) std::copy(e->extra, e->extra + e->nextra, list + n);
        e->levlist = list;
        e->nlevlist = n + std::max(e->nextra, 0);
    }
    return 0;
}

void zlevEfMeans(levctl* ctl, const double* estimates, double* means, const double* divisors, double scale) {
    const levstate* ls = ctl->lstate;
    double* bycomb = means + ls->neffect;
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect* e = &ls->effects[k];
        const double* est = estimates + e->firstcol;
        const bool divide = usable(divisors, k);
        means[k] = scale * zvsum(est, e->ncol);
        if (divide) means[k] /= divisors[k];
        // The columns of one combination lie ncomb apart: the constructed pieces vary
        // slowest in the parameter order (see zlevLevelsAll).
        const int per = piecespercomb(e);
        for (int c = 0; c < e->ncomb; ++c) {
            double s = 0.0;
            for (int p = 0; p < per; ++p) s += est[static_cast<size_t>(p) * static_cast<size_t>(e->ncomb) + static_cast<size_t>(c)];
            bycomb[c] = divide ? scale * s / divisors[k] : scale * s;
        }
        bycomb += std::max(e->ncomb, 0);
    }
}

int zlevLSMBylevel(const levstate* ls, const lsmrequest* request, int32_t* out, uint8_t* seen) {
    int n = 0;
    if (request->kind == 1) {
        std::vector<int32_t> vals;
        for (int i = 0; i < request->n; ++i) {
            const int32_t ix = request->items[i];
            if (ix < 0 || ix >= ls->nefstmt || request->curlev[i] < 0) continue;
            const efrec* r = &ls->efstmt[ix];
            vals.resize(static_cast<size_t>(std::max(recvalues(r), 1)));
            const int m = piecevalues(r, request->curlev[i], vals.data());
            for (int v = 0; v < m; ++v) {
                const int32_t x = vals[static_cast<size_t>(v)];
                if (x < 0 || seen[x]) continue;
                seen[x] = 1;
                out[n++] = x;
            }
        }
        return n;
    }
    if (request->kind == 2) {
        int offset = 0;
        for (int i = 0; i < request->n; ++i) {
            const int32_t ix = request->items[i];
            if (ix < 0 || ix >= ls->nclassv) continue;
            if (request->curlev[i] >= 0) out[n++] = offset + request->curlev[i];
            offset += ls->classv[ix].nlev;
        }
        return n;
    }
    return -1;
}

int zlevEftClValParm(const leveffect* e, int k, const char* const* texts, int n) {
    if (!e->usecombs || k < 0 || k > e->nefref || n < 1) return -1;
    const levstate* ls = e->levback;
    const int refoff = e->combw > e->nclsall ? e->nefref : 0;
    std::vector<int32_t> want;
    if (k < e->nefref) {
        const efrec* r = partrec(e, k);
        if (!r || !r->collabels) return -1;
        const int len = static_cast<int>(std::strlen(texts[0]));
        for (int c = 0; c < r->ncols && want.empty(); ++c) {
            const int clen = r->lablens ? r->lablens[c] : static_cast<int>(std::strlen(r->collabels[c]));
            if (strjscmp(r->collabels[c], clen, texts[0], len) == 0) want.push_back(c);
        }
        if (want.empty()) return -1;
        if (!refoff) return want[0] == 0 ? 0 : -1;
    } else {
        const int m = std::min(n, e->nclsall);
        for (int j = 0; j < m; ++j) {
            const levclass& c = ls->classv[e->clsall[j]];
            const int len = static_cast<int>(std::strlen(texts[j]));
            int found = -1;
            for (int l = 0; l < c.nlev && found < 0; ++l)
                if (strjscmp(c.levels[l], c.fmtlen, texts[j], len) == 0) found = l;
            if (found < 0) return -1;
            want.push_back(found);
        }
    }
    for (int col = 0; col < e->ncol; ++col) {
        const int32_t* row = e->usecombs + static_cast<size_t>(col) * static_cast<size_t>(e->combw);
        bool match = true;
        if (k < e->nefref) match = row[k] == want[0];
        else
            for (size_t j = 0; j < want.size() && match; ++j) match = row[refoff + static_cast<int>(j)] == want[j];
        if (match) return col;
    }
    return -1;
}
