// Large utility-file records kept in the compact word form: every byte comes back as
// written, whatever the record holds, in memory and on disk, through every way of reading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/vec39_files.h"
#include "runtime/files/utilfile.h"
#include "runtime/files/wordcode.h"

namespace {

// n rows of `width` words: a slowly moving column, a constant one, a missing value with a
// payload, -0 and +0 in turn, a column of random words, and zeros; then `tail` odd bytes.
std::vector<unsigned char> rows(int n, int width, int tail, uint64_t seed) {
    std::vector<unsigned char> b(static_cast<size_t>(n) * width * 8 + tail);
    std::mt19937_64 rng(seed);
    double t = 1;
    for (int i = 0; i < n; ++i) {
        std::vector<double> r(width, 0.0);
        t += 1e-4 * static_cast<double>(rng() % 100);
        if (width > 0) r[0] = t;
        if (width > 1) r[1] = 1.0;
        if (width > 2) {
            const uint64_t nan = 0x7FF8000000000000ull | (i % 3);
            std::memcpy(&r[2], &nan, 8);
        }
        if (width > 3) r[3] = i % 2 ? -0.0 : 0.0;
        if (width > 4) {
            const uint64_t w = rng();
            std::memcpy(&r[4], &w, 8);
        }
        std::memcpy(b.data() + static_cast<size_t>(i) * width * 8, r.data(), static_cast<size_t>(width) * 8);
    }
    for (int k = 0; k < tail; ++k) b[b.size() - 1 - k] = static_cast<unsigned char>(rng());
    return b;
}

}  // namespace

// Strides below the eight words of a group (a word may repeat one of its own group), odd
// tails, words of every byte count.
TEST(WordCode, EveryRecordDecodesToItsBytes) {
    for (int width : {1, 2, 3, 5, 7, 8, 9, 24, 31}) {
        for (int tail : {0, 3, 7}) {
            const auto rec = rows(500, width, tail, static_cast<uint64_t>(width * 10 + tail));
            const int64_t n = static_cast<int64_t>(rec.size());
            for (int stride : {1, width, 2 * width}) {
                std::vector<unsigned char> coded(static_cast<size_t>(rt::files::code::bound(n)) + 8);
                const int64_t used = rt::files::code::encode(rec.data(), n, stride, coded.data());
                ASSERT_LE(used, rt::files::code::bound(n));
                std::vector<unsigned char> back(rec.size(), 0xEE);
                ASSERT_EQ(rt::files::code::decode(coded.data(), n, stride, back.data()), used);
                ASSERT_EQ(back, rec) << "width " << width << " tail " << tail << " stride " << stride;
            }
        }
    }
    // A curve's rows are coded against the row before; random bytes are not coded.
    const auto curve = rows(1000, 24, 0, 7);
    EXPECT_EQ(rt::files::code::choosestride(curve.data(), static_cast<int64_t>(curve.size())), 24);
    std::vector<unsigned char> noise(100000);
    std::mt19937 rng(1);
    for (auto& c : noise) c = static_cast<unsigned char>(rng());
    EXPECT_EQ(rt::files::code::choosestride(noise.data(), static_cast<int64_t>(noise.size())), 0);
}

// Blocks of 1000 rows of 24 words, as a long product-limit curve writes them: kept in a
// fraction of their bytes, read back whole or in part, in memory and spilled; a block
// replaced at its noted position in place, and by one whose coded form does not fit where
// the old one was (the file then keeps its records as written, the reader where it was).
TEST(CodedFiles, LargeRecordsComeBackAsWritten) {
    const vec39* f = rt::files::services();
    for (int64_t limit : {rt::files::kSpillLimit, int64_t(0)}) {
        rt::files::setspilllimit(limit);
        SCOPED_TRACE(limit);
        std::vector<std::vector<unsigned char>> blocks;
        for (int b = 0; b < 6; ++b) blocks.push_back(rows(1000, 24, b == 5 ? 5 : 0, static_cast<uint64_t>(b)));
        xchandle h = nullptr;
        ASSERT_EQ(f->xcopen(&h, XC_SCRATCH), 0);
        int64_t raw = 0;
        for (const auto& b : blocks) {
            ASSERT_EQ(f->xcwrite(h, b.data(), static_cast<int64_t>(b.size())), 0);
            raw += static_cast<int64_t>(b.size());
        }
        EXPECT_EQ(h->spill != nullptr, limit == 0);
        EXPECT_LT(h->size, raw / 3) << "kept coded";
        EXPECT_EQ(rt::files::payload(h), raw);

        std::vector<std::vector<unsigned char>> all;
        ASSERT_TRUE(rt::files::readall(h, all));
        EXPECT_EQ(all, blocks);
        std::vector<unsigned char> flat(static_cast<size_t>(raw));
        std::vector<int64_t> lengths;
        ASSERT_TRUE(rt::files::readconcat(h, flat.data(), raw, lengths));
        EXPECT_EQ(std::memcmp(flat.data(), blocks[0].data(), blocks[0].size()), 0);
        EXPECT_EQ(std::memcmp(flat.data() + raw - blocks[5].size(), blocks[5].data(), blocks[5].size()), 0);
        // Records that are not all in place are not handed out by address.
        std::vector<const unsigned char*> at;
        std::vector<unsigned char> spare;
        std::vector<int64_t> per;
        rt::files::Mapping map;
        EXPECT_FALSE(rt::files::recordaddresses(h, 192, at, spare, per, map));

        // A short buffer takes the head of a record.
        std::vector<unsigned char> head(100);
        ASSERT_EQ(f->xcpoint(h, 0), 0);
        ASSERT_EQ(f->xcread(h, head.data(), 100), 0);
        EXPECT_EQ(std::memcmp(head.data(), blocks[0].data(), 100), 0);

        // The second block replaced in place by the third's words, then by noise.
        const int64_t second = f->xcnoted(h);
        std::vector<unsigned char> buf(blocks[1].size());
        ASSERT_EQ(f->xcread(h, buf.data(), static_cast<int64_t>(buf.size())), 0);
        ASSERT_EQ(f->xcpntd(h, second), 0);
        ASSERT_EQ(f->xcwrite(h, blocks[2].data(), static_cast<int64_t>(blocks[2].size())), 0);
        ASSERT_EQ(f->xcread(h, buf.data(), static_cast<int64_t>(buf.size())), 0);
        EXPECT_EQ(buf, blocks[2]) << "the position moved past the replaced record";
        std::vector<unsigned char> noise(blocks[1].size());
        std::mt19937 rng(5);
        for (auto& c : noise) c = static_cast<unsigned char>(rng());
        ASSERT_EQ(f->xcpntd(h, second), 0);
        ASSERT_EQ(f->xcwrite(h, noise.data(), static_cast<int64_t>(noise.size())), 0);
        ASSERT_EQ(f->xcread(h, buf.data(), static_cast<int64_t>(buf.size())), 0);
        EXPECT_EQ(buf, blocks[2]);
        blocks[1] = noise;
        ASSERT_TRUE(rt::files::readall(h, all));
        EXPECT_EQ(all, blocks);
        f->xcclose(h, 1);
    }
    rt::files::setspilllimit(rt::files::kSpillLimit);
}
