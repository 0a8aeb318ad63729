// SQUARE: the frame shrinks along its longer side, about its centre, until its two sides are
// equally long on the page; a frame already square stays as it is.
#include "proc/framework/destctx.h"
#include "proc/framework/expect.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

class Square : public DevGraphTest {
protected:
    Stmt stmt{"RELATIONPLOT"};
    double W = 0, H = 0;   // page, inches
    void begin() {
        s->inwork.curstmt = stmt.rec();
        startgraph();
        ASSERT_EQ(vyxgini(s), 0);
        ASSERT_TRUE(f->gctx && f->gctx->device);
        W = f->gctx->device->pagew, H = f->gctx->device->pageh;
    }
    // The frame's sides on the page, inches.
    double width() const { return W * f->fw / 100; }
    double height() const { return H * f->fh / 100; }
};

TEST_F(Square, TheLongerSideShrinksAboutTheCentre) {
    begin();
    frame(10, 10, 80, 40);   // wider than high on any usual page
    ASSERT_GT(width(), height());
    const double centre = f->fx + f->fw / 2, h = f->fh;
    squareframe(f);
    EXPECT_NEAR(width(), height(), 1e-9);
    EXPECT_NEAR(f->fx + f->fw / 2, centre, 1e-9);
    EXPECT_EQ(f->fh, h);
    EXPECT_GT(f->sqdx, 0);
    EXPECT_NEAR(f->fx, f->hmin * f->hfac + f->hoff, 1e-9);   // the mapping follows the frame
    EXPECT_NEAR(f->fx + f->fw, f->hmax * f->hfac + f->hoff, 1e-9);

    frame(10, 10, 20, 80);   // higher than wide
    ASSERT_LT(width(), height());
    const double middle = f->fy + f->fh / 2;
    squareframe(f);
    EXPECT_NEAR(width(), height(), 1e-9);
    EXPECT_NEAR(f->fy + f->fh / 2, middle, 1e-9);
    EXPECT_NEAR(f->fy, f->vmin * f->vfac + f->voff, 1e-9);
    EXPECT_NEAR(f->fy + f->fh, f->vmax * f->vfac + f->voff, 1e-9);
}

TEST_F(Square, ASquareFrameStaysAsItIs) {
    begin();
    frame(10, 10, 40, 40 * W / H);
    f->sqdx = f->sqdy = 0;
    const double fx = f->fx, fy = f->fy, fw = f->fw, fh = f->fh;
    squareframe(f);
    EXPECT_NEAR(f->sqdy, 0, 1e-12);
    EXPECT_EQ(f->sqdx, 0);
    EXPECT_NEAR(f->fh, fh, 1e-12);
    EXPECT_EQ(f->fw, fw);
    EXPECT_EQ(f->fx, fx);
    EXPECT_NEAR(f->fy, fy, 1e-12);
}

}  // namespace
