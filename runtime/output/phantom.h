// Phantom data: the rows of a phantom object (a data object bound to "kv.vitalyx.Phantom"),
// kept column by column for the statistical-graphics renderer.
//
// A plot of a million rows must not cost a gigabyte, and most of its cells are missing or
// repeat the value above them (the group label, the index, the fitted-line cells of a point
// row). So a numeric column is kept in blocks of 4096 values: a block whose values all have
// the same bits (all missing, say) is one value; only the others hold an array. A text column
// keeps runs of equal texts, each text once.
#pragma once
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rt::out {

// Doubles in blocks of uniform or stored values.
class NumColumn {
public:
    static constexpr uint32_t kBlock = 4096;
    // Inline: a plot appends and reads a million rows of each column. Only the first value of
    // a block and the first value that breaks a uniform block take the slow way.
    void append(double v) {
        if (n_ % kBlock != 0) {
            Block& blk = blocks_.back();
            if (blk.vals) {
                blk.vals[n_++ % kBlock] = v;
                return;
            }
            if (std::bit_cast<uint64_t>(v) == blk.bits) {
                ++n_;
                return;
            }
        }
        appendslow(v);
    }
    // n values at once, or one value n times: the blocks come out as n appends would leave
    // them, but a uniform block takes a run of its value whole.
    void append(const double* v, size_t n);
    void append(const int32_t* v, size_t n);
    void repeat(double v, size_t n);
    double at(size_t row) const {
        const Block& blk = blocks_[row / kBlock];
        return blk.vals ? blk.vals[row % kBlock] : std::bit_cast<double>(blk.bits);
    }
    size_t size() const { return n_; }
    // The first row of [row, last) whose value is finite, or last: a block of one missing
    // value is passed over whole, a stored block is read as the doubles it holds.
    size_t nextfinite(size_t row, size_t last) const;
    // The first row of [row, last) whose value differs from v (bit for bit), or last: a
    // uniform block of v is passed over whole.
    size_t nextother(size_t row, size_t last, double v) const;
    // fn(row, value) for every row of [row, last) whose value is finite, in order: a block of
    // one missing value is passed over whole, a stored block read as the doubles it holds.
    template <class Fn>
    void eachfinite(size_t row, size_t last, Fn&& fn) const {
        const size_t stop = std::min(last, n_);
        while (row < stop) {
            const size_t base = row / kBlock * kBlock, end = std::min(stop, base + kBlock);
            const Block& blk = blocks_[row / kBlock];
            if (!blk.vals) {
                const double v = std::bit_cast<double>(blk.bits);
                if (std::isfinite(v))
                    for (; row < end; ++row) fn(row, v);
                row = end;
                continue;
            }
            const double* v = blk.vals.get();
            for (; row < end; ++row)
                if (std::isfinite(v[row - base])) fn(row, v[row - base]);
        }
    }
    // Bytes held by the stored blocks (for tests of the memory a plot costs).
    size_t storedbytes() const;

private:
    struct Block {
        uint64_t bits = 0;                      // the value of a uniform block
        std::unique_ptr<double[]> vals;         // the values of a stored block
    };
    std::vector<Block> blocks_;
    size_t n_ = 0;
    void appendslow(double v);
    // The first row of [row, last) whose value's bits satisfy pred, or last: a uniform block
    // is asked once.
    template <class Pred>
    size_t nextwhere(size_t row, size_t last, Pred pred) const {
        const size_t stop = std::min(last, n_);
        while (row < stop) {
            const size_t base = row / kBlock * kBlock, end = std::min(stop, base + kBlock);
            const Block& blk = blocks_[row / kBlock];
            if (!blk.vals) {
                if (pred(blk.bits)) return row;
                row = end;
                continue;
            }
            const double* v = blk.vals.get();
            for (; row < end; ++row)
                if (pred(std::bit_cast<uint64_t>(v[row - base]))) return row;
        }
        return last;
    }
};

// Texts as runs of equal values.
class TextColumn {
public:
    void append(std::string_view s);
    void repeat(std::string_view s, size_t n);
    std::string_view at(size_t row) const;
    size_t size() const { return n_; }

private:
    std::vector<std::string> texts_;
    std::unordered_map<std::string, uint32_t> index_;
    std::vector<std::pair<size_t, uint32_t>> runs_;   // first row of a run, text number
    size_t n_ = 0;
};

struct PhantomColumn {
    std::string name, label, role;
    int kind = 5;                 // 5 double, 3 integer, 6 fixed-width text, 66 text handle
    int width = 0;
    NumColumn num;                // kinds 5 and 3 (integers kept exactly as doubles)
    TextColumn text;              // kinds 6 and 66
    bool numeric() const { return kind == 5 || kind == 3; }
};

class PhantomData {
public:
    uint32_t ref = 0;
    std::string name, label;
    std::vector<PhantomColumn> cols;
    size_t rows = 0;

    // The column of that name (case-blind), or -1.
    int find(std::string_view name) const;
    // The columns of a role ("Xvalue", "Yvalue", "Group", "GroupIndx"), in column order.
    std::vector<int> byrole(std::string_view role) const;
    double num(int col, size_t row) const { return cols[static_cast<size_t>(col)].num.at(row); }
    // The first row of [row, last) where column col holds a finite number (last for col -1).
    size_t nextfinite(int col, size_t row, size_t last) const {
        return col < 0 ? last : cols[static_cast<size_t>(col)].num.nextfinite(row, last);
    }
    // fn(row, value) for every row of [row, last) where column col holds a finite number.
    template <class Fn>
    void eachfinite(int col, size_t row, size_t last, Fn&& fn) const {
        if (col >= 0) cols[static_cast<size_t>(col)].num.eachfinite(row, last, fn);
    }
    // The first row of [row, last) where column col differs from v (last for col -1).
    size_t nextother(int col, size_t row, size_t last, double v) const {
        return col < 0 ? last : cols[static_cast<size_t>(col)].num.nextother(row, last, v);
    }
    std::string_view text(int col, size_t row) const { return cols[static_cast<size_t>(col)].text.at(row); }
    size_t storedbytes() const;
};

}  // namespace rt::out
