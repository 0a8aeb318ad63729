// A page drawn through the deferred canvas, on a thread of its own or played when the page
// ends, reaches the canvas behind as the same calls in the same order, with the same
// arguments, as when drawn straight.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/graphics/deferred.h"
#include "runtime/graphics/recorder.h"

namespace {
using namespace rt::gfx;

// A page of every kind of call; with many, some hundred thousand limit bars in two styles
// (several batches), text between them, and a stroke whose dashes change.
void drawpage(Canvas& c, bool many) {
    c.begin(576, 432, Rgb{1, 1, 1});
    c.pushclip(10, 10, 500, 400);
    Stroke solid{Rgb{0, 0, 1}, 0.75, {}};
    Stroke dashed{Rgb{1, 0, 0}, 1.5, {3, 3}};
    const int n = many ? 150000 : 10;
    for (int i = 0; i < n; ++i) {
        const double x = 10 + (i % 4900) * 0.1, y = 10 + (i % 3900) * 0.1;
        c.line(x, y, x + 2, y, i % 7 ? solid : dashed);
        if (i % 50000 == 1) c.text("Mean cumulative <&> function", x, y, 90, Anchor::Middle, TextStyle{FontFace{}, 9, Rgb{}});
    }
    const double xy[8] = {10, 10, 100, 10, 100, 100, 10.5, 100.25};
    c.polyline(xy, 4, dashed);
    c.fill(xy, 4, Rgb{0.5, 0.5, 0.5});
    c.hatch(xy, 4, solid, 45, 6);
    MarkerShape plus{"PLUS", {{{-0.5, 0}, {0.5, 0}}, {{0, -0.5}, {0, 0.5}}}, false, false, false, false};
    MarkerShape dot{"DOT", {}, false, false, false, true};
    c.markers(plus, 6, solid, xy, 4);
    c.markers(dot, 4, dashed, xy + 2, 3);
    c.markers(plus, 6, solid, xy, 0);
    c.popclip();
}

void expectsame(const RecordingCanvas& want, const RecordingCanvas& got) {
    ASSERT_EQ(got.prims.size(), want.prims.size());
    for (size_t i = 0; i < want.prims.size(); ++i) {
        const Prim& a = want.prims[i];
        const Prim& b = got.prims[i];
        ASSERT_EQ(b.kind, a.kind) << i;
        ASSERT_EQ(b.xy, a.xy) << i;
        ASSERT_TRUE(b.stroke.color == a.stroke.color && b.stroke.width == a.stroke.width && b.stroke.dashes == a.stroke.dashes) << i;
        ASSERT_TRUE(b.color == a.color) << i;
        ASSERT_EQ(b.text, a.text) << i;
        ASSERT_TRUE(b.style.face == a.style.face && b.style.size == a.style.size && b.style.color == a.style.color) << i;
        ASSERT_EQ(b.angle, a.angle) << i;
        ASSERT_EQ(b.size, a.size) << i;
        ASSERT_EQ(b.anchor, a.anchor) << i;
    }
}
}  // namespace

TEST(Deferred, CallsReachTheCanvasBehindInOrderOnAThreadOrNot) {
    for (bool many : {false, true})
        for (bool threads : {true, false}) {
            RecordingCanvas want, got;
            drawpage(want, many);
            ASSERT_TRUE(want.end());
            DeferredCanvas d(got, threads);
            drawpage(d, many);
            EXPECT_TRUE(d.end());
            EXPECT_EQ(d.error(), "");
            expectsame(want, got);
        }
}
