// The inset: items refused or kept, labels that stay with their items, default lists,
// placement at corners and points, shrinking to fit, and the drawing of blanked and framed
// boxes, header bands and rows of the margin insets.
#include <cmath>
#include <string>
#include <vector>

#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;
namespace is = slot::inset;
namespace code = code::insetitem;

class Inset : public DevGraphTest {
protected:
    Stmt plot{"PROBPLOT"};
    Stmt inset{"INSET"};
    grpnode g{};
    const rt::gfx::RecordingCanvas* rec = nullptr;
    void begin(bool withinset = true) {
        if (withinset) plot.rec()->next = inset.rec();
        s->inwork.curstmt = plot.rec();
        startgraph();
        ASSERT_EQ(vyxgini(s), 0);
        rec = &openpage();
        frame(20, 20, 60, 60);
        f->pagewin = s->plot.pwin;
        f->intxth = 2.0;
        vyxgcol(s);
        g.rsq = NAN;
        g.wfail = 7, g.wright = 3, g.totw = 10;
        s->work.fitmethod = 1;
        s->optsw.distcode = 2;   // Weibull
    }
    std::vector<std::pair<std::string, std::string>> entries() const {
        std::vector<std::pair<std::string, std::string>> v;
        for (insetent* e = s->plot.inset->entries; e; e = e->next)
            v.emplace_back(std::string(e->label, e->lablen), std::string(e->value, e->vallen));
        return v;
    }
};

TEST_F(Inset, AllItemsRefusedLeavesNoBox) {
    inset.nums(is::ITEMS, {code::NUNITS, code::NEVENTS, 300});
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    EXPECT_EQ(s->plot.inset->nentries, 0);
    EXPECT_EQ(s->plot.inset->active, 0);
    EXPECT_EQ(log.count('W'), 2);   // one refusal each
    ASSERT_EQ(vyxipos(s), 0);
    vyxidrw(s);
    EXPECT_TRUE(rec->of(Prim::Polyline).empty());
    EXPECT_TRUE(rec->of(Prim::Text).empty());
}

TEST_F(Inset, RefusedItemsTakeTheirLabelsWithThem) {
    // RSQUARE (refused: no least-squares fit) = 'R2', N = 'Units', a Normal group (refused:
    // Weibull is fitted) with a labelled location, then RIGHT = 'Survivors'.
    inset.nums(is::ITEMS, {code::RSQUARE, 100, code::N, 100, 52, 0, 100, 52, code::RIGHT, 100, 300})
        .qstrs(is::LABELS, {"R2", "Units", "Mu", "Survivors"});
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    auto e = entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0], std::make_pair(std::string("Units"), std::string("10")));
    EXPECT_EQ(e[1], std::make_pair(std::string("Survivors"), std::string("3")));
    EXPECT_TRUE(logged("RSQUARE needs a least-squares fit"));
    EXPECT_TRUE(logged("another distribution"));
}

TEST_F(Inset, DistributionGroupOfTheFittedDistribution) {
    inset.nums(is::ITEMS, {code::N, 54, 2, 3, 54, code::CONFIDENCE, 300});
    begin();
    g.wbscale = 123.5, g.wbshape = 2.25;
    ASSERT_EQ(vyxins(s, &g), 0);
    auto e = entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].first, "N");
    EXPECT_EQ(e[1], std::make_pair(std::string("Scale"), std::string("123.5")));
    EXPECT_EQ(e[2], std::make_pair(std::string("Shape"), std::string("2.25")));
    EXPECT_EQ(e[3], std::make_pair(std::string("Confidence"), std::string("95%")));
}

TEST_F(Inset, McfDefaultsAndCounts) {
    begin(false);
    s->poptw.pflags.ismcf = 1;
    s->work.noconf = 1;
    g.mcf.nunits = 12, g.mcf.nobs = 31;
    ASSERT_EQ(vyxins(s, &g), 0);
    auto e = entries();
    ASSERT_EQ(e.size(), 2u);   // NOCONF: only the units and the events
    EXPECT_EQ(e[0], std::make_pair(std::string("Units"), std::string("12")));
    EXPECT_EQ(e[1], std::make_pair(std::string("Events"), std::string("31")));
    // NEVENTS and N both show the events of recurrence data.
    Stmt in("INSET");
    in.nums(is::ITEMS, {code::NEVENTS, 300});
    plot.rec()->next = in.rec();
    s->poptw.pflags.ismcf = 1;
    ASSERT_EQ(vyxins(s, &g), 0);
    EXPECT_EQ(entries()[0].second, "31");
}

