// The parser's callback for MODEL and LOGSCALE: the effect parser's name-length limit is
// NAMELEN= of the PROC record, 20 when it is not given or when no PROC record exists yet;
// other statements leave the effect parser alone.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "host/effects.h"
#include "proc/framework/optslots.h"
#include "host/module.h"
#include "host/vec31_statements.h"
#include "proc/framework/check.h"
#include "proc/framework/xinit.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/collectlog.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

stmtrec* g_current = nullptr;   // the record the parser is reading
stmtrec* current(void*) { return g_current; }

struct Rec {
    stmtrec r{};
    optslot slots[slot::proc::HIGHEST + 1]{};
    explicit Rec(const char* kw) {
        std::memset(r.keyword, ' ', sizeof r.keyword);
        std::memcpy(r.keyword, kw, std::strlen(kw));
        r.highest = slot::proc::HIGHEST;
        r.slots = slots;
    }
};

// The module's start of a step, with a parser whose current record the test chooses.
struct CheckHost {
    testsupport::CollectLog log;
    rt::Session s;
    rt::StepSource src;
    rt::HostInstance* host = nullptr;
    vec31 parser{};
    std::string out;
    CheckHost() {
        char tmpl[] = "/tmp/vxcheck-XXXXXX";
        out = mkdtemp(tmpl);
        s.datadir = s.outdir = out;
        s.log = &log;
        src.procname = "VITALYX";
        s.step = &src;
        rt::setcurrent(&s);
        host = rt::makehost();
        s.inst = &host->inst;
        parser = *rt::stmt::services();
        parser.xttkcur = current;
        host->vectors[VEC_STATEMENTS] = &parser;
        mcn_main(&host->inst, nullptr);
        rt::beginstep(host);
        xinit();
    }
    ~CheckHost() {
        rt::freehost(host);
        rt::setcurrent(nullptr);
        std::filesystem::remove_all(out);
    }
    // The limit the callback left, or -1 when it set up no effect parse.
    int limitafter(stmtrec* cur) {
        curparse()->effstate = nullptr;
        g_current = cur;
        EXPECT_EQ(check(), 0);
        g_current = nullptr;
        const auto* e = static_cast<const effprsrec*>(curparse()->effstate);
        return e ? e->limit : -1;
    }
};

}  // namespace

TEST(EffectLimit, NamelenOfTheProcRecordOrTwenty) {
    CheckHost h;
    Rec model("MODEL"), logscale("LOGSCALE"), probplot("PROBPLOT"), proc("VITALYX");
    curparse()->head = nullptr;   // no PROC record yet
    EXPECT_EQ(h.limitafter(&model.r), 20);
    EXPECT_EQ(h.limitafter(&logscale.r), 20);
    curparse()->head = &proc.r;   // a PROC record without NAMELEN=
    EXPECT_EQ(h.limitafter(&model.r), 20);
    proc.slots[slot::proc::NAMELEN].given = 1;
    proc.slots[slot::proc::NAMELEN].num = 64;
    EXPECT_EQ(h.limitafter(&model.r), 64);
    EXPECT_EQ(h.limitafter(&logscale.r), 64);
    EXPECT_EQ(h.limitafter(&probplot.r), -1) << "only MODEL and LOGSCALE set the limit";
    EXPECT_EQ(h.limitafter(nullptr), -1);
}
