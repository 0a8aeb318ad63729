// Sorting a group's observation rows by time before its plotting positions and curve: in
// memory by the shell sorts, or through the host sort when the rows are on the group's
// utility file (the sorted file then replaces it).
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/sortwrap.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

// Row j must go after row j + gap.
struct bytime {
    bool operator()(const double* a, const double* b) const { return a[0] > b[0]; }
};
struct bytimecode {
    bool operator()(const double* a, const double* b) const { return a[0] > b[0] || (a[0] == b[0] && a[1] < b[1]); }
};

// The Shell sort with the halving gap sequence, swapping whole rows through tmp.
template <class After>
void shellsort(double* rows, int n, int m, double* tmp, After after) {
    const size_t bytes = sizeof(double) * static_cast<size_t>(m);
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap; i < n; ++i) {
            for (int j = i - gap; j >= 0; j -= gap) {
                double* a = rows + int64_t(j) * m;
                double* b = rows + int64_t(j + gap) * m;
                if (!after(a, b)) break;
                std::memcpy(tmp, a, bytes);
                std::memcpy(a, b, bytes);
                std::memcpy(b, tmp, bytes);
            }
        }
    }
}

// The host sort of a group's utility file: time ascending, then (time with censor list)
// the censoring code descending, so that a failure comes before a censored time.
int filesort(vyxstate* s, grpnode* g) {
    const int m = static_cast<int>(s->opts.rowlay[RL_ROWLEN]);
    auto* keys = static_cast<sortkey*>(s->life.sortdesc[SD_KEYS]);
    auto* c = static_cast<sortctl*>(s->life.sortdesc[SD_CTL]);
    *c = sortctl{};
    std::memset(keys, 0, 2 * sizeof(sortkey));
    xcpoint(g->ufile, 0);
    c->start = zsorxci();
    c->compare = zsorxct();
    c->infile = g->ufile;
    c->nkeys = s->inwork.rspkind == FORM_CENSOR ? 2 : 1;
    c->keys = keys;
    c->reclen = 8 * m;
    c->nrecs = -1;
    c->workcap = -1;
    c->recbuf = s->life.sortrow;
    c->exits[SORTX_GET] = zxcget();
    c->exits[SORTX_PUT] = zxcput();
    c->exits[SORTX_END] = zxcrtn();
    c->pool = s->pools.stmtpool;
    keys[0] = sortkey{0, 8, SORTK_NUM, SORTO_ASC, 0};
    keys[1] = sortkey{8, 8, SORTK_NUM, SORTO_DESC, 0};
    if (ufopen(&c->outfile) != 0) {
        xpmlog(510, E510_FILE_OPEN);
        return 1;
    }
    xcpoint(c->outfile, 0);
    const int rc = zsort(c);
    if (rc != 0) {
        xprrlog(0, rc);
        ufdrop(&c->outfile);
        return 1;
    }
    ufdrop(&g->ufile);
    g->ufile = c->outfile;
    xcpoint(g->ufile, 0);
    return 0;
}

}  // namespace

void sort(double* rows, int n, int m, double* tmp) { shellsort(rows, n, m, tmp, bytime{}); }

void sort1(double* rows, int n, int m, double* tmp) { shellsort(rows, n, m, tmp, bytimecode{}); }

int vyxpdta(vyxstate* s, grpnode* g) {
    g->pmin = g->pmin2 = 1.0;
    g->pmax = g->pmax2 = 0.0;
    const int m = static_cast<int>(s->opts.rowlay[RL_ROWLEN]);
    if (!g->ufile) {
        if (s->inwork.rspkind == FORM_CENSOR)
            sort1(g->rowbuf, g->nrows, m, s->life.sortrow);
        else
            sort(g->rowbuf, g->nrows, m, s->life.sortrow);
    } else if (filesort(s, g) != 0) {
        return 1;
    }
    return vyxcrv(s, g) != 0 ? 1 : 0;
}
