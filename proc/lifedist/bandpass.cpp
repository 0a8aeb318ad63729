// The simultaneous band of a group's curve. Lower limits are made non-decreasing from
// the left and upper limits from the right; a missing limit breaks the chain. Curves on
// the utility file get the same limits: a first pass summarises each block's upper limits
// so that the carry from the right is known, a second pass writes the finished blocks to
// a new file that replaces the old one.
#include <cmath>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

struct bandrun {
    grpnode* g;
    double c;
    double prevlo;   // adjusted lower limit of the record before the block
};

// Raw simultaneous upper limit of one record.
double rawupper(const double* r, double c) {
    double lo, up;
    logitlimits(r[CR_F], r[CR_SE], c, &lo, &up);
    return up;
}

// Limits of the n records of one block; nextup is the adjusted upper limit of the record
// after the block (missing when there is none or it is missing).
void bandblock(bandrun& b, double* recs, int64_t n, double nextup) {
    grpnode* g = b.g;
    for (int64_t i = 0; i < n; ++i) {
        double* r = recs + i * CR_WORDS;
        double lo, up;
        logitlimits(r[CR_F], r[CR_SE], b.c, &lo, &up);
        if (std::isfinite(lo) && std::isfinite(b.prevlo) && lo < b.prevlo) lo = b.prevlo;
        r[CR_SIMLOWER] = lo;
        r[CR_SIMUPPER] = up;
        b.prevlo = lo;
        if (std::isfinite(lo)) {
            if (lo < g->pmin) g->pmin = lo;
            if (lo < g->pmin2) g->pmin2 = lo;
        }
    }
    for (int64_t j = n - 1; j >= 0; --j) {
        double* r = recs + j * CR_WORDS;
        double up = r[CR_SIMUPPER];
        if (std::isfinite(up) && std::isfinite(nextup) && nextup < up) up = nextup;
        r[CR_SIMUPPER] = up;
        nextup = up;
        if (std::isfinite(up)) {
            if (up > g->pmax) g->pmax = up;
            if (up > g->pmax2) g->pmax2 = up;
        }
    }
}

// Reads block k (n records) of the curve file into the group's block buffer.
int readblock(grpnode* g) {
    int rc = xcread(g->ufile2, g->crvbuf, CR_BLOCKBYTES);
    if (rc != 0) {
        xpmlog(510, E510_FILE_ENDS_EARLY);
        return RC_READ;
    }
    return 0;
}

int bandfile(bandrun& b, int32_t ncurve) {
    grpnode* g = b.g;
    const int64_t nblocks = ncurve / CR_PERBLOCK + 1;   // the last block is shorter, perhaps empty
    auto count = [&](int64_t k) { return k < nblocks - 1 ? int64_t(CR_PERBLOCK) : int64_t(ncurve % CR_PERBLOCK); };

    // Pass 1: per block, whether its first upper limit is missing, whether any is, and the
    // smallest upper limit before the first missing one.
    struct summary {
        bool firstnan = false, hasnan = false;
        double prefixmin = INFINITY;
    };
    std::vector<summary> sum(static_cast<size_t>(nblocks));
    xcpoint(g->ufile2, 0);
    for (int64_t k = 0; k < nblocks; ++k) {
        if (int rc = readblock(g)) return rc;
        summary& s = sum[static_cast<size_t>(k)];
        const int64_t n = count(k);
        for (int64_t i = 0; i < n; ++i) {
            double up = rawupper(g->crvbuf + i * CR_WORDS, b.c);
            if (!std::isfinite(up)) {
                if (i == 0) s.firstnan = true;
                s.hasnan = true;
                break;
            }
            if (up < s.prefixmin) s.prefixmin = up;
        }
    }
    // The adjusted upper limit of the first record of each block, from the right.
    std::vector<double> firstup(static_cast<size_t>(nblocks), hostmissing());
    for (int64_t k = nblocks - 1; k >= 0; --k) {
        const summary& s = sum[static_cast<size_t>(k)];
        if (count(k) == 0 || s.firstnan) {
            // An empty block passes on the carry of the block after it.
            if (count(k) == 0 && k + 1 < nblocks) firstup[static_cast<size_t>(k)] = firstup[static_cast<size_t>(k + 1)];
            continue;
        }
        double v = s.prefixmin;
        if (!s.hasnan && k + 1 < nblocks) {
            double next = firstup[static_cast<size_t>(k + 1)];
            if (std::isfinite(next) && next < v) v = next;
        }
        firstup[static_cast<size_t>(k)] = v;
    }

    // Pass 2: finish each block and write it to a new file.
    xchandle out = nullptr;
    if (xcopen(&out, XC_SCRATCH) != 0 || !out) {
        xpmlog(510, E510_FILE_OPEN);
        return RC_REPORTED;
    }
    xcpoint(out, 0);
    xcpoint(g->ufile2, 0);
    for (int64_t k = 0; k < nblocks; ++k) {
        int rc = readblock(g);
        if (rc) {
            xcclose(out, 1);
            return rc;
        }
        const int64_t n = count(k);
        const double next = k + 1 < nblocks ? firstup[static_cast<size_t>(k + 1)] : hostmissing();
        bandblock(b, g->crvbuf, n, next);
        if (xcwrite(out, g->crvbuf, n * CR_BYTES) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            xcclose(out, 1);
            xexit(RC_INPUT, 0);
            return RC_INPUT;
        }
    }
    xcclose(g->ufile2, 1);
    g->ufile2 = out;
    xcpoint(out, 0);
    return 0;
}

}  // namespace

int curveband(vyxstate* s, grpnode* g, double kl, double ku) {
    double aL = kl, aU = ku;
    if (std::isfinite(s->life.npbounds[RG_LO])) {
        aL = s->life.npbounds[RG_LO];
        aU = s->life.npbounds[RG_HI];
    }
    double c = simconfact(aL, aU, s->opts.alpha);
    if (std::isnan(c)) c = 1.0;
    s->life.simfactor = c;
    if (g->ncurve <= 0) return 0;
    bandrun b{g, c, hostmissing()};
    if (g->crvinmem) {
        bandblock(b, g->crvbuf, g->ncurve, hostmissing());
        return 0;
    }
    return bandfile(b, g->ncurve);
}
