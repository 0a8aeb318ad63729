// A block of rows handed over in one call keeps what the same rows added one by one keep: the
// phantom's values and stored blocks, its MAKE data set, and the bound cells afterwards.
#include <cmath>
#include <cstring>
#include "host/hostdefs.h"
#include "host/stmtrec.h"
#include "runtime/output/program.h"
#include "tests/unit/output/fixture.h"

namespace {

using outtest::OutputTest;

// The cells a phantom of four columns is bound to.
struct Cells {
    double x = 0, y = 0;
    int32_t idx = 0;
    char grp[6];
};

class RowBlockTest : public OutputTest {
protected:
    obobject* mgr = nullptr;
    obobject* phantom(const char* name, Cells& c) {
        wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED), obint(OBK_PLACE, -1),
                        obtext(OBK_NAME, txt(name)), obtext(OBK_LABEL, txt(name)), obint(OBK_HIDDEN, 0)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_CREATE, 7, it), 0);
        obobject* ph = static_cast<obobject*>(it[2].v.p);
        wobitem cx[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt("X")), obtext(OBK_TEMPLATE, txt("Xvalue")), obcell(OBK_CELL, &c.x)};
        wobitem cy[] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt("Y")), obtext(OBK_TEMPLATE, txt("Yvalue")), obcell(OBK_CELL, &c.y)};
        wobitem ci[] = {obint(OBK_KIND, COL_INT), obtext(OBK_NAME, txt("Index")), obtext(OBK_TEMPLATE, txt("GroupIndx")),
                        obcell(OBK_CELL, &c.idx)};
        wobitem cg[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, txt("Grp")), obint(OBK_WIDTH, 6), obtext(OBK_TEMPLATE, txt("Group")),
                        obcell(OBK_CELL, c.grp)};
        EXPECT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 4, cx), 0);
        EXPECT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 4, cy), 0);
        EXPECT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 4, ci), 0);
        EXPECT_EQ(wobmth(ph, nullptr, OB_ADDCOL, 5, cg), 0);
        EXPECT_EQ(wobmth(ph, nullptr, OB_ENDDEF, 0, nullptr), 0);
        uint32_t ref = 0;
        wobitem b[] = {obout(OBK_POS), obobj(OBK_POS, ph), obtext(OBK_TEMPLATE, txt("kv.vitalyx.Phantom")), obflag(OBK_BINDFLAG, 1),
                       obptr(OBK_REFSLOT, OBT_SLOT, &ref)};
        EXPECT_EQ(wobmth(mgr, nullptr, OB_BIND, 5, b), 0);
        return ph;
    }
    const rt::out::PhantomData* data(const char* name) {
        for (auto& d : rt::out::program()->phantoms)
            if (d->name == name) return d.get();
        return nullptr;
    }
    // n rows whose X (and Index, when idx is given) come from arrays.
    int32_t block(obobject* ph, Cells& c, int n, const double* x, const int32_t* idx = nullptr) {
        std::vector<wobitem> it = {obint(OBK_ROWCOUNT, n), obcell(OBK_CELL, &c.x), obptr(OBK_VALUE, OBT_POINTER, const_cast<double*>(x))};
        if (idx) it.push_back(obcell(OBK_CELL, &c.idx)), it.push_back(obptr(OBK_VALUE, OBT_POINTER, const_cast<int32_t*>(idx)));
        return wobmth(ph, nullptr, OB_ADDROWS, static_cast<int>(it.size()), it.data());
    }
};

