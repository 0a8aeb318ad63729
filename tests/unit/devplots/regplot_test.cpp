// The relation plot of the MODEL's regression (RELATIONPLOT FITTYPE=REGRESSION) read back
// from its pages: percentile lines against the closed form of the fitted model, the stress
// span of the lines, markers by censoring and their counts, curves by CLASS level or by the
// values of a second variable with their labels, reference lines, destinations.
#include <cstring>
#include <map>
#include <set>

#include "tests/unit/devplots/data.h"
#include "tests/unit/devplots/fixture.h"

namespace {

using dp::Page;
using rt::gfx::Prim;

const std::string kArrModel = "proc vitalyx data=insul;\n distribution lognormal;\n model hours = temp / relation=arr;\n";

dp::Run insul(const std::string& rplot, const dp::Options& o = {}) {
    return dp::run(kArrModel + " relationplot hours = temp / fit=regression " + rplot + ";\nrun;\n", {{"insul", testdata::insulation}}, o);
}

// The specimens of the insulation test: temperature and hours, as text.
struct Specimen {
    std::string temp, hours;
};
std::vector<Specimen> specimens() {
    std::vector<Specimen> v;
    std::istringstream in(testdata::insulation);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) v.push_back({line.substr(0, 3), line.substr(4)});
    return v;
}

// The percentile lines: the polylines of 100 points, in drawing order.
std::vector<const Prim*> curves(const Page& p) {
    std::vector<const Prim*> v;
    for (const Prim* q : p.of(Prim::Polyline))
        if (q->xy.size() == 200) v.push_back(q);
    return v;
}

// The page position of an axis as a straight line in u(value), read from its labels.
dp::Fit axis(const Page& p, bool left, double (*u)(double)) {
    const dp::Axis a = dp::labels(p, left);
    std::vector<double> x;
    for (double v : a.value) x.push_back(u(v));
    EXPECT_GE(x.size(), 3u);
    return dp::linefit(x, a.pos);
}
double arrhenius(double t) { return 1000.0 / (t + 273.15); }
double log10of(double t) { return std::log10(t); }
double same(double t) { return t; }

// Texts that are single digits: the counts of coinciding markers.
std::multiset<std::string> counts(const Page& p) {
    std::multiset<std::string> c;
    for (const std::string& t : p.texts())
        if (t.size() == 1 && t[0] >= '2' && t[0] <= '9') c.insert(t);
    return c;
}

// The insulation test with every specimen failed: the lognormal regression on 1000 / (temp +
// 273.15) as R's survreg fits it (tests/data/devplots/insulation_regression.R).
constexpr double kB0 = -7.28341120522, kB1 = 7.53569257982, kSigma = 0.249262908548;

TEST(RegressionPlot, ArrheniusLinesAreTheModelsPercentiles) {
    dp::Run r = insul("relation=arr plotfit=10 50 90");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_FALSE(r.log.has("Not available")) << r.log.all();
    const Page& p = r.pages[0];
    // Arrhenius paper: stress positions straight in 1000 / (T + 273.15), life in log10.
    const dp::Fit sx = axis(p, false, arrhenius), ly = axis(p, true, log10of);
    EXPECT_LT(sx.worst, 0.02);
    EXPECT_LT(ly.worst, 0.02);
    const auto lines = curves(p);
    ASSERT_EQ(lines.size(), 3u);
    const double z[3] = {-1.2815515655446004, 0.0, 1.2815515655446004};
    for (int i = 0; i < 3; ++i) {
        for (int k : {0, 33, 66, 99}) {
            const double u = (lines[i]->xy[2 * k] - sx.a) / sx.b;
            const double life = std::pow(10.0, (lines[i]->xy[2 * k + 1] - ly.a) / ly.b);
            EXPECT_NEAR(std::log(life), kB0 + kB1 * u + kSigma * z[i], 2e-3) << "percentile line " << i << " point " << k;
        }
    }
    // 100 points from 5% of the stress axis above its start to one step short of 5% below its end.
    const dp::Axis b = dp::labels(p, false);
    const double lo = b.value.front(), hi = b.value.back();
    auto stress = [&](int k) { return 1000.0 / ((lines[0]->xy[2 * k] - sx.a) / sx.b) - 273.15; };
    const double start = lo + 0.05 * (hi - lo), end = hi - 0.05 * (hi - lo);
    EXPECT_NEAR(stress(0), start, 0.05);
    EXPECT_NEAR(stress(99), end - (end - start) / 100, 0.05);
    // A marker per specimen and the symbol legend's.
    EXPECT_EQ(p.markers().size(), 41u);
    EXPECT_TRUE(p.hastext("Uncensored"));
}

