// Golden pictures of the classic data sets: each page is compared with its recording under
// golden/, which a person checked by looking at the PNG the same page makes.
#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"
#include "tests/unit/devplots/golden.h"

namespace {

TEST(Pictures, AcceleratedTestWithItsRelationPanel) {
    dp::Run r = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n"
                        " relationplot hours = temp / relation=arr pplot plotfit=10 50 90;\nrun;\n",
                        {{"insul", testdata::insulation}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
}

TEST(Pictures, AcceleratedTestBoxes) {
    dp::Run r = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n"
                        " relationplot hours = temp / relation=arr plotdata=boxes plotfit=10 50 90;\nrun;\n",
                        {{"insul", testdata::insulation}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
}

TEST(Pictures, DieselFans) {
    dp::Run r = dp::run("proc vitalyx data=fans;\n distribution weibull;\n probplot hours*status(1);\nrun;\n",
                        {{"fans", testdata::file("programs/fit_weibull_fans/fans.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
}

TEST(Pictures, Cosmesis) {
    dp::Run r = dp::run("proc vitalyx data=cosmesis;\n distribution weibull;\n probplot (lower upper);\nrun;\n",
                        {{"cosmesis", testdata::file("programs/fit_interval_data/cosmesis.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
}

TEST(Pictures, TwoGroupsOverlaid) {
    dp::Run r = dp::run("proc vitalyx data=lots;\n distribution weibull;\n probplot hours*status(1) = plant / overlay;\nrun;\n",
                        {{"lots", testdata::file("programs/fit_class_groups/lots.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u) << r.log.all();
}

TEST(Pictures, TwoGroupsSideBySide) {
    dp::Run r = dp::run("proc vitalyx data=lots;\n distribution weibull;\n probplot hours*status(1) = plant / ncols=2;\nrun;\n",
                        {{"lots", testdata::file("programs/fit_class_groups/lots.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
}

}  // namespace
