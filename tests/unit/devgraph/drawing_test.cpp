// The look of a page: symbol records of the groups, frame fills, legends, grid lines, axis
// labels, segments and key strips, checked against the recording of the page.
#include <cmath>
#include <string>
#include <vector>

#include "proc/devgraph/legends.h"
#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;
namespace ps = slot::plot;

class Drawing : public DevGraphTest {
protected:
    Stmt stmt{"PROBPLOT"};
    const rt::gfx::RecordingCanvas* rec = nullptr;
    void begin() {
        s->inwork.curstmt = stmt.rec();
        startgraph();
        ASSERT_EQ(vyxgini(s), 0);
        rec = &openpage();
        frame(20, 20, 60, 60);
        f->pagewin = s->plot.pwin;
    }
    void nostyles() { s->plot.gctx->stylesinuse = 0; }
    std::vector<const Prim*> texts(const std::string& t) const {
        std::vector<const Prim*> v;
        for (const Prim* p : rec->of(Prim::Text))
            if (p->text == t) v.push_back(p);
        return v;
    }
    size_t count(Prim::Kind k) const { return rec->of(k).size(); }
};

TEST_F(Drawing, GroupSymbolsAndLineStyles) {
    stmt.names(ps::PPOSSYMBOL, {"circle", "square"});
    begin();
    s->groups.nplotgrp = 13;
    ASSERT_EQ(vyxsymb(s), 0);
    // Without symbol options every group gets its own symbol; line styles follow the
    // style's GraphData1..12 and group 13 starts again at GraphData1.
    int32_t lt1 = 0, lt2 = 0;
    ASSERT_TRUE(grdxlsty(s->plot.gctx, "GraphData1", 10, &lt1));
    ASSERT_TRUE(grdxlsty(s->plot.gctx, "GraphData2", 10, &lt2));
    EXPECT_EQ(s->plot.symarr[0].ltype, lt1);
    EXPECT_EQ(s->plot.symarr[1].ltype, lt2);
    EXPECT_EQ(s->plot.symarr[12].ltype, lt1);
    // A list of two symbols for more groups: the later groups repeat the second.
    const uint32_t circle = static_cast<uint32_t>(ggsymbx("CIRCLE", 6)), square = static_cast<uint32_t>(ggsymbx("SQUARE", 6));
    EXPECT_EQ(s->plot.symcomp[0].symbol[0], circle);
    EXPECT_EQ(s->plot.symcomp[1].symbol[0], square);
    EXPECT_EQ(s->plot.symcomp[2].symbol[0], square);
    EXPECT_EQ(s->plot.symcomp[3].symbol[0], square);
    EXPECT_NEAR(s->plot.jitter, 0.1 * f->symw, 1e-12);
}

TEST_F(Drawing, LineTypesFromLfitAndWithoutStyles) {
    stmt.nums(ps::LFIT, {3, 99999});
    begin();
    s->groups.nplotgrp = 3;
    ASSERT_EQ(vyxsymb(s), 0);
    EXPECT_EQ(s->plot.symarr[0].ltype, 3);
    EXPECT_EQ(s->plot.symarr[1].ltype, 32767);   // clamped
    EXPECT_EQ(s->plot.symarr[2].ltype, 32767);   // past the list: the previous group's
}

TEST_F(Drawing, FrameFillsFollowOptionsThenStyles) {
    stmt.name(ps::CFRAMENLEG, "EMPTY");
    begin();
    s->groups.nplotgrp = 1;
    s->work.nocenplot = 1;
    ASSERT_EQ(vyxsymb(s), 0);
    vyxgcol(s);
    EXPECT_EQ(s->plot.framefill, 'E');
    // The style's walls are the page's background: no wall colour, no fill.
    EXPECT_EQ(s->plot.colors[GC_FRAME], -1);
    EXPECT_EQ(vyxgfrm(s), 0);
    EXPECT_EQ(count(Prim::Fill), 0u);
}

