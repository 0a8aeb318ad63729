// Tick value labels and the page layout: the compact label forms, the frame of panels side
// by side, a frame too narrow for the page, and factors of a degenerate range.
#include <cmath>
#include <string>

#include "tests/unit/devgraph/fixture.h"

namespace {

class Layout : public DevGraphTest {
protected:
    double win[4] = {0, 100.0 / 45, 100, 100};
    // The layout fields vyxpmar would set, with round numbers.
    void margins() {
        f->pagewin = win;
        f->chw = 1.25, f->chh = 100.0 / 45, f->chdiv = 0.75;
        f->txth = 2.0, f->pgmarg = 1.0, f->lblgap = 0.5;
        f->gapl = f->gapr = f->gapb = f->gapt = 1.0;
        f->vlblw = 1.5, f->lblsp = 1.0, f->hlblh = 1.3;
        f->vtlw = 4.0, f->vtlgap = 0.8, f->vtickl = 0.9, f->htickl = 1.2, f->htlblh = 1.1;
        f->htlw = 3.0, f->tilegaph = 2.0, f->tilegapv = 2.0 / 0.75;
        f->nhtick = 4, f->nvtick = 4;
        f->hmin = 0, f->hmax = 10, f->vmin = -1, f->vmax = 3;
    }
};

struct Label {
    double v;
    int w, trim;
    const char* text;
    int len, ndec, wout;
};

TEST_F(Layout, TickLabelsAndTheirCompactForms) {
    const Label cases[] = {
        {0.0, 99, 1, "0", 1, 0, 99},          // zero: no formatter, w unchanged
        {0.5, 99, 1, ".5", 2, 1, 99},
        {-0.5, 99, 1, "-.5", 3, 1, 99},
        {0.5, 99, 0, "0.5", 3, 1, 99},        // without trim the formatter's text stands
        {2500, -2, 1, "2.50E+03", 8, 2, -2},  // no rule matches
        {1e5, -1, 1, "1E+05", 5, 0, -1},
        {-1e5, -1, 1, "-1E+05", 6, 0, -1},
        {12.25, 2, 1, "12.25", 5, 2, 2},
    };
    for (const Label& c : cases) {
        char out[10];
        int nd = -7, w = c.w;
        int len = shwylab(out, c.v, &nd, &w, c.trim);
        EXPECT_EQ(std::string(out, 10), (std::string(c.text) + std::string(10 - std::strlen(c.text), ' '))) << c.v;
        EXPECT_EQ(len, c.len) << c.v;
        EXPECT_EQ(nd, c.ndec) << c.v;
        EXPECT_EQ(w, c.wout) << c.v;
    }
    int nd = 0, w = 99;
    EXPECT_EQ(shwylab(nullptr, 0.25, &nd, &w, 1), 3);   // measures only
}

TEST_F(Layout, ThreePanelColumnsShareTheWidth) {
    margins();
    s->groups.nclass = 1;
    s->groups.rootgrp.nsub = 5;
    s->poptw.panels.nrows = 1, s->poptw.panels.ncols = 3;
    ASSERT_EQ(vyxppag(s), 0);
    EXPECT_EQ(f->npages, 2);   // five groups, three to a page
    const double fx = 0 + 1 + 0 + 1 + (1.5 + 1.0) + (4.0 + 0.8 + 0.9);
    EXPECT_NEAR(f->fx, fx, 1e-12);
    const double avail = 100 - (fx + 1 + 1);
    EXPECT_NEAR(f->fw, (avail - 2 * (2.0 + 1 + 1)) / 3, 1e-12);
    // factors: data x at fx, data 10 at fx + fw; y = -1 at fy, 3 at fy + fh
    EXPECT_NEAR(0 * f->hfac + f->hoff, f->fx, 1e-12);
    EXPECT_NEAR(10 * f->hfac + f->hoff, f->fx + f->fw, 1e-12);
    EXPECT_NEAR(3 * f->vfac + f->voff, f->fy + f->fh, 1e-12);
    EXPECT_NEAR(f->fy, win[1] + f->bmarg, 1e-12);
    // the wall of the panel for the legend
    EXPECT_FLOAT_EQ(s->plot.gldraw[1], static_cast<float>(f->fx - 1));
    EXPECT_FLOAT_EQ(s->plot.gldraw[6], static_cast<float>(f->fy + f->fh + 1));
}

TEST_F(Layout, FrameNarrowerThanACellEndsTheStatement) {
    margins();
    f->vtlw = 88.0;   // a vertical tick label wider than the page leaves no room
    s->groups.nclass = 1;
    s->groups.rootgrp.nsub = 3;
    s->poptw.panels.nrows = 1, s->poptw.panels.ncols = 3;
    EXPECT_EQ(vyxppag(s), RC_SPEC);
    EXPECT_TRUE(logged("does not fit on the page"));
    EXPECT_TRUE(logged("fewer panels"));
}

TEST_F(Layout, DegenerateRangeGivesZeroFactorsAndLabelStepsAreNeverNegative) {
    margins();
    f->hmin = f->hmax = 5;
    f->htlw = 1e-12;   // labels that fit many times over: the step stays 0, not -1
    ASSERT_EQ(vyxppag(s), 0);
    EXPECT_EQ(f->hfac, 0.0);
    EXPECT_EQ(f->hoff, 0.0);
    EXPECT_GT(f->vfac, 0.0);
    EXPECT_EQ(f->htstep, 0);
    EXPECT_GE(f->vtstep, 0);
}

}  // namespace
