// Destinations, segment lists and the start of device graphics: a fake output manager that
// offers several destinations and keeps what is published; the module loading, the device
// description cache, and the page window of a destination.
#include <cstring>
#include <string>
#include <vector>

#include "proc/devgraph/devices.h"
#include "proc/framework/optslots.h"
#include "runtime/graphics/device.h"
#include "runtime/output/program.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

// ---- a manager whose destination list and publication are the test's
struct Fake {
    std::vector<std::string> names;
    std::vector<obdest> dests;
    std::vector<obdestent> ents;
    obdestlist list{};
    // what method 4966 was handed: per destination, the entry's count and item pointer
    std::vector<std::pair<int, const void*>> published;
    int publications = 0;
    int frees = 0;
};
Fake* fake = nullptr;

int32_t fakestart(obobject*, void*, void*, int, wobitem* items) {
    fake->dests.clear();
    fake->ents.clear();
    fake->dests.resize(fake->names.size());
    fake->ents.resize(fake->names.size());
    for (size_t k = 0; k < fake->names.size(); ++k) {
        fake->dests[k].namelen = static_cast<uint16_t>(fake->names[k].size());
        fake->dests[k].name = fake->names[k].data();
        fake->ents[k].dest = &fake->dests[k];
    }
    fake->list.count = static_cast<int16_t>(fake->names.size());
    fake->list.entries = fake->ents.data();
    items[0].v.p = &fake->list;
    return 0;
}
int32_t fakepub(obobject*, void*, void*, int n, wobitem* items) {
    ++fake->publications;
    for (int k = 0; k < n; ++k)
        if (items[k].key == OBK_SEGTABLE) {
            auto* t = static_cast<const obsegtable*>(items[k].v.p);
            for (int i = 0; i < t->count; ++i) fake->published.emplace_back(t->entries[i].count, t->entries[i].items);
        }
    return 0;
}
int32_t fakefree(obobject*, void*, void*, int, wobitem*) {
    ++fake->frees;
    return 0;
}

class Destinations : public DevGraphTest {
protected:
    Fake data;
    obclass cls{};
    obmethent* buckets[16]{};
    std::vector<std::unique_ptr<obmethrec>> recs;
    std::vector<std::unique_ptr<obmethent>> ents;

    void SetUp() override {
        DevGraphTest::SetUp();
        fake = &data;
        cls.parent = s->out.outmgr->cls;
        cls.mask = 15;
        cls.buckets = buckets;
        cls.info = cls.query = cls.release = s->out.outmgr->cls->release;
        add(OB_DESTSTART, fakestart);
        add(OB_DESTPUB, fakepub);
        add(OB_DESTFREE, fakefree);
    }
    void TearDown() override {
        fake = nullptr;
        DevGraphTest::TearDown();
    }
    void add(int method, obmethod routine) {
        recs.push_back(std::make_unique<obmethrec>(obmethrec{routine, nullptr, nullptr}));
        ents.push_back(std::make_unique<obmethent>(obmethent{buckets[method & 15], nullptr, recs.back().get(), method}));
        buckets[method & 15] = ents.back().get();
    }
    // The manager with the fake's methods in front of its own.
    void usefake(std::vector<std::string> names) {
        data.names = std::move(names);
        s->out.outmgr->cls = &cls;
    }
};

TEST_F(Destinations, LaterDocumentIsSkippedWithAnEmptyEntryAndParenthesesBecomeUnderscores) {
    usefake({"DOCUMENT", "PDF()", "DOCUMENT", "HTML"});
    startgraph();
    // The segment map holds "PDF__" for "PDF()".
    EXPECT_EQ(std::string(data.dests[1].name, data.dests[1].namelen), "PDF__");
    // One page on every destination that is drawn: the first DOCUMENT, PDF__ and HTML.
    for (int d : {0, 1, 3}) {
        s->plot.gdest.destidx = d;
        s->plot.gdest.desttext = rdxtxt(data.dests[d].name, data.dests[d].namelen);
        ASSERT_EQ(zqsgmt(&s->plot.gdest), 0);
    }
    s->plot.gdest.destidx = 2;
    EXPECT_EQ(vyxgini(s), RC_SKIPDEST);
    ASSERT_EQ(zqpdest(&s->plot.gdest), 0);
    ASSERT_EQ(data.published.size(), 4u);
    EXPECT_EQ(data.published[0].first, 1);   // the first destination is published though named DOCUMENT
    EXPECT_EQ(data.published[1].first, 1);
    // The skipped later DOCUMENT: an entry of no segments, not unset memory.
    EXPECT_EQ(data.published[2].first, 0);
    EXPECT_EQ(data.published[2].second, nullptr);
    EXPECT_EQ(data.published[3].first, 1);
    zqdfree(&s->plot.gdest);
    EXPECT_EQ(data.frees, 1);
}

TEST_F(Destinations, NoDestinationAndFreeingTwice) {
    usefake({});
    s->plot.gdest.outmgr = s->out.outmgr;
    s->plot.gdest.outenv = s->out.obenv;
    EXPECT_EQ(zqidest(&s->plot.gdest), RC_SETUP);
    EXPECT_TRUE(logged("No output destination is open"));
    EXPECT_EQ(s->plot.gdest.pool, nullptr);
    EXPECT_EQ(s->plot.gdest.dests, nullptr);
    int frees = data.frees;
    zqdfree(&s->plot.gdest);   // nothing left to free: no second release of the list
    EXPECT_EQ(data.frees, frees);
}

