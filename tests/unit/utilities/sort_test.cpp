// The procedure's sort call and the runtime's sort: key lists, missing values, stability,
// utility files with their blocking, and the caller's own exits.
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/hostfixture.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/sortwrap.h"
#include "runtime/files/utilfile.h"

namespace {

struct rec {
    double x;
    int32_t code;
    int32_t seq;   // input position, to check stability
};

sortctl control(sortkey* keys, int nkeys, int reclen) {
    sortctl c{};
    c.keys = keys;
    c.nkeys = nkeys;
    c.reclen = reclen;
    c.nrecs = -1;
    c.workcap = -1;
    return c;
}

// The host's exits as a caller that sorts a utility file stores them.
void hostexits(sortctl* c) {
    c->start = zsorxci();
    c->compare = zsorxct();
    c->exits[SORTX_GET] = zxcget();
    c->exits[SORTX_PUT] = zxcput();
    c->exits[SORTX_END] = zxcrtn();
}

std::vector<rec> sample(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> small(0, 5);
    std::vector<rec> v(n);
    for (int i = 0; i < n; ++i) {
        v[i].x = small(rng) == 0 ? hostmissing() : small(rng) * 0.5 - 1.0;
        v[i].code = small(rng) - 2;
        v[i].seq = i;
    }
    return v;
}

// The expected order, written independently: x ascending with missing values first, then
// code descending, then input order.
bool before(const rec& a, const rec& b) {
    bool ma = a.x != a.x, mb = b.x != b.x;
    if (ma != mb) return ma;
    if (!ma && a.x != b.x) return a.x < b.x;
    return a.code > b.code;
}

}  // namespace

using Sort = HostTest;

TEST_F(Sort, InMemoryByDoubleThenDescendingIntegerIsStable) {
    std::vector<rec> v = sample(5000, 1);
    std::vector<rec> want = v;
    std::stable_sort(want.begin(), want.end(), before);
    sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_DESC, 0}};
    sortctl c = control(keys, 2, sizeof(rec));
    c.inrecs = v.data();
    c.nrecs = static_cast<int64_t>(v.size());
    ASSERT_EQ(zsort(&c), 0);
    EXPECT_EQ(c.nsorted, 5000);
    for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i].seq, want[i].seq) << i;
}

TEST_F(Sort, ManyKeysSplitIntoSmallBucketsKeepTheirOrder) {
    // 20,000 doubles on a grid of 3,000 values, descending: the radix passes split them into
    // buckets of a few keys each, which are finished by insertion; ties keep input order.
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> grid(-1500, 1500);
    std::vector<rec> v(20000);
    for (int i = 0; i < 20000; ++i) v[i] = rec{grid(rng) * 0.37, 0, i};
    std::vector<rec> want = v;
    std::stable_sort(want.begin(), want.end(), [](const rec& a, const rec& b) { return a.x > b.x; });
    sortkey key = {0, 8, SORTK_NUM, SORTO_DESC, 0};
    sortctl c = control(&key, 1, sizeof(rec));
    c.inrecs = v.data();
    c.nrecs = static_cast<int64_t>(v.size());
    ASSERT_EQ(zsort(&c), 0);
    for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i].seq, want[i].seq) << i;
}