TEST_F(Drawing, WithoutStylesTheCensorStripNeedsCcensor) {
    begin();
    nostyles();
    s->groups.nplotgrp = 1;
    s->work.nocenplot = 1;
    ASSERT_EQ(vyxsymb(s), 0);
    vyxgcol(s);
    EXPECT_EQ(vyxgfrm(s), 0);
    EXPECT_EQ(count(Prim::Fill), 0u);
    // With CCENSOR the strip above the frame is filled (from fy + fh + gapb to the top gap).
    stmt.name(ps::CCENSOR, "RED");
    vyxgcol(s);
    vyxgfrm(s);
    auto fills = rec->of(Prim::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_NEAR(py(fills[0], 0), 20 + 60 + 1, 1e-9);
    EXPECT_NEAR(py(fills[0], 2), 20 + 60 + 1, 1e-9);   // gapt: no strip room in this frame
    EXPECT_NEAR(px(fills[0], 0), 19, 1e-9);
    EXPECT_NEAR(px(fills[0], 1), 81, 1e-9);
}

TEST_F(Drawing, LegendsOfGridCellsPercentilesAndFailureModes) {
    begin();
    // Two class variables, 2 x 2 with the cell (0, 1) empty: three entries, moved up.
    s->groups.nclass = 2;
    s->groups.nlev[1] = 2, s->groups.nlev[0] = 2;
    char keys1[32], keys2[32];
    std::memcpy(keys1, "A               B               ", 32);
    std::memcpy(keys2, "x               y               ", 32);
    s->groups.levkeys[0] = keys1, s->groups.levkeys[1] = keys2;
    grpnode cells[4]{};
    grpnode* grid[4] = {&cells[0], nullptr, &cells[2], &cells[3]};
    s->groups.grpgrid = grid;
    std::strcpy(s->groups.clsnames[0], "LOT"), s->groups.clsnamelen[0] = 3;
    std::strcpy(s->groups.clsnames[1], "PLANT"), s->groups.clsnamelen[1] = 5;
    s->groups.nplotgrp = 3;
    s->poptw.pflags.legend = 1;
    // one PLOTFIT value, and an FMODE variable without a label
    s->work.rellegend = 1;
    double pv[1] = {50};
    s->optsw.pctvals = pv, s->optsw.pctcount = 1;
    s->groups.fmodeset.legend = 1;
    std::strcpy(s->groups.fmodeset.desc.name, "MODE"), s->groups.fmodeset.desc.namelen = 4;
    ASSERT_EQ(vyxsymb(s), 0);
    ASSERT_EQ(vyxglgi(s), 0);
    auto* g = static_cast<legrec*>(s->plot.legends[LG_GROUPS]);
    ASSERT_EQ(g->count, 3u);
    EXPECT_EQ(std::string(g->entries[0].text, g->entries[0].len), "A  x");
    EXPECT_EQ(std::string(g->entries[1].text, g->entries[1].len), "B  x");
    EXPECT_EQ(std::string(g->entries[2].text, g->entries[2].len), "B  y");
    EXPECT_EQ(std::string(g->title, g->titlelen), "LOT  PLANT");
    EXPECT_EQ(g->pos, -1);   // no legend option: the host's default place
    EXPECT_EQ(g->kind, 'S');
    auto* p = static_cast<legrec*>(s->plot.legends[LG_PCT]);
    EXPECT_EQ(std::string(p->title, p->titlelen), "Percentile");
    EXPECT_EQ(std::string(p->entries[0].text, p->entries[0].len), "50");
    auto* m = static_cast<legrec*>(s->plot.legends[LG_FMODES]);
    EXPECT_EQ(std::string(m->title, m->titlelen), "MODE");
    // Each legend's room came out of the page window.
    EXPECT_GT(f->pagewin[1], 100.0 / 45 + 3 * 1.5);
}

TEST_F(Drawing, LegendPositionFromItsName) {
    stmt.name(ps::PPLEGEND, "LEGEND3");
    begin();
    s->groups.nclass = 1;
    char keys[16];
    std::memcpy(keys, "A               ", 16);
    s->groups.levkeys[0] = keys;
    s->groups.nplotgrp = 1;
    s->poptw.pflags.legend = 1;
    std::strcpy(s->groups.clsnames[0], "LOT"), s->groups.clsnamelen[0] = 3;
    ASSERT_EQ(vyxsymb(s), 0);
    ASSERT_EQ(vyxglgi(s), 0);
    EXPECT_EQ(static_cast<legrec*>(s->plot.legends[LG_GROUPS])->pos, 3);
}

TEST_F(Drawing, GridFollowsTheGridFlagsAndMinorLogLines) {
    begin();
    vyxgcol(s);
    double pct[3] = {1, 50, 99};
    s->poptw.panels.pctlist = pct, s->poptw.panels.npct = 3;
    f->pfirst = 0, f->plast = 2;
    s->optsw.quant_fn = [](double p) { return p * 10; };   // 0.01 .. 0.99 -> 0.1 .. 9.9
    double ticks[2] = {0, 3};                          // three decades apart
    f->hticks = ticks, f->nhtickv = 2;
    // NOGRID: no life-axis grid; the probability grid follows the saved flag.
    s->poptw.pflags.nogrid = 0;
    s->plot.gridsave = 1;
    vyxggrd(s);
    EXPECT_EQ(count(Prim::Line), 3u);
    for (const Prim* l : rec->of(Prim::Line)) EXPECT_NEAR(py(l, 0), py(l, 1), 1e-12);   // horizontal
    // The grid with MINORLOGGRID on a linear axis: the two tick lines only.
    const size_t before = count(Prim::Line);
    s->plot.gridsave = 0;
    s->poptw.pflags.nogrid = 1;
    s->poptw.pflags.mlgrid = 1;
    vyxggrd(s);
    EXPECT_EQ(count(Prim::Line) - before, 2u);
    // On a log axis: 2 .. 9 of each of the three decades, and a line at each decade (the
    // last one again at the closing tick), never one line per whole number up to 1000.
    const size_t lin = count(Prim::Line);
    s->optsw.logscale[1] = 1;
    vyxggrd(s);
    EXPECT_EQ(count(Prim::Line) - lin, 2u + 3 * 8 + 3);
}

TEST_F(Drawing, AxisLabelsSwapUnderRotateAndTooLongOnesWarnOnce) {
    stmt.text(ps::PAXISLABEL, "Cumulative percent failed");
    begin();
    vyxgcol(s);
    vardesc v{};
    std::strcpy(v.name, "hours"), v.namelen = 5;
    s->inputw.rspvars[0] = &v;
    std::memcpy(s->optsw.labels[LB_DIST], "Weibull         ", 16);
    f->fw0 = 60, f->fh0 = 60, f->fx0 = 20, f->fy0 = 20, f->panelcol = 1;
    s->poptw.pflags.rotate = 1;
    vyxghlb(s);
    EXPECT_EQ(texts("Cumulative percent failed").size(), 1u);
    vyxgvlb(s);
    // The life axis names the paper: the variable has no label.
    ASSERT_EQ(texts("hours on Weibull probability paper").size(), 1u);
    const Prim* vert = texts("hours on Weibull probability paper")[0];
    EXPECT_EQ(vert->angle, 90.0);
    // A label wider than the panels: the default label, one warning for the statement.
    f->fw0 = 5;
    vyxghlb(s);
    vyxghlb(s);
    EXPECT_EQ(texts("Percent").size(), 2u);
    EXPECT_EQ(log.count('W'), 1);
}

TEST_F(Drawing, SegmentNamesAndDescriptions) {
    stmt.text(ps::NAME, "EIGHTCHR");
    begin();
    void* words[2] = {nullptr, nullptr};
    auto* p8 = static_cast<rt::gfx::Page*>(vyxsgmt(s, words));
    EXPECT_EQ(p8->name, "EIGHTCHR");
    EXPECT_EQ(p8->description, "Probability plot");
    Stmt nine("PROBPLOT");
    nine.text(ps::NAME, "NINECHARS").text(ps::DESCRIPTION, "Bearings");
    s->inwork.curstmt = nine.rec();
    auto* p9 = static_cast<rt::gfx::Page*>(vyxsgmt(s, words));
    EXPECT_EQ(p9->name, "NINECHARS");   // the long name stands whole
    EXPECT_EQ(p9->description, "Bearings");
    Stmt none("MCFPLOT");
    s->inwork.curstmt = none.rec();
    s->inputw.stmtkind = 3;
    auto* pd = static_cast<rt::gfx::Page*>(vyxsgmt(s, words));
    EXPECT_EQ(pd->name, "VITALYX");
    EXPECT_EQ(pd->description, "MCF plot");
    s->inputw.stmtkind = 4;
    EXPECT_EQ(static_cast<rt::gfx::Page*>(vyxsgmt(s, words))->description, "Relation plot");
    EXPECT_EQ(static_cast<rt::gfx::Page*>(vyxsgmt(s, words))->name, "VITALYX2");   // unique in the run
}

TEST_F(Drawing, KeyStripsShrinkWideKeysAndOutlineBlankOnes) {
    begin();
    vyxgcol(s);
    s->groups.nclass = 1;
    s->poptw.pflags.layouth = 1;
    f->fw = 6;   // a narrow panel
    vyxptlb(s, "A VERY LONG KEY ");
    auto t = texts("A VERY LONG KEY");
    ASSERT_EQ(t.size(), 1u);
    const double height = t[0]->style.size / rec->height * 100;
    EXPECT_LT(height, f->txth);   // drawn smaller, never clipped
    rt::gfx::TextStyle st = t[0]->style;
    EXPECT_LE(rt::gfx::measure(t[0]->text, st).width / rec->width * 100, f->fw + 1e-9);
    EXPECT_EQ(count(Prim::PushClip), 0u);
    const size_t lines = count(Prim::Line), ntext = count(Prim::Text);
    vyxptlb(s, "                ");
    EXPECT_EQ(count(Prim::Line) - lines, 4u);   // the outline alone
    EXPECT_EQ(count(Prim::Text), ntext);
}

}  // namespace