TEST_F(Destinations, DeviceThatCollectsNothingMakesNoMapAndPublishesNothing) {
    ggdevice d = rt::gfx::defaultdevice();
    std::memcpy(d.name, "NOCOLL  ", 8);
    d.devtype = 7201;
    rt::gfx::adddevice(d);
    session.opts.device = "NOCOLL";
    usefake({"HTML", "PDF"});
    startgraph();
    EXPECT_EQ(s->plot.gdest.nocollect, 1u);
    EXPECT_EQ(s->plot.gdest.segmap, nullptr);
    EXPECT_EQ(vyxgini(s), 0);
    EXPECT_EQ(std::string(s->plot.gdest.catname, 4), "GSEG");
    EXPECT_EQ(data.publications, 0);
    zqdfree(&s->plot.gdest);
    rt::gfx::removedevices();
}

TEST_F(Destinations, GraphicsStartOnceAndAgainInTheSameRun) {
    // The first start-up of a run makes the library block (it used to find none and fail).
    ggstate* g = ggznew(nullptr);
    EXPECT_EQ(ggsload(g, 0, 0), 0);
    int32_t id1 = 0, id2 = 0;
    void* v1 = nullptr;
    ASSERT_EQ(xytngl(nullptr, 0, "__GCB_GSUBLIB", 13, &id1, &v1), 0);
    EXPECT_NE(v1, nullptr);
    // The second finds it and only starts device graphics: no module is loaded again.
    vec30 counting = *static_cast<const vec30*>(host->vectors[VEC_SUPERVISOR]);
    static int loads;
    loads = 0;
    counting.wiinstl = [](int, const char*, int) {
        ++loads;
        return 0;
    };
    const void* real = host->vectors[VEC_SUPERVISOR];
    host->vectors[VEC_SUPERVISOR] = &counting;
    EXPECT_EQ(ggsload(g, 0, 0), 0);
    host->vectors[VEC_SUPERVISOR] = const_cast<void*>(real);
    EXPECT_EQ(loads, 1);   // the fonts only, whose result is not used
    ASSERT_EQ(xytngl(nullptr, 0, "__GCB_GSUBLIB", 13, &id2, &v1), 0);
    EXPECT_EQ(id1, id2);
}

TEST_F(Destinations, ModuleThatCannotLoad) {
    vec30 failing = *static_cast<const vec30*>(host->vectors[VEC_SUPERVISOR]);
    failing.wiinstl = [](int n, const char*, int) { return n == 262262 ? 1 : 0; };
    const void* real = host->vectors[VEC_SUPERVISOR];
    host->vectors[VEC_SUPERVISOR] = &failing;
    EXPECT_EQ(ggsload(ggznew(nullptr), 0, 0), 1);
    host->vectors[VEC_SUPERVISOR] = const_cast<void*>(real);
    EXPECT_TRUE(logged("graphics module of the host could not be loaded"));
}

TEST_F(Destinations, DeviceDescriptionsAreCachedWhileTheirDateHolds) {
    EXPECT_EQ(ggdvget("        "), nullptr);
    EXPECT_EQ(ggdvget("NOSUCH  "), nullptr);
    ggdevice d = rt::gfx::defaultdevice();
    std::memcpy(d.name, "CACHED  ", 8);
    d.date = 1.0;
    rt::gfx::adddevice(d);
    const ggdevice* a = ggdvget("cached  ");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(ggdvget("CACHED  "), a);
    rt::gfx::removedevices();
    d.date = 2.0;
    rt::gfx::adddevice(d);
    const ggdevice* b = ggdvget("CACHED  ");
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, a);
    EXPECT_EQ(b->date, 2.0);
    rt::gfx::removedevices();
}

TEST_F(Destinations, PageWindowIsInsetByACellExceptAtThePageEdges) {
    startgraph();
    ASSERT_EQ(vyxgini(s), 0);
    const double cw = 1.25, ch = 100.0 / 45;
    // Without a BY line the window is the page: only the bottom is raised.
    EXPECT_NEAR(s->plot.pwin[0], 0.0, 1e-12);
    EXPECT_NEAR(s->plot.pwin[1], ch, 1e-12);
    EXPECT_NEAR(s->plot.pwin[2], 100.0, 1e-12);
    EXPECT_NEAR(s->plot.pwin[3], 100.0, 1e-12);
    EXPECT_EQ(std::string(s->plot.gdest.catname, 4), "GSEG");
    // With a BY line the header takes the top; that edge is then inset by a cell.
    double w[4];
    char by[] = "plant=North";
    ggphdrl(0, w, by, reinterpret_cast<void*>(static_cast<intptr_t>(std::strlen(by))));
    EXPECT_LT(w[3], 100.0);
    (void)cw;
}

TEST_F(Destinations, GoutNamesLibraryAndCatalog) {
    proc.name(slot::proc::GOUT_LIB, "WORK").text(slot::proc::GOUT_CAT, "MYPLOTS");
    startgraph();
    ASSERT_EQ(vyxgini(s), 0);
    EXPECT_EQ(std::string(s->plot.gdest.libname, 8), "WORK    ");
    EXPECT_EQ(std::string(s->plot.gdest.catname, s->plot.gdest.catlen), "MYPLOTS");
}

}  // namespace
