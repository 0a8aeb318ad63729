// Destination edge cases: a table wider than the line size wraps into panels, a table
// published while another streams keeps both intact, MAKE into an unusable folder is an
// ERROR that leaves no file (and a second request for a data set being written one that
// leaves it whole), a phantom object never prints and its rows reach the graph
// request, and the device-graphics destination list and collections.
#include <algorithm>
#include <cmath>
#include <cstring>
#include "host/hostdefs.h"
#include "host/stmtrec.h"
#include "host/vec116_graphics.h"
#include "runtime/output/program.h"
#include "tests/unit/output/fixture.h"
#include "tests/unit/output/htmlcheck.h"

namespace {

using outtest::OutputTest;

class DestTest : public OutputTest {
protected:
    obobject* table(const char* name, int ncols, double* cells) {
        wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1),
                        obtext(OBK_NAME, txt(name)), obtext(OBK_LABEL, txt(name))};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_CREATE, 6, it), 0);
        obobject* t = static_cast<obobject*>(it[2].v.p);
        for (int k = 0; k < ncols; ++k) {
            std::string n = "Column" + std::to_string(k + 1);
            wobitem c[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt(n.c_str())), obcell(OBK_CELL, &cells[k])};
            EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 3, c), 0);
        }
        EXPECT_EQ(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr), 0);
        return t;
    }
    uint32_t bind(obobject* t, const char* path) {
        wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, t), obtext(OBK_TEMPLATE, txt(path))};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_BIND, 3, it), 0);
        return obid(it[0]);
    }
    void publish(uint32_t id) {
        wobitem it[] = {obidin(id)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_PUBLISH, 1, it), 0);
    }
    void row(obobject* t) { EXPECT_EQ(wobmth(t, nullptr, OB_ADDROW, 0, nullptr), 0); }
    void make(const char* tablename, const char* lib, const char* mem, int32_t want = 0) {
        dsspec target{};
        std::snprintf(target.lib, sizeof target.lib, "%s", lib);
        std::snprintf(target.mem, sizeof target.mem, "%s", mem);
        wobitem it[] = {obtext(OBK_NAME, txt(tablename)), obptr(OBK_TARGET, OBT_POINTER, &target)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_MAKE, 2, it), want);
    }
    obobject* mgr = nullptr;
};

TEST_F(DestTest, WideTableWrapsIntoPanels) {
    // The program has begun: a line size set now (as an OPTIONS statement does) is the one
    // the table is laid out with.
    sess.opts.linesize = 40;
    mgr = manager();
    double cells[5];
    obobject* t = table("Wide", 5, cells);
    uint32_t id = bind(t, "kv.vitalyx.datsum");
    for (int r = 0; r < 2; ++r) {
        for (int k = 0; k < 5; ++k) cells[k] = (r + 1) * 10 + k;
        row(t);
    }
    publish(id);
    ASSERT_EQ(finish(), 0);
    // Three columns of 12 and two gaps fill 40; the other two follow in a second panel.
    EXPECT_EQ(out("listing.txt"),
              "\n         The VITALYX Procedure\n\n"
              "                  Wide\n\n"   // the table's label is its title
              "     Column1       Column2       Column3\n"
              "          10            11            12\n"
              "          20            21            22\n"
              "\n"
              "     Column4       Column5\n"
              "          13            14\n"
              "          23            24\n\n");
}

TEST_F(DestTest, TablePublishedWhileAnotherStreams) {
    mgr = manager();
    double a[1], b[1];
    obobject* ta = table("First", 1, a);
    obobject* tb = table("Second", 1, b);
    uint32_t ia = bind(ta, "kv.vitalyx.datsum");   // streams straight to the destinations
    a[0] = 1;
    row(ta);
    uint32_t ib = bind(tb, "kv.vitalyx.datsum");   // spooled: another table is open
    b[0] = 2;
    row(tb);
    publish(ib);                                    // interrupts the first
    a[0] = 3;
    row(ta);
    publish(ia);
    ASSERT_EQ(finish(), 0);
    std::string l = out("listing.txt");
    size_t p1 = l.find("           1"), p2 = l.find("           2"), p3 = l.find("           3");
    ASSERT_NE(p1, std::string::npos);
    EXPECT_LT(p1, p2);
    EXPECT_LT(p2, p3);
    EXPECT_EQ(outtest::checkhtml(out("report.html")), "");
}