// Coinciding markers are counted: tied specimens by their runs in the sorted plot rows, or
// by their frequencies with FREQ.
TEST(RegressionPlot, CoincidingMarkersAreCounted) {
    const std::multiset<std::string> ties = {"2", "2", "2", "3", "3", "4", "4", "5"};
    dp::Run r = insul("relation=arr plotfit=50 showmultiples");
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(counts(r.pages[0]), ties);
    // The label "5" (the five specimens at 2436 hours and 220 degrees) beside a marker.
    const Prim* five = r.pages[0].text("5");
    ASSERT_NE(five, nullptr);
    double nearest = 1e9;
    for (auto [x, y] : r.pages[0].markers()) nearest = std::min(nearest, std::hypot(x - five->xy[0], y - five->xy[1]));
    EXPECT_LT(nearest, 4.0);

    std::map<std::string, int> n;
    for (const Specimen& x : specimens()) ++n[x.temp + "," + x.hours];
    std::string freq = "temp,hours,n\n";
    for (const auto& [row, k] : n) freq += row + "," + std::to_string(k) + "\n";
    dp::Run f = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n freq n;\n model hours = temp / relation=arr;\n"
                        " relationplot hours = temp / fit=regression relation=arr plotfit=50 showmultiples;\nrun;\n",
                        {{"insul", freq}});
    ASSERT_EQ(f.status, 0) << f.log.all();
    ASSERT_EQ(f.pages.size(), 1u);
    EXPECT_EQ(counts(f.pages[0]), ties);
    EXPECT_EQ(f.pages[0].markers().size(), n.size() + 1);
}

