// The codes of a distribution (DISTRIBUTION=, the state's distcode) and of a fit method
// (FITTYPE=, the state's fitmethod): one enumeration each, which the grammar stores, the
// option readers set and every comparison names.
#pragma once
#include <cstdint>

enum : uint32_t {
    DIST_NORMAL = 0, DIST_LOGNORMAL = 1, DIST_WEIBULL = 2, DIST_EXTREME = 3, DIST_EXPONENTIAL = 4, DIST_NONE = 5,
    DIST_LOGISTIC = 6, DIST_LOGLOGISTIC = 7, DIST_GAMMA = 8, DIST_POISSON = 9, DIST_BINOMIAL = 10, DIST_LOGNORMAL10 = 11,
    DIST_CODES = 12   // one past the highest code: the length of a table indexed by the code
};

enum : uint32_t {
    FIT_UNSET = 0,    // no method taken (ANALYZE reads no MODEL statement's ordering)
    FIT_MLE = 1, FIT_LSYX = 2, FIT_NONE = 3, FIT_GIVEN = 4, FIT_COUNTS = 5, FIT_WEIBAYES = 6, FIT_LSXY = 7,
    FIT_MODEL = 8, FIT_REGRESSION = 9,
    FIT_CODES = 10    // one past the highest code
};
