// The procedure's parse set-up against the runtime host: parse-control block, parser block,
// effect-parse record and the callback that sets the effect parser's limit.
#include <gtest/gtest.h>
#include "host/effects.h"
#include "host/grammar.h"
#include "parsehelp.h"
#include "proc/framework/anchor.h"
#include "proc/framework/check.h"
#include "proc/framework/prssetup.h"
#include "runtime/host/hostinstance.h"

using namespace vxtest;

namespace {
// A step of the runtime host around prssetup, as vyxinit runs it.
struct HostStep {
    rt::Session session;
    CollectLog log;
    rt::StepSource src;
    rt::HostInstance* host = nullptr;
    modparse mpb{};
    int rc = 0;
    explicit HostStep(const std::string& text) {
        session.datadir = VITALYX_TEST_DATA "/statements";
        session.log = &log;
        src.text = text;
        src.procname = "VITALYX";
        session.step = &src;
        rt::setcurrent(&session);
        host = rt::makehost();
        rt::beginstep(host);
        session.inst = &host->inst;
        host->step.mpb = &mpb;
        v_global_gcb_anchor = &host->inst;
        rc = prssetup();
    }
    ~HostStep() {
        rt::stmt::endstep();
        v_global_gcb_anchor = nullptr;
        rt::freehost(host);
        rt::setcurrent(nullptr);
    }
};
int limit(const modparse& m) { return static_cast<const effprsrec*>(m.effstate)->limit; }
}  // namespace

TEST(Glue, SetUpParsesAndLeavesTheBlocksInTheModuleParseBlock) {
    HostStep s("proc vitalyx data=fans; probplot hours;");
    ASSERT_EQ(s.rc, 0) << s.log.all('E');
    ASSERT_NE(s.mpb.head, nullptr);
    EXPECT_EQ(keyword(s.mpb.head->next), "PROBPLOT");
    const auto* pb = static_cast<const prsblk*>(s.mpb.parser);
    ASSERT_NE(pb, nullptr);
    ASSERT_NE(pb->ctl, nullptr);
    EXPECT_EQ(pb->ctl->version, 1);
    EXPECT_EQ(pb->ctl->tables, vyxgrammar());
    EXPECT_NE(pb->ctl->tokenizer, nullptr);
    EXPECT_NE(pb->ctl->semantic, nullptr);
    EXPECT_NE(pb->ctl->anchor, nullptr);
    EXPECT_EQ(pb->effentry, s.mpb.effentry);
    ASSERT_NE(s.mpb.effstate, nullptr);
    const auto* e = static_cast<const effprsrec*>(s.mpb.effstate);
    EXPECT_EQ(e->limit, 20);
    EXPECT_EQ(e->flag, 1);
    EXPECT_EQ(e->list1tail, &e->list1);
    EXPECT_EQ(e->list2tail, &e->list2);
}

TEST(Glue, CheckSetsTheLimitFromNamelenForModelAndLogscale) {
    {
        HostStep s("proc vitalyx data=fans namelen=30; model hours = temp;");
        ASSERT_EQ(s.rc, 0) << s.log.all('E');
        EXPECT_EQ(limit(s.mpb), 30);
    }
    {
        HostStep s("proc vitalyx data=fans; logscale temp;");
        ASSERT_EQ(s.rc, 0) << s.log.all('E');
        EXPECT_EQ(limit(s.mpb), 20);
    }
    {
        // a PROBPLOT statement leaves the record of the set-up alone
        HostStep s("proc vitalyx data=fans namelen=30; probplot hours;");
        EXPECT_EQ(limit(s.mpb), 20);
    }
}

TEST(Glue, SyntaxErrorGivesTheErrorWord) {
    HostStep s("proc vitalyx data=fans namelen=10;");
    EXPECT_EQ(s.rc, 1012);
    EXPECT_EQ(s.mpb.error, 1012);
}
