// Class levels, failure modes and units are told apart by their formatted value cut to 16 bytes
// (at a whole character): values that differ further on, or numbers that format alike, are one. The results
// stay those of one value; a warning names the values each such key stands for (once per
// variable, key and BY group), MCFPLOT's errors about one unit's records name two of its ids,
// and values whose keys differ are not named.
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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
    EXPECT_TRUE(r.result.log.has('W', "The class variable lot has 2 more levels that each stand for more than one value in the observations used")) << r.result.log.all();
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
    EXPECT_TRUE(refused.result.log.has('E', "is longer than 16 bytes (16 characters of plain ASCII); failure modes are told apart by their "
                                            "formatted value cut to 16 bytes at a whole character, so a mode is named by 'Bearing-race-spa'"))
        << refused.result.log.all();
}

// Ids that agree in their first 16 characters (or numbers that format alike) are one unit: the
// errors about its records name two of the ids; where no error follows, a warning names them and
// the estimates are those of the records under one id.
TEST_F(PooledKeys, UnitIdsOfOneKeyAreNamedByTheErrorsAndTheWarning) {
    writecsv("ev", "unit,days,event\nLocomotive-Unit-000001,100,0\nLocomotive-Unit-000002,50,1\nLocomotive-Unit-000002,200,1\n"
                   "Locomotive-Unit-000002,300,0\n");
    run r = program("proc vitalyx data=ev;\n unitid unit;\n mcfplot days*event(0);\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('E', "the units Locomotive-Unit-000002 and Locomotive-Unit-000001 have one id, Locomotive-Unit-, "
                                      "since units are told apart by their formatted value cut to 16 bytes (16 characters of plain ASCII); "
                                      "as one unit, the event of Locomotive-Unit-000002 at 200 lies after the end of observation of "
                                      "Locomotive-Unit-000001 at 100.")) << r.result.log.all();
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

// Whether text is UTF-8, as iconv reads it.
bool isutf8(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", "UTF-8");
    std::string in = text, out(text.size() + 16, '\0');
    char* ip = in.data();
    char* op = out.data();
    size_t il = in.size(), ol = out.size();
    const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0;
    iconv_close(cd);
    return ok;
}

