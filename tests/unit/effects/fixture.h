// A runtime host for the effects library: a data set written into a scratch folder, the
// step's statements parsed by the runtime's parser, and models built the way MODEL builds
// them (zlevmod, then zlevrgi).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "host/grammar.h"
#include "proc/effects/designcols.h"
#include "proc/effects/effects_internal.h"
#include "proc/effects/efstmts.h"
#include "proc/framework/anchor.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/pools.h"
#include "host/hostdefs.h"
#include "runtime/datasets/library.h"
#include "runtime/host/hostinstance.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/collectlog.h"

namespace efftest {

// One model's blocks, as the procedure keeps them.
struct Model {
    levstate ls{};
    levctl ctl{};
    levdata d{};
    Model() {
        ctl.ldata = &d;
        ctl.lstate = &ls;
    }
    levclass& cls(int i) { return ls.classv[i]; }
    std::string level(int var, int k) const {
        const levclass& c = ls.classv[var];
        std::string s(c.levels[k], static_cast<size_t>(c.fmtlen));
        return s.erase(s.find_last_not_of(' ') + 1);
    }
    std::vector<std::string> levels(int var) const {
        std::vector<std::string> out;
        for (int k = 0; k < ls.classv[var].nlev; ++k) out.push_back(level(var, k));
        return out;
    }
    std::vector<std::vector<int32_t>> combs(int effect) const {
        const leveffect& e = ls.effects[effect];
        std::vector<std::vector<int32_t>> out;
        for (int r = 0; r < e.nseen; ++r)
            out.emplace_back(e.combs + static_cast<size_t>(r) * e.nclsall, e.combs + static_cast<size_t>(r + 1) * e.nclsall);
        return out;
    }
};

class EffectsHost : public ::testing::Test {
protected:
    rt::HostInstance* host = nullptr;
    rt::Session session;
    testsupport::CollectLog log;
    rt::StepSource src;
    modparse mpb{};
    prsctl pctl{};
    std::filesystem::path dir;
    hdataset* ds = nullptr;
    std::vector<std::unique_ptr<Model>> models;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("vxeff-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        host = rt::makehost();
        ASSERT_TRUE(rt::beginstep(host));
        session.inst = &host->inst;
        session.log = &log;
        session.datadir = dir.string();
        rt::setcurrent(&session);
        v_global_gcb_anchor = &host->inst;
        Exported_QXHandle = host->inst.kernel;
        host->step.mpb = &mpb;
    }
    void TearDown() override {
        models.clear();
        rt::stmt::endstep();
        rt::setcurrent(nullptr);
        v_global_gcb_anchor = nullptr;
        Exported_QXHandle = nullptr;
        rt::freehost(host);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void writecsv(const std::string& member, const std::string& text) {
        std::ofstream(dir / (member + ".csv")) << text;
    }
    // Parses "proc vitalyx data=...; class ...; model ...;" and enters the first BY group.
    void parse(const std::string& step) {
        src.text = step;
        src.firstline = src.firstcol = 1;
        src.procname = "VITALYX";
        session.step = &src;
        pctl.version = 1;
        pctl.tables = vyxgrammar();
        ASSERT_EQ(rt::stmt::services()->xsproc(&pctl, &mpb, 0, nullptr, 0, 0), 0) << log.all('E');
        ASSERT_EQ(mpb.error, 0) << log.all('E');
        ds = session.input;
        ASSERT_NE(ds, nullptr);
        ASSERT_NE(rt::ds::services()->xbynext(ds), 0);
    }
    stmtrec* statement(const char* keyword) const {
        for (stmtrec* r = mpb.head; r; r = r->next)
            if (std::string(r->keyword, std::strlen(keyword)) == keyword && r->keyword[std::strlen(keyword)] == ' ') return r;
        return nullptr;
    }
    // A MODEL statement's effects as the procedure builds them, and its levels found.
    // tune runs between zlevmod and zlevrgi (ORDER, codings, threads ...).
    template <class Tune>
    Model& model(char order, Tune tune, int expectrc = 0, bool noint = false, bool coded = false) {
        models.push_back(std::make_unique<Model>());
        Model& m = *models.back();
        m.d.dsh = ds;
        m.d.ldpool = host->inst.pool;
        m.ls.truncln = -1;
        m.ls.lsflags = LS_CALLERRESP | LS_NOSTD;
        EXPECT_EQ(zlevmod(&m.ls, ds, GS_PROC_CONT, GS_PROC_CLASS, statement("MODEL"), GS_MODELEFFECTS, noint, coded), 0);
        m.ls.ordcode = order;
        tune(m);
        EXPECT_EQ(zlevrgi(&m.ctl), expectrc) << log.all('E');
        return m;
    }
    Model& model(char order = 'M') {
        return model(order, [](Model&) {});
    }
    // A variable record (response, weight or frequency) of the data set's variable name.
    levclass* varrec(const char* name) {
        auto* c = static_cast<levclass*>(poolbytes(host->inst.pool, sizeof(levclass), poolflag::zeroed_marked));
        c->varinfo = static_cast<levvarinfo*>(poolbytes(host->inst.pool, sizeof(levvarinfo), poolflag::zeroed_marked));
        c->varinfo->varnum = rt::ds::findvar(ds, name);
        rt::ds::services()->xvname(ds, c->varinfo->varnum, &c->varinfo->d);
        return c;
    }
    // An EFFECT statement record (the library's own layout) put behind the PROC record.
    stmtrec* effectstmt(const std::string& name, int kind, const std::vector<std::string>& vars) {
        poolobj* pool = host->inst.pool;
        auto* r = static_cast<stmtrec*>(poolbytes(pool, sizeof(stmtrec), poolflag::zeroed_marked));
        std::memset(r->keyword, ' ', STMT_KEYLEN);
        std::memcpy(r->keyword, "EFFECT", 6);
        r->highest = EFS_HIGHEST;
        r->slots = static_cast<optslot*>(poolbytes(pool, sizeof(optslot) * (EFS_HIGHEST + 1), poolflag::zeroed_marked));
        char* t = static_cast<char*>(poolbytes(pool, static_cast<int64_t>(name.size()) + 1, poolflag::zeroed_marked));
        std::memcpy(t, name.data(), name.size());
        r->slots[EFS_NAME].given = 1;
        r->slots[EFS_NAME].kind = SK_TEXT;
        r->slots[EFS_NAME].count = static_cast<int32_t>(name.size());
        r->slots[EFS_NAME].ptr = t;
        setnum(r, EFS_KIND, kind);
        auto* v = static_cast<int32_t*>(poolbytes(pool, 4 * static_cast<int64_t>(vars.size()) + 4, poolflag::zeroed_marked));
        for (size_t i = 0; i < vars.size(); ++i) v[i] = rt::ds::findvar(ds, vars[i]);
        r->slots[EFS_VARS].given = 1;
        r->slots[EFS_VARS].kind = SK_VARLIST;
        r->slots[EFS_VARS].count = static_cast<int32_t>(vars.size());
        r->slots[EFS_VARS].ptr = v;
        r->next = mpb.head->next;
        mpb.head->next = r;
        return r;
    }
    static void setnum(stmtrec* r, int slot, double v) {
        r->slots[slot].given = 1;
        r->slots[slot].kind = SK_NUMBER;
        r->slots[slot].num = v;
    }
    void setnums(stmtrec* r, int slot, const std::vector<double>& v) {
        auto* p = static_cast<double*>(poolbytes(host->inst.pool, 8 * static_cast<int64_t>(v.size()) + 8, poolflag::zeroed_marked));
        std::copy(v.begin(), v.end(), p);
        r->slots[slot].given = 1;
        r->slots[slot].kind = SK_NUMLIST;
        r->slots[slot].count = static_cast<int32_t>(v.size());
        r->slots[slot].ptr = p;
    }
    // Replaces the MODEL statement's effects by the given ones (lists as the host codes them:
    // CLASS positions, continuous positions, constructed effects from -10000000 down).
    void modeleffects(std::vector<parsedeff>& effs) {
        for (size_t i = 0; i + 1 < effs.size(); ++i) effs[i].next = &effs[i + 1];
        optslot& s = statement("MODEL")->slots[GS_MODELEFFECTS];
        s.given = 1;
        s.kind = SK_EFFECTS;
        s.count = static_cast<int32_t>(effs.size());
        s.ptr = effs.data();
    }
    // The design row of every observation.
    std::vector<std::vector<double>> design(Model& m) {
        std::vector<std::vector<double>> out;
        std::vector<double> row(static_cast<size_t>(m.ls.ncols));
        m.ctl.rdrewind(&m.ctl);
        while (m.ctl.rdnext(&m.ctl)) {
            zlevrgd(&m.ctl, nullptr, nullptr, nullptr);
            zlevrgx(&m.ctl, nullptr, nullptr, row.data());
            out.push_back(row);
        }
        return out;
    }

    // Reads observation by observation and returns zlevrgd's flags for each.
    std::vector<int32_t> rows(Model& m) {
        std::vector<int32_t> out;
        m.ctl.rdrewind(&m.ctl);
        while (m.ctl.rdnext(&m.ctl)) out.push_back(zlevrgd(&m.ctl, nullptr, nullptr, nullptr));
        return out;
    }
};

}  // namespace efftest
