// The number at risk of each of a group's sorted rows when the rows carry FREQ weights: the
// sum of the weights of the row and of every row after it (tailsum.h), handed out row by row
// along a walk of the rows with eachrow (lifedist.h), in the walk's blocks.
#pragma once
#include <cstdint>

#include "proc/lifedist/lifedist.h"
#include "proc/numeric/tailsum.h"

class riskset {
public:
    riskset() = default;
    riskset(const riskset&) = delete;
    riskset& operator=(const riskset&) = delete;
    ~riskset();   // gives the storage back to the statement pool
    // Sums the weights in column wcol by a first walk of the rows. 0; 1 after xmemmsg; the
    // result of eachrow when the rows cannot be read.
    int start(vyxstate* s, grpnode* g, int wcol);
    // Back to the first row, for another walk.
    void rewind() {
        sums_.rewind();
        i_ = inspan_ = 0;
    }
    // The number at risk at row r, the next row of the walk.
    double next(const double* r) { return sums_.next(r + wcol_, avail(), dpr_); }

private:
    // Rows left in the current block from the row the walk is at, itself included.
    int64_t avail() {
        if (inspan_ == 0) inspan_ = nobs_ - i_ < span_ ? nobs_ - i_ : span_;
        ++i_;
        return inspan_--;
    }
    tailsum sums_;
    vyxstate* s_ = nullptr;
    double* store_ = nullptr;
    int64_t i_ = 0, inspan_ = 0, nobs_ = 0, span_ = 1, dpr_ = 1;
    int wcol_ = 0;
};
