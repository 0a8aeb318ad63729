// The runtime host of the utility tests with a zeroed state block and its pools, and
// helpers that fill a group node with observation rows as the BY-group input leaves them:
// in memory, or in blocks of rows per buffer on the group's utility file.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <memory>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/framework/wobmth.h"
#include "runtime/output/output.h"
#include "tests/support/hostfixture.h"

namespace nptest {

// A pool in front of a real one that refuses allocations of `limit` bytes or more: every
// time, or only the first `refusals` times.
struct limitpool {
    poolobj head;
    poolobj* real;
    int64_t limit;
    int refusals;   // -1: always
    static void* alloc(poolobj* p, int64_t size, int flags) {
        auto* lp = reinterpret_cast<limitpool*>(p);
        if (size >= lp->limit && lp->refusals != 0) {
            if (lp->refusals > 0) --lp->refusals;
            return nullptr;
        }
        return lp->real->fns.alloc(lp->real, size, flags);
    }
    static void release(poolobj* p, void* b, int64_t size, int flags) {
        auto* lp = reinterpret_cast<limitpool*>(p);
        lp->real->fns.free(lp->real, b, size, flags);
    }
};

// The kinds of row the tests build: time rows (form 0), time-and-code rows (form 1) and
// lower/upper rows (form 2); the weight follows when withfreq.
struct obs {
    double a, b;   // time and code (form 1), or lower and upper end (form 2); b unused for form 0
    double w = 1;
};

// The Turnbull options as the statement leaves them by default: MAXITEM=10000 (history every
// 10), TOLLIKE=1E-8, TOLPROB not given, polishing, SINGULAR=1E-12.
inline void turnbulldefaults(vyxstate* s) {
    s->life.emmaxit[EM_MAXIT] = 10000;
    s->life.emmaxit[EM_HISTSTEP] = 10;
    s->life.fit.itopts[IT_TOLLIKE] = 1e-8;
    s->life.fit.itopts[IT_TOLPROB] = hostmissing();
    s->life.emflags[EMF_POLISH] = 1;
    s->life.fit.fitcrit.singular = 1e-12;
}

class NonparamTest : public HostTest {
protected:
    std::unique_ptr<vyxarea> area;
    vyxstate* s = nullptr;
    std::vector<std::vector<double>> keep;   // row storage of the groups made here
    std::deque<grpnode> groups;              // the groups made here; their files are closed at the end
    limitpool small{};

    void SetUp() override {
        HostTest::SetUp();
        area = std::make_unique<vyxarea>();
        std::memset(static_cast<void*>(area.get()), 0, sizeof(vyxarea));
        s = &area->s;
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        s->optsw.alpha = 0.05;
        s->life.npbounds[0] = s->life.npbounds[1] = hostmissing();
        s->optsw.rowlay[0] = 100;
    }
    void TearDown() override {
        if (outputon) {
            std::string err;
            rt::out::endprogram(err);
            std::filesystem::remove_all(outdir);
        }
        for (grpnode& g : groups) {
            if (g.ufile) xcclose(g.ufile, 1);
            if (g.ufile2) xcclose(g.ufile2, 1);
        }
        if (s->pools.emfile) xcclose(s->pools.emfile, 1);
        if (s->pools.stmtpool == &small.head) s->pools.stmtpool = small.real;
        if (s->pools.stmtpool) xmpoold(s->pools.stmtpool);
        if (s->pools.workpool) xmpoold(s->pools.workpool);
        HostTest::TearDown();
    }

    // Makes statement-pool allocations of limit bytes or more fail from now on (the first
    // `refusals` of them only, when that is not -1).
    void limitpool_to(int64_t limit, int refusals = -1) {
        small.head.fns.alloc = limitpool::alloc;
        small.head.fns.free = limitpool::release;
        if (s->pools.stmtpool != &small.head) small.real = s->pools.stmtpool;
        small.limit = limit;
        small.refusals = refusals;
        s->pools.stmtpool = &small.head;
    }