// Interval data: a marker kind per censoring, the legend from the left-censored entry up; an
// interval whose upper end is below its lower end and a life of 0 on the log axis are not
// plotted, equal ends are an exact observation.
TEST(RegressionPlot, CensoredAndIntervalObservations) {
    std::string data = "temp,lo,hi\n";
    int k = 0;
    for (const auto& [temp, t] : specimens()) {
        ++k;
        if (k == 1) data += temp + ",," + t + "\n";                           // left-censored
        else if (k == 40) data += temp + "," + t + ",\n";                     // right-censored
        else if (k == 12) data += temp + "," + t + "," + std::to_string(std::stoi(t) + 400) + "\n";   // interval
        else data += temp + "," + t + "," + t + "\n";
    }
    data += "220,3108,2436\n240,0,0\n";
    dp::Run r = dp::run("proc vitalyx data=insul;\n distribution lognormal;\n model (lo hi) = temp / relation=arr;\n"
                        " relationplot (lo hi) = temp / fit=regression relation=arr plotfit=50;\nrun;\n",
                        {{"insul", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    std::map<std::string, int> shapes;
    for (const Prim* q : p.of(Prim::Markers)) shapes[q->text] += static_cast<int>(q->xy.size() / 2);
    std::multiset<int> bykind;
    for (const auto& [shape, n] : shapes) bykind.insert(n);
    // 38 exact and interval observations, one right- and one left-censored, each kind with
    // its legend marker.
    EXPECT_EQ(bykind, (std::multiset<int>{2, 2, 39})) << shapes.size();
    const Prim *left = p.text("Left Censored"), *right = p.text("Right Censored"), *both = p.text("Interval Censored");
    ASSERT_TRUE(left && right && both);
    EXPECT_LT(left->xy[1], right->xy[1]);
    EXPECT_LT(right->xy[1], both->xy[1]);
    EXPECT_FALSE(p.hastext("Uncensored"));
}

// With FMODE KEEP the MODEL takes a failure of another mode as right-censored and so does its
// plot: 36 exact markers, 3 right-censored, none for the specimen without a mode.
TEST(RegressionPlot, FailuresOfAnotherModeAreRightCensored) {
    dp::Run r = dp::run("proc vitalyx data=d;\n distribution lognormal;\n fmode keep mode=('wear');\n"
                        " model hours = temp / relation=arr;\n relationplot hours = temp / fit=regression relation=arr plotfit=50;\nrun;\n",
                        {{"d", testdata::insulationmodes()}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    std::map<std::string, int> shapes;
    for (const Prim* q : r.pages[0].of(Prim::Markers)) shapes[q->text] += static_cast<int>(q->xy.size() / 2);
    std::multiset<int> bykind;
    for (const auto& [shape, n] : shapes) bykind.insert(n);
    EXPECT_EQ(bykind, (std::multiset<int>{4, 37}));   // each kind with its legend marker
    EXPECT_TRUE(r.pages[0].hastext("Right Censored"));
}

// Curves by the levels of the MODEL's CLASS variable, each labelled at its last point inside
// the plot area (here where it leaves through the top), under a heading of the variable.
TEST(RegressionPlot, CurvesByLevelLabelledWhereTheyLeaveThePlot) {
    // Life grows with the dose: the lines rise to the right and leave through LIFEUPPER.
    std::string data = "dose,lot,hours\n";
    int k = 0;
    for (const Specimen& x : specimens()) {
        data += std::to_string(500 - std::stoi(x.temp)) + "," + "ABC"[k++ % 3] + "," + x.hours + "\n";
    }
    const std::string prog = "proc vitalyx data=d;\n class lot;\n distribution lognormal;\n model hours = dose lot;\n"
                             " relationplot hours = dose / fit=regression plotfit=10 50 lifeupper=6000;\nrun;\n";
    dp::Run r = dp::run(prog, {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 1u);
    const Page& p = r.pages[0];
    const auto lines = curves(p);
    ASSERT_EQ(lines.size(), 6u);   // two percentiles, three lots
    const dp::Fit ly = axis(p, true, log10of);
    const double top = ly.a + ly.b * std::log10(6000.0);
    int labels = 0, attop = 0;
    double highest = -1e9;
    for (const Prim* t : p.of(Prim::Text)) {
        if (t->text != "A" && t->text != "B" && t->text != "C") continue;
        ++labels;
        highest = std::max(highest, t->xy[1]);
        // At the last point of a line below the top of the plot area, or moved from it by at
        // most two text heights where it would run into another label or line.
        double best = 1e9;
        bool leaves = false;
        for (const Prim* c : lines) {
            int j = 99;
            while (j > 0 && c->xy[2 * j + 1] > top + 1e-3) --j;
            const double d = std::hypot(c->xy[2 * j] - t->xy[0], c->xy[2 * j + 1] - t->xy[1]);
            if (d < best) best = d, leaves = j < 99;
        }
        EXPECT_LE(best, 2.0 * t->style.size / p.h * 100.0 * std::sqrt(2.0)) << t->text;
        attop += leaves;
    }
    // Three lots whose lines nearly coincide: a label that finds no room is left out.
    EXPECT_GE(labels, 5);
    EXPECT_GE(attop, 1);   // at least one line left through the top
    const Prim* head = p.text("lot");
    ASSERT_NE(head, nullptr);
    EXPECT_NE(head->xy[1], highest);

    // Several percentiles with several curves have no statistical graph: the step ends.
    dp::Options o;
    o.statistical = true;
    dp::Run st = dp::run(prog, {{"d", data}}, o);
    EXPECT_NE(st.status, 0);
    EXPECT_TRUE(dp::hasmsg(st.log, 577)) << st.log.all();
}

// PCNTLLOWER=10 and PCNTLUPPER=10 on a stress axis from 0 to 100: lines from 10 to 89.2. Without
// LOGSCALE the lines keep one distance; with it the log of their distance is straight in
// the stress.
TEST(RegressionPlot, LineSpanAndTheScaleModel) {
    std::string data = "stress,hours\n";
    for (const Specimen& x : specimens()) data += std::to_string(std::stoi(x.temp) - 180) + "," + x.hours + "\n";
    auto run = [&](const std::string& logscale) {
        return dp::run("proc vitalyx data=d;\n distribution lognormal;\n model hours = stress;\n" + logscale +
                           " relationplot hours = stress / fit=regression stresslower=0 stressupper=100 pcntllower=10"
                           " pcntlupper=10 plotfit=10 90;\nrun;\n",
                       {{"d", data}});
    };
    for (const std::string ls : {"", " logscale stress;\n"}) {
        dp::Run r = run(ls);
        ASSERT_EQ(r.status, 0) << r.log.all();
        ASSERT_EQ(r.pages.size(), 1u);
        const Page& p = r.pages[0];
        const dp::Fit sx = axis(p, false, same);
        const auto lines = curves(p);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NEAR((lines[0]->xy[0] - sx.a) / sx.b, 10.0, 0.02);
        EXPECT_NEAR((lines[0]->xy[198] - sx.a) / sx.b, 89.2, 0.02);
        std::vector<double> x, gap;
        for (int k = 0; k < 100; ++k) {
            x.push_back(lines[0]->xy[2 * k]);
            gap.push_back(std::log(lines[1]->xy[2 * k + 1] - lines[0]->xy[2 * k + 1]));
        }
        const dp::Fit g = dp::linefit(x, gap);
        EXPECT_LT(g.worst, 1e-6);
        if (ls.empty())
            EXPECT_LT(std::fabs(g.b), 1e-9);
        else
            EXPECT_GT(std::fabs(g.b), 1e-4);
    }
}

// Every destination draws the same page (the lines are mapped afresh for each); the stress
// reference line stands at its stress on the Arrhenius axis.
TEST(RegressionPlot, DestinationsAndStressReferenceLines) {
    dp::Options o;
    o.destinations = {"HTML", "DOCUMENT", "PDF"};
    dp::Run r = insul("relation=arr plotfit=10 90 sref=220", o);
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 2u);   // the later DOCUMENT is skipped
    const auto a = curves(r.pages[0]), b = curves(r.pages[1]);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(b.size(), 2u);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t k = 0; k < a[i]->xy.size(); ++k) ASSERT_NEAR(a[i]->xy[k], b[i]->xy[k], 1e-9);
    const dp::Fit sx = axis(r.pages[0], false, arrhenius);
    const double at = sx.a + sx.b * arrhenius(220.0);
    bool sref = false;
    for (const Prim* q : r.pages[0].of(Prim::Line))
        sref |= std::fabs(q->xy[0] - at) < 0.05 && std::fabs(q->xy[2] - at) < 0.05 && std::fabs(q->xy[3] - q->xy[1]) > 30;
    EXPECT_TRUE(sref);

    // An annotation in data values stands at its stress and life.
    dp::Run an = dp::run(kArrModel + " relationplot hours = temp / fit=regression relation=arr plotfit=50 annotate=anno;\nrun;\n",
                        {{"insul", testdata::insulation}, {"anno", "function,x,y,xsys,ysys,text\nlabel,230,5000,2,2,here\n"}});
    ASSERT_EQ(an.status, 0) << an.log.all();
    ASSERT_EQ(an.pages.size(), 1u);
    const Prim* here = an.pages[0].text("here");
    ASSERT_NE(here, nullptr);
    const dp::Fit ax = axis(an.pages[0], false, arrhenius), ay = axis(an.pages[0], true, log10of);
    const double hx = ax.a + ax.b * arrhenius(230.0), hy = ay.a + ay.b * std::log10(5000.0);
    EXPECT_LT(std::hypot(here->xy[0] - hx, here->xy[1] - hy), 3.0) << here->xy[0] << " " << here->xy[1] << " vs " << hx << " " << hy;

    // A device that collects nothing draws the first destination only and publishes nothing.
    o.destinations = {"HTML", "PDF"};
    o.device = "NOCOLL";
    dp::NoCollectDevice nocoll;
    dp::Run n = insul("relation=arr plotfit=50", o);
    ASSERT_EQ(n.status, 0) << n.log.all();
    EXPECT_EQ(n.pages.size(), 1u);
    EXPECT_EQ(n.report.find("<svg"), std::string::npos);
}

// Every BY group draws its stress reference line at its stress: the statement's values are
// transformed for each group afresh, never twice.
TEST(RegressionPlot, EveryByGroupHasItsStressReferenceLine) {
    std::string data = "plant,temp,hours\n";
    for (const char* plant : {"A", "B"})
        for (const Specimen& x : specimens()) data += std::string(plant) + "," + x.temp + "," + x.hours + "\n";
    dp::Run r = dp::run("proc vitalyx data=d;\n by plant;\n distribution lognormal;\n model hours = temp / relation=arr;\n"
                        " relationplot hours = temp / fit=regression relation=arr plotfit=50 sref=230;\n"
                        " relationplot hours = temp / relation=arr plotfit=50 sref=230;\nrun;\n",
                        {{"d", data}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 4u);
    for (const Page& p : r.pages) {
        const dp::Fit sx = axis(p, false, arrhenius);
        const double at = sx.a + sx.b * arrhenius(230.0);
        bool sref = false;
        for (const Prim* q : p.of(Prim::Line))
            sref |= std::fabs(q->xy[0] - at) < 0.05 && std::fabs(q->xy[2] - at) < 0.05 && std::fabs(q->xy[3] - q->xy[1]) > 30;
        EXPECT_TRUE(sref) << p.name;
    }
}

// Curves at values of a second continuous variable, labelled by the values; the MODEL's means
// are the same for the statements after them.
TEST(RegressionPlot, CurvesAtValuesOfASecondVariable) {
    const std::string model = "proc vitalyx data=c;\n distribution weibull;\n model time*status(0) = voltage temperature / relation=pow;\n";
    const std::string plain = " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50;\n";
    dp::Run r = dp::run(model + plain + " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=50 temperature=150 190;\n" +
                            plain + "run;\n",
                        {{"c", testdata::file("programs/model_fit_by_model/capacitor.csv")}});
    ASSERT_EQ(r.status, 0) << r.log.all();
    ASSERT_EQ(r.pages.size(), 3u);
    EXPECT_EQ(curves(r.pages[1]).size(), 2u);
    EXPECT_TRUE(r.pages[1].hastext("150"));
    EXPECT_TRUE(r.pages[1].hastext("190"));
    EXPECT_TRUE(r.pages[1].hastext("temperature"));
    const auto first = curves(r.pages[0]), last = curves(r.pages[2]);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(last.size(), 1u);
    for (size_t k = 0; k < first[0]->xy.size(); ++k) ASSERT_NEAR(first[0]->xy[k], last[0]->xy[k], 1e-9);
}

// The relation plot shows at most two MODEL variables, and its stress variable must be a
// continuous one of the MODEL; one CLASS and one continuous variable pass.
TEST(RegressionPlot, ModelsItCannotShow) {
    std::string data = "temp,batch,lot,hours\n";
    int k = 0;
    for (const Specimen& x : specimens()) {
        data += x.temp + "," + std::to_string(k % 7) + "," + "AB"[k % 2] + "," + x.hours + "\n";
        ++k;
    }
    auto run = [&](const std::string& model, const std::string& stress, const std::string& more = "") {
        return dp::run("proc vitalyx data=d;\n class lot;\n distribution lognormal;\n model hours = " + model +
                           ";\n relationplot hours = " + stress + " / fit=regression plotfit=50" + more + ";\nrun;\n",
                       {{"d", data}});
    };
    dp::Run three = run("temp batch lot", "temp");
    EXPECT_TRUE(dp::hasmsg(three.log, 694)) << three.log.all();
    EXPECT_TRUE(three.pages.empty());
    dp::Run other = run("temp", "batch");
    EXPECT_TRUE(dp::hasmsg(other.log, 696)) << other.log.all();
    EXPECT_TRUE(other.pages.empty());
    dp::Run two = run("temp lot", "temp");
    EXPECT_EQ(two.status, 0) << two.log.all();
    EXPECT_EQ(two.pages.size(), 1u);
    // Values of a variable the MODEL does not have: a warning, the line at the MODEL's means;
    // the CLASS variable lot, which the MODEL does not use, neither counts nor draws curves.
    dp::Run values = run("temp", "temp", " batch=1 2");
    EXPECT_EQ(values.status, 0) << values.log.all();
    EXPECT_TRUE(dp::hasmsg(values.log, 6960)) << values.log.all();
    ASSERT_EQ(values.pages.size(), 1u);
    EXPECT_EQ(curves(values.pages[0]).size(), 1u);
    EXPECT_FALSE(values.pages[0].hastext("lot"));
    dp::Run unused = run("temp batch", "temp");
    EXPECT_FALSE(dp::hasmsg(unused.log, 694)) << unused.log.all();
    EXPECT_EQ(unused.pages.size(), 1u);
}

// The labels of a page stand clear of each other and of the percentile lines: the counts of
// coinciding markers (stacked over tied groups), the curves' labels crowded at the bottom and
// at the right end of the lines, and their heading, which a line would cross where it is
// first put. A text's box: its advance by its glyphs' height.
TEST(RegressionPlot, LabelsKeepClearOfEachOtherAndOfTheLines) {
    const dp::Run ins = insul("relation=arr plotfit=10 50 90 showmultiples");
    const dp::Run cap = dp::run("proc vitalyx data=c;\n class temperature;\n distribution weibull;\n"
                                " model time*status(0) = voltage temperature / relation=pow;\n"
                                " relationplot time*status(0) = voltage / fit=regression relation=pow plotfit=10 50 showmultiples;\nrun;\n",
                                {{"c", testdata::file("programs/model_fit_by_model/capacitor.csv")}});
    for (const dp::Run* r : {&ins, &cap}) {
        ASSERT_EQ(r->status, 0) << r->log.all();
        ASSERT_EQ(r->pages.size(), 1u);
        const Page& p = r->pages[0];
        struct Box {
            const Prim* t;
            double x0, y0, x1, y1;
        };
        std::vector<Box> boxes;
        for (const Prim* t : p.of(Prim::Text)) {
            if (t->angle != 0) continue;
            const double w = dp::labelwidth(p, *t), s = t->style.size / p.h * 100.0;
            const double x0 = t->anchor == rt::gfx::Anchor::Start ? t->xy[0] : t->anchor == rt::gfx::Anchor::End ? t->xy[0] - w : t->xy[0] - w / 2;
            boxes.push_back({t, x0, t->xy[1] - 0.2 * s, x0 + w, t->xy[1] + 0.75 * s});
        }
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b) {
                const Box &u = boxes[a], &v = boxes[b];
                EXPECT_FALSE(u.x0 < v.x1 && v.x0 < u.x1 && u.y0 < v.y1 && v.y0 < u.y1)
                    << p.name << ": \"" << u.t->text << "\" at " << u.t->xy[0] << "," << u.t->xy[1] << " and \"" << v.t->text << "\" at "
                    << v.t->xy[0] << "," << v.t->xy[1];
            }
        // No line runs through a curve's label or the heading (a label's own line ends at its
        // left edge: the box starts a hair to the right).
        const auto lines = curves(p);
        EXPECT_GE(lines.size(), 2u);
        int named = 0;
        for (const Box& b : boxes) {
            const std::string& t = b.t->text;
            if ((t != "temperature" && t != "170" && t != "180") || b.y0 < 15.0) continue;
            ++named;
            int through = 0;
            for (const Prim* c : lines)
                for (size_t k = 2; k < c->xy.size(); k += 2)
                    // Sampled along the segment: a line of 100 points has short segments.
                    for (double f = 0; f <= 1.0; f += 0.125) {
                        const double x = c->xy[k - 2] + f * (c->xy[k] - c->xy[k - 2]), y = c->xy[k - 1] + f * (c->xy[k + 1] - c->xy[k - 1]);
                        through += x > b.x0 + 0.05 && x < b.x1 && y > b.y0 && y < b.y1;
                    }
            EXPECT_EQ(through, 0) << p.name << ": a line through \"" << t << "\" at " << b.t->xy[0] << "," << b.t->xy[1];
        }
        EXPECT_EQ(named, r == &cap ? 5 : 0);
    }
    // The counts stay the counts of the ties, whatever their places.
    EXPECT_EQ(counts(ins.pages[0]), (std::multiset<std::string>{"2", "2", "2", "3", "3", "4", "4", "5"}));
}

}  // namespace
