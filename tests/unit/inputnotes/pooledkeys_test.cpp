// Class levels, failure modes and units are told apart by their formatted value of at most 16
// characters: values that differ further on, or numbers that format alike, are one. The results
// stay those of one value; a warning names the values each such key stands for (once per
// variable, key and BY group), MCFPLOT's errors about one unit's records name two of its ids,
// and values whose keys differ are not named.
#include <string>

#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class PooledKeys : public ProgramTest {};

// Twelve rows: lot and lot2 alternate between two values of one key (lot2 one value per grp, so
// that its key is one level of the second variable in two first-level groups), num between 1 and
// 1.0000000000001 in the first six and is 2 in the others; with one, every row has the first
// value. Units: the rows 2k and 2k + 1 are an event and the end of unit k.
std::string lots(bool one) {
    const char* t[] = {"17.88", "28.92", "33.0", "41.52", "42.12", "45.6", "48.4", "51.84", "51.96", "54.12", "55.56", "67.8"};
    std::string csv = "t,grp,lot,lot2,num,id,ev\n";
    for (int i = 0; i < 12; ++i) {
        const bool b = !one && i % 2 == 1;
        const std::string lot = b ? "Production-Line-North-B" : "Production-Line-North-A";
        const std::string num = i >= 6 ? "2" : b ? "1.0000000000001" : "1";
        csv += std::string(t[i]) + (i % 2 ? ",G1," : ",G0,") + lot + "," + lot + "," + num + "," + std::to_string(i / 2) +
               (i % 2 ? ",0\n" : ",1\n");
    }
    return csv;
}

TEST_F(PooledKeys, AClassLevelOfSeveralValuesIsNamedOnceAndFitsAsTheOneValue) {
    const std::string prog =
        "proc vitalyx data=lots;\n distribution weibull;\n make 'ParmEst' out=pe;\n unitid id;\n make 'MCFEst' out=mcf;\n"
        " mcfplot t*ev(0) = lot;\n analyze t = lot;\n probplot t = lot;\n analyze t = grp lot2;\n relationplot t = num;\nrun;\n";
    writecsv("lots", lots(false));
    const run pooled = program(prog, true);
    const auto& log = pooled.result.log;
    // lot once for MCFPLOT, ANALYZE and PROBPLOT (MCFPLOT, the first, says it); lot2 joined over
    // the groups G0 and G1; num
    EXPECT_EQ(countmsg(log, 510, 2460), 3) << log.all();
    EXPECT_TRUE(log.has('W', "The class variable lot takes 2 different values that give one level, \"Production-Line-\", in the "
                             "observations used: \"Production-Line-North-A\" and \"Production-Line-North-B\".")) << log.all();
    EXPECT_TRUE(log.has('W', "The class variable lot2 takes 2 different values")) << log.all();
    EXPECT_TRUE(log.has('W', "The class variable num takes 2 different values that give one level, 1, in the observations "
                             "used: 1 and 1.0000000000001.")) << log.all();

    writecsv("lots", lots(true));
    const run one = program(prog, true);
    EXPECT_EQ(countmsg(one.result.log, 510, 2460), 0) << one.result.log.all();
    EXPECT_EQ(pooled.result.status, 0) << log.all();
    for (const char* t : {"pe", "mcf"}) {
        const table a = pooled.get(t), b = one.get(t);
        ASSERT_GE(a.rows.size(), 6u) << t;
        EXPECT_EQ(a.rows, b.rows) << t;
    }

    // Keys that differ: no word. Five values of one key: three named and how many more; twelve
    // keys of several values: ten named, the others counted once.
    std::string csv = "t,lot\n";
    for (int i = 0; i < 10; ++i) csv += std::to_string(10 + i) + ",Line-" + char('A' + i % 2) + "-Production-North\n";
    writecsv("apart", csv);
    run r = program("proc vitalyx data=apart;\n distribution weibull;\n analyze t = lot;\nrun;\n", true);
    EXPECT_EQ(r.result.log.count('W'), 0) << r.result.log.all();
    csv = "t,lot\n";
    for (int i = 0; i < 10; ++i) csv += std::to_string(10 + i) + ",Batch-Serial-Num-" + char('A' + i % 5) + "\n";
    for (int k = 1; k < 12; ++k)
        for (int i = 0; i < 4; ++i) csv += std::to_string(10 + i) + ",S" + std::to_string(10 + k) + "-Serial-Number-" + char('A' + i % 2) + "\n";
    writecsv("many", csv);
    r = program("proc vitalyx data=many;\n distribution weibull;\n analyze t = lot;\n analyze t = lot;\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('W', "used: \"Batch-Serial-Num-A\", \"Batch-Serial-Num-B\", \"Batch-Serial-Num-C\" and 2 more.")) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2460), 10) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2461), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "The class variable lot has 2 more levels in the observations used")) << r.result.log.all();
}