// From a quarter of a million records on the keys are made, moved to buckets and the
// buckets sorted on several threads: the same order, ties in input order, as with one thread. A second key of a few values
// (five codes) is packed beside the position, one of many values (100,000) is not.
TEST_F(Sort, AMillionRecordsOnSeveralThreadsSortAsOnOne) {
    std::vector<rec> v = sample(1200000, 4);
    std::mt19937 rng(8);
    // The last round: one time for all (the keys' first words all alike), codes of few values.
    for (int cpus : {1, 4, 0, -1}) {
        if (cpus == 0) {
            for (rec& r : v) r.code = static_cast<int32_t>(rng() % 100000) - 50000;
            cpus = 4;
        } else if (cpus == -1) {
            for (rec& r : v) r = {1.5, r.code % 5, r.seq};
            cpus = 4;
        }
        std::vector<rec> want = v, byx = v;
        std::stable_sort(want.begin(), want.end(), before);
        std::stable_sort(byx.begin(), byx.end(), [](const rec& a, const rec& b) {   // x alone, missing first
            return (a.x != a.x) != (b.x != b.x) ? a.x != a.x : a.x < b.x;
        });
        session.opts.threads = true;
        session.opts.cpucount = cpus;
        // Also as a key list longer than 16 bytes (the position, then x again, decide nothing
        // more): its first 16 bytes go through the radix sort on the threads.
        sortkey keys[4] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_DESC, 0}, {12, 4, SORTK_INT, SORTO_ASC, 0},
                           {0, 8, SORTK_NUM, SORTO_DESC, 0}};
        for (int nkeys : {1, 2, 4}) {   // one key: 8 bytes a key
            std::vector<rec> got = v;
            sortctl c = control(keys, nkeys, sizeof(rec));
            c.inrecs = got.data();
            c.nrecs = static_cast<int64_t>(got.size());
            ASSERT_EQ(zsort(&c), 0);
            bool same = true;
            for (size_t i = 0; i < got.size(); ++i) same = same && got[i].seq == (nkeys == 1 ? byx : want)[i].seq;
            EXPECT_TRUE(same) << cpus << " threads, " << nkeys << " keys";
        }
    }
}

// The second key's values are gathered part by part (65,536 records each) while the keys are
// made: 256 values in all are packed by their place, but parts of 100 values each that make
// 500 together are not, and the keys made so far are made again in full.
TEST_F(Sort, SecondKeyOfFewValuesInEachPartButManyInAllSortsByTheWholeKey) {
    std::vector<rec> v = sample(330000, 6);
    std::mt19937 rng(9);
    for (int spread : {256, 0}) {
        for (size_t i = 0; i < v.size(); ++i)
            v[i].code = spread ? static_cast<int32_t>(rng() % spread) - 128 : static_cast<int32_t>((i >> 16) * 100 + rng() % 100);
        std::vector<rec> want = v;
        std::stable_sort(want.begin(), want.end(), before);
        sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_DESC, 0}};
        std::vector<rec> got = v;
        sortctl c = control(keys, 2, sizeof(rec));
        c.inrecs = got.data();
        c.nrecs = static_cast<int64_t>(got.size());
        ASSERT_EQ(zsort(&c), 0);
        bool same = true;
        for (size_t i = 0; i < got.size(); ++i) same = same && got[i].seq == want[i].seq;
        EXPECT_TRUE(same) << (spread ? "256 values" : "500 values over the parts");
    }
}

TEST_F(Sort, ExactFailureComesBeforeCensoredAtTheSameTime) {
    // Rows of (time, censoring code): the exact failure (0) before the right-censored (-1).
    double rows[3][2] = {{5.0, -1.0}, {5.0, 0.0}, {2.0, -1.0}};
    sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 8, SORTK_NUM, SORTO_DESC, 0}};
    sortctl c = control(keys, 2, 16);
    c.inrecs = rows;
    c.nrecs = 3;
    ASSERT_EQ(zsort(&c), 0);
    EXPECT_EQ(rows[0][0], 2.0);
    EXPECT_EQ(rows[1][1], 0.0);
    EXPECT_EQ(rows[2][1], -1.0);
}

TEST_F(Sort, UtilityFileKeepsItsBlocking) {
    // Blocks of 4, 4 and 2 records, as a reader that spills full buffers writes them.
    std::vector<rec> v = sample(10, 2);
    xchandle in = nullptr;
    ASSERT_EQ(xcopen(&in, XC_SCRATCH), 0);
    ASSERT_EQ(xcwrite(in, v.data(), 4 * sizeof(rec)), 0);
    ASSERT_EQ(xcwrite(in, v.data() + 4, 4 * sizeof(rec)), 0);
    ASSERT_EQ(xcwrite(in, v.data() + 8, 2 * sizeof(rec)), 0);
    ASSERT_EQ(xcpoint(in, 0), 0);
    sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_DESC, 0}};
    sortctl c = control(keys, 2, sizeof(rec));
    c.infile = in;
    hostexits(&c);
    ASSERT_EQ(zsort(&c), 0);
    ASSERT_NE(c.outfile, nullptr);
    for (sortexit e : c.exitentries) EXPECT_EQ(e, nullptr) << "entries are cleared after the sort";

    std::vector<rec> want = v;
    std::stable_sort(want.begin(), want.end(), before);
    ASSERT_EQ(xcpoint(c.outfile, 0), 0);
    std::vector<rec> got(10);
    ASSERT_EQ(xcread(c.outfile, got.data(), 4 * sizeof(rec)), 0);
    ASSERT_EQ(xcread(c.outfile, got.data() + 4, 4 * sizeof(rec)), 0);
    ASSERT_EQ(xcread(c.outfile, got.data() + 8, 4 * sizeof(rec)), 0);
    EXPECT_EQ(xcread(c.outfile, got.data(), 4 * sizeof(rec)) & 0x803fffff, XC_EOF);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(got[i].seq, want[i].seq) << i;
    xcclose(in, 1);
    xcclose(c.outfile, 1);
}

