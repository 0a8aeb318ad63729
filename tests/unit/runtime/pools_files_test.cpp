#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/vec39_files.h"
#include "runtime/files/utilfile.h"
#include "runtime/supervisor/pools.h"
#include "runtime/util/bigmem.h"

TEST(Pools, BlocksAreAlignedZeroedOnRequestAndFreedWhole) {
    poolobj* p = rt::pool::create(8192, 8192);
    ASSERT_NE(p, nullptr);
    auto* a = static_cast<unsigned char*>(p->fns.alloc(p, 100, 0x2006));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(a[i], 0);
    std::memset(a, 0xAB, 100);
    // A large block beyond the growth size comes from a chunk of its own.
    auto* big = static_cast<unsigned char*>(p->fns.alloc(p, 1 << 20, 0x2002));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big[0], 0);
    EXPECT_EQ(big[(1 << 20) - 1], 0);
    // The first block is untouched by later ones.
    EXPECT_EQ(a[99], 0xAB);
    EXPECT_GE(rt::pool::footprint(p), (1 << 20) + 8192);
    p->fns.free(p, a, -1, 4);   // freeing singly is a no-op; the pool goes whole
    rt::pool::destroy(p);
}

// Large buffers given back keep their pages for the next ones: a later buffer is made of them
// (moved, not copied) as far as they go and of fresh pages beyond, on a 2 MiB boundary, and
// every byte of it can be written; the pages kept go back to the system with bigtrim.
TEST(Pools, LargeBuffersTakeThePagesOfThoseGivenBack) {
    using namespace rt::util;
    bigtrim();
    const size_t mib = size_t(1) << 20;
    auto* a = static_cast<unsigned char*>(bigalloc(5 * mib));
    auto* b = static_cast<unsigned char*>(bigalloc(3 * mib, false));
    ASSERT_TRUE(a && b);
    std::memset(a, 0x11, 5 * mib);
    std::memset(b, 0x22, 3 * mib);
    bigfree(a);
    bigfree(b);
    EXPECT_EQ(bigkept(), 6 * mib + 4 * mib) << "whole 2 MiB pages";
    auto* c = static_cast<unsigned char*>(bigalloc(9 * mib));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(c) % (2 * mib), 0u);
    EXPECT_EQ(bigkept(), 0u);
    EXPECT_EQ(c[0], 0x22) << "the pages given back last come first, as they were";
    EXPECT_EQ(c[4 * mib], 0x11);
    std::memset(c, 0x33, 9 * mib);
    bigfree(c);
    EXPECT_EQ(bigkept(), 10 * mib);
    bigtrim();
    EXPECT_EQ(bigkept(), 0u);
    void* small = bigalloc(1000);   // small buffers come from the C library
    ASSERT_NE(small, nullptr);
    bigfree(small);
    EXPECT_EQ(bigkept(), 0u);
}

// The head of a large buffer given back early (the sort's keys before the positions it still
// reads): its whole 2 MiB pages are kept for later buffers, the rest keeps its bytes and
// its place and is given back on its own.
TEST(Pools, TheHeadOfALargeBufferGoesBackBeforeItsTail) {
    using namespace rt::util;
    bigtrim();
    const size_t mib = size_t(1) << 20;
    auto* a = static_cast<unsigned char*>(bigalloc(9 * mib, false));
    ASSERT_NE(a, nullptr);
    for (size_t i = 0; i < 9 * mib; i += 4096) a[i] = static_cast<unsigned char>(i / mib);
    EXPECT_EQ(bigfreehead(a, mib), a) << "less than a whole 2 MiB page: nothing goes back";
    auto* rest = static_cast<unsigned char*>(bigfreehead(a, 5 * mib));
    EXPECT_EQ(rest, a + 4 * mib);
    EXPECT_EQ(bigkept(), 4 * mib);
    EXPECT_EQ(rest[0], 4);
    EXPECT_EQ(rest[4 * mib], 8);
    auto* b = static_cast<unsigned char*>(bigalloc(3 * mib, false));   // made of the head's pages
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(bigkept(), 0u);
    EXPECT_EQ(rest[mib], 5) << "the rest is untouched by the buffer made of the head";
    bigfree(rest);
    bigfree(b);
    EXPECT_EQ(bigkept(), 6 * mib + 4 * mib);
    bigtrim();
    void* small = bigalloc(1000);
    EXPECT_EQ(bigfreehead(small, 4 * mib), small);
    bigfree(small);
}