// A long table of numbers is formatted on worker threads in batches: the listing and the
// report must be the bytes of one thread's printing, across batches, the report's head and
// kept tail, missing values, and a note that interrupts the streaming table mid-batch.
TEST_F(DestTest, LongTableOnThreadsPrintsTheBytesOfOneThread) {
    auto run = [this](bool threads) {
        sess.opts.threads = threads;
        sess.opts.cpucount = 4;
        mgr = manager();
        double c[3];
        obobject* t = table("Long", 3, c);
        uint32_t id = bind(t, "kv.vitalyx.datsum");
        for (int r = 0; r < 31000; ++r) {
            if (r == 20003) rt::out::program()->note("A note in the middle.");
            c[0] = r;
            c[1] = r % 97 == 0 ? hostmissing() : std::sqrt(r) * 1e-3;
            c[2] = r % 101 == 0 ? -1e300 / 1e-300 : r * 1234.5678;
            row(t);
        }
        publish(id);
        EXPECT_EQ(finish(), 0);
        std::pair<std::string, std::string> o{out("listing.txt"), out("report.html")};
        rt::out::beginprogram(&sess);
        rt::out::beginstep();
        return o;
    };
    const auto one = run(false), many = run(true);
    EXPECT_GT(one.first.size(), 31000u * 30);
    EXPECT_NE(one.first.find("A note in the middle."), std::string::npos);
    EXPECT_TRUE(one.first == many.first);
    EXPECT_TRUE(one.second == many.second);
}

TEST_F(DestTest, MakeIntoUnusableFolderIsAnErrorAndLeavesNoFile) {
    mgr = manager();
    std::string file = dir + "/notafolder";
    std::ofstream(file) << "x";
    sess.libs["BAD"] = file;                 // a file, not a folder
    sess.libs["GONE"] = dir + "/missing";    // no such folder
    make("Est", "BAD", "A");
    make("Est", "GONE", "B");
    make("Est", "NOLIB", "C", OB_REFUSED);   // library not assigned: the step must end
    make("Est", "WORK", "D");                // this one works
    make("Est", "WORK", "D");                // one file has one writer: this one is refused
    double cells[2];
    obobject* t = table("Est", 2, cells);
    uint32_t id = bind(t, "kv.vitalyx.datsum");
    cells[0] = 1.5;
    cells[1] = hostmissing();
    row(t);
    publish(id);
    rt::out::endstep();
    EXPECT_EQ(log.count('E'), 4);
    EXPECT_NE(log.find('E').find("NOLIB"), std::string::npos);
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                            [](auto& l) { return l.second.find("another output of this run is writing that file") != std::string::npos; }));
    EXPECT_FALSE(std::filesystem::exists(dir + "/missing"));
    EXPECT_EQ(out("d.csv"), "Column1,Column2\n1.5,\n");
    for (auto& e : std::filesystem::directory_iterator(dir)) EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
    EXPECT_EQ(finish(), 0);
}

// A step that stops on an error (its exit code set) while a table's rows are coming leaves
// no data set that looks whole: a MAKE of that table is not written, with a WARNING naming
// table and data set, and the file of an earlier step stays; a table that was finished
// before the stop keeps its data set.
TEST_F(DestTest, TableCutShortByAStoppedStepMakesNoDataSet) {
    mgr = manager();
    std::ofstream(sess.outdir + "/cut.csv") << "earlier\n";
    make("Est", "WORK", "CUT");
    make("Done", "WORK", "DONE");
    double cells[2] = {1, 2};
    obobject* done = table("Done", 2, cells);
    uint32_t id = bind(done, "kv.vitalyx.datsum");
    row(done);
    publish(id);
    obobject* t = table("Est", 2, cells);
    bind(t, "kv.vitalyx.datsum");
    row(t);
    sess.exitcode = 1020;   // a read that failed in the middle of the rows
    rt::out::endstep();
    EXPECT_EQ(out("cut.csv"), "earlier\n");
    EXPECT_EQ(out("done.csv"), "Column1,Column2\n1,2\n");
    EXPECT_EQ(log.count('W'), 1);
    EXPECT_NE(log.find('W').find("Est was cut short"), std::string::npos) << log.find('W');
    EXPECT_NE(log.find('W').find("WORK.CUT"), std::string::npos);
    sess.exitcode = 0;
    EXPECT_EQ(finish(), 0);
}