    // The output system with its manager in s->out.outmgr, as the procedure's start leaves it.
    bool outputon = false;
    std::string outdir;
    void startoutput() {
        char tmpl[] = "/tmp/vxnp-XXXXXX";
        outdir = mkdtemp(tmpl);
        session.outdir = outdir + "/out";
        session.opts.linesize = 120;
        rt::out::beginprogram(&session);
        rt::out::beginstep();
        outputon = true;
        ASSERT_EQ(xobinit(&s->out.obenv, 0), 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7),
                            obitem(OBK_CREATED, OBT_OBJECT), obint(OBK_MSGGROUP, 510)};
        ASSERT_EQ(wobmth(s->out.obenv, nullptr, OB_CREATE, 4, create), 0);
        s->out.outmgr = static_cast<obobject*>(create[2].v.p);
    }
    // Ends the output and returns the listing.
    std::string listing() {
        rt::out::endstep();
        std::string err;
        rt::out::endprogram(err);
        outputon = false;
        std::ifstream f(session.outdir + "/listing.txt");
        std::stringstream t;
        t << f.rdbuf();
        std::filesystem::remove_all(outdir);
        return t.str();
    }

    // A new, zeroed group node.
    grpnode& group() {
        groups.emplace_back();
        std::memset(static_cast<void*>(&groups.back()), 0, sizeof(grpnode));
        return groups.back();
    }

    // Fills group g with rows of the given form (0, 1 or 2), counting weights as the input
    // does. With spill the rows go to a utility file in blocks of rows per buffer.
    void fill(grpnode* g, int form, const std::vector<obs>& rows, bool withfreq, bool spill = false) {
        std::memset(s->inputw.rspform, 0, sizeof s->inputw.rspform);
        s->inputw.rspform[form == 0 ? RF_TIME : form == 1 ? RF_CENSOR : RF_INTERVAL] = 1;
        s->inwork.rspkind = static_cast<uint32_t>(form);
        s->inputw.nfreq = withfreq ? 1 : 0;
        const int dpr = (form == 0 ? 1 : 2) + (withfreq ? 1 : 0);
        s->optsw.rowlay[1] = static_cast<uint32_t>(dpr);
        std::vector<double> data;
        for (const obs& o : rows) {
            data.push_back(o.a);
            if (form != 0) data.push_back(o.b);
            if (withfreq) data.push_back(o.w);
            int code = 0;
            if (form == 1) code = static_cast<int>(o.b);
            if (form == 2) {
                if (std::isnan(o.a)) code = -2;
                else if (std::isnan(o.b)) code = -1;
                else if (o.a < o.b) code = -3;
            }
            g->totw += o.w;
            g->nobs += 1;
            if (code == 0) {
                g->wfail += o.w;
                g->nfail += 1;
            } else if (code == -1) {
                g->wright += o.w;
            } else if (code == -2) {
                g->wleft += o.w;
            } else {
                g->wint += o.w;
            }
        }
        if (!spill) {
            keep.push_back(data);
            g->rowbuf = keep.back().data();
            return;
        }
        const int64_t rpb = s->opts.rowlay[0];
        ASSERT_EQ(xcopen(&g->ufile, XC_SCRATCH), 0);
        for (size_t at = 0; at < rows.size(); at += static_cast<size_t>(rpb)) {
            size_t n = std::min(rows.size() - at, static_cast<size_t>(rpb));
            ASSERT_EQ(xcwrite(g->ufile, data.data() + at * dpr, static_cast<int64_t>(n * dpr * 8)), 0);
        }
        keep.emplace_back(static_cast<size_t>(rpb * dpr));
        g->rowbuf = keep.back().data();
    }

    // The curve records of a group, read back from memory or from its curve file.
    std::vector<std::array<double, CR_WORDS>> curve(grpnode* g) {
        std::vector<std::array<double, CR_WORDS>> out(static_cast<size_t>(g->ncurve));
        if (g->crvinmem) {
            std::memcpy(out.data(), g->crvbuf, out.size() * CR_BYTES);
            return out;
        }
        std::vector<double> block(CR_PERBLOCK * CR_WORDS);
        xcpoint(g->ufile2, 0);
        size_t got = 0;
        while (got < out.size()) {
            EXPECT_EQ(xcread(g->ufile2, block.data(), CR_BLOCKBYTES), 0);
            size_t n = std::min(out.size() - got, size_t(CR_PERBLOCK));
            std::memcpy(out.data() + got, block.data(), n * CR_BYTES);
            got += n;
        }
        return out;
    }
};

}  // namespace nptest
