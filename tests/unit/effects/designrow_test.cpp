// The design row of one observation: its flags, standardised values and the lookup of its
// level combination.
#include "proc/effects/designcols.h"
#include "proc/effects/efstmts.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class DesignRow : public EffectsHost {};

TEST_F(DesignRow, WeightsFrequenciesAndAConstantVariable) {
    writecsv("d", "y,a,x,c,w,f\n1,p,1,5,0,1\n2,q,3,5,-1,0\n3,p,2,5,2,.\n");
    parse("proc vitalyx data=d; class a; model y = a x c;");
    for (int zero : {0, static_cast<int>(LS2_ZEROWT)}) {
        Model& m = model('M', [&](Model& mm) {
            mm.ctl.haswgt = varrec("w");
            mm.ctl.hasfreq = varrec("f");
            mm.ls.lsflags &= static_cast<uint8_t>(~LS_NOSTD);
            mm.ls.lsflags2 = static_cast<uint8_t>(zero);
        });
        double w, f;
        std::vector<int32_t> got;
        std::vector<double> xs, cs;
        m.ctl.rdrewind(&m.ctl);
        while (m.ctl.rdnext(&m.ctl)) {
            got.push_back(zlevrgd(&m.ctl, nullptr, &w, &f));
            xs.push_back(m.ctl.contval[0]);
            cs.push_back(m.ctl.contval[1]);
        }
        // weight 0: unusable unless zero is allowed; -1 always; a missing frequency always
        EXPECT_EQ(got, (std::vector<int32_t>{zero ? 0 : LEVF_WEIGHT, LEVF_WEIGHT, LEVF_WEIGHT}));
        EXPECT_EQ(xs, (std::vector<double>{-1, 1, 0}));   // centre 2, half-range 1
        EXPECT_EQ(cs, (std::vector<double>{0, 0, 0}));    // a constant: 0.0, no division by zero
    }
}

// A CLASS value the levels never met: 2|8; when the model has constructed effects and every
// effect still finds its own levels, flag 2 is withdrawn. Read with every pointer null, the
// row is still filled.
TEST_F(DesignRow, AValueWithoutLevelAndTheWithdrawalOfFlag2) {
    writecsv("d", "y,a,b,x\n1,p,u,1\n2,q,v,2\n");
    writecsv("e", "y,a,b,x\n1,p,zz,4\n");
    parse("proc vitalyx data=d; class a b; model y = a x;");
    Model& m = model('M');
    // the same model reading another data set whose b takes a value of its own
    auto reread = [&](Model& mm) {
        std::string err;
        hdataset* other = rt::ds::open(session, "", "e", err);
        rt::ds::services()->xbynext(other);
        mm.d.dsh = other;
        mm.d.glcls = mm.d.glraw = nullptr;
        mm.ctl.lastobs[0] = mm.ctl.lastobs[1] = 0;
        mm.ctl.rawmap = nullptr;
        mm.ctl.rdrewind(&mm.ctl);
        EXPECT_TRUE(mm.ctl.rdnext(&mm.ctl));
        const int32_t flags = zlevrgd(&mm.ctl, nullptr, nullptr, nullptr);
        rt::ds::close(other);
        return flags;
    };
    EXPECT_EQ(reread(m), LEVF_UNUSABLE | LEVF_NOLEVEL);
    EXPECT_EQ(m.ctl.levidx[0], 0);
    EXPECT_EQ(m.ctl.levidx[1], -1);
    EXPECT_EQ(m.ctl.contval[0], 4.0);
    EXPECT_EQ(m.ls.effcols[2].value, 4.0);
    // a model with a constructed effect (a collection of x) keeps the row: only flag 8
    stmtrec* ef = static_cast<stmtrec*>(poolbytes(host->inst.pool, sizeof(stmtrec), poolflag::zeroed_marked));
    std::memset(ef->keyword, ' ', STMT_KEYLEN);
    std::memcpy(ef->keyword, "EFFECT", 6);
    ef->highest = EFS_HIGHEST;
    ef->slots = static_cast<optslot*>(poolbytes(host->inst.pool, sizeof(optslot) * (EFS_HIGHEST + 1), poolflag::zeroed_marked));
    static const char name[] = "cx";
    static int32_t xvar;
    xvar = rt::ds::findvar(ds, "x");
    ef->slots[EFS_NAME] = optslot{1, SK_TEXT, 0, 2, {}, const_cast<char*>(name)};
    ef->slots[EFS_KIND].given = 1;
    ef->slots[EFS_KIND].num = EF_COLLECTION;
    ef->slots[EFS_VARS] = optslot{1, SK_VARLIST, 0, 1, {}, &xvar};
    ef->next = mpb.head->next;
    mpb.head->next = ef;
    Model& c = model('M');
    ASSERT_EQ(c.ls.nefstmt, 1);
    EXPECT_EQ(reread(c), LEVF_NOLEVEL);
}