TEST_F(DestTest, PhantomRowsReachTheGraphRequest) {
    mgr = manager();
    double x = 0;
    char grp[6];
    wobitem c[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1),
                   obtext(OBK_NAME, txt("Phantom")), obtext(OBK_LABEL, txt("Phantom Data for MCF Plot")), obint(OBK_HIDDEN, 0)};
    ASSERT_EQ(wobmth(mgr, nullptr, OB_CREATE, 7, c), 0);
    obobject* ph = static_cast<obobject*>(c[2].v.p);
    wobitem c1[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt("Time")), obtext(OBK_TEMPLATE, txt("Xvalue")), obcell(OBK_CELL, &x)};
    wobitem c2[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, txt("Grp")), obint(OBK_WIDTH, 6), obtext(OBK_TEMPLATE, txt("Group")),
                    obcell(OBK_CELL, grp)};
    ASSERT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 4, c1), 0);
    ASSERT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 5, c2), 0);
    ASSERT_EQ(wobmth(ph, nullptr, OB_ENDDEF, 0, nullptr), 0);
    uint32_t refs[2] = {0, 0};
    wobitem b[] = {obout(OBK_POS), obobj(OBK_POS, ph), obtext(OBK_TEMPLATE, v->rdxtxt("kv.vitalyx.Phantom", 18)),
                   obflag(OBK_BINDFLAG, 1), obptr(OBK_REFSLOT, OBT_SLOT, &refs[0])};
    wobmth(mgr, nullptr, OB_BIND, 5, b);
    ASSERT_NE(refs[0], 0u);
    for (int k = 0; k < 3; ++k) {
        x = k * 1.5;
        std::memcpy(grp, k < 2 ? "A     " : "B     ", 6);
        ASSERT_EQ(wobmth(ph, nullptr, OB_ADDROW, 0, nullptr), 0);
    }
    ASSERT_EQ(wobmth(ph, nullptr, OB_ENDROWS, 0, nullptr), 0);
    wobitem p[] = {obidin(obid(b[0]))};
    ASSERT_EQ(wobmth(mgr, nullptr, OB_PUBLISH, 1, p), 0);

    wobitem inset[] = {obtext(OBK_ITEMNAME, txt("_InsetN")), obint(OBK_VALUE, 2)};
    wobitem reflist = obitem(OBK_GRAPHREFS, OBT_REFLIST);
    reflist.v.p = refs;
    reflist.len = 1;
    wobitem extra = obitem(OBK_EXTRAVARS, OBT_ITEMLIST);
    extra.v.p = inset;
    extra.len = 2;
    wobitem g[] = {obtext(OBK_NAME, txt("MCFPlot")), obtext(OBK_LABEL, v->rdxmsg(0, 589)), obtext(OBK_DESCR, txt("MCF")),
                   obtext(OBK_TEMPLATE, txt("KV.Vitalyx.Graphics.MCFNoClass0")), reflist, extra,
                   obtext(OBK_ITEMNAME, txt("_XType")), obtext(OBK_VALUE, txt("LINEAR")),
                   obtext(OBK_ITEMNAME, txt("_Join")), obint(OBK_VALUE, 1),
                   obtext(OBK_ITEMNAME, txt("_Alpha")), obdbl(OBK_VALUE, 0.05)};
    ASSERT_EQ(wobmth(mgr, nullptr, OB_GRAPH, 12, g), 0);

    rt::out::Program* P = rt::out::program();
    ASSERT_EQ(P->graphs.size(), 1u);
    const auto& gr = P->graphs[0];
    EXPECT_EQ(gr.templ, "KV.Vitalyx.Graphics.MCFNoClass0");
    ASSERT_EQ(gr.refs.size(), 1u);
    ASSERT_EQ(gr.vars.size(), 3u);
    EXPECT_EQ(gr.vars[0].second.s, "LINEAR");
    EXPECT_EQ(gr.vars[1].second.i, 1);
    EXPECT_EQ(gr.vars[2].second.d, 0.05);
    ASSERT_EQ(gr.extravars.size(), 1u);
    const rt::out::PhantomData* data = nullptr;
    for (auto& d : P->phantoms)
        if (d->ref == gr.refs[0]) data = d.get();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->rows, 3u);
    EXPECT_EQ(data->num(0, 2), 3.0);
    EXPECT_EQ(data->text(1, 1), "A");
    EXPECT_EQ(data->text(1, 2), "B");
    EXPECT_EQ(data->cols[0].role, "Xvalue");

    ASSERT_EQ(finish(), 0);
    EXPECT_EQ(out("listing.txt").find("Phantom"), std::string::npos);
    std::string html = out("report.html");
    EXPECT_NE(html.find("data-template=\"KV.Vitalyx.Graphics.MCFNoClass0\""), std::string::npos);
    EXPECT_EQ(outtest::checkhtml(html), "");
}

