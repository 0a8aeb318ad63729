// The sort of the relation plot's rows: by stress, then life, ties in their order, the
// frequency carried along; the sorted file takes the place of the unsorted one.
#include <vector>

#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "tests/unit/devgraph/fixture.h"

namespace {

class SortRows : public DevGraphTest {
protected:
    // Writes the rows as one record per block; the handle of the file.
    xchandle write(const std::vector<std::vector<double>>& blocks) {
        EXPECT_EQ(ufopen(&s->pools.utilfile), 0);
        for (const auto& b : blocks) EXPECT_EQ(xcwrite(s->pools.utilfile, b.data(), int64_t(b.size()) * 8), 0);
        return s->pools.utilfile;
    }
    // Reads the blocks back with the sizes they were written in.
    std::vector<double> read(const std::vector<size_t>& sizes) {
        std::vector<double> all;
        xcpoint(s->pools.utilfile, 0);
        for (size_t n : sizes) {
            std::vector<double> b(n);
            EXPECT_EQ(xcread(s->pools.utilfile, b.data(), int64_t(n) * 8), 0);
            all.insert(all.end(), b.begin(), b.end());
        }
        return all;
    }
};

TEST_F(SortRows, ByStressThenLifeTiesKeepTheirOrder) {
    s->inputw.nfreq = 0;
    const xchandle before = write({{2, 5, 0, 1, 9, -1, 2, 1, 0}, {1, 3, 0, 2, 5, -1}});
    ASSERT_EQ(sortxy(s), 0);
    EXPECT_NE(s->pools.utilfile, before);
    EXPECT_EQ(read({9, 6}), (std::vector<double>{1, 3, 0, 1, 9, -1, 2, 1, 0, 2, 5, 0, 2, 5, -1}));
    ufdrop(&s->pools.utilfile);

    s->inputw.nfreq = 1;
    write({{7, 2, 0, 3, 7, 1, -1, 4}});
    ASSERT_EQ(sortxy(s), 0);
    EXPECT_EQ(read({8}), (std::vector<double>{7, 1, -1, 4, 7, 2, 0, 3}));
    ufdrop(&s->pools.utilfile);
}

}  // namespace
