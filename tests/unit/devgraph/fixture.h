// A step of the procedure for the drawing routines: the runtime's host with its pools, an
// output program and manager, device graphics that record their pages (no files), a state
// block with its pools and plot layout record, and statement records built by the test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "proc/devgraph/destinations.h"
#include "proc/framework/hostgraphics.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/anchor.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "runtime/graphics/devstate.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "runtime/supervisor/svcextra.h"
#include "tests/support/collectlog.h"

// A statement record with the options a test gives it.
class Stmt {
public:
    explicit Stmt(const char* keyword) {
        std::memset(rec_.keyword, ' ', STMT_KEYLEN);
        std::memcpy(rec_.keyword, keyword, std::strlen(keyword));
        slots_.resize(131);
    }
    Stmt& num(int slot, double v) {
        optslot& o = at(slot, SK_NUMBER);
        o.num = v;
        return *this;
    }
    Stmt& name(int slot, const char* n) {
        optslot& o = at(slot, SK_NAME);
        std::memset(o.name, ' ', 8);
        std::memcpy(o.name, n, std::min<size_t>(8, std::strlen(n)));
        return *this;
    }
    Stmt& text(int slot, const std::string& t) {
        texts_.push_back(t);
        optslot& o = at(slot, SK_QSTRING);
        o.count = static_cast<int32_t>(t.size());
        o.ptr = const_cast<char*>(texts_.back().data());
        return *this;
    }
    Stmt& nums(int slot, std::initializer_list<double> v) {
        numlists_.emplace_back(v);
        optslot& o = at(slot, SK_NUMLIST);
        o.count = static_cast<int32_t>(v.size());
        o.ptr = numlists_.back().data();
        return *this;
    }
    Stmt& names(int slot, std::initializer_list<const char*> v) {
        auto& l = namelists_.emplace_back();
        for (const char* n : v) l.push_back(slname{n});
        optslot& o = at(slot, SK_NAMELIST);
        o.count = static_cast<int32_t>(v.size());
        o.ptr = l.data();
        return *this;
    }
    Stmt& qstrs(int slot, std::initializer_list<const char*> v) {
        auto& l = qslists_.emplace_back();
        for (const char* n : v) l.push_back(slstring{static_cast<int32_t>(std::strlen(n)), n});
        optslot& o = at(slot, SK_QSLIST);
        o.count = static_cast<int32_t>(v.size());
        o.ptr = l.data();
        return *this;
    }
    Stmt& dataset(int slot, void* handle) {
        optslot& o = at(slot, SK_DATASET);
        o.handle = handle;
        return *this;
    }
    Stmt& flag(int k) {
        setstmtflag(&rec_, k);
        return *this;
    }
    stmtrec* rec() {
        rec_.slots = slots_.data();
        return &rec_;
    }

private:
    optslot& at(int slot, uint8_t kind) {
        if (slot >= static_cast<int>(slots_.size())) slots_.resize(static_cast<size_t>(slot) + 1);
        rec_.highest = std::max(rec_.highest, slot);
        optslot& o = slots_[static_cast<size_t>(slot)];
        o = optslot{};
        o.given = 1;
        o.kind = kind;
        return o;
    }
    stmtrec rec_{};
    std::vector<optslot> slots_;
    std::deque<std::string> texts_;
    std::deque<std::vector<double>> numlists_;
    std::deque<std::vector<slname>> namelists_;
    std::deque<std::vector<slstring>> qslists_;
};

class DevGraphTest : public ::testing::Test {
protected:
    rt::HostInstance* host = nullptr;
    rt::Session session;
    testsupport::CollectLog log;
    std::unique_ptr<vyxstate> state;
    vyxstate* s = nullptr;
    plotlay* f = nullptr;
    Stmt proc{"VITALYX"};
    std::string outdir;

