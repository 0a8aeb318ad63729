// Annotate data sets: coordinates converted into drawing units, refused values, and the
// host's annotate facility drawing the copy on the page.
#include <cmath>
#include <string>
#include <vector>

#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;

class Annotate : public DevGraphTest {
protected:
    Stmt plot{"PROBPLOT"};
    dshandle in = nullptr;
    const vec203* D = nullptr;
    const rt::gfx::RecordingCanvas* rec = nullptr;
    struct Obs {
        const char* function;
        double x, y;
        char xsys, ysys;
        const char* text;
    };
    void dataset(const std::vector<Obs>& obs, bool withysys = true) {
        D = static_cast<const vec203*>(host->vectors[VEC_DATASETS]);
        std::vector<vardesc> v(withysys ? 6 : 5);
        auto def = [&](int k, const char* n, uint8_t type, int len) {
            std::strcpy(v[k].name, n);
            v[k].namelen = static_cast<uint16_t>(std::strlen(n));
            v[k].type = type;
            v[k].length = len;
        };
        def(0, "FUNCTION", 2, 8), def(1, "X", 1, 8), def(2, "Y", 1, 8), def(3, "XSYS", 2, 1), def(4, "TEXT", 2, 16);
        if (withysys) def(5, "YSYS", 2, 1);
        in = D->xocreate("ANNO", static_cast<int>(v.size()), v.data());
        for (const Obs& o : obs) {
            D->xvput1c(in, 1, o.function, static_cast<int>(std::strlen(o.function)));
            D->xvput1f(in, 2, o.x);
            D->xvput1f(in, 3, o.y);
            D->xvput1c(in, 4, &o.xsys, 1);
            D->xvput1c(in, 5, o.text, static_cast<int>(std::strlen(o.text)));
            if (withysys) D->xvput1c(in, 6, &o.ysys, 1);
            D->xoadd(in);
        }
        plot.dataset(slot::plot::ANNOTATE, in);
        s->inwork.curstmt = plot.rec();
        s->optsw.quant_fn = [](double p) { return p * 10; };
    }
    // The converted X and Y of observation k of the copy.
    std::pair<double, double> copied(int k) {
        D->xopnt(s->plot.annolib);
        for (int i = 0; i <= k; ++i) EXPECT_EQ(D->xoget(s->plot.annolib), 0);
        double x = 0, y = 0;
        vardesc d{};
        dsinfo info{};
        D->xoinfo(s->plot.annolib, DSI_INFO, &info);
        int32_t vx = 0, vy = 0;
        for (int32_t v = 1; v <= info.nvars; ++v) {
            D->xvname(s->plot.annolib, v, &d);
            if (std::string(d.name) == "X") vx = v;
            if (std::string(d.name) == "Y") vy = v;
        }
        D->xvget1f(s->plot.annolib, vx, &x);
        D->xvget1f(s->plot.annolib, vy, &y);
        return {x, y};
    }
};

TEST_F(Annotate, PageUnitsPassAndDataValuesBecomeDrawingUnits) {
    dataset({{"LABEL", 30, 40, '1', '1', "page"}, {"LABEL", 100, 50, '2', '2', "data"}});
    s->plot.axlog[AXLOG_H] = 1;
    ASSERT_EQ(vyxatrn(s), 0);
    auto a = copied(0);
    EXPECT_EQ(a.first, 30);
    EXPECT_EQ(a.second, 40);
    auto b = copied(1);
    EXPECT_NEAR(b.first, 2.0, 1e-15);    // log10(100)
    EXPECT_NEAR(b.second, 5.0, 1e-15);   // quantile of 50 percent (p x 10 here)
}

TEST_F(Annotate, RefusedValues) {
    dataset({{"LABEL", 1, 100, '2', '2', "x"}});
    EXPECT_EQ(vyxatrn(s), 1);
    EXPECT_TRUE(logged("probability of 100 lies outside 0 to 100 percent"));
    dataset({{"LABEL", 0, 5, '2', '1', "x"}});
    s->plot.axlog[AXLOG_H] = 1;
    EXPECT_EQ(vyxatrn(s), 1);
    EXPECT_TRUE(logged("data value of 0 cannot be placed on a logarithmic axis"));
    dataset({{"LABEL", 1, 5, '8', '1', "x"}});
    EXPECT_EQ(vyxatrn(s), 1);
    EXPECT_TRUE(logged("coordinate system '8'"));
    dataset({{"LABEL", 1, 5, '1', '1', "x"}}, false);
    EXPECT_EQ(vyxatrn(s), 1);
    EXPECT_TRUE(logged("needs the variables X, Y, XSYS and YSYS"));
}

// The relation plot draws stress along the bottom and life up the left: X is a stress (a
// common logarithm under the power relation), Y a life (log10 on a log life axis).
TEST_F(Annotate, RelationPlotStressAlongTheBottomLifeUpTheLeft) {
    dataset({{"LABEL", 1000, 100, '2', '2', "x"}});
    s->inputw.stmtkind = 4;
    s->optsw.stressrel = 3;
    s->optsw.stress_fn = [](double v) { return std::log(v); };
    s->plot.axlog[AXLOG_V] = 1;
    ASSERT_EQ(vyxatrn(s), 0);
    EXPECT_NEAR(copied(0).first, 3.0, 1e-14);
    EXPECT_NEAR(copied(0).second, 2.0, 1e-14);
}

TEST_F(Annotate, TheFacilityDrawsTheCopy) {
    dataset({{"MOVE", 0, 0, '1', '1', ""}, {"DRAW", 100, 100, '1', '1', ""}, {"LABEL", 5, 50, '2', '2', "Mark"}});
    startgraph();
    ASSERT_EQ(vyxgini(s), 0);
    rec = &openpage();
    frame(20, 20, 60, 60);
    f->pagewin = s->plot.pwin;
    ASSERT_EQ(vyxatrn(s), 0);
    vyxanno(s);
    auto lines = rec->of(Prim::Line);
    ASSERT_EQ(lines.size(), 1u);   // the data area's corners: frame widened by the gaps
    EXPECT_NEAR(px(lines[0], 0), 19, 1e-9);
    EXPECT_NEAR(py(lines[0], 0), 19, 1e-9);
    EXPECT_NEAR(px(lines[0], 1), 81, 1e-9);
    EXPECT_NEAR(py(lines[0], 1), 81, 1e-9);
    auto texts = rec->of(Prim::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "Mark");
    EXPECT_NEAR(px(texts[0], 0), 5 * 6 + 20, 1e-5);   // x = 5 on the axis: 5 x hfac + hoff
}

}  // namespace