TEST(Pools, ManySmallBlocksDoNotOverlap) {
    poolobj* p = rt::pool::create(0, 4096);
    std::vector<int*> blocks;
    for (int i = 0; i < 10000; ++i) {
        auto* b = static_cast<int*>(p->fns.alloc(p, sizeof(int) * 3, 0));
        ASSERT_NE(b, nullptr);
        b[0] = b[1] = b[2] = i;
        blocks.push_back(b);
    }
    for (int i = 0; i < 10000; ++i) EXPECT_EQ(blocks[i][2], i);
    rt::pool::destroy(p);
}

namespace {

struct FileTest : ::testing::Test {
    const vec39* f = rt::files::services();
    void TearDown() override { rt::files::setspilllimit(rt::files::kSpillLimit); }

    // Writes n records of increasing doubles, each k doubles long; the last one shorter.
    void fill(xchandle h, int n, int k) {
        std::vector<double> rec(k);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < k; ++j) rec[j] = i * 1000.0 + j;
            int len = i == n - 1 ? k / 2 : k;
            ASSERT_EQ(f->xcwrite(h, rec.data(), len * 8), 0);
        }
    }
    void check(xchandle h, int n, int k) {
        ASSERT_EQ(f->xcpoint(h, 0), 0);
        std::vector<double> rec(k);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(f->xcread(h, rec.data(), k * 8), 0) << "record " << i;
            int len = i == n - 1 ? k / 2 : k;
            for (int j = 0; j < len; ++j) ASSERT_EQ(rec[j], i * 1000.0 + j);
        }
        EXPECT_EQ(f->xcread(h, rec.data(), k * 8) & 0x803fffff, XC_EOF);
    }
};

}  // namespace

TEST_F(FileTest, RecordsComeBackInOrderUntilEndOfFile) {
    int open0 = rt::files::openfiles();
    xchandle h = nullptr;
    ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
    EXPECT_EQ(rt::files::openfiles(), open0 + 1);
    fill(h, 50, 300);
    check(h, 50, 300);
    check(h, 50, 300);   // rewinding reads the same records again
    EXPECT_EQ(f->xcclose(h, 1), 0);
    EXPECT_EQ(rt::files::openfiles(), open0);
}

TEST_F(FileTest, SpilledFilesReadTheSameAsFilesInMemory) {
    rt::files::setspilllimit(10000);
    xchandle h = nullptr;
    ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
    fill(h, 200, 100);   // 160 kB, far beyond the limit
    EXPECT_NE(h->spill, nullptr);
    check(h, 200, 100);
    std::vector<std::vector<unsigned char>> all;
    ASSERT_TRUE(rt::files::readall(h, all));
    ASSERT_EQ(all.size(), 200u);
    EXPECT_EQ(all.back().size(), 50u * 8);
    // All the records back to back, as the sort reads them: the same bytes, the same lengths.
    std::vector<unsigned char> flat(static_cast<size_t>(rt::files::payload(h)));
    std::vector<int64_t> lengths;
    ASSERT_TRUE(rt::files::readconcat(h, flat.data(), static_cast<int64_t>(flat.size()), lengths));
    ASSERT_EQ(lengths.size(), all.size());
    for (size_t i = 0, at = 0; i < all.size(); at += all[i].size(), ++i) {
        ASSERT_EQ(lengths[i], static_cast<int64_t>(all[i].size()));
        ASSERT_EQ(std::memcmp(flat.data() + at, all[i].data(), all[i].size()), 0) << i;
    }
    rt::files::truncate(h);
    std::vector<double> rec(100);
    ASSERT_EQ(f->xcpoint(h, 0), 0);
    EXPECT_EQ(f->xcread(h, rec.data(), 800), XC_EOF);
    f->xcclose(h, 1);
}

// Records of 2,672 bytes (with their length word) straddle the 1 MiB memory chunks at
// ever other offsets; the same file spilled half way keeps every byte.
TEST_F(FileTest, RecordsAcrossMemoryChunksAndAfterTheirSpill) {
    xchandle h = nullptr;
    ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
    fill(h, 1500, 333);   // 4.0 MB in four chunks
    EXPECT_EQ(h->spill, nullptr);
    EXPECT_EQ(h->chunks.size(), 4u);
    check(h, 1500, 333);
    // Record 392 spans the first chunk boundary; a rewrite at its noted position keeps it whole.
    std::vector<double> rec(333);
    ASSERT_EQ(f->xcpoint(h, int64_t(392) * (8 + 333 * 8)), 0);
    ASSERT_EQ(f->xcpntd(h, f->xcnoted(h)), 0);
    for (int j = 0; j < 333; ++j) rec[j] = -j;
    ASSERT_EQ(f->xcwrite(h, rec.data(), 333 * 8), 0);
    ASSERT_EQ(f->xcpoint(h, int64_t(392) * (8 + 333 * 8)), 0);
    std::fill(rec.begin(), rec.end(), 1.0);
    ASSERT_EQ(f->xcread(h, rec.data(), 333 * 8), 0);
    EXPECT_EQ(rec[0], 0.0);
    EXPECT_EQ(rec[332], -332.0);
    ASSERT_EQ(f->xcread(h, rec.data(), 333 * 8), 0);
    EXPECT_EQ(rec[0], 393000.0);
    f->xcclose(h, 1);

    rt::files::setspilllimit(int64_t(3) << 20);
    ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
    fill(h, 1500, 333);
    EXPECT_NE(h->spill, nullptr);
    EXPECT_TRUE(h->chunks.empty());
    check(h, 1500, 333);
    f->xcclose(h, 1);
}

