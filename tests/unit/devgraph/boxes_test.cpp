// The level boxes of the relation panel: widths by the levels' sizes (BOXWIDTHSCALE, with
// BOXWIDTH the smallest), a box only between distinct quartiles, the clip of the frame
// widened by its gaps.
#include <algorithm>
#include <vector>

#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;
namespace ps = slot::plot;

class Boxes : public DevGraphTest {
protected:
    Stmt stmt{"RELATIONPLOT"};
    const rt::gfx::RecordingCanvas* rec = nullptr;
    std::vector<double> A[7];
    std::vector<double> pos = {2, 5, 8};
    symrec mark{};
    // Three levels at 2, 5 and 8 (the frame maps 0..10 on both axes), sizes 1, 10 and 100.
    void draw(double smin = 1, double smax = 100) {
        s->inwork.curstmt = stmt.rec();
        startgraph();
        ASSERT_EQ(vyxgini(s), 0);
        rec = &openpage();
        frame(20, 20, 60, 60);
        vyxgcol(s);
        f->markw = 2.0;
        f->fillcol = -1;
        f->linecol = 1;
        const double v[7][3] = {{1, 1, 1}, {2, 3, 2}, {3, 4, 5}, {4, 5, 6}, {5, 6, 7}, {1, 10, 100}, {3, 4, 5}};
        for (int k = 0; k < 7; ++k) {
            A[k].assign(v[k], v[k] + 3);
            s->life.ppcarr[k] = A[k].data();
        }
        s->life.nfailrng[0] = smin, s->life.nfailrng[1] = smax;
        s->groups.nlev[1] = 3;
        s->plot.boxpos = pos.data();
        s->plot.boxlev[0] = 0, s->plot.boxlev[1] = 2;
        s->plot.gstyles = &mark;
        ASSERT_EQ(vyxbox(s), 0);
    }
    // The half-widths of the boxes drawn (their outlines), left to right.
    std::vector<double> halfwidths() const {
        std::vector<double> h;
        for (const Prim* q : rec->of(Prim::Polyline)) {
            if (q->xy.size() != 10) continue;
            double lo = 1e9, hi = -1e9;
            for (size_t k = 0; k < 10; k += 2) lo = std::min(lo, rec->pctx(q->xy[k])), hi = std::max(hi, rec->pctx(q->xy[k]));
            h.push_back((hi - lo) / 2);
        }
        return h;
    }
    void expectwidths(std::vector<double> want) const {
        const std::vector<double> h = halfwidths();
        ASSERT_EQ(h.size(), want.size());
        for (size_t k = 0; k < h.size(); ++k) EXPECT_NEAR(h[k], want[k], 1e-3) << "box " << k;
    }
};

constexpr double W = 2.0, third = 0.3333333 * W;

TEST_F(Boxes, WithoutScalingEveryBoxHasTheFullWidthAndTheClipTakesTheGaps) {
    draw();
    expectwidths({W, W, W});
    bool clip = false;
    for (const Prim* q : rec->of(Prim::PushClip)) {
        std::vector<double> x = {rec->pctx(q->xy[0]), rec->pctx(q->xy[2])}, y = {rec->pcty(q->xy[1]), rec->pcty(q->xy[3])};
        std::sort(x.begin(), x.end());
        std::sort(y.begin(), y.end());
        clip |= std::fabs(x[0] - 19) < 1e-3 && std::fabs(x[1] - 81) < 1e-3 && std::fabs(y[0] - 19) < 1e-3 && std::fabs(y[1] - 81) < 1e-3;
    }
    EXPECT_TRUE(clip);
}

TEST_F(Boxes, LinearScaling) {
    stmt.num(ps::BOXWIDTHSCALE, 1);
    draw();
    expectwidths({third, third + (W - third) * 9 / 99, W});
}

TEST_F(Boxes, LogarithmicScaling) {
    stmt.num(ps::BOXWIDTHSCALE, 0);
    draw();
    expectwidths({third, third + (W - third) * 0.5, W});
}

TEST_F(Boxes, ANegativePowerSwitchesScalingOff) {
    stmt.num(ps::BOXWIDTHSCALE, -1);
    draw();
    expectwidths({W, W, W});
}

TEST_F(Boxes, BoxWidthGivesTheSmallestUnlessItIsTwiceTheSymbol) {
    stmt.num(ps::BOXWIDTHSCALE, 1).num(ps::BOXWIDTH, 2 * W);
    draw();
    expectwidths({third, third + (W - third) * 9 / 99, W});
}

TEST_F(Boxes, BoxWidthBelowTwiceTheSymbol) {
    stmt.num(ps::BOXWIDTHSCALE, 1).num(ps::BOXWIDTH, W);
    draw();
    expectwidths({W / 2, W / 2 + (W - W / 2) * 9 / 99, W});
}

TEST_F(Boxes, EqualSizesDrawFullWidths) {
    stmt.num(ps::BOXWIDTHSCALE, 1);
    draw(7, 7);
    expectwidths({W, W, W});
}

// Quartiles that coincide: whiskers and the median line, no box.
TEST_F(Boxes, CoincidingQuartilesDrawNoBox) {
    s->inwork.curstmt = stmt.rec();
    pos = {5};
    startgraph();
    ASSERT_EQ(vyxgini(s), 0);
    rec = &openpage();
    frame(20, 20, 60, 60);
    vyxgcol(s);
    f->markw = W;
    f->fillcol = -1;
    const double v[7] = {1, 4, 4, 4, 7, 1, 4};
    for (int k = 0; k < 7; ++k) {
        A[k].assign(1, v[k]);
        s->life.ppcarr[k] = A[k].data();
    }
    s->groups.nlev[1] = 1;
    s->plot.boxpos = pos.data();
    s->plot.boxlev[0] = s->plot.boxlev[1] = 0;
    s->plot.gstyles = &mark;
    ASSERT_EQ(vyxbox(s), 0);
    EXPECT_TRUE(halfwidths().empty());
    // Two whiskers, two caps and the median line.
    EXPECT_EQ(rec->of(Prim::Line).size(), 5u);
}

}  // namespace