std::string filetext(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Keys are cut to 16 bytes, back to the last whole UTF-8 character: "Ligne-de-prod-Aé1" and
// "...-Aè2" (the 16th byte the first of "é") are the level "Ligne-de-prod-A", a 4-byte
// character from the 14th byte on leaves 13 bytes, and "ÉÉÉÉÉÉÉÉÉA" (the 16th byte ends an É)
// keeps 16. No output holds part of a character; a value that is not UTF-8 keeps its 16 bytes.
TEST_F(PooledKeys, KeysEndOnAWholeCharacter) {
    const char* values[] = {"ÉÉÉÉÉÉÉÉÉA", "ÉÉÉÉÉÉÉÉÉB", "Ligne-de-prod-Aé1", "Ligne-de-prod-Aè2",
                            "abcdefghijklm\xF0\x9F\x99\x82x", "abcdefghijklm\xF0\x9F\x99\x83y", "Plain"};
    std::string csv = "t,c,g\n";
    for (int i = 0; i < 21; ++i) csv += std::to_string(100 + 37 * i) + ",1," + values[i % 7] + "\n";
    writecsv("u8", csv);
    const run r = program("proc vitalyx data=u8;\n distribution weibull;\n make 'ParmEst' out=pe;\n"
                          " probplot t*c(0) = g / overlay pref=50 preflabels='Ligne-de-prod-Aé1 x';\n"
                          " analyze t*c(0) = g;\nrun;\n", true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    // A reference label longer than 16 bytes is cut the same way, in its NOTE as on the page.
    EXPECT_TRUE(r.result.log.has('N', "(\"Ligne-de-prod-A\" for \"Ligne-de-prod-Aé1 x\")")) << r.result.log.all();
    EXPECT_EQ(countmsg(r.result.log, 510, 2460), 3) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('W', "takes 2 different values that give one level, \"Ligne-de-prod-A\", in the observations used: "
                                      "\"Ligne-de-prod-Aé1\" and \"Ligne-de-prod-Aè2\". The levels of g are made from its formatted "
                                      "values cut to 16 bytes (16 characters of plain ASCII)")) << r.result.log.all();
    const table pe = r.get("pe");
    std::set<std::string> groups;
    for (size_t i = 0; i < pe.rows.size(); ++i) groups.insert(pe.text(i, "Group"));
    EXPECT_EQ(groups, (std::set<std::string>{"Ligne-de-prod-A", "Plain", "abcdefghijklm", "ÉÉÉÉÉÉÉÉ"}));
    EXPECT_TRUE(isutf8(r.result.log.all()));
    int files = 0;
    for (const auto& f : std::filesystem::recursive_directory_iterator(out))
        if (f.is_regular_file() && f.path().extension() != ".png") {
            ++files;
            EXPECT_TRUE(isutf8(filetext(f.path()))) << f.path();
        }
    EXPECT_GE(files, 3);

    // The FMODE statement refuses a value longer than 16 bytes and offers one a program can write.
    const run fm = program("proc vitalyx data=u8;\n fmode keep g = ('Ligne-de-prod-Aé1');\n analyze t*c(0);\nrun;\n", true);
    EXPECT_TRUE(fm.result.log.has('E', "so a mode is named by 'Ligne-de-prod-A', and")) << fm.result.log.all();
    EXPECT_TRUE(isutf8(fm.result.log.all()));

    // Not UTF-8 ("é" in Latin-1): the 16 bytes stay, and so two levels.
    writecsv("l1", "t,c,g\n100,1,Ligne-de-prod-A\xE9" "1\n200,1,Ligne-de-prod-A\xE9" "1\n150,1,Ligne-de-prod-A\n250,1,Ligne-de-prod-A\n");
    const run l1 = program("proc vitalyx data=l1;\n distribution weibull;\n make 'ParmEst' out=pe;\n analyze t*c(0) = g;\nrun;\n", true);
    std::set<std::string> l1groups;
    for (const auto& row : l1.get("pe").rows) l1groups.insert(row.back());
    EXPECT_EQ(l1groups, (std::set<std::string>{"Ligne-de-prod-A", "Ligne-de-prod-A\xE9"})) << l1.result.log.all();
}

// Text that is not UTF-8 keeps its bytes. Latin-1 lots that differ in their 16th byte (0xE9,
// 0xE8) are two levels of MODEL under TRUNCATE=16, with the estimates of the same data under two
// ASCII names (in UTF-8 they are one), and their OBSTATS texts keep 16 bytes; a Latin-1 reference
// label is written to 16 bytes; the FMODE statement offers the 16-byte key of a value whose 15th
// and 16th bytes are continuation bytes without a lead.
TEST_F(PooledKeys, TextThatIsNotUtf8KeepsItsBytes) {
    auto lots = [](const char* a, const char* b) {
        const char* rows[] = {"521.3,0", "886.4,1", "679.7,1", "962.4,1", "991.3,0", "260.3,1", "115.1,1", "1347.9,1",
                              "4036.9,0", "2413.0,1", "3028.5,1", "1212.1,1", "3011.2,0", "4269.4,1", "2581.8,1", "3488.1,1"};
        std::string csv = "lot,t,c\n";
        for (int i = 0; i < 16; ++i) csv += std::string("Ligne-de-prod-A") + (i < 8 ? a : b) + "," + rows[i] + "\n";
        return csv;
    };
    const std::string prog = "proc vitalyx data=lots;\n class lot / truncate=16;\n distribution weibull;\n make 'Modprmest' out=pm;\n"
                             " model t*c(0) = lot;\nrun;\nproc vitalyx data=lots;\n class lot;\n distribution weibull;\n"
                             " make 'ModObstats' out=po;\n model t*c(0) = lot / obstats;\nrun;\n";
    writecsv("lots", lots("\xE9" "1", "\xE8" "2"));
    const run l1 = program(prog, true);
    EXPECT_EQ(l1.result.status, 0) << l1.result.log.all();
    EXPECT_EQ(countmsg(l1.result.log, 172, 398), 0) << l1.result.log.all();
    const table pm = l1.get("pm"), po = l1.get("po");
    writecsv("lots", lots("e1", "d2"));
    const table pmascii = program(prog, true).get("pm");
    // The same lots in UTF-8 are cut back to one level, which MODEL warns of.
    writecsv("lots", lots("\xC3\xA9" "1", "\xC3\xA8" "2"));
    const run u8 = program(prog, true);
    EXPECT_TRUE(u8.result.log.has('W', "The CLASS variable lot has only one level (formatted in 16 bytes: Ligne-de-prod-A);"))
        << u8.result.log.all();
    ASSERT_EQ(pm.rows.size(), 5u);
    ASSERT_EQ(pmascii.rows.size(), 5u);
    for (size_t i = 0; i < pm.rows.size(); ++i)
        for (const char* c : {"Parm", "Estimate", "Stderr", "Lower", "Upper"}) EXPECT_EQ(pm.text(i, c), pmascii.text(i, c)) << i << c;
    EXPECT_EQ(pm.text(1, "Level1"), "Ligne-de-prod-A\xE8");
    EXPECT_EQ(pm.text(2, "Level1"), "Ligne-de-prod-A\xE9");
    ASSERT_EQ(po.rows.size(), 16u);
    EXPECT_EQ(po.text(0, "lot"), "Ligne-de-prod-A\xE9");
    EXPECT_EQ(po.text(15, "lot"), "Ligne-de-prod-A\xE8");

    const run label = program("proc vitalyx data=lots;\n distribution weibull;\n"
                              " probplot t*c(0) / pref=50 preflabels='Ligne-de-prod-A\xE9 x';\nrun;\n", true);
    EXPECT_TRUE(label.result.log.has('N', "(\"Ligne-de-prod-A\xE9\" for \"Ligne-de-prod-A\xE9 x\")")) << label.result.log.all();
    const run fm = program("proc vitalyx data=lots;\n fmode keep lot = ('ABCDEFGHIJKLMNO\x80\x81');\n analyze t*c(0);\nrun;\n", true);
    EXPECT_TRUE(fm.result.log.has('E', "so a mode is named by 'ABCDEFGHIJKLMNO\x80', and")) << fm.result.log.all();
}

// Seven class variables of keys that stand for two values each (v0 to v5: 11 keys, v6: 30):
// each gets ten warnings that name a key and one that counts the rest, however many variables
// came before, and a later statement on the same variable adds none.
TEST_F(PooledKeys, TenKeysOfEveryVariableAreNamedAndTheRestCounted) {
    std::string csv = "t,c,v0,v1,v2,v3,v4,v5,v6\n";
    for (int k = 0; k < 30; ++k)
        for (const char* end : {"A", "B"}) {
            csv += std::to_string(100 + 13 * k + (*end == 'B' ? 5 : 0)) + ",1";
            for (int v = 0; v < 7; ++v) {
                const int key = v < 6 ? k % 11 : k;
                csv += ",Var" + std::to_string(v) + "-Key" + std::to_string(100 + key) + "-XXXX" + end;
            }
            csv += "\n";
        }
    writecsv("keys", csv);
    std::string prog = "proc vitalyx data=keys;\n distribution exponential;\n";
    for (int v = 0; v < 7; ++v) prog += " analyze t*c(0) = v" + std::to_string(v) + " / nopctile;\n";
    prog += " probplot t*c(0) = v6 / noinset;\nrun;\n";
    const run r = program(prog, true);
    const auto& log = r.result.log;
    EXPECT_EQ(countmsg(log, 510, 2460), 70) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2461), 7) << log.all();
    for (int v = 0; v < 7; ++v) {
        const std::string name = "The class variable v" + std::to_string(v);
        int named = 0;
        for (const auto& l : log.lines) named += l.text.find(name + " takes 2 different values") != std::string::npos;
        EXPECT_EQ(named, 10) << v;
        EXPECT_TRUE(log.has('W', name + (v < 6 ? " has 1 more level that stands for more than one value"
                                               : " has 20 more levels that each stand for more than one value"))) << log.all();
    }
}