TEST_F(DestTest, DeviceDestinationsAndSegmentCollections) {
    mgr = manager();
    obobject* env = nullptr;
    ASSERT_EQ(v->xobinit(&env, 0), 0);
    wobitem d[] = {obptr(OBK_DESTLIST, OBT_VARPTR, nullptr)};
    ASSERT_EQ(wobmth(mgr, nullptr, OB_DESTSTART, 1, d), 0);
    auto* list = static_cast<obdestlist*>(d[0].v.p);
    ASSERT_NE(list, nullptr);
    ASSERT_GE(list->count, 1);
    obdest* dest = list->entries[0].dest;
    std::string name(dest->name, dest->namelen);

    wobitem ca[] = {obstr(OBK_FAMILY, "collection", 10), obstr(OBK_OBJKIND, "associativearray", 16), obout(OBK_CREATED)};
    ASSERT_EQ(wobmth(env, nullptr, OB_CREATE, 3, ca), 0);
    obobject* map = static_cast<obobject*>(ca[2].v.p);
    wobitem cl[] = {obstr(OBK_FAMILY, "collection", 10), obstr(OBK_OBJKIND, "list", 4), obout(OBK_CREATED)};
    ASSERT_EQ(wobmth(env, nullptr, OB_CREATE, 3, cl), 0);
    obobject* segs = static_cast<obobject*>(cl[2].v.p);
    txthandle key = v->rdxtxt(dest->name, dest->namelen);
    wobitem add[] = {obtext(0, key), obobj(0, segs)};
    ASSERT_EQ(wobmth(map, nullptr, OB_INFO, 2, add), 0);

    segrec rec1{}, rec2{};   // records of pages that the device never drew: nothing to embed
    wobitem get[] = {obtext(0, v->rdxtxt(name.c_str(), -1)), obout(0)};
    ASSERT_EQ(wobmth(map, nullptr, OB_DESTLIST, 2, get), 0);
    ASSERT_EQ(get[1].v.p, segs);
    for (segrec* r : {&rec1, &rec2}) {
        wobitem a[] = {obptr(0, OBT_VARPTR, r)};
        ASSERT_EQ(wobmth(segs, nullptr, OB_INFO, 1, a), 0);
    }
    wobitem cnt[] = {obitem(OBK_COUNT158, OBT_INT)};
    EXPECT_EQ(wobmth(segs, nullptr, OB_DEST158, 1, cnt), 2);
    EXPECT_EQ(cnt[0].v.i, 2);
    wobitem el[] = {obint(0, 2), obout(0)};
    ASSERT_EQ(wobmth(segs, nullptr, OB_DESTLIST, 2, el), 0);
    EXPECT_EQ(el[1].v.p, &rec2);
    wobitem bad[] = {obint(0, 3), obout(0)};
    EXPECT_LT(wobmth(segs, nullptr, OB_DESTLIST, 2, bad), 0);

    wobitem items[2] = {obptr(0, OBT_VARPTR, &rec1), obptr(0, OBT_VARPTR, &rec2)};
    obsegent ent{2, items};
    obsegtable tab{1, &ent};
    wobitem pub[] = {obtext(OBK_NAME, txt("VITALYX")), obtext(OBK_LABEL, txt("Probability plot")),
                     obptr(OBK_DESTLIST, OBT_VARPTR, list), obptr(OBK_SEGTABLE, OBT_VARPTR, &tab)};
    ASSERT_EQ(wobmth(mgr, nullptr, OB_DESTPUB, 4, pub), 0);
    rt::out::Program* P = rt::out::program();
    ASSERT_EQ(P->pages.size(), 1u);
    ASSERT_EQ(P->pages[0].dests.size(), 1u);
    EXPECT_EQ(P->pages[0].dests[0].second.size(), 2u);
    wobitem fr[] = {obptr(OBK_DESTLIST, OBT_VARPTR, list)};
    EXPECT_EQ(wobmth(mgr, nullptr, OB_DESTFREE, 1, fr), 0);
    EXPECT_TRUE(P->destlists.empty());
    ASSERT_EQ(finish(), 0);
}

}  // namespace
