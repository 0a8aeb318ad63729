// Named members for the state block's small arrays whose meaning is their position: a
// wrong member does not compile, where a wrong index would read the neighbouring value.
#pragma once
#include <cstdint>

// The arrays of the fit in progress.
struct fitarrayset {
    double* est;       // the free parameters: the estimates being improved
    double* grad;      // the gradient
    double* hess;      // the packed Hessian (later its inverse, the covariance)
    double* work;      // the optimiser's work array
};

// Parameter counts of the fit.
struct parmcounts {
    int32_t total;     // parameters of the current fit (p)
    int32_t free;      // free parameters (not held at a given value)
    int32_t model;     // parameters of the last MODEL fit, kept for FITTYPE=MODEL
};

// The log-likelihood of the fit: at the current point, and at the end of the fit.
struct loglikpair {
    double current;
    double final;
};

// ITPRINT given; the fit converged.
struct itprflags {
    uint8_t itprint;
    uint8_t converged;
};

// Page and drawing flags of the plot pages.
struct pageflagset {
    uint8_t start;     // the current panel starts a row of panels
    uint8_t end;       // the current panel ends a page (MCFPLOT)
    uint8_t statement; // cleared by each ANALYZE
    uint8_t boxes;     // relation plot: draw boxes
    uint8_t data;      // relation plot: draw the data
    uint8_t fitlines;  // relation plot: draw the fitted lines
    uint8_t medians;   // relation plot: draw the medians
};

// The block a fit's parameters are kept in (parmvec): n estimates, their n standard errors,
// then the packed covariance matrix (n (n + 1) / 2 doubles). Routines that take the block
// whole (the table writers, the host's quadratic form) take `block`; the others name the part.
struct parmvecs {
    double* block;
};
struct parmparts {
    double* est;
    double* se;
    double* cov;
};
inline parmparts parmview(double* block, int n) { return {block, block + n, block + 2 * n}; }
struct constparmparts {
    const double* est;
    const double* se;
    const double* cov;
};
inline constparmparts parmview(const double* block, int n) { return {block, block + n, block + 2 * n}; }
