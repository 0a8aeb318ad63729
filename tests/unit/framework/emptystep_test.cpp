// A step whose parse yields no statement record at all (a host parser may do so): the
// initialisation returns at once, no PROC record is read, nothing runs and the step ends
// with the result of releasing the output manager. fndstmt on the empty list finds nothing
// and leaves its output alone.
#include <gtest/gtest.h>

#include "host/module.h"
#include "host/vec31_statements.h"
#include "proc/framework/fndstmt.h"
#include "runtime/host/hostinstance.h"
#include "runtime/output/output.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/collectlog.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

namespace {

int parsed = 0;
// A parser that accepts the step and makes no record.
int emptyparse(prsctl*, modparse* mpb, int, prsreq*, int, int) {
    ++parsed;
    mpb->head = nullptr;
    mpb->error = 0;
    return 0;
}

}  // namespace

TEST(EmptyStep, NoStatementRecordsRunNothingAndEndCleanly) {
    parsed = 0;
    char tmpl[] = "/tmp/vxempty-XXXXXX";
    rt::Session s;
    testsupport::CollectLog log;
    s.datadir = s.outdir = mkdtemp(tmpl);
    s.log = &log;
    rt::StepSource src;
    src.text = "proc vitalyx";
    src.procname = "VITALYX";
    s.step = &src;
    rt::setcurrent(&s);
    rt::HostInstance* host = rt::makehost();
    s.inst = &host->inst;
    vec31 parser = *rt::stmt::services();
    parser.xsproc = emptyparse;
    host->vectors[VEC_STATEMENTS] = &parser;
    const imagerec* image = mcn_main(&host->inst, nullptr);
    ASSERT_TRUE(rt::beginstep(host));
    rt::out::beginprogram(&s);
    rt::out::beginstep();

    EXPECT_EQ(image->pcns[0]->main(), 0) << log.all();
    EXPECT_EQ(parsed, 1);
    EXPECT_EQ(log.count('E'), 0) << log.all();
    EXPECT_EQ(log.count('N'), 0) << "no analysis ran: " << log.all();
    stmtrec marker{};
    stmtrec* last = &marker;
    EXPECT_EQ(fndstmt("ANALYZE", &last), 0);
    EXPECT_EQ(last, &marker);

    rt::stmt::endstep();
    rt::out::endstep();
    std::string err;
    rt::out::endprogram(err);
    rt::freehost(host);
    rt::setcurrent(nullptr);
}