// Modes "...-inner" and "...-outer" agree in their first 16 characters: the value listed by them
// matches both, which MODEL or the first statement of the BY group says; the fits are those of
// the data with one mode. A listed value longer than 16 characters is refused with the rule.
TEST_F(PooledKeys, AFailureModeValueThatMatchesSeveralModesNamesThem) {
    auto data = [](bool one) {
        const char* modes[] = {"Bearing-race-spalling-inner", "Bearing-race-spalling-outer", "cage"};
        std::string csv = "t,status,mode,x\n";
        for (int i = 0; i < 15; ++i) {
            const int m = one && i % 3 == 1 ? 0 : i % 3;
            csv += std::to_string(20 + 7 * i) + "," + (i % 4 == 3 ? "0," : "1,") + modes[m] + "," + std::to_string(i % 2) + "\n";
        }
        return csv;
    };
    const std::string keep = "proc vitalyx data=bear;\n distribution weibull;\n fmode keep mode = ('Bearing-race-spa');\n"
                             " make 'ParmEst' out=pe;\n model t*status(0) = x;\n analyze t*status(0);\nrun;\n";
    const std::string combine = "proc vitalyx data=bear;\n distribution weibull;\n fmode combine mode = ('Bearing-race-spa' 'cage');\n"
                                " make 'ParmEst' out=pe;\n analyze t*status(0);\nrun;\n";
    writecsv("bear", data(false));
    const run pooled = program(keep, true), pooledc = program(combine, true);
    EXPECT_EQ(countmsg(pooled.result.log, 510, 2462), 1) << pooled.result.log.all();
    EXPECT_TRUE(pooled.result.log.has('W', "The FMODE value \"Bearing-race-spa\" matches 2 different failure modes of mode in the observations used: "
                                           "\"Bearing-race-spalling-inner\" and \"Bearing-race-spalling-outer\".")) << pooled.result.log.all();
    EXPECT_EQ(countmsg(pooledc.result.log, 510, 2462), 1) << pooledc.result.log.all();
    writecsv("bear", data(true));
    const run one = program(keep, true), onec = program(combine, true);
    EXPECT_EQ(one.result.log.count('W'), 0) << one.result.log.all();
    EXPECT_EQ(onec.result.log.count('W'), 0) << onec.result.log.all();
    ASSERT_GE(pooled.get("pe").rows.size(), 4u);
    EXPECT_EQ(pooled.get("pe").rows, one.get("pe").rows);
    ASSERT_GE(pooledc.get("pe").rows.size(), 8u);
    EXPECT_EQ(pooledc.get("pe").rows, onec.get("pe").rows);

    const run refused = program("proc vitalyx data=bear;\n fmode keep mode = ('Bearing-race-spalling-inner');\n analyze t*status(0);\nrun;\n", true);
    EXPECT_NE(refused.result.status, 0);
    EXPECT_TRUE(refused.result.log.has('E', "is longer than 16 characters; failure modes are told apart by their formatted value of at most "
                                            "16 characters, so a mode is named by its first 16 ('Bearing-race-spa')")) << refused.result.log.all();
}

// Ids that agree in their first 16 characters (or numbers that format alike) are one unit: the
// errors about its records name two of the ids; where no error follows, a warning names them and
// the estimates are those of the records under one id.
TEST_F(PooledKeys, UnitIdsOfOneKeyAreNamedByTheErrorsAndTheWarning) {
    writecsv("ev", "unit,days,event\nLocomotive-Unit-000001,100,0\nLocomotive-Unit-000002,50,1\nLocomotive-Unit-000002,200,1\n"
                   "Locomotive-Unit-000002,300,0\n");
    run r = program("proc vitalyx data=ev;\n unitid unit;\n mcfplot days*event(0);\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('E', "the units Locomotive-Unit-000001 and Locomotive-Unit-000002 have one id, Locomotive-Unit-, "
                                      "since units are told apart by their formatted value of at most 16 characters; as one unit, an "
                                      "event at 200 lies after the end of its observation at 100.")) << r.result.log.all();
    writecsv("num", "unit,days,event\n1234567890123,100,0\n1234567890124,50,1\n1234567890124,300,0\n");
    r = program("proc vitalyx data=num;\n unitid unit;\n mcfplot days*event(0);\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('E', "the units 1234567890123 and 1234567890124 have one id, 1.2345679E12,")) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2465), 1) << r.result.log.all();

    // The events of ...-0002 count as those of ...-0001, which ends at 100.
    const std::string prog = "proc vitalyx data=u;\n unitid unit;\n make 'MCFEst' out=mcf;\n mcfplot days*event(0);\nrun;\n";
    writecsv("u", "unit,days,event\nLocomotive-Unit-0001,100,0\nLocomotive-Unit-0002,50,1\nLocomotive-Unit-0002,70,1\nOther,30,1\nOther,90,0\n");
    const run pooled = program(prog, true);
    EXPECT_EQ(pooled.result.status, 0) << pooled.result.log.all();
    EXPECT_TRUE(pooled.result.log.has('W', "The UNITID variable unit takes 2 different ids that give one unit, \"Locomotive-Unit-\", in the "
                                           "observations used: \"Locomotive-Unit-0001\" and \"Locomotive-Unit-0002\".")) << pooled.result.log.all();
    writecsv("u", "unit,days,event\nLocomotive-Unit-0001,100,0\nLocomotive-Unit-0001,50,1\nLocomotive-Unit-0001,70,1\nOther,30,1\nOther,90,0\n");
    const run one = program(prog, true);
    EXPECT_EQ(one.result.log.count('W'), 0) << one.result.log.all();
    ASSERT_EQ(pooled.get("mcf").rows.size(), 5u);
    EXPECT_EQ(pooled.get("mcf").rows, one.get("mcf").rows);
}

}  // namespace