TEST_F(RowBlockTest, BlocksKeepWhatRowByRowKeeps) {
    mgr = manager();
    // Without MAKE the phantom takes blocks whole; with MAKE they go row by row to the data set.
    for (bool withmake : {false, true}) {
        SCOPED_TRACE(withmake ? "MAKE" : "no MAKE");
        const std::string one = withmake ? "MOne" : "One", blk = withmake ? "MBlk" : "Blk";
        if (withmake) {
            for (const std::string& n : {one, blk}) {
                dsspec target{};
                std::snprintf(target.lib, sizeof target.lib, "WORK");
                std::snprintf(target.mem, sizeof target.mem, "%s", n.c_str());
                wobitem it[] = {obtext(OBK_NAME, txt(n.c_str())), obptr(OBK_TARGET, OBT_POINTER, &target)};
                ASSERT_EQ(wobmth(mgr, nullptr, OB_MAKE, 2, it), 0);
            }
        }
        Cells a, b;
        obobject* pa = phantom(one.c_str(), a);
        obobject* pb = phantom(blk.c_str(), b);
        // X: a run of missing values across a block edge of the phantom's storage (4096 rows), then
        // values, then missing again; Y stays missing, Index and Grp change between blocks only.
        const int n = 9000;
        std::vector<double> xs(n);
        for (int i = 0; i < n; ++i) xs[static_cast<size_t>(i)] = i < 5000 || i >= 8000 ? hostmissing() : i * 0.25;
        std::vector<int32_t> idx(1500, 7);
        idx[1499] = 8;
        auto cells = [](Cells& c, int32_t i, const char* g) {
            c.y = hostmissing();
            c.idx = i;
            std::memcpy(c.grp, g, 6);
        };
        cells(a, 1, "A     ");
        for (int i = 0; i < 6000; ++i) {
            a.x = xs[static_cast<size_t>(i)];
            ASSERT_EQ(wobmth(pa, nullptr, OB_ADDROW, 0, nullptr), 0);
        }
        cells(a, 2, "B     ");
        for (int i = 6000; i < 7500; ++i) {
            a.x = xs[static_cast<size_t>(i)];
            a.idx = idx[static_cast<size_t>(i - 6000)];
            ASSERT_EQ(wobmth(pa, nullptr, OB_ADDROW, 0, nullptr), 0);
        }
        for (int i = 7500; i < n; ++i) {
            a.x = xs[static_cast<size_t>(i)];
            ASSERT_EQ(wobmth(pa, nullptr, OB_ADDROW, 0, nullptr), 0);
        }

        cells(b, 1, "A     ");
        ASSERT_EQ(block(pb, b, 4000, xs.data()), 0);
        ASSERT_EQ(block(pb, b, 2000, xs.data() + 4000), 0);
        cells(b, 2, "B     ");
        ASSERT_EQ(block(pb, b, 1500, xs.data() + 6000, idx.data()), 0);
        EXPECT_EQ(b.x, xs[7499]);   // the listed cells hold the last row's values
        EXPECT_EQ(b.idx, 8);
        ASSERT_EQ(block(pb, b, 0, xs.data()), 0);
        ASSERT_EQ(block(pb, b, n - 7500, xs.data() + 7500), 0);

        const rt::out::PhantomData* da = data(one.c_str());
        const rt::out::PhantomData* db = data(blk.c_str());
        ASSERT_TRUE(da && db);
        ASSERT_EQ(db->rows, static_cast<size_t>(n));
        ASSERT_EQ(da->rows, db->rows);
        for (size_t r = 0; r < da->rows; ++r)
            for (int c = 0; c < 3; ++c) {
                const double va = da->num(c, r), vb = db->num(c, r);
                ASSERT_TRUE(va == vb || (std::isnan(va) && std::isnan(vb))) << "row " << r << " column " << c;
            }
        EXPECT_EQ(db->num(2, 7498), 7.0);
        EXPECT_EQ(db->num(2, 7499), 8.0);
        EXPECT_EQ(db->num(2, 8999), 8.0);
        EXPECT_EQ(db->text(3, 5999), "A");
        EXPECT_EQ(db->text(3, 6000), "B");
        EXPECT_EQ(db->text(3, 8999), "B");
        // Only the block of X's values is stored (rows 4096 to 8191): the missing runs stay one
        // value each, as do Y, Index and Grp.
        EXPECT_EQ(db->cols[0].num.storedbytes(), da->cols[0].num.storedbytes());
        EXPECT_EQ(db->storedbytes(), da->storedbytes());
        EXPECT_EQ(db->cols[1].num.storedbytes(), da->cols[1].num.storedbytes());

        for (obobject* ph : {pa, pb}) ASSERT_EQ(wobmth(ph, nullptr, OB_ENDROWS, 0, nullptr), 0);
    }
    ASSERT_EQ(finish(), 0);
    const std::string ma = out("mone.csv"), mb = out("mblk.csv");
    EXPECT_FALSE(ma.empty());
    EXPECT_EQ(ma, mb);
}

TEST_F(RowBlockTest, CellsAreCheckedAndAnUnboundOneIsPassedOver) {
    mgr = manager();
    Cells c;
    obobject* ph = phantom("Ph", c);
    double other = 0;
    const double xs[] = {1, 2, 3};
    const double ys[] = {4, 5, 6};
    c.y = -1;
    // A cell bound to no column is left alone; the rows still come.
    wobitem ok[] = {obint(OBK_ROWCOUNT, 3), obcell(OBK_CELL, &other), obptr(OBK_VALUE, OBT_POINTER, const_cast<double*>(ys)),
                    obcell(OBK_CELL, &c.x), obptr(OBK_VALUE, OBT_POINTER, const_cast<double*>(xs))};
    ASSERT_EQ(wobmth(ph, nullptr, OB_ADDROWS, 5, ok), 0);
    EXPECT_EQ(other, 0.0);
    EXPECT_EQ(c.x, 3.0);
    const rt::out::PhantomData* d = data("Ph");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->rows, 3u);
    EXPECT_EQ(d->num(0, 1), 2.0);
    EXPECT_EQ(d->num(1, 2), -1.0);
    // No count, a cell without its array, a text column given an array: refused, no row added.
    wobitem nocount[] = {obcell(OBK_CELL, &c.x), obptr(OBK_VALUE, OBT_POINTER, const_cast<double*>(xs))};
    EXPECT_EQ(wobmth(ph, nullptr, OB_ADDROWS, 2, nocount), rt::out::OBR_BADITEM);
    wobitem noarray[] = {obint(OBK_ROWCOUNT, 3), obcell(OBK_CELL, &c.x)};
    EXPECT_EQ(wobmth(ph, nullptr, OB_ADDROWS, 2, noarray), rt::out::OBR_BADITEM);
    wobitem text[] = {obint(OBK_ROWCOUNT, 3), obcell(OBK_CELL, c.grp), obptr(OBK_VALUE, OBT_POINTER, const_cast<double*>(xs))};
    EXPECT_EQ(wobmth(ph, nullptr, OB_ADDROWS, 3, text), rt::out::OBR_BADITEM);
    EXPECT_EQ(d->rows, 3u);
    ASSERT_EQ(finish(), 0);
}

}  // namespace
