// The PROC statement and the statements that store into the PROC record (BY, CLASS, FREQ,
// NENTER, EXPOSURE, DISTRIBUTION, UNITID).
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
constexpr goption namelen() {
    goption o = N("NAMELEN", slot::proc::NAMELEN);
    o.check = GC_INTRANGE;
    o.lo = 20;
    o.hi = 200;
    return o;
}
constexpr goption truncate() {
    // TRUNCATE alone sets the flag; TRUNCATE=n also stores n (a whole number, 0 stands for 16).
    goption o = optional(V("TRUNCATE", GV_NUMBER, slot::proc::TRUNCATE));
    o.flag = flag::proc::TRUNCATE;
    o.check = GC_INTRANGE;
    o.lo = 0;
    o.hi = 32767;
    return o;
}
}  // namespace

const goption g_proc_opts[] = {
    V("DATA", GV_DATASET, slot::proc::DATA),
    V("GOUT", GV_CATALOG, slot::proc::GOUT_LIB, slot::proc::GOUT_CAT),
    namelen(),
};
const int16_t g_proc_nopts = sizeof g_proc_opts / sizeof g_proc_opts[0];

const goption g_class_opts[] = {truncate()};
const int16_t g_class_nopts = sizeof g_class_opts / sizeof g_class_opts[0];

const gconst g_distributions[] = {
    {"NORMAL", DIST_NORMAL}, {"LNORM|LOGNORMAL", DIST_LOGNORMAL}, {"WEIBULL", DIST_WEIBULL},
    {"EXTREME|EV", DIST_EXTREME}, {"EXPONENTIAL", DIST_EXPONENTIAL}, {"LOGISTIC|LOGIT", DIST_LOGISTIC},
    {"LLOGISTIC|LLOGIT|LOGLOGISTIC", DIST_LOGLOGISTIC}, {"GAMMA", DIST_GAMMA}, {"POISSON", DIST_POISSON},
    {"BINOMIAL", DIST_BINOMIAL}, {"LNORM10|LOGNORMAL10", DIST_LOGNORMAL10},
};
const int16_t g_ndistributions = sizeof g_distributions / sizeof g_distributions[0];