TEST_F(Inset, WeibayesWithoutFailuresKeepsTheConfidence) {
    begin(false);
    s->work.fitmethod = 6;
    s->life.wbconf = -std::log1p(-0.9);   // the readers keep -ln(1 - CONF)
    g.wfail = 0;
    s->work.noconf = 1;
    s->work.nofitline = 1;
    ASSERT_EQ(vyxins(s, &g), 0);
    auto e = entries();
    bool conf = false;
    for (auto& x : e) conf = conf || (x.first == "Confidence" && x.second == "90%");
    EXPECT_TRUE(conf);
}

TEST_F(Inset, PlacedAtTheFirstFreeCornerWithoutAPosition) {
    inset.nums(is::ITEMS, {code::N, 300});
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    const insetrec* r = s->plot.inset;
    EXPECT_EQ(std::string(r->poskey, 2), "NW");
    const double d = std::min(1.0, 0.02 * 62);
    EXPECT_NEAR(r->boxxlo, 19 + d, 1e-9);
    EXPECT_NEAR(r->boxyhi, 81 - d / 0.75, 1e-9);
}

TEST_F(Inset, PositionsThatCannotBePlaced) {
    struct Case {
        double x, y;
        bool data, logx;
        const char* message;
    };
    const Case cases[] = {
        {0, 50, false, false, "x must lie strictly between 0 and 100 percent (got 0)"},
        {50, 100, false, false, "y must lie strictly between 0 and 100 percent (got 100)"},
        {0, 50, true, true, "x of 0 cannot be placed on a logarithmic axis"},
        {5, 101, true, false, "y of 101 lies outside 0 to 100 percent"},
    };
    for (const Case& c : cases) {
        Stmt in("INSET");
        in.nums(is::ITEMS, {code::N, 300}).num(is::POSITION_X, c.x).num(is::POSITION_Y, c.y);
        if (c.data) in.flag(flag::inset::POSDATA);
        plot.rec()->next = in.rec();
        if (!rec) begin(false);
        plot.rec()->next = in.rec();
        s->optsw.quant_fn = [](double p) { return p * 10; };
        s->optsw.logscale[1] = c.logx ? 1 : 0;
        ASSERT_EQ(vyxins(s, &g), 0);
        EXPECT_EQ(vyxipos(s), 1) << c.message;
        EXPECT_EQ(s->plot.inset->active, 0);
        EXPECT_TRUE(logged(c.message)) << c.message << "\n" << log.all();
    }
    // A probability of 0 in data coordinates passes the range test (the point then lies
    // outside the plot, at minus infinity).
    Stmt in("INSET");
    in.nums(is::ITEMS, {code::N, 300}).num(is::POSITION_X, 5).num(is::POSITION_Y, 0).flag(flag::inset::POSDATA);
    plot.rec()->next = in.rec();
    s->optsw.logscale[1] = 0;
    s->optsw.quant_fn = [](double p) { return std::log(p); };
    ASSERT_EQ(vyxins(s, &g), 0);
    EXPECT_EQ(vyxipos(s), 1);
    EXPECT_FALSE(logged("y of 0 lies outside 0 to 100 percent"));
    EXPECT_TRUE(logged("y of 0 lies outside the plot"));
}

TEST_F(Inset, TooWideForItsCornerShrinksAndKeepsTheCorner) {
    inset.nums(is::ITEMS, {code::N, 100, 300}).qstrs(is::LABELS, {"A label that is far too long for a small frame"});
    begin();
    frame(20, 20, 15, 15);
    ASSERT_EQ(vyxins(s, &g), 0);
    const double h0 = s->plot.inset->textheight;
    ASSERT_EQ(vyxipos(s), 0);
    const insetrec* r = s->plot.inset;
    EXPECT_LT(r->textheight, h0);
    const double d = std::min(1.0, 0.02 * 17);
    EXPECT_NEAR(r->boxxlo, 19 + d, 1e-9);            // still at its corner
    EXPECT_NEAR(r->boxyhi, 36 - d / 0.75, 1e-9);
    EXPECT_LT(r->boxxhi, 20 + 15 + 1);
}

