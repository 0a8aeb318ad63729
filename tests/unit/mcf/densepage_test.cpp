// The page of a dense MCF plot (thousands of events, two limit bars each, most over bars
// already drawn) is the same byte for byte whether the canvas sets the bars from what cairo
// made of them before or has cairo stroke every one; the tables and the MAKE data set are
// those of the same run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/graphics/cairocanvas.h"
#include "tests/unit/mcf/mcfrun.h"

namespace {

using mcftest::McfRun;

// Units observed to ages on 200..1000 with Poisson-many events (mean 5.1) on a grid of 0.005,
// as bench/make_mcf_data.py writes them.
std::string recurrences(int units) {
    std::mt19937_64 gen(17);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::poisson_distribution<int> events(5.1);
    std::ostringstream out;
    out << "unit,age,n\n";
    char line[64];
    for (int i = 0; i < units; ++i) {
        const double end = std::round((200 + 800 * u(gen)) * 100) / 100;
        std::vector<double> ages(static_cast<size_t>(events(gen)));
        for (double& a : ages) a = std::round(u(gen) * end * 200) / 200;
        std::sort(ages.begin(), ages.end());
        for (double a : ages) std::snprintf(line, sizeof line, "U%05d,%.3f,1\n", i, a), out << line;
        std::snprintf(line, sizeof line, "U%05d,%.2f,-1\n", i, end);
        out << line;
    }
    return out.str();
}

using DensePage = McfRun;

TEST_F(DensePage, LimitBarsFromMemoryDrawTheSamePageAsCairo) {
    dataset("rec", recurrences(2000));
    const std::string program =
        "proc vitalyx data=rec;\n unitid unit;\n make 'MCFEst' out=work.est;\n mcfplot age*n(-1) / variance=lawless;\nrun;\n";
    std::string page[2], table[2], made[2];
    for (int direct : {1, 0}) {
        rt::gfx::CairoCanvas::directlines = direct != 0;
        ASSERT_EQ(run(program).status, 0);
        page[direct] = file("graphics/vitalyx.png");
        table[direct] = listing();
        made[direct] = file("est.csv");
    }
    rt::gfx::CairoCanvas::directlines = true;
    ASSERT_GT(page[1].size(), 1000u);
    EXPECT_TRUE(page[1] == page[0]) << "the PNG differs";
    EXPECT_EQ(table[1], table[0]);
    EXPECT_GT(made[1].size(), 100000u);
    EXPECT_EQ(made[1], made[0]);
}

}  // namespace
