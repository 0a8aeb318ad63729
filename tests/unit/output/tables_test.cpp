// A step's worth of output made through wobmth only, in the call orders of the writers:
// the model information list and the NObs table, an iteration history with its gradient
// and Hessian matrix, a parameter table over two class levels in two BY groups, a table
// with a spanning header and a total row, and an output group. The listing is compared
// with a golden file, the report is checked as HTML, and a MAKE data set is read back.
#include <cmath>
#include <cstring>
#include "host/hostdefs.h"
#include "host/stmtrec.h"
#include "runtime/datasets/library.h"
#include "tests/unit/output/fixture.h"
#include "tests/unit/output/htmlcheck.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

using outtest::OutputTest;

// The row cells of the procedure's state block that the columns are bound to.
struct Cells {
    char grplabel[16];
    char rowtext[40];
    double rowlead[3];
    double rowvals[24];
    txthandle nobslabel;
    double nobsrow[5];
    double itrow[5];
    double parm[2];
    double grad[2];
    double hess[3];
};

double DMatElem(void* context, int row, int col) {
    auto* c = static_cast<Cells*>(context);
    if (row == 0) return c->parm[col];
    if (row == 1) return c->grad[col];
    int k = row - 2 > col ? row - 2 : col, m = row - 2 > col ? col : row - 2;
    return c->hess[k * (k + 1) / 2 + m];
}

void setfixed(char* cell, size_t width, const char* text) {
    std::memset(cell, ' ', width);
    std::memcpy(cell, text, std::min(width, std::strlen(text)));
}

class TablesTest : public OutputTest {
protected:
    void check(int32_t rc) { ASSERT_EQ(rc, 0); }