// The unit messages name the ids as the data hold them: the two ids whose records conflict,
// however many ids share the key (D's event after A's end; four ids); an id of 16 characters
// whole; and the ids that give one unit in each class group, with the group.
TEST_F(PooledKeys, UnitMessagesNameTheIdsWhoseRecordsTheyAreAbout) {
    writecsv("ids", "unit,t,ev\nLocomotive-Unit-A,10,1\nLocomotive-Unit-B,20,1\nLocomotive-Unit-C,30,1\n"
                    "Locomotive-Unit-D,150,1\nLocomotive-Unit-A,100,0\n");
    run r = program("proc vitalyx data=ids;\n unitid unit;\n mcfplot t*ev(0);\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('E', "the units Locomotive-Unit-D and Locomotive-Unit-A have one id, Locomotive-Unit-,")) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('E', "the event of Locomotive-Unit-D at 150 lies after the end of observation of Locomotive-Unit-A at 100.")) << r.result.log.all();

    writecsv("cut", "unit,t,ev\nABCDEFGHIJKLMNOP,10,1\nABCDEFGHIJKLMNOP,100,0\nABCDEFGHIJKLMNOP,150,1\n");
    r = program("proc vitalyx data=cut;\n unitid unit;\n mcfplot t*ev(0);\nrun;\n", true);
    EXPECT_TRUE(r.result.log.has('E', "an event of unit ABCDEFGHIJKLMNOP at 150 lies after the end")) << r.result.log.all();

    writecsv("two", "unit,days,event,trt\nLocomotive-Unit-0001,50,1,P\nLocomotive-Unit-0002,70,1,P\nLocomotive-Unit-0001,100,0,P\n"
                    "Locomotive-Unit-0003,30,1,T\nLocomotive-Unit-0004,60,1,T\nLocomotive-Unit-0003,90,0,T\nOther,20,1,P\n"
                    "Other,80,0,P\nFourth,40,1,T\nFourth,110,0,T\n");
    r = program("proc vitalyx data=two;\n unitid unit;\n mcfplot days*event(0) = trt / nocenprint;\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2463), 2) << r.result.log.all();
    for (const char* w : {"2 different ids that give one unit, \"Locomotive-Unit-\", in the observations used for trt=P: "
                          "\"Locomotive-Unit-0001\" and \"Locomotive-Unit-0002\".",
                          "2 different ids that give one unit, \"Locomotive-Unit-\", in the observations used for trt=T: "
                          "\"Locomotive-Unit-0003\" and \"Locomotive-Unit-0004\"."})
        EXPECT_TRUE(r.result.log.has('W', w)) << r.result.log.all();
}

}  // namespace
