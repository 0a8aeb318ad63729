#include "runtime/output/phantom.h"

#include <algorithm>
#include <cstring>
#include "runtime/util/strings.h"

namespace rt::out {

namespace {
uint64_t bitsof(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}
double valueof(uint64_t b) {
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}
}  // namespace

void NumColumn::append(double v) {
    const size_t at = n_ % kBlock;
    const uint64_t b = bitsof(v);
    if (at == 0) {
        blocks_.emplace_back();
        blocks_.back().bits = b;
    } else {
        Block& blk = blocks_.back();
        if (!blk.vals && b != blk.bits) {
            // The first value that differs: the block is stored from here on.
            blk.vals = std::make_unique<double[]>(kBlock);
            std::fill(blk.vals.get(), blk.vals.get() + at, valueof(blk.bits));
        }
        if (blk.vals) blk.vals[at] = v;
    }
    ++n_;
}

double NumColumn::at(size_t row) const {
    const Block& blk = blocks_[row / kBlock];
    return blk.vals ? blk.vals[row % kBlock] : valueof(blk.bits);
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
