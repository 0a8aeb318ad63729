// The PROC statement and the statements that store into the PROC record (BY, CLASS, FREQ,
// NENTER, EXPOSURE, DISTRIBUTION, UNITID).
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr goption namelen() {
    goption o = N("NAMELEN", 13);
    o.check = GC_INTRANGE;
    o.lo = 20;
    o.hi = 200;
    return o;
}
constexpr goption truncate() {
    // TRUNCATE alone sets flag 2; TRUNCATE=n also stores n (a whole number, 0 stands for 16).
    goption o = optional(V("TRUNCATE", GV_NUMBER, 14));
    o.flag = 2;
    o.check = GC_INTRANGE;
    o.lo = 0;
    o.hi = 32767;
    return o;
}
}  // namespace

const goption g_proc_opts[] = {
    V("DATA", GV_DATASET, 3),
    V("GOUT", GV_CATALOG, 4, 5),
    namelen(),
};
const int16_t g_proc_nopts = sizeof g_proc_opts / sizeof g_proc_opts[0];

const goption g_class_opts[] = {truncate()};
const int16_t g_class_nopts = sizeof g_class_opts / sizeof g_class_opts[0];

const gconst g_distributions[] = {
    {"NORMAL", 0}, {"LNORM|LOGNORMAL", 1}, {"WEIBULL", 2}, {"EXTREME|EV", 3}, {"EXPONENTIAL", 4},
    {"LOGISTIC|LOGIT", 6}, {"LLOGISTIC|LLOGIT|LOGLOGISTIC", 7}, {"GAMMA", 8}, {"POISSON", 9},
    {"BINOMIAL", 10}, {"LNORM10|LOGNORMAL10", 11},
};
const int16_t g_ndistributions = sizeof g_distributions / sizeof g_distributions[0];
