// Crowded device pages read back: an axis title clears the widest tick label, and an axis
// writes its labels in one notation; tick labels that cannot tell two ticks apart are warned
// of.
#include <cmath>
#include <cstdio>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

// Times of a millionth of the ball bearings' revolutions turned upright (ROTATE): the labels
// of the life axis write every digit (.00001), which the title beside them ran over when the
// room was that of two decimals; the valve seats' repair costs of 0.00002 each: the MCF axis
// read ".00002 3e-05 .00004", and its title ran over ".00002".
TEST(Crowded, AxisTitleClearsTheWidestTickLabel) {
    std::string tiny = "seconds\n";
    for (double t : testdata::bearingtimes()) tiny += std::to_string(t * 1e-5) + "\n";
    std::string costs = "engine,days,cost\n";
    {
        std::istringstream in(testdata::file("data/mcf/valve.csv"));
        std::string line;
        std::getline(in, line);
        int engine, days, n;
        while (std::getline(in, line))
            if (std::sscanf(line.c_str(), "%d,%d,%d", &engine, &days, &n) == 3)
                costs += std::to_string(engine) + "," + std::to_string(days) + "," + (n == 1 ? "2e-05" : "0") + "\n";
    }
    const struct {
        std::string program, data, title;
    } cases[] = {
        {"distribution weibull;\n probplot seconds / rotate", tiny, "seconds on Weibull probability paper"},
        {"unitid engine;\n mcfplot days*cost(0) / interpolate=join", costs, "Mean Cumulative Function"},
    };
    for (const auto& c : cases) {
        dp::Run r = dp::run("proc vitalyx data=d;\n " + c.program + ";\nrun;\n", {{"d", c.data}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const Prim* title = p.text(c.title);
        ASSERT_NE(title, nullptr) << c.title;
        ASSERT_EQ(title->angle, 90);
        // Turned a quarter up, the title's glyphs lie left of its baseline by the ascent.
        const double right = title->xy[0] + rt::gfx::measure(title->text, title->style).descent / p.w * 100.0;
        const dp::Axis left = dp::labels(p, true);
        ASSERT_GE(left.value.size(), 3u) << c.title;
        int exponent = 0;
        for (const Prim* t : p.of(Prim::Text)) {
            bool ok = false;
            dp::number(t->text, &ok);
            if (!ok || t->angle != 0 || t->anchor != rt::gfx::Anchor::End) continue;
            EXPECT_GT(t->xy[0] - dp::labelwidth(p, *t), right) << "\"" << c.title << "\" over \"" << t->text << "\"";
            exponent += t->text.find_first_of("eE") != std::string::npos;
        }
        EXPECT_TRUE(exponent == 0 || exponent == static_cast<int>(left.value.size())) << c.title << ": " << exponent << " of "
                                                                                       << left.value.size() << " labels in exponent form";
    }
}

// The fans with hours written as 1000000 + hours x 1e-6: the life axis reads "1000000" at
// neighbouring ticks; the user is told once and pointed to an offset. The ball bearings'
// axis tells its ticks apart and is not warned of.
TEST(Crowded, TickLabelsThatReadAlikeAreWarnedOf) {
    std::string near = "hours,status\n";
    {
        std::istringstream in(testdata::file("data/lifedist/fans.csv"));
        std::string line;
        std::getline(in, line);
        double h;
        int st;
        while (std::getline(in, line))
            if (std::sscanf(line.c_str(), "%lf,%d", &h, &st) == 2) {
                char row[64];
                std::snprintf(row, sizeof row, "%.6f,%d\n", 1000000 + h * 1e-6, st);
                near += row;
            }
    }
    for (const bool alike : {true, false}) {
        dp::Run r = alike ? dp::run("proc vitalyx data=d;\n distribution normal;\n probplot hours*status(1);\nrun;\n", {{"d", near}})
                          : dp::run("proc vitalyx data=d;\n distribution normal;\n probplot cycles;\nrun;\n", {{"d", testdata::bearings}});
        ASSERT_EQ(r.status, 0) << r.log.all();
        EXPECT_EQ(dp::hasmsg(r.log, 6501), alike) << r.log.all();
    }
}

}  // namespace
