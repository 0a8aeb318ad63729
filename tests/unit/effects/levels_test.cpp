// Levels, their order and the level combinations of a model, found by the data-time driver.
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class Levels : public EffectsHost {
protected:
    void SetUp() override {
        EffectsHost::SetUp();
        writecsv("d",
                 "y,a,b,x\n"
                 "1,red,3,0.5\n"
                 "2,blue,1,1.5\n"
                 "3,red,2,2.5\n"
                 "4,green,1,\n"
                 "5,blue,10,4.5\n");
        parse("proc vitalyx data=d; class a b; model y = a b a*b x;");
    }
};

TEST_F(Levels, FormattedOrderOfANumberWithoutFormatGoesByValue) {
    Model& m = model('M');
    ASSERT_EQ(m.ls.nclassv, 2);
    // green only appears with a missing x: the observation is incomplete
    EXPECT_EQ(m.levels(0), (std::vector<std::string>{"blue", "red"}));
    EXPECT_EQ(m.levels(1), (std::vector<std::string>{"1", "2", "3", "10"}));
    EXPECT_EQ(m.cls(1).ordchg, 1);
    EXPECT_EQ(m.cls(0).ordchg, 0);
    ASSERT_EQ(m.ls.neffect, 5);
    EXPECT_STREQ(m.ls.effects[0].effname, "Intercept");
    EXPECT_STREQ(m.ls.effects[3].effname, "a*b");
    // a*b: (blue,1) (blue,10) (red,2) (red,3)
    EXPECT_EQ(m.combs(3), (std::vector<std::vector<int32_t>>{{0, 0}, {0, 3}, {1, 1}, {1, 2}}));
    EXPECT_EQ(m.ls.ncols, 1 + 2 + 4 + 4 + 1);
    EXPECT_DOUBLE_EQ(m.ls.contv[0].cloc, 2.5);
    EXPECT_DOUBLE_EQ(m.ls.contv[0].cscale, 2.0);
    std::vector<std::string> names;
    for (int q = 0; q < m.ls.ncols; ++q) names.push_back(m.ls.pnames[q]);
    EXPECT_EQ(names, (std::vector<std::string>{"Intercept", "ablue", "ared", "b1", "b2", "b3", "b10", "ablueb1",
                                               "ablueb10", "aredb2", "aredb3", "x"}));
    const auto f = rows(m);
    EXPECT_EQ(f, (std::vector<int32_t>{0, 0, 0, LEVF_UNUSABLE | LEVF_NOLEVEL | LEVF_CONTMISS | LEVF_EFFECT, 0}));
}

}  // namespace
}  // namespace efftest