TEST_F(Sort, LargeFileInMemoryOrOnDiskIsSortedWhereItLies) {
    // 200,000 records in blocks of 1000 and a short last block: several chunks of the file in
    // memory, with records cut by the end of a chunk; then the same file on disk (mapped).
    std::vector<rec> v = sample(200007, 9);
    std::vector<rec> expect = v;
    std::stable_sort(expect.begin(), expect.end(), before);
    for (int64_t limit : {rt::files::kSpillLimit, int64_t(0)}) {
        rt::files::setspilllimit(limit);
        xchandle in = nullptr;
        ASSERT_EQ(xcopen(&in, XC_SCRATCH), 0);
        for (size_t at = 0; at < v.size(); at += 1000)   // the last block: 7 records
            ASSERT_EQ(xcwrite(in, v.data() + at, static_cast<int64_t>(std::min<size_t>(1000, v.size() - at) * sizeof(rec))), 0);
        sortkey keys[2] = {{0, 8, SORTK_NUM, SORTO_ASC, 0}, {8, 4, SORTK_INT, SORTO_DESC, 0}};
        sortctl c = control(keys, 2, sizeof(rec));
        c.infile = in;
        hostexits(&c);
        ASSERT_EQ(zsort(&c), 0) << limit;
        ASSERT_EQ(xcpoint(c.outfile, 0), 0);
        std::vector<rec> got(1000);
        size_t n = 0, blocks = 0;
        bool same = true;
        while (xcread(c.outfile, got.data(), 1000 * sizeof(rec)) == 0) {
            const size_t k = blocks < 200 ? 1000 : 7;   // the blocking of the input
            ++blocks;
            for (size_t i = 0; i < k && n < expect.size(); ++i, ++n) same = same && got[i].seq == expect[n].seq;
        }
        EXPECT_EQ(blocks, 201u) << limit;
        EXPECT_EQ(n, expect.size()) << limit;
        EXPECT_TRUE(same) << "the order and its ties, spill limit " << limit;
        xcclose(in, 1);
        xcclose(c.outfile, 1);
    }
    rt::files::setspilllimit(rt::files::kSpillLimit);
}

TEST_F(Sort, RecordsInMemoryCanGoToAnOutputFile) {
    double vals[4] = {3, 1, 4, 1.5};
    sortkey key = {0, 8, SORTK_NUM, SORTO_DESC, 0};
    sortctl c = control(&key, 1, 8);
    c.inrecs = vals;
    c.nrecs = 4;
    ASSERT_EQ(xcopen(&c.outfile, XC_SCRATCH), 0);
    ASSERT_EQ(zsort(&c), 0);
    double got[4] = {};
    ASSERT_EQ(xcpoint(c.outfile, 0), 0);
    ASSERT_EQ(xcread(c.outfile, got, sizeof got), 0);
    EXPECT_EQ(std::vector<double>(got, got + 4), (std::vector<double>{4, 3, 1.5, 1}));
    EXPECT_EQ(vals[0], 3.0) << "the input stays as it was";
    xcclose(c.outfile, 1);
}

