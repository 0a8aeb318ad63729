// The sum of the values still to come in a sequence of non-negative weights: for each item,
// its own weight and the weights of every item after it (a number at risk). Kept by
// subtraction from the total, a small weight after large ones is lost to rounding (3 + 2e-15,
// less 1 three times, is not 2e-15, and may be below 0); summed from the end, each sum is at
// least its item's weight and never grows from one item to the next, whatever the range of
// the weights.
//
// The sequence is walked twice in the same order and in the same spans (contiguous runs of
// items, such as the blocks of a file read one after another). The first walk sums each
// chunk of at most CHUNK items of a span from its end; the second sums the chunk it reaches
// from its end again (the same additions, so the same sum) and adds the sum of the chunks
// after it. Pure arithmetic over storage the caller provides; O(1) per item.
#pragma once
#include <cstdint>

class tailsum {
public:
    static constexpr int32_t CHUNK = 256;
    // Chunks (doubles of storage) for n items walked in spans of at most `span` items.
    static int64_t chunks(int64_t n, int64_t span) { return n / CHUNK + (span > 0 ? n / span : 0) + 2; }

    // The first walk, over storage of chunks(n, span) doubles.
    void begin(double* store) {
        tail_ = store;
        k_ = -1;
        j_ = len_ = 0;
    }
    // The next item of the first walk: v its weight, the span going on for `avail` items from
    // it (itself included) at `stride` doubles apart.
    void add(const double* v, int64_t avail, int64_t stride) {
        if (j_ == len_) {
            open(avail);
            double s = 0;
            for (int32_t i = len_ - 1; i >= 0; --i) s = v[i * stride] + s;
            tail_[k_] = s;
        }
        ++j_;
    }
    // After the first walk: each chunk's entry becomes the sum of the chunks after it.
    void finish() {
        double t = 0;
        for (int32_t k = k_; k >= 0; --k) {
            const double c = tail_[k];
            tail_[k] = t;
            t = c + t;
        }
        rewind();
    }
    // Back to the first item for another walk like the first.
    void rewind() {
        k_ = -1;
        j_ = len_ = 0;
    }
    // The next item of a later walk (as for add): the sum of its weight and all later ones.
    double next(const double* v, int64_t avail, int64_t stride) {
        if (j_ == len_) {
            open(avail);
            within_[len_] = 0;
            for (int32_t i = len_ - 1; i >= 0; --i) within_[i] = v[i * stride] + within_[i + 1];
        }
        return within_[j_++] + tail_[k_];
    }

private:
    void open(int64_t avail) {
        ++k_;
        j_ = 0;
        len_ = avail < CHUNK ? static_cast<int32_t>(avail > 0 ? avail : 1) : CHUNK;
    }
    double* tail_ = nullptr;
    int32_t k_ = -1, j_ = 0, len_ = 0;
    double within_[CHUNK + 1] = {};
};