TEST_F(Inset, BlankHeaderIsNoHeader) {
    inset.nums(is::ITEMS, {code::N, 300}).text(is::HEADER, "    ");
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    EXPECT_EQ(s->plot.inset->hdrlen, 0);
}

TEST_F(Inset, NoframeWithBlankFillReportsAndDrawsTextOnly) {
    inset.nums(is::ITEMS, {code::N, 300}).flag(flag::inset::NOFRAME).name(is::CFILL, "BLANK");
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    vyxidrw(s);
    EXPECT_TRUE(logged("CFILL= has no effect with NOFRAME"));
    EXPECT_TRUE(rec->of(Prim::Fill).empty());
    EXPECT_TRUE(rec->of(Prim::Polyline).empty());
    EXPECT_EQ(rec->texts().size(), 2u);
}

// By default the grid under the box is cleared before the data are drawn, and the box is
// only outlined: the points and lines under it stay in sight.
TEST_F(Inset, DefaultBoxHidesNothing) {
    inset.nums(is::ITEMS, {code::N, 300});
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    insetbackdrop(s);
    ggdraw(0, 20, 50, 80, 50, 1, 1);   // a curve through the box
    vyxidrw(s);
    auto fills = rec->of(Prim::Fill);
    ASSERT_EQ(fills.size(), 1u);
    auto lines = rec->of(Prim::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_LT(fills[0] - &rec->prims[0], lines[0] - &rec->prims[0]);
    EXPECT_EQ(rec->of(Prim::Polyline).size(), 1u);
}

TEST_F(Inset, BlankFillClearsWhatLiesUnderTheBox) {
    inset.nums(is::ITEMS, {code::N, 300}).name(is::CFILL, "BLANK");
    begin();
    ggdraw(0, 20, 50, 80, 50, 1, 1);   // something under the box
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    vyxidrw(s);
    auto fills = rec->of(Prim::Fill);
    ASSERT_EQ(fills.size(), 1u);   // the cleared area in the background colour
    EXPECT_EQ(fills[0]->color, (rt::gfx::Rgb{1, 1, 1}));
    EXPECT_NEAR(px(fills[0], 0), s->plot.inset->boxxlo, 1e-9);
    EXPECT_NEAR(py(fills[0], 2), s->plot.inset->boxyhi, 1e-9);
    // then an empty, outlined box over it
    auto outline = rec->of(Prim::Polyline);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_GT(outline[0] - &rec->prims[0], fills[0] - &rec->prims[0]);
}

TEST_F(Inset, HeaderBandTakesTheBodysFill) {
    inset.nums(is::ITEMS, {code::N, 300}).text(is::HEADER, "Summary").name(is::CFILL, "CX88AAEE");
    begin();
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    vyxidrw(s);
    auto fills = rec->of(Prim::Fill);
    ASSERT_EQ(fills.size(), 2u);   // the body and the header band, both in the fill colour
    EXPECT_EQ(fills[0]->color, fills[1]->color);
    EXPECT_NEAR(fills[1]->color.r, 0x88 / 255.0, 1e-12);
    EXPECT_NEAR(py(fills[1], 0), s->plot.inset->hdrbox[2], 1e-9);
}

TEST_F(Inset, TopMarginInsetContinuesOnTheNextRow) {
    inset.nums(is::ITEMS, {code::N, code::UNCENSORED, code::RIGHT, code::CONFIDENCE, code::FIT, 300}).name(is::POSITION, "TM");
    begin();
    s->groups.nclass = 0;
    frame(20, 20, 30, 60);
    ASSERT_EQ(vyxins(s, &g), 0);
    ASSERT_EQ(vyxipos(s), 0);
    vyxidrw(s);
    std::vector<double> ys;
    for (const Prim* t : rec->of(Prim::Text))
        if (std::find(ys.begin(), ys.end(), t->xy[1]) == ys.end()) ys.push_back(t->xy[1]);
    EXPECT_GE(ys.size(), 2u);   // more than one row
}

}  // namespace