namespace {

// A caller with its own exits: they count what the host asks of them.
struct mine {
    std::vector<double> in, out;
    size_t next = 0;
    int starts = 0, ends = 0;
    sortctl* seen = nullptr;
    bool startslotcleared = false;
    bool entriesset = false;
};
mine* g_mine = nullptr;

int mystart(sortctl* c, void*) {
    ++g_mine->starts;
    g_mine->seen = c;
    g_mine->startslotcleared = c->start == nullptr;
    return 0;
}
int myget(sortctl* c, void* r) {
    g_mine->entriesset = c->exitentries[SORTX_GET] != nullptr && c->exitentries[SORTX_PUT] != nullptr;
    if (g_mine->next == g_mine->in.size()) return SORT_END;
    std::memcpy(r, &g_mine->in[g_mine->next++], 8);
    return 0;
}
int myput(sortctl*, void* r) {
    double d;
    std::memcpy(&d, r, 8);
    g_mine->out.push_back(d);
    return 0;
}
int myend(sortctl*, void*) {
    ++g_mine->ends;
    return 0;
}
int mycompare(const void* a, const void* b, sortctl*) {
    // Absolute values ascending.
    double x = std::abs(*static_cast<const double*>(a)), y = std::abs(*static_cast<const double*>(b));
    return x < y ? -1 : (x > y ? 1 : 0);
}
int failingstart(sortctl*, void*) { return -7; }

}  // namespace

TEST_F(Sort, CallersExitsAndComparisonAreCalledThroughTheirEntries) {
    mine m;
    m.in = {-3, 2, -1, 5, 0.5};
    g_mine = &m;
    sortctl c = control(nullptr, 0, 8);
    c.start = mystart;
    c.compare = mycompare;
    c.exits[SORTX_GET] = myget;
    c.exits[SORTX_PUT] = myput;
    c.exits[SORTX_END] = myend;
    ASSERT_EQ(zsort(&c), 0);
    EXPECT_EQ(m.starts, 1);
    EXPECT_EQ(m.seen, &c);
    EXPECT_TRUE(m.startslotcleared);
    EXPECT_TRUE(m.entriesset);
    EXPECT_EQ(m.ends, 1);
    EXPECT_EQ(m.out, (std::vector<double>{0.5, -1, 2, -3, 5}));
    EXPECT_EQ(c.startcopy, &mystart);
    for (sortexit e : c.exitentries) EXPECT_EQ(e, nullptr);
    g_mine = nullptr;
}

TEST_F(Sort, StartRoutineFailureEndsTheSort) {
    double v[2] = {2, 1};
    sortkey key = {0, 8, SORTK_NUM, SORTO_ASC, 0};
    sortctl c = control(&key, 1, 8);
    c.inrecs = v;
    c.nrecs = 2;
    c.start = failingstart;
    EXPECT_EQ(zsort(&c), -7);
    EXPECT_EQ(v[0], 2.0);
}

TEST_F(Sort, BadRequestsAreRefused) {
    double v[2] = {2, 1};
    sortkey key = {4, 8, SORTK_NUM, SORTO_ASC, 0};   // beyond the record
    sortctl c = control(&key, 1, 8);
    c.inrecs = v;
    c.nrecs = 2;
    EXPECT_EQ(zsort(&c), SORT_EBADREQ);
    key = {0, 8, 9, SORTO_ASC, 0};                     // unknown kind
    EXPECT_EQ(zsort(&c), SORT_EBADREQ);
    key = {0, 8, SORTK_NUM, SORTO_ASC, 0};
    c.reclen = 0;
    EXPECT_EQ(zsort(&c), SORT_EBADREQ);
}

TEST_F(Sort, LongCharacterAndMixedKeysUseTheGeneralPath) {
    struct row {
        char name[20];
        double v;
    };
    std::vector<row> r(6);
    const char* names[] = {"delta", "alpha", "charlie", "alpha", "bravo", "echo"};
    for (int i = 0; i < 6; ++i) {
        std::memset(r[i].name, ' ', 20);
        std::memcpy(r[i].name, names[i], std::strlen(names[i]));
        r[i].v = i;
    }
    sortkey keys[2] = {{0, 20, SORTK_CHAR, SORTO_DESC, 0}, {24, 8, SORTK_NUM, SORTO_ASC, 0}};
    sortctl c = control(keys, 2, sizeof(row));
    c.inrecs = r.data();
    c.nrecs = 6;
    ASSERT_EQ(zsort(&c), 0);
    std::vector<double> order;
    for (auto& x : r) order.push_back(x.v);
    EXPECT_EQ(order, (std::vector<double>{5, 0, 2, 4, 1, 3}));
}