    obobject* create(const char* kind, const char* name, txthandle label) {
        wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, kind, static_cast<uint32_t>(std::strlen(kind))),
                        obout(OBK_CREATED), obint(OBK_PLACE, -1), obtext(OBK_NAME, txt(name)),
                        obtext(OBK_LABEL, label)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_CREATE, 6, it), 0);
        return static_cast<obobject*>(it[2].v.p);
    }
    void numcol(obobject* t, const char* name, double* cell, const char* role = nullptr) {
        wobitem it[4] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt(name))};
        int n = 2;
        if (role) it[n++] = obtext(OBK_TEMPLATE, txt(role));
        it[n++] = obcell(OBK_CELL, cell);
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, n, it), 0);
    }
    void textcol(obobject* t, const char* name, int width, char* cell) {
        wobitem it[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, txt(name)), obint(OBK_WIDTH, width), obcell(OBK_CELL, cell)};
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 4, it), 0);
    }
    void spancol(obobject* t, const char* name, double* cell) {
        wobitem it[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt(name)),
                        obtext(OBK_ITEMNAME, txt("spans")), obtext(OBK_VALUE, txt("Lower")),
                        obtext(OBK_ITEMNAME, txt("spane")), obtext(OBK_VALUE, txt("Upper")), obcell(OBK_CELL, cell)};
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 7, it), 0);
    }
    void titles(obobject* t, std::vector<std::pair<const char*, txthandle>> named) {
        std::vector<wobitem> it;
        for (auto& [n, h] : named) {
            it.push_back(obtext(OBK_ITEMNAME, txt(n)));
            it.push_back(obtext(OBK_VALUE, h));
        }
        EXPECT_EQ(wobmth(t, nullptr, OB_TITLES, static_cast<int>(it.size()), it.data()), 0);
    }
    uint32_t bind(obobject* t, const char* path) {
        wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, t), obtext(OBK_TEMPLATE, v->rdxtxt(path, static_cast<int>(std::strlen(path))))};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_BIND, 3, it), 0);
        return obid(it[0]);
    }
    void row(obobject* t) { EXPECT_EQ(wobmth(t, nullptr, OB_ADDROW, 0, nullptr), 0); }
    void endrows(obobject* t, bool more) {
        wobitem it[] = {obint(OBK_MORE, 1)};
        EXPECT_EQ(wobmth(t, nullptr, OB_ENDROWS, more ? 1 : 0, more ? it : nullptr), 0);
    }
    void publish(uint32_t id) {
        wobitem it[] = {obidin(id)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_PUBLISH, 1, it), 0);
    }

    // The model information list (labelled template: the data set has a label).
    void infolist() {
        wobitem c[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "factoid", 7), obout(OBK_CREATED),
                       obtext(OBK_TEMPLATE, txt("kv.vitalyx.infolabel"))};
        check(wobmth(mgr, nullptr, OB_CREATE, 4, c));
        obobject* l = static_cast<obobject*>(c[2].v.p);
        wobitem head[] = {obtext(OBK_NAME, txt("vyxinfo")), obtext(OBK_TITLE, v->rdxmsg(0, 215))};
        check(obinfocall(l, 2, head));
        auto entry = [&](int label, txthandle value) {
            wobitem it[] = {obtext(OBK_LABEL, v->rdxmsg(0, label)), obtext(OBK_VALUE, value)};
            check(wobmth(l, nullptr, OB_INFO, 2, it));
        };
        auto labelentry = [&](const char* text) {
            wobitem it[] = {obint(OBK_INFOKIND, 2), obtext(OBK_VALUE, txt(text))};
            check(wobmth(l, nullptr, OB_INFO, 2, it));
        };
        entry(257, txt("WORK.FANS"));
        labelentry("Fan failure times");
        entry(218, txt("hours"));
        labelentry(" ");
        wobitem censor[] = {obtext(OBK_LABEL, v->rdxmsg(0, 219)), obtext(OBK_VALUE, txt("status"))};
        check(wobmth(l, nullptr, OB_INFO, 2, censor));
        wobitem cl[] = {obint(OBK_INFOKIND, 2), obtext(OBK_LABEL, txt("1 = censored")), obtext(OBK_VALUE, txt(""))};
        check(wobmth(l, nullptr, OB_INFO, 3, cl));
        entry(216, txt("Weibull"));
        wobitem used[] = {obtext(OBK_LABEL, v->rdxmsg(0, 227)), obint(OBK_VALUE, 70)};
        check(wobmth(l, nullptr, OB_INFO, 2, used));
        check(wobmth(l, nullptr, OB_ENDROWS, 0, nullptr));
        check(obrelease(l));
    }

    // The observation counts, with a FREQ variable (four rows).
    void nobs() {
        obobject* t = create("data", "NObs", v->rdxmsg(0, 615));
        int width = static_cast<int>(str(v->rdxmsg(0, 613)).size());
        wobitem lab[] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, txt("Label")), obtext(OBK_ITEMNAME, txt("LabelWidth")),
                         obint(OBK_VALUE, width), obcell(OBK_CELL, &c.nobslabel)};
        check(wobmth(t, nullptr, OB_ADDCOL, 5, lab));
        numcol(t, "N", &c.nobsrow[0]);
        numcol(t, "NObsRead", &c.nobsrow[1]);
        numcol(t, "NObsUsed", &c.nobsrow[2]);
        numcol(t, "SumFreqsRead", &c.nobsrow[3]);
        numcol(t, "SumFreqsUsed", &c.nobsrow[4]);
        check(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr));
        uint32_t id = bind(t, "KV.Vitalyx.NObs");
        double n[] = {72, 70, 140, 136};
        for (int k = 0; k < 4; ++k) {
            c.nobsrow[0] = n[k];
            c.nobslabel = v->rdxmsg(0, 611 + k);
            row(t);
        }
        endrows(t, false);
        publish(id);
    }

    // Iteration history (bound per fit) and the last gradient and Hessian.
    void history() {
        obobject* t = create("data", "IterParms", v->rdxmsg(0, 200));
        numcol(t, "Iter", &c.itrow[0]);
        numcol(t, "Ridge", &c.itrow[1]);
        numcol(t, "Loglike", &c.itrow[2]);
        numcol(t, "Location", &c.itrow[3], "Value");
        numcol(t, "Scale", &c.itrow[4], "Value");
        wobitem cls[] = {obint(OBK_HIDDEN, 0), obint(OBK_LISTED, 1)};
        check(obinfocall(t, 2, cls));
        titles(t, {{"Title", v->rdxmsg(0, 200)}});
        check(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr));
        uint32_t id = bind(t, "Kv.Vitalyx.Ithist");
        const double it[3][5] = {{0, 0, -120.5, 8.1, 0.9}, {1, 0.0625, -98.25, 8.6, 0.7}, {2, 0, -97.125, 8.65, 0.68}};
        for (auto& r : it) {
            std::memcpy(c.itrow, r, sizeof c.itrow);
            row(t);
        }
        publish(id);   // no class variables: the history ends without an end-of-rows call

        c.parm[0] = 8.65;
        c.parm[1] = 0.68;
        c.grad[0] = 1e-7;
        c.grad[1] = -2.5e-6;
        c.hess[0] = 41.5;
        c.hess[1] = -3.25;
        c.hess[2] = 120.125;
        txthandle rows[] = {txt("Parameter"), txt("Gradient"), txt("Location"), txt("Scale")};
        txthandle cols[] = {txt("Location"), txt("Scale")};
        wobitem m[] = {obtext(OBK_TEMPLATE, txt("KV.Vitalyx.GradHess")), obtext(OBK_NAME, txt("GradHess")),
                       obptr(OBK_MACCESSOR, OBT_ROUTINE, reinterpret_cast<void*>(&DMatElem)),
                       obptr(OBK_MCONTEXT, OBT_VARPTR, &c), obint(OBK_MROWS, 4), obint(OBK_MCOLS, 2),
                       obstr(OBK_MFORM, "fb", 2), obptr(OBK_MROWNAMES, OBT_SLOT, rows), obptr(OBK_MCOLNAMES, OBT_SLOT, cols),
                       obint(OBK_LAYOUT, 1), obchar(OBK_MSEPARATOR, ';'), obint(OBK_MHEADINGS, 1), obtext(OBK_TITLE, txt("Last Evaluation")),
                       obtext(OBK_LABEL, v->rdxmsg(0, 549))};
        check(wobmth(mgr, nullptr, OB_MATRIX, 14, m));
    }

    Cells c{};
    obobject* mgr = nullptr;
};