// The limit holds for the files in memory together: a second file that would pass it goes to
// disk while the first stays; once the first is closed a new file has the memory again.
TEST_F(FileTest, FilesInMemoryShareOneLimit) {
    rt::files::setspilllimit(int64_t(5) << 20);
    xchandle a = nullptr, b = nullptr, c = nullptr;
    ASSERT_EQ(f->xcopen(&a, XC_SCRATCH), 0);
    ASSERT_EQ(f->xcopen(&b, XC_SCRATCH), 0);
    fill(a, 1000, 333);   // 2.7 MB: three chunks
    fill(b, 1000, 333);   // its third chunk would make six
    EXPECT_EQ(a->spill, nullptr);
    EXPECT_NE(b->spill, nullptr);
    check(a, 1000, 333);
    check(b, 1000, 333);
    f->xcclose(a, 1);
    ASSERT_EQ(f->xcopen(&c, XC_SCRATCH), 0);
    fill(c, 1000, 333);
    EXPECT_EQ(c->spill, nullptr);
    f->xcclose(b, 1);
    f->xcclose(c, 1);
}

TEST_F(FileTest, NotedPositionsAndBadPositions) {
    xchandle h = nullptr;
    ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
    fill(h, 3, 4);
    f->xcpoint(h, 0);
    double rec[4];
    ASSERT_EQ(f->xcread(h, rec, 32), 0);
    int64_t at = f->xcnoted(h);
    ASSERT_EQ(f->xcread(h, rec, 32), 0);
    EXPECT_EQ(rec[0], 1000.0);
    ASSERT_EQ(f->xcpntd(h, at), 0);
    ASSERT_EQ(f->xcread(h, rec, 32), 0);
    EXPECT_EQ(rec[0], 1000.0);
    // Back at a noted position, a write replaces the record there, in memory and on disk.
    for (int64_t limit : {int64_t(1) << 30, int64_t(0)}) {
        rt::files::setspilllimit(limit);
        xchandle g = nullptr;
        ASSERT_EQ(f->xcopen(&g, XC_SCRATCH), 0);
        fill(g, 3, 4);
        f->xcpoint(g, 0);
        ASSERT_EQ(f->xcread(g, rec, 32), 0);
        int64_t second = f->xcnoted(g);
        ASSERT_EQ(f->xcread(g, rec, 32), 0);
        const double repl[4] = {-1, -2, -3, -4};
        ASSERT_EQ(f->xcpntd(g, second), 0);
        ASSERT_EQ(f->xcwrite(g, repl, 32), 0);
        ASSERT_EQ(f->xcread(g, rec, 32), 0) << "the position moved past the replaced record";
        EXPECT_EQ(rec[0], 2000.0);
        ASSERT_EQ(f->xcpntd(g, second), 0);
        EXPECT_NE(f->xcwrite(g, repl, 24), 0) << "a record of another length is refused";
        ASSERT_EQ(f->xcwrite(g, repl, 32), 0) << "a plain write appends again";
        f->xcpoint(g, second);
        ASSERT_EQ(f->xcread(g, rec, 32), 0);
        EXPECT_EQ(rec[0], -1.0);
        f->xcpoint(g, 0);
        int n = 0;
        while (f->xcread(g, rec, 32) == 0) ++n;
        EXPECT_EQ(n, 4);
        EXPECT_EQ(rec[3], -4.0);
        f->xcclose(g, 1);
    }
    rt::files::setspilllimit(int64_t(256) << 20);
    EXPECT_NE(f->xcpoint(h, -5), 0);
    EXPECT_NE(f->xcpoint(h, 1 << 30), 0);
    // A short buffer takes the head of the record and the read moves to the next one.
    f->xcpoint(h, 0);
    double one;
    ASSERT_EQ(f->xcread(h, &one, 8), 0);
    ASSERT_EQ(f->xcread(h, rec, 32), 0);
    EXPECT_EQ(rec[0], 1000.0);
    f->xcclose(h, 1);
}
