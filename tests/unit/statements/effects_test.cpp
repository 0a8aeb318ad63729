// Model effects of MODEL and LOGSCALE as the effects library reads them.
#include <gtest/gtest.h>
#include "host/effects.h"
#include "proc/framework/optslots.h"
#include "parsehelp.h"

using namespace vxtest;

namespace {
struct Eff {
    std::vector<int32_t> cont, cls, nest;
    std::string name;
    bool operator==(const Eff&) const = default;
};
std::vector<Eff> effects(const stmtrec* r, int slot) {
    std::vector<Eff> out;
    const optslot* s = stmtslot(r, slot);
    if (!s) return out;
    EXPECT_EQ(s->kind, SK_EFFECTS);
    int n = 0;
    for (const parsedeff* e = static_cast<const parsedeff*>(s->ptr); e; e = e->next, ++n) {
        Eff f;
        f.cont.assign(e->cont, e->cont + e->ncont);
        f.cls.assign(e->cls, e->cls + e->ncls);
        f.nest.assign(e->nest, e->nest + e->nnest);
        f.name.assign(e->name, static_cast<size_t>(e->namelen));
        EXPECT_EQ(e->nother, 0);
        out.push_back(f);
    }
    EXPECT_EQ(n, s->count);
    return out;
}
std::vector<std::string> effnames(const stmtrec* r, int slot) {
    std::vector<std::string> v;
    for (const auto& e : effects(r, slot)) v.push_back(e.name);
    return v;
}
}  // namespace

TEST(Effects, ClassAndContinuousVariablesGetTheirIndexes) {
    // CLASS after MODEL: effects are sorted once the whole step is read
    Parsed p("proc vitalyx data=fans; model hours*status(0) = temp lot volt*temp lot*plant temp(lot); "
             "class lot plant;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const auto e = effects(p.rec(1), slot::head::MODEL_EFFECTS);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0], (Eff{{0}, {}, {}, "temp"}));
    EXPECT_EQ(e[1], (Eff{{}, {0}, {}, "lot"}));
    EXPECT_EQ(e[2], (Eff{{1, 0}, {}, {}, "volt*temp"}));
    EXPECT_EQ(e[3], (Eff{{}, {0, 1}, {}, "lot*plant"}));
    EXPECT_EQ(e[4], (Eff{{0}, {}, {0}, "temp(lot)"}));
    // the continuous variables of the model stand in the PROC record's slot 1
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::CONTINUOUS)), (std::vector<int32_t>{V_TEMP, V_VOLT}));
}

TEST(Effects, BarExpandsWithTheAtSignLimit) {
    Parsed p("proc vitalyx data=fans; class lot plant unit; model hours = lot|plant|unit@2;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(effnames(p.rec(1), slot::head::MODEL_EFFECTS),
              (std::vector<std::string>{"lot", "plant", "lot*plant", "unit", "lot*unit", "plant*unit"}));
    Parsed q("proc vitalyx data=fans; class lot plant; model hours = lot|plant|temp;");
    ASSERT_EQ(q.rc, 0) << q.errors();
    EXPECT_EQ(effnames(q.rec(1), slot::head::MODEL_EFFECTS),
              (std::vector<std::string>{"lot", "plant", "lot*plant", "temp", "lot*temp", "plant*temp",
                                        "lot*plant*temp"}));
    Parsed r("proc vitalyx data=fans; class lot plant; model hours = lot|plant|temp @2;");
    ASSERT_EQ(r.rc, 0) << r.errors();
    EXPECT_EQ(effnames(r.rec(1), slot::head::MODEL_EFFECTS),
              (std::vector<std::string>{"lot", "plant", "lot*plant", "temp", "lot*temp", "plant*temp"}));
}

TEST(Effects, NameRangesAndVariableLists) {
    Parsed p("proc vitalyx data=fans; model hours = x1-x3;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(effnames(p.rec(1), slot::head::MODEL_EFFECTS), (std::vector<std::string>{"x1", "x2", "x3"}));
    // data-set order: temp volt fails trials unit mode lo
    Parsed q("proc vitalyx data=fans; class unit mode; model hours = temp--lo;");
    ASSERT_EQ(q.rc, 0) << q.errors();
    EXPECT_EQ(effnames(q.rec(1), slot::head::MODEL_EFFECTS),
              (std::vector<std::string>{"temp", "volt", "fails", "trials", "unit", "mode", "lo"}));
    Parsed n("proc vitalyx data=fans; model hours = temp-numeric-lo;");
    ASSERT_EQ(n.rc, 0) << n.errors();
    EXPECT_EQ(effnames(n.rec(1), slot::head::MODEL_EFFECTS), (std::vector<std::string>{"temp", "volt", "fails", "trials", "lo"}));
    Parsed c("proc vitalyx data=fans; class lot plant; model hours = lot-character-plant;");
    ASSERT_EQ(c.rc, 0) << c.errors();
    EXPECT_EQ(effnames(c.rec(1), slot::head::MODEL_EFFECTS), (std::vector<std::string>{"lot", "plant"}));
    Parsed all("proc vitalyx data=fans; model hours = _numeric_;");
    ASSERT_EQ(all.rc, 0) << all.errors();
    // every numeric variable but the response hours
    EXPECT_EQ(effects(all.rec(1), slot::head::MODEL_EFFECTS).size(), 13u);
    Parsed ch("proc vitalyx data=fans; class lot plant; model hours = _char_;");
    EXPECT_EQ(ch.rc, 1012) << "character variables that are not CLASS variables";
    EXPECT_NE(ch.errors().find("CLASS"), std::string::npos) << ch.errors();
}

TEST(Effects, NestingNeedsClassVariables) {
    Parsed p("proc vitalyx data=fans; class lot; model hours = lot(temp);");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_NE(p.errors().find("TEMP"), std::string::npos) << p.errors();
    EXPECT_NE(p.errors().find("MODEL"), std::string::npos) << p.errors();
}

TEST(Effects, NamesAreCutToTheLimit) {
    // without NAMELEN= the limit is 20
    Parsed p("proc vitalyx data=fans; model hours = temp*volt*fails*trials;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(effnames(p.rec(1), slot::head::MODEL_EFFECTS), (std::vector<std::string>{"temp*volt*fails*tria"}));
    Parsed q("proc vitalyx data=fans namelen=24; model hours = temp*volt*fails*trials;");
    ASSERT_EQ(q.rc, 0) << q.errors();
    EXPECT_EQ(effnames(q.rec(1), slot::head::MODEL_EFFECTS), (std::vector<std::string>{"temp*volt*fails*trials"}));
}

TEST(Effects, LogscaleSharesTheModelsContinuousList) {
    Parsed p("proc vitalyx data=fans; model hours = temp; logscale volt temp / noint initial=1 2;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const auto e = effects(p.rec(2), slot::head::LOGSCALE_EFFECTS);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].cont, (std::vector<int32_t>{1}));
    EXPECT_EQ(e[1].cont, (std::vector<int32_t>{0}));
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::CONTINUOUS)), (std::vector<int32_t>{V_TEMP, V_VOLT}));
    EXPECT_TRUE(stmtflag(p.rec(2), flag::logscale::NOINT));
    EXPECT_EQ(numbers(stmtslot(p.rec(2), slot::logscale::INITIAL)), (std::vector<double>{1, 2}));
}
