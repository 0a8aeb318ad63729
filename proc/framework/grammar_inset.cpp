// INSET items, distribution groups and options.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr goption posflags[] = {F("DATA", 2), F("PERCENT", 3)};
// Parameter items by family: location-scale families, log-location-scale families with a
// threshold, and the Weibull and exponential (scale code 2, shape).
constexpr ginsetitem lsparms[] = {{"LOCATION", 0}, {"SCALE", 1}, {"MEAN", 5}};
constexpr ginsetitem logparms[] = {{"LOCATION", 0}, {"SCALE", 1}, {"THRESHOLD", 4}, {"MEAN", 5}};
constexpr ginsetitem wbparms[] = {{"SCALE", 2}, {"SHAPE", 3}, {"THRESHOLD", 4}, {"MEAN", 5}};
constexpr int16_t nls = sizeof lsparms / sizeof lsparms[0];
constexpr int16_t nlog = sizeof logparms / sizeof logparms[0];
constexpr int16_t nwb = sizeof wbparms / sizeof wbparms[0];
}  // namespace

const ginsetitem g_inset_items[] = {
    {"UNCENSORED|NFAIL", 0}, {"RIGHT", 1}, {"CONFIDENCE", 2}, {"NUNITS", 3}, {"NEVENTS", 4},
    {"NUNITS1", 5}, {"NEVENTS1", 6}, {"NUNITS2", 7}, {"NEVENTS2", 8}, {"FIT", 9},
    {"RSQUARE", 10}, {"LEFT", 11}, {"INTERVAL", 12}, {"N", 13},
};
const int16_t g_inset_nitems = sizeof g_inset_items / sizeof g_inset_items[0];

const ginsetdist g_inset_dists[] = {
    {"EXPONENTIAL", 50, wbparms, nwb},
    {"EXTREME|EV", 51, lsparms, nls},
    {"NORMAL", 52, lsparms, nls},
    {"LOGNORMAL|LNORM", 53, logparms, nlog},
    {"WEIBULL", 54, wbparms, nwb},
    {"LOGISTIC|LOGIT", 56, lsparms, nls},
    {"LOGLOGISTIC|LLOGIT|LLOGISTIC", 57, logparms, nlog},
    {"LOGNORMAL10|LNORM10", 58, logparms, nlog},
};
const int16_t g_inset_ndists = sizeof g_inset_dists / sizeof g_inset_dists[0];

const goption g_inset_opts[] = {
    withtrail(V("POSITION|POS", GV_POSITION, 2, 15), posflags),
    QS("HEADER", 3, 40),
    TEXT("FONT", 4),
    N("HEIGHT", 5),
    NAME("CFRAME|CFR", 6),
    NAME("CFILLH", 12),
    F("NOFRAME", 1),
    NAME("CTEXT|CT", 7),
    NAME("CFILL", 8),
    NAME("CHEADER|CH", 9),
    NAME("REFPOINT|RP", 17),
};
const int16_t g_inset_nopts = sizeof g_inset_opts / sizeof g_inset_opts[0];
