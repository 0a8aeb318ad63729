// An inset count that comes from the data (N, NFAIL: weighted counts) and is too large for a
// whole number, from a FREQ sum of 1e300, is printed as a number; before, converting it to an
// integer was undefined (this sanitizer build stops there).
#include "tests/unit/devplots/fixture.h"

TEST(InsetCounts, ASumOfFrequenciesTooLargeForAWholeNumberIsPrintedAsANumber) {
    const std::string data = "hours,status,freq\n120,1,1\n340,1,2\n560,1,1\n780,0,1\n900,1,1e300\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n freq freq;\n distribution weibull;\n probplot hours*status(0);\n inset n nfail;\nrun;\n",
                        {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    std::string values;
    for (const std::string& t : r.pages[0].texts()) values += "[" + t + "]";
    EXPECT_TRUE(r.pages[0].hastext("1e+300")) << values;
}