    void SetUp() override {
        char tmpl[] = "/tmp/vxdev-XXXXXX";
        outdir = mkdtemp(tmpl);
        host = rt::makehost();
        ASSERT_TRUE(rt::beginstep(host));
        session.inst = &host->inst;
        session.outdir = outdir;
        session.log = &log;
        session.opts.gstyle = true;   // the output style's elements in use; tests that want none turn them off
        rt::setcurrent(&session);
        v_global_gcb_anchor = &host->inst;
        rt::out::beginprogram(&session);
        rt::out::beginstep();
        rt::gfx::resetdevstate();
        rt::sup::endglobals();
        rt::gfx::devstate(&session).record = true;
        rt::gfx::devstate(&session).writefiles = false;
        state = std::make_unique<vyxstate>();
        s = state.get();
        s->pools.bypool = xmpoolc(8192, 8192, 4);
        s->pools.stmtpool = xmpoolc(8192, 8192, 4);
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        f = static_cast<plotlay*>(poolbytes(s->pools.stmtpool, sizeof(plotlay), poolflag::zeroed));
        s->plot.frame = f;
        s->inputw.procstmt = proc.rec();
        s->optsw.alpha = 0.05;
        s->inputw.stmtkind = 1;
        s->plot.gstarted = 1;
        std::memset(s->poptw.gfile, ' ', 8);
        makemanager();
    }
    void TearDown() override {
        std::string err;
        rt::out::endstep();
        rt::out::endprogram(err);
        rt::gfx::resetdevstate();
        rt::sup::endglobals();
        rt::endstep(host);
        rt::freehost(host);
        v_global_gcb_anchor = nullptr;
        rt::setcurrent(nullptr);
        std::filesystem::remove_all(outdir);
    }
    void makemanager() {
        const vec320* v = rt::out::services();
        ASSERT_EQ(v->xobinit(&s->out.obenv, 0), 0);
        wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7), obitem(OBK_CREATED, OBT_OBJECT),
                            obint(OBK_MSGGROUP, 510)};
        ASSERT_EQ(wobmth(s->out.obenv, nullptr, OB_CREATE, 4, create), 0);
        s->out.outmgr = static_cast<obobject*>(create[2].v.p);
    }
    // Opens the destinations and starts device graphics on the first one (vyxgini).
    void startgraph();
    // Opens a page (segment) to draw into; its recording.
    const rt::gfx::RecordingCanvas& openpage() {
        uint32_t handles[2];
        void* seg = nullptr;
        EXPECT_EQ(ggoseg(0, 0, s->plot.gcatent, &seg, handles, "TEST    ", nullptr, "", 1, 1, 0, nullptr, nullptr), 0);
        page = static_cast<rt::gfx::Page*>(seg);
        return *page->rec;
    }
    rt::gfx::Page* page = nullptr;
    // A frame of the given geometry with data ranges 0..10 on both axes.
    void frame(double fx, double fy, double fw, double fh, double gap = 1.0) {
        f->fx = fx, f->fy = fy, f->fw = fw, f->fh = fh;
        f->gapl = f->gapr = f->gapb = f->gapt = gap;
        f->hmin = f->vmin = 0, f->hmax = f->vmax = 10;
        f->hfac = fw / 10, f->hoff = fx, f->vfac = fh / 10, f->voff = fy;
        f->txth = f->txth2 = 2.0;
        f->chw = 1.25, f->chh = 100.0 / 45, f->chdiv = 0.75;
        std::memset(f->tattr, ' ', 8);
        std::memset(f->lblfont, ' ', 8);
    }
    // The recording in page percent: x and y of point k of primitive p.
    double px(const rt::gfx::Prim* p, size_t k) const { return page->rec->pctx(p->xy[2 * k]); }
    double py(const rt::gfx::Prim* p, size_t k) const { return page->rec->pcty(p->xy[2 * k + 1]); }
    bool logged(const std::string& part) const { return log.has(part); }
};

inline void DevGraphTest::startgraph() {
    s->plot.gdest.outmgr = s->out.outmgr;
    s->plot.gdest.outenv = s->out.obenv;
    ASSERT_EQ(zqidest(&s->plot.gdest), 0);
    s->plot.gdest.destidx = 0;
}
