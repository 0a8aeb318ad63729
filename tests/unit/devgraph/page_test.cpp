// A whole probability-plot page drawn by the shared drawing routines: layout, colours, the
// frame, a legend of three groups, the grid, axis labels, points and fitted lines, reference
// lines with labels, an inset and an annotation; published into the report twice. The page
// is written to devgraph-page/ of the test folder for a person to look at.
#include <cairo.h>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "proc/devgraph/legends.h"
#include "proc/framework/optslots.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

using rt::gfx::Prim;
namespace ps = slot::plot;

class Page : public DevGraphTest {
protected:
    Stmt plot{"PROBPLOT"};
    Stmt inset{"INSET"};
    std::vector<double> pct = {0.1, 1, 5, 10, 20, 50, 80, 90, 99, 99.9};
    std::vector<double> lticks = {0, 1, 2, 3};
    std::vector<double> hrefs = {300}, vrefs = {50};
    grpnode groups[3]{};
    char keys[48];
    optslot hlabels{};
    slstring hlab{8, "Warranty"};

    // One page of the plot statement on the destination; its segment record is kept.
    void drawpage() {
        void* words[2] = {nullptr, nullptr};
        void* seg = vyxsgmt(s, words);
        ggphdr(0, s->plot.byline[0], s->plot.byline[1]);
        vyxgcol(s);
        ggldraw(0, static_cast<legrec*>(s->plot.legends[LG_GROUPS]), s->plot.gldraw);
        vyxgfrm(s);
        vyxggrd(s);
        // the frame (the axis routines of the plots draw it with their ticks)
        const double L = f->fx - f->gapl, R = f->fx + f->fw + f->gapr, B = f->fy - f->gapb, T = f->fy + f->fh + f->gapt;
        for (auto [x0, y0, x1, y1] : {std::array{L, B, R, B}, {R, B, R, T}, {R, T, L, T}, {L, T, L, B}}) ggdraw(0, x0, y0, x1, y1, 1, s->plot.colors[GC_AXIS]);
        vyxghlb(s);
        vyxgvlb(s);
        // points and fitted lines of three Weibull groups, as the drawing routines hand them over
        for (int k = 0; k < 3; ++k) {
            std::vector<double> pts, line;
            const double mu = 1.6 + 0.4 * k, sigma = 0.35;
            for (int i = 1; i <= 12; ++i) {
                double p = (i - 0.3) / 12.4, z = std::log(-std::log(1 - p));
                double t = mu + sigma * z + 0.05 * std::sin(7.0 * i + k);
                pts.push_back(t * f->hfac + f->hoff);
                pts.push_back(z * f->vfac + f->voff);
            }
            for (double z : {-7.0, 2.0}) line.push_back((mu + sigma * z) * f->hfac + f->hoff), line.push_back(z * f->vfac + f->voff);
            ggmarkblk m{};
            std::memcpy(m.symbol, s->plot.symcomp[k].symbol, sizeof m.symbol);
            m.size = s->plot.symcomp[k].symsize;
            m.count = 12;
            m.attr = GGM_POINTS;
            m.pts = pts.data();
            float clip[4] = {static_cast<float>(f->fx), static_cast<float>(f->fy), static_cast<float>(f->fx + f->fw), static_cast<float>(f->fy + f->fh)};
            ggpmark(0, &m, ggcnum(0, s->plot.symcomp[k].symcolor), clip);
            ggpolyblk b{2, s->plot.symarr[k].ltype, 0, GGP_LINE, 0, line.data()};
            ggpline(0, &b, ggcnum(0, s->plot.symarr[k].color), clip);
        }
        s->groups.curgrp = &groups[0];
        vyxghrl(s, &groups[0]);
        vyxgvrl(s, &groups[0]);
        ASSERT_EQ(vyxins(s, &groups[0]), 0);
        vyxipos(s);
        vyxidrw(s);
        vyxanno(s);
        ASSERT_EQ(ggcseg(0, &seg, 0), 0);
        ASSERT_EQ(zqsgmt(&s->plot.gdest), 0);
    }
};

