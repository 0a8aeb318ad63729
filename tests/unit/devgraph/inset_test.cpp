// The inset: items refused or kept, labels that stay with their items, default lists,
// placement at corners and points, shrinking to fit, and the drawing of blanked and framed
// boxes, header bands and rows of the margin insets.
#include <cmath>
#include <string>
#include <vector>

#include "proc/devgraph/insetroom.h"
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

// What a crowded group draws, told to the corner search as a plot's drawing tells it (the MCF
// plot's walk of its records): the search keeps none of it, and picks the corner that a count
// over every marker and segment kept whole picks: the first clear one, else the fewest marker
// centres, then the least length of line, then the first (ties included).
std::vector<PageBox> crowdmarks, crowdlines;
size_t crowdkept = 0;
void crowdink(vyxstate*, const grpnode*, PanelInk* ink) {
    for (const PageBox& m : crowdmarks) ink->addmark(m);
    for (const PageBox& l : crowdlines) ink->addline(l);
    crowdkept = ink->marks.size() + ink->lines.size();
}

int keptcount(const bool taken[4], const double boxes[4][4]) {
    int best = -1, bestpts = 0;
    double bestlen = 0;
    for (int k = 0; k < 4; ++k) {
        if (taken[k]) continue;
        const PageBox b{boxes[k][0], boxes[k][1], boxes[k][2], boxes[k][3]};
        int pts = 0;
        double len = 0;
        bool crossed = false;
        for (const PageBox& m : crowdmarks)
            if (b.overlaps(m)) crossed = true, pts += b.holds(0.5 * (m.x0 + m.x1), 0.5 * (m.y0 + m.y1));
        for (const PageBox& l : crowdlines)
            if (b.meets(l.x0, l.y0, l.x1, l.y1)) crossed = true, len += b.within(l.x0, l.y0, l.x1, l.y1);
        if (!crossed) return k;
        if (best < 0 || pts < bestpts || (pts == bestpts && len < bestlen)) best = k, bestpts = pts, bestlen = len;
    }
    return best;
}

TEST_F(Inset, CornerSearchCountsAsItGoesAndPicksAsAWholeCount) {
    s->poptw.pflags.ismcf = 1;
    const double boxes[4][4] = {{20, 60, 40, 80}, {60, 60, 80, 80}, {20, 20, 40, 40}, {60, 20, 80, 40}};
    uint64_t seed = 12345;
    auto next = [&] { return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 11; };
    auto at = [&](double lo, double hi) { return lo + (hi - lo) * static_cast<double>(next() % 100000) / 100000.0; };
    int fell[4] = {};
    for (int round = 0; round < 300; ++round) {
        crowdmarks.clear(), crowdlines.clear();
        // Now and then a corner left empty, else a few markers, steps and bars, often on
        // whole values so that corners tie in their counts.
        const int nm = static_cast<int>(next() % 12), nl = static_cast<int>(next() % 12);
        const bool whole = round % 3 == 0;
        for (int i = 0; i < nm; ++i) {
            const double x = whole ? 20 + 5 * static_cast<double>(next() % 13) : at(18, 82), y = whole ? 20 + 5 * static_cast<double>(next() % 13) : at(18, 82);
            crowdmarks.push_back({x - 0.5, y - 0.5, x + 0.5, y + 0.5});
        }
        for (int i = 0; i < nl; ++i) {
            const double x = whole ? 20 + 5 * static_cast<double>(next() % 13) : at(18, 82), y = whole ? 20 + 5 * static_cast<double>(next() % 13) : at(18, 82);
            const double x1 = next() % 2 ? x + (whole ? 10 : at(0, 30)) : x, y1 = x1 == x ? y + (whole ? 10 : at(-20, 20)) : y;
            crowdlines.push_back({x, y, x1, y1});
        }
        for (int mask = 0; mask < 16; ++mask) {
            const bool taken[4] = {(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0};
            crowdkept = 99;
            bool clear = false;
            const int k = insetroom(s, &g, taken, boxes, &clear, crowdink);
            ASSERT_EQ(k, keptcount(taken, boxes)) << "round " << round << " taken " << mask;
            if (mask == 15) continue;
            EXPECT_EQ(crowdkept, 0u);
            ++fell[clear ? 0 : 1];
        }
    }
    EXPECT_GT(fell[0], 100);   // both ways were taken often: a clear corner, and the least hidden
    EXPECT_GT(fell[1], 100);
}

}  // namespace
