// Phantom data: the columns of a phantom object's rows, numbers in blocks of uniform or
// stored values, texts in runs.
#include "runtime/output/phantom.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include "runtime/util/strings.h"

namespace rt::out {

// A new block, or the first value that differs in a uniform block: the block is stored
// from here on.
void NumColumn::appendslow(double v) {
    const size_t at = n_ % kBlock;
    const uint64_t b = std::bit_cast<uint64_t>(v);
    if (at == 0) {
        blocks_.emplace_back();
        blocks_.back().bits = b;
    } else {
        Block& blk = blocks_.back();
        blk.vals = std::make_unique_for_overwrite<double[]>(kBlock);
        std::fill(blk.vals.get(), blk.vals.get() + at, std::bit_cast<double>(blk.bits));
        blk.vals[at] = v;
    }
    ++n_;
}

void NumColumn::append(const double* v, size_t n) {
    for (size_t i = 0; i < n;) {
        const size_t at = n_ % kBlock;
        if (at == 0) {
            appendslow(v[i++]);
            continue;
        }
        Block& blk = blocks_.back();
        const size_t m = std::min(n - i, kBlock - at);
        if (blk.vals) {
            std::copy(v + i, v + i + m, blk.vals.get() + at);
            n_ += m;
            i += m;
            continue;
        }
        // A uniform block takes the run of its value, and is stored from the first other value.
        size_t same = 0;
        while (same < m && std::bit_cast<uint64_t>(v[i + same]) == blk.bits) ++same;
        n_ += same;
        i += same;
        if (same < m) appendslow(v[i++]);
    }
}

void NumColumn::append(const int32_t* v, size_t n) {
    double buf[256];
    for (size_t i = 0; i < n; i += std::size(buf)) {
        const size_t m = std::min(n - i, std::size(buf));
        std::copy(v + i, v + i + m, buf);
        append(buf, m);
    }
}

void NumColumn::repeat(double v, size_t n) {
    const uint64_t b = std::bit_cast<uint64_t>(v);
    while (n > 0) {
        const size_t at = n_ % kBlock;
        if (at == 0 || (!blocks_.back().vals && blocks_.back().bits != b)) {
            appendslow(v);
            --n;
            continue;
        }
        Block& blk = blocks_.back();
        const size_t m = std::min(n, kBlock - at);
        if (blk.vals) std::fill(blk.vals.get() + at, blk.vals.get() + at + m, v);
        n_ += m;
        n -= m;
    }
}

size_t NumColumn::nextfinite(size_t row, size_t last) const {
    return nextwhere(row, last, [](uint64_t bits) { return std::isfinite(std::bit_cast<double>(bits)); });
}

size_t NumColumn::nextother(size_t row, size_t last, double v) const {
    const uint64_t b = std::bit_cast<uint64_t>(v);
    return nextwhere(row, last, [b](uint64_t bits) { return bits != b; });
}

size_t NumColumn::storedbytes() const {
    size_t n = blocks_.capacity() * sizeof(Block);
    for (const Block& b : blocks_)
        if (b.vals) n += kBlock * sizeof(double);
    return n;
}

void TextColumn::append(std::string_view s) {
    if (runs_.empty() || texts_[runs_.back().second] != s) {
        auto [it, added] = index_.try_emplace(std::string(s), static_cast<uint32_t>(texts_.size()));
        if (added) texts_.emplace_back(s);
        runs_.emplace_back(n_, it->second);
    }
    ++n_;
}

void TextColumn::repeat(std::string_view s, size_t n) {
    if (n == 0) return;
    append(s);
    n_ += n - 1;
}

std::string_view TextColumn::at(size_t row) const {
    auto it = std::upper_bound(runs_.begin(), runs_.end(), row, [](size_t r, const auto& run) { return r < run.first; });
    return it == runs_.begin() ? std::string_view() : std::string_view(texts_[std::prev(it)->second]);
}

int PhantomData::find(std::string_view n) const {
    for (size_t k = 0; k < cols.size(); ++k)
        if (util::iequal(cols[k].name, n)) return static_cast<int>(k);
    return -1;
}

std::vector<int> PhantomData::byrole(std::string_view role) const {
    std::vector<int> v;
    for (size_t k = 0; k < cols.size(); ++k)
        if (util::iequal(cols[k].role, role)) v.push_back(static_cast<int>(k));
    return v;
}

size_t PhantomData::storedbytes() const {
    size_t n = 0;
    for (auto& c : cols) n += c.num.storedbytes();
    return n;
}

}  // namespace rt::out