// The design rows find the level of a raw value met before without formatting it again:
// texts longer than a word that differ only at their end, many of them, a numeric value
// with two raw values per level, a missing one and texts that are no level give the levels
// and flags of the lookup by formatted value, on the first pass over the data and on the next.
TEST_F(DesignRow, RawValuesMetBeforeGiveTheLevelsOfTheirFormattedValues) {
    std::string csv = "y,s,n,x\n";
    for (int r = 0; r < 600; ++r) {
        const int k = (r * 37) % 300;
        csv.append(std::to_string(r % 5)).append(",SITE-NORTH-").append(std::to_string(1000 + k)).append(",");
        csv.append(r % 50 == 7 ? "" : (r % 2 ? "2.0000000000001" : std::to_string(k % 3 + 2)));
        csv.append(",").append(std::to_string(r % 11)).append("\n");
    }
    csv += "9,SITE-NORTH-9999,3,1\n";   // a level of its own, met once
    writecsv("d", csv);
    parse("proc vitalyx data=d; class s n; model y = s n s*n x;");
    Model& m = model('M');
    ASSERT_EQ(m.cls(0).nlev, 295);   // six texts come only with a missing n: no level
    ASSERT_NE(m.ctl.rawmap, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        m.ctl.rdrewind(&m.ctl);
        int row = 0;
        while (m.ctl.rdnext(&m.ctl)) {
            const int32_t byraw = zlevrgd(&m.ctl, nullptr, nullptr, nullptr);
            const std::vector<int32_t> idx(m.ctl.levidx, m.ctl.levidx + 2);
            const int32_t col = m.ls.effcols[2].col;
            const int32_t bytext = zlevrgdfrom(&m.ctl, nullptr, nullptr, nullptr, nullptr);
            EXPECT_EQ(byraw, bytext) << "row " << row;
            EXPECT_EQ(idx, std::vector<int32_t>(m.ctl.levidx, m.ctl.levidx + 2)) << "row " << row;
            EXPECT_EQ(col, m.ls.effcols[2].col) << "row " << row;
            ++row;
        }
        EXPECT_EQ(row, 601);
    }
}

// The row lookup bisects between row 0 and its first guess; a combination the data never
// had gives nseen with flags 2|32.
TEST(RowLookup, BisectionBelowTheGuessAndACombinationNeverSeen) {
    // A*B seen as (0,0) (0,2) (1,1) (2,0) (2,2): strides of the full table 3 and 1
    int32_t combs[] = {0, 0, 0, 2, 1, 1, 2, 0, 2, 2};
    int32_t clsall[] = {0, 1};
    int32_t stride[] = {3, 1};
    leveffect e{};
    e.ncls = e.nclsall = 2;
    e.clsall = e.clsix = clsall;
    e.nestix = clsall + 2;
    e.combs = combs;
    e.nseen = 5;
    e.clswork = stride;
    int32_t obs[2] = {1, 1};   // guess 4 (clamped), the row is 2
    EXPECT_EQ(zlevwel(&e, obs), 2);
    obs[0] = 0, obs[1] = 2;     // guess 2, the row is 1
    EXPECT_EQ(zlevwel(&e, obs), 1);
    obs[0] = 1, obs[1] = 0;     // never seen
    EXPECT_EQ(zlevwel(&e, obs), 5);
    obs[0] = -1, obs[1] = 2;    // a value without level: the guess falls below the table
    EXPECT_EQ(zlevwel(&e, obs), 5);
    e.clswork = nullptr;        // no strides: the guess is the last row
    obs[0] = 2, obs[1] = 0;
    EXPECT_EQ(zlevwel(&e, obs), 3);
}

}  // namespace
}  // namespace efftest