TEST_F(Page, ProbabilityPlotPageInTheReport) {
    rt::gfx::devstate(&session).writefiles = true;
    plot.text(ps::PAXISLABEL, "Percent failed").text(ps::NAME, "WEIBULL").name(ps::CTEXT, "BLACK").names(ps::PPOSCOLOR, {"CX2A5CAA", "CXC0392B", "CX2E8B57"})
        .names(ps::CFIT, {"CX2A5CAA", "CXC0392B", "CX2E8B57"});
    inset.nums(slot::inset::ITEMS, {code::insetitem::N, code::insetitem::UNCENSORED, code::insetitem::RIGHT, 54, 2, 3, 54, 300})
        .text(slot::inset::HEADER, "Lot A").name(slot::inset::POSITION, "SE");
    plot.rec()->next = inset.rec();
    s->inwork.curstmt = plot.rec();
    s->inputw.stmtkind = 1;
    s->groups.nclass = 1;
    s->groups.nplotgrp = 3;
    s->groups.rootgrp.nsub = 3;
    std::memcpy(keys, "Lot A           Lot B           Lot C           ", 48);
    s->groups.levkeys[0] = keys;
    std::strcpy(s->groups.clsnames[0], "LOT"), s->groups.clsnamelen[0] = 3;
    for (int k = 0; k < 3; ++k) groups[k].loc = 1.6 + 0.4 * k, groups[k].scale = 0.35, groups[k].wfail = 10, groups[k].wright = 2, groups[k].totw = 12, groups[k].rsq = NAN;
    groups[0].wbscale = std::pow(10.0, 1.6), groups[0].wbshape = 1 / 0.35;
    groups[0].next = &groups[1], groups[1].next = &groups[2];
    s->groups.grplist.head = &groups[0];
    s->poptw.pflags.legend = 1, s->poptw.pflags.overlay = 1, s->poptw.pflags.nogrid = 1, s->plot.gridsave = 1, s->poptw.pflags.mlgrid = 1;
    s->poptw.pflags.refstop = 1;
    s->work.fitmethod = 1, s->optsw.distcode = 2;
    s->optsw.logscale[1] = 1, s->plot.axlog[AXLOG_H] = 1;
    s->optsw.quant_fn = [](double p) { return std::log(-std::log(1 - p)); };
    s->poptw.panels.pctlist = pct.data(), s->poptw.panels.npct = static_cast<int32_t>(pct.size());
    s->poptw.panels.nrows = s->poptw.panels.ncols = 1;
    s->work.refs.vals[REF_HREF] = hrefs.data(), s->work.refs.counts[REF_HREF] = 1;
    hlabels.given = 1, hlabels.kind = SK_QSLIST, hlabels.count = 1, hlabels.ptr = &hlab;
    s->work.refs.labels[REF_HREF] = &hlabels;
    s->work.refs.vals[REF_VREF] = vrefs.data(), s->work.refs.counts[REF_VREF] = 1;
    s->poptw.refopts[REFPOS_HREF] = 1, s->poptw.refopts[REFPOS_VREF] = 1;
    vardesc hours{};
    std::strcpy(hours.name, "Hours"), hours.namelen = 5;
    std::strcpy(hours.label, "Hours to failure"), hours.labellen = 16;
    s->inputw.rspvars[0] = &hours;
    std::memcpy(s->optsw.labels[LB_DIST], "Weibull         ", 16);
    f->hmin = 0, f->hmax = 3, f->hticks = lticks.data(), f->nhtickv = 4, f->nhtick = 3;
    f->vmin = s->opts.quant_fn(0.001), f->vmax = s->opts.quant_fn(0.999), f->nvtick = 9;
    f->pfirst = 0, f->plast = static_cast<int32_t>(pct.size()) - 1;
    f->panelcol = 1;

    startgraph();
    ASSERT_EQ(vyxgini(s), 0);
    ASSERT_EQ(vyxsymb(s), 0);
    ASSERT_EQ(vyxglgi(s), 0);
    vyxgpat(s);
    vyxpmar(s);
    ASSERT_EQ(vyxppag(s), 0);
    drawpage();
    drawpage();   // the same plot again: a second page of the same name in the run
    ASSERT_EQ(zqpdest(&s->plot.gdest), 0);
    zqdfree(&s->plot.gdest);
    std::string err;
    rt::out::endstep();
    ASSERT_EQ(rt::out::endprogram(err), 0) << err;

    // Both pages are files of their own, and the report holds both inline, with ids that
    // never collide although cairo numbers the definitions of each file afresh.
    const auto pages = rt::gfx::allpages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]->name, "WEIBULL");
    EXPECT_EQ(pages[1]->name, "WEIBULL1");
    std::ifstream in(outdir + "/report.html");
    std::stringstream b;
    b << in.rdbuf();
    const std::string html = b.str();
    EXPECT_EQ(std::count(html.begin(), html.end(), '\0'), 0);
    size_t svgs = 0;
    for (size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1)) ++svgs;
    EXPECT_EQ(svgs, 2u);
    // every id once, every reference to one of them
    std::set<std::string> ids;
    size_t nids = 0;
    auto scan = [&](const std::string& mark, char end, auto&& each) {
        for (size_t at = html.find(mark); at != std::string::npos; at = html.find(mark, at + 1)) {
            size_t b = at + mark.size(), e = html.find(end, b);
            each(html.substr(b, e - b));
        }
    };
    scan(" id=\"", '"', [&](const std::string& v) { ids.insert(v), ++nids; });
    EXPECT_EQ(ids.size(), nids);
    EXPECT_GT(nids, 10u);
    size_t refs = 0;
    auto known = [&](const std::string& v) {
        ++refs;
        EXPECT_TRUE(ids.count(v)) << v;
    };
    scan("href=\"#", '"', known);
    scan("url(#", ')', known);
    EXPECT_GT(refs, 10u);
    // Keep the page for a person to look at.
    const std::string keep = (std::filesystem::current_path() / "devgraph-page").string();
    std::filesystem::create_directories(keep);
    std::filesystem::copy_file(pages[0]->pngpath, keep + "/weibull.png", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(pages[0]->svgpath, keep + "/weibull.svg", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(outdir + "/report.html", keep + "/report.html", std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
