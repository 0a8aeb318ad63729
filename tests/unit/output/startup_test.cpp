// The calls the procedure's initialisation and main routine make on the output system.
#include "host/stmtrec.h"
#include "tests/unit/output/fixture.h"

namespace {

using outtest::OutputTest;

TEST_F(OutputTest, ManagerStartupQueryAndRelease) {
    obobject* mgr = manager();
    ASSERT_NE(mgr, nullptr);
    wobitem query[] = {obflag(OBK_STARTQUERY, 1), obint(OBK_PLACE, -1), obint(OBK_LAYOUT, 1),
                       obptr(OBK_TEXT, OBT_TEXT, v->rdxmsg(0, 1))};
    EXPECT_EQ(wobmth(mgr, nullptr, OB_QUERY, 4, query), 0);

    for (bool statistical : {false, true}) {
        sess.opts.statistical = statistical;
        wobitem sg[] = {obitem(OBK_SGQUERY, OBT_FLAG)};
        sg[0].flag = 7;   // the answer replaces whatever the word held
        EXPECT_EQ(obquerycall(mgr, 1, sg), 0);
        EXPECT_EQ(sg[0].flag, statistical ? 1 : 0);
    }
    EXPECT_EQ(obrelease(mgr), 0);
    EXPECT_EQ(finish(), 0);
}

TEST_F(OutputTest, MakeRequestForTableThatNeverAppearsWarns) {
    obobject* mgr = manager();
    dsspec target{};
    std::snprintf(target.lib, sizeof target.lib, "WORK");
    std::snprintf(target.mem, sizeof target.mem, "EST");
    wobitem items[] = {obptr(OBK_NAME, OBT_TEXT, v->rdxtxt("ParmEst", 7)), obptr(OBK_TARGET, OBT_POINTER, &target)};
    EXPECT_EQ(wobmth(mgr, nullptr, OB_MAKE, 2, items), 0);
    EXPECT_EQ(obrelease(mgr), 0);
    rt::out::endstep();
    ASSERT_EQ(log.count('W'), 1);
    EXPECT_NE(log.find('W').find("ParmEst"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(sess.outdir + "/est.csv"));
    EXPECT_EQ(finish(), 0);
}

TEST_F(OutputTest, TextHandles) {
    EXPECT_EQ(str(v->rdxtxt("abcdef", 3)), "abc");
    EXPECT_EQ(str(v->rdxtxt("whole", -1)), "whole");
    msgarg a[] = {msgarg(3)};
    EXPECT_EQ(str(v->rdxtxts("Group%d", -1, 1, a)), "Group3");
    msgarg b[] = {msgarg(10.0)};
    EXPECT_EQ(str(v->rdxtxts("%-6g%% Percentile", -1, 1, b)), "10    % Percentile");
    msgarg c[] = {msgarg(-1.5), msgarg(2.25)};
    EXPECT_EQ(str(v->rdxtxts("/(%g, %g)", -1, 2, c)), "/(-1.5, 2.25)");
    // Width and text given as pairs: the length precedes its text.
    msgarg d[] = {msgarg(4), txtarg("TEMPxxxx", 4), msgarg(6), txtarg("Arrhen  ", 6)};
    EXPECT_EQ(str(v->rdxtxts("%*s( %*s )", -1, 4, d)), "TEMP( Arrhen )");
    // The same message without substitutions is one handle for the whole step.
    EXPECT_EQ(v->rdxmsg(0, 1), v->rdxmsg(0, 1));
    EXPECT_FALSE(str(v->rdxmsg(0, 1)).empty());
}

}  // namespace
