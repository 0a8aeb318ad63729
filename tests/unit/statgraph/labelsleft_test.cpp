// On both roads: the labels of reference lines left out for want of room are counted in the
// NOTE exactly; the labels of a relation plot's stress lines keep clear of its percentiles'
// note.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using rt::gfx::Prim;

// The number of labels a NOTE 6530 of the log says are left out (0: no such note).
int leftout(const testsupport::CollectLog& log) {
    const std::string all = log.all();
    const size_t at = all.find(" label(s) of reference lines");
    if (at == std::string::npos) return 0;
    EXPECT_TRUE(dp::hasmsg(log, 6530)) << all;
    EXPECT_EQ(at, all.rfind(" label(s) of reference lines")) << "one note for the statement";
    return std::atoi(all.c_str() + all.rfind(' ', at - 1) + 1);
}

// Forty PREF= lines 0.002 percent apart in each of two panels, each labelled: far too many for
// the band three text heights about them, so labels are left out. The NOTE counts exactly the
// labels asked for (40 a panel) that no page shows.
TEST(LabelsLeft, TheNoteCountsTheLabelsNoPageShows) {
    std::string pref = " pref=", names = " preflabels=";
    for (int k = 0; k < 40; ++k) {
        pref.append(" 50.").append(std::to_string(100 + 2 * k));
        names.append(" 'Line ").append(std::to_string(100 + k)).append(" of refs'");
    }
    for (const bool statistical : {false, true}) {
        SCOPED_TRACE(statistical ? "statistical" : "device");
        dp::Options o;
        o.statistical = statistical;
        const dp::Run r = dp::run("proc vitalyx data=d;\n distribution weibull;\n probplot hours*status(0) = plant /" + pref + names + ";\nrun;\n",
                                  {{"d", testdata::file("../examples/fans.csv")}}, o);
        ASSERT_EQ(r.status, 0) << r.log.all();
        int shown = 0;
        for (const dp::Page& pg : r.pages)
            for (const Prim* t : pg.of(Prim::Text)) shown += t->text.rfind("Line ", 0) == 0 && t->text.size() == 16;
        EXPECT_GT(shown, 0);
        EXPECT_GT(leftout(r.log), 0) << r.log.all();
        EXPECT_EQ(leftout(r.log), 2 * 40 - shown) << r.log.all();
    }
}

// The glyphs' box of a text (page percent): its face's digits and capitals, a descender's depth.
dp::Box textbox(const dp::Page& pg, const Prim& t) {
    const double w = dp::labelwidth(pg, t), h = t.style.size / pg.h * 100;
    const double x0 = t.anchor == rt::gfx::Anchor::Start ? t.xy[0] : t.anchor == rt::gfx::Anchor::End ? t.xy[0] - w : t.xy[0] - w / 2;
    return {x0, t.xy[1] - 0.2 * h, x0 + w, t.xy[1] + 0.72 * h};
}

// Two SREF= lines near the low end of the stress axis, whose labels stand at the top of the
// frame, left where the statistical road writes the note of the percentile drawn ("50%
// Percentile", after the labels): the labels stand clear of it.
TEST(LabelsLeft, StressLineLabelsKeepClearOfThePercentilesNote) {
    const dp::Run r = dp::runstatistical("proc vitalyx data=d;\n distribution lognormal;\n relationplot hours = temp / relation=arr plotfit=50 "
                                         "sref=190 200 sreflabels='design' 'second';\nrun;\n",
                                         {{"d", testdata::insulation}});
    ASSERT_EQ(r.pages.size(), 1u);
    const dp::Page& pg = r.pages[0];
    const Prim* note = pg.text("50% Percentile");
    ASSERT_NE(note, nullptr);
    for (const char* l : {"design", "second"}) {
        const Prim* t = pg.text(l);
        ASSERT_NE(t, nullptr) << l;
        EXPECT_FALSE(textbox(pg, *t).meets(textbox(pg, *note))) << "\"" << l << "\" over the note";
    }
}

}  // namespace