TEST_F(TablesTest, StepOfTablesMatchesTheGoldenListing) {
    // The input data set, with the BY variable PLANT in two groups.
    std::string data = dir + "/data";
    std::filesystem::create_directories(data);
    std::ofstream(data + "/fans.csv") << "plant,hours\nA,10\nA,20\nB,30\n";
    sess.datadir = data;
    std::string err;
    hdataset* ds = rt::ds::open(sess, "", "FANS", err);
    ASSERT_NE(ds, nullptr) << err;
    rt::ds::setby(ds, {{rt::ds::findvar(ds, "plant"), false}}, false);
    sess.input = ds;

    mgr = manager();
    wobitem query[] = {obflag(OBK_STARTQUERY, 1), obint(OBK_PLACE, -1), obint(OBK_LAYOUT, 1), obtext(OBK_TEXT, v->rdxmsg(0, 1))};
    check(wobmth(mgr, nullptr, OB_QUERY, 4, query));
    dsspec target{};
    std::snprintf(target.lib, sizeof target.lib, "WORK");
    std::snprintf(target.mem, sizeof target.mem, "PARMS");
    wobitem make[] = {obtext(OBK_NAME, v->rdxtxt("ParmEst", 7)), obptr(OBK_TARGET, OBT_POINTER, &target)};
    check(wobmth(mgr, nullptr, OB_MAKE, 2, make));

    // The parameter table of a class analysis: two levels per BY group.
    obobject* pe = create("data", "ParmEst", v->rdxmsg(0, 237));
    textcol(pe, "Parameter", 10, c.rowtext);
    numcol(pe, "Estimate", &c.rowvals[0]);
    numcol(pe, "Stderr", &c.rowvals[3]);
    spancol(pe, "Lower", &c.rowvals[9]);
    numcol(pe, "Upper", &c.rowvals[8]);
    textcol(pe, "Group", 10, c.grplabel);
    titles(pe, {{"title1", txt("Weibull Parameter Estimates")}, {"title2", v->rdxmsg(0, 246)},
                {"title3", txt("95% Confidence Limits")}});
    check(wobmth(pe, nullptr, OB_ENDDEF, 0, nullptr));

    // The estimates by level of the binomial analysis, with a total row.
    obobject* pb = create("data", "Pbest", v->rdxmsg(0, 328));
    textcol(pb, "Group", 6, c.grplabel);
    numcol(pb, "Events", &c.rowvals[0]);
    numcol(pb, "Trials", &c.rowvals[1]);
    numcol(pb, "Prop", &c.rowvals[2]);
    spancol(pb, "Lower", &c.rowvals[9]);
    numcol(pb, "Upper", &c.rowvals[8]);
    numcol(pb, "X2", &c.rowvals[3]);
    titles(pb, {{"title1", v->rdxmsg(0, 328)}, {"title2", txt("95% Confidence Limits")}});
    check(wobmth(pb, nullptr, OB_ENDDEF, 0, nullptr));

    const vec203* dsv = rt::ds::services();
    int group = 0;
    while (dsv->xbynext(ds)) {
        ++group;
        if (group == 1) {
            infolist();
            nobs();
            history();
        }
        const char* levels[2] = {"Fan 1", "Fan 2"};
        for (int l = 0; l < 2; ++l) {
            setfixed(c.grplabel, sizeof c.grplabel, levels[l]);
            uint32_t id = bind(pe, "kv.vitalyx.ppest");
            const char* names[2] = {"Location", "Scale"};
            for (int p = 0; p < 2; ++p) {
                setfixed(c.rowtext, sizeof c.rowtext, names[p]);
                c.rowvals[0] = p == 0 ? 8.1234 + group + l : 0.5 + 0.125 * l;
                c.rowvals[3] = p == 0 ? 0.25 : 0.0625;
                c.rowvals[9] = c.rowvals[0] - 1.96 * c.rowvals[3];
                c.rowvals[8] = c.rowvals[0] + 1.96 * c.rowvals[3];
                if (group == 2 && l == 1 && p == 1) c.rowvals[8] = hostmissing();
                row(pe);
            }
            endrows(pe, l == 0);   // more class levels follow after the first
            publish(id);
        }

        uint32_t id = bind(pb, "kv.vitalyx.pbest");
        const double lev[3][7] = {{3, 40, 0.075, 0.5, 0, 0.0157, 0.2039}, {5, 60, 0.0833333333333, 0.25, 0, 0.0276, 0.1839},
                                  {8, 100, 0.08, 0.75, 0, 0.0352, 0.1516}};
        const char* names[3] = {"Fan 1", "Fan 2", "Total"};
        for (int k = 0; k < 3; ++k) {
            setfixed(c.grplabel, sizeof c.grplabel, names[k]);
            c.rowvals[0] = lev[k][0] * group;
            c.rowvals[1] = lev[k][1];
            c.rowvals[2] = lev[k][2];
            c.rowvals[3] = lev[k][3];
            c.rowvals[9] = lev[k][5];
            c.rowvals[8] = lev[k][6];
            row(pb);
        }
        endrows(pb, false);
        publish(id);
    }

    // An output group with a note inside, closed through its release pair.
    wobitem g[] = {obout(OBK_CREATED), obtext(OBK_NAME, v->rdxtxts("Group%d", -1, 1, std::vector<msgarg>{msgarg(1)}.data())),
                   obtext(OBK_LABEL, txt("Fan 1"))};
    check(wobmth(mgr, nullptr, OB_GROUP, 3, g));
    wobitem note[] = {obtext(OBK_TEXT, txt("The information matrix could not be formed.")), obchar(OBK_NOTEJUST, 'l')};
    check(wobmth(mgr, nullptr, OB_NOTE, 2, note));
    check(obrelease(static_cast<obobject*>(g[0].v.p)));
    check(obrelease(mgr));

    ASSERT_EQ(finish(&err), 0) << err;
    rt::ds::close(ds);
    sess.input = nullptr;
    EXPECT_EQ(log.count('E'), 0);
    EXPECT_EQ(log.count('W'), 0);

    std::string listing = out("listing.txt");
    std::string golden = outtest::readfile(std::string(VITALYX_TEST_DATA) + "/output/step_listing.txt");
    if (std::getenv("VITALYX_WRITE_GOLDEN")) std::ofstream(std::string(VITALYX_TEST_DATA) + "/output/step_listing.txt") << listing;
    EXPECT_EQ(listing, golden);

    std::string html = out("report.html");
    EXPECT_EQ(outtest::checkhtml(html), "");
    EXPECT_NE(html.find("<th colspan=\"2\">Confidence Limits</th>"), std::string::npos);
    // A group that draws nothing opens no section of its own: its note names it.
    EXPECT_EQ(html.find("<section class=\"group\">"), std::string::npos);
    EXPECT_NE(html.find("<p class=\"note\"><span class=\"level\">Fan 1:</span> The information matrix"), std::string::npos);
    size_t tables = 0;
    for (size_t p = html.find("<table"); p != std::string::npos; p = html.find("<table", p + 1)) ++tables;
    EXPECT_EQ(tables, 8u);   // info list, NObs, history, matrix, and ParmEst and Pbest per BY group

    // MAKE: the BY variable first, then the columns of the table, every row of both groups.
    std::string csv = out("parms.csv");
    std::istringstream lines(csv);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 9u) << csv;
    EXPECT_EQ(all[0], "plant,Parameter,Estimate,Stderr,Lower,Upper,Group");
    EXPECT_EQ(all[1], "A,Location,9.1234,0.25,8.6334,9.6134,Fan 1");
    EXPECT_EQ(all[8], "B,Scale,0.625,0.0625,0.5025,,Fan 2");
}

}  // namespace
