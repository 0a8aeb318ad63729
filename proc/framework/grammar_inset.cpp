// INSET items, distribution groups and options.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
namespace is = slot::inset;
constexpr goption posflags[] = {F("DATA", flag::inset::POSDATA), F("PERCENT", flag::inset::POSPERCENT)};
namespace ip = code::insetparm;
namespace it = code::insetitem;
namespace id = code::insetdist;
// Parameter items by family: location-scale families, log-location-scale families with a
// threshold, and the Weibull and exponential (their own scale code, shape).
constexpr ginsetitem lsparms[] = {{"LOCATION", ip::LOCATION}, {"SCALE", ip::SCALE}, {"MEAN", ip::MEAN}};
constexpr ginsetitem logparms[] = {{"LOCATION", ip::LOCATION}, {"SCALE", ip::SCALE}, {"THRESHOLD", ip::THRESHOLD},
                                   {"MEAN", ip::MEAN}};
constexpr ginsetitem wbparms[] = {{"SCALE", ip::WEIBULL_SCALE}, {"SHAPE", ip::SHAPE}, {"THRESHOLD", ip::THRESHOLD},
                                  {"MEAN", ip::MEAN}};
constexpr int16_t nls = sizeof lsparms / sizeof lsparms[0];
constexpr int16_t nlog = sizeof logparms / sizeof logparms[0];
constexpr int16_t nwb = sizeof wbparms / sizeof wbparms[0];
}  // namespace

const ginsetitem g_inset_items[] = {
    {"UNCENSORED|NFAIL", it::UNCENSORED}, {"RIGHT", it::RIGHT}, {"CONFIDENCE", it::CONFIDENCE},
    {"NUNITS", it::NUNITS}, {"NEVENTS", it::NEVENTS}, {"NUNITS1", it::NUNITS1}, {"NEVENTS1", it::NEVENTS1},
    {"NUNITS2", it::NUNITS2}, {"NEVENTS2", it::NEVENTS2}, {"FIT", it::FIT}, {"RSQUARE", it::RSQUARE},
    {"LEFT", it::LEFT}, {"INTERVAL", it::INTERVAL}, {"N", it::N},
};
const int16_t g_inset_nitems = sizeof g_inset_items / sizeof g_inset_items[0];

const ginsetdist g_inset_dists[] = {
    {"EXPONENTIAL", id::EXPONENTIAL, wbparms, nwb},
    {"EXTREME|EV", id::EXTREME, lsparms, nls},
    {"NORMAL", id::NORMAL, lsparms, nls},
    {"LOGNORMAL|LNORM", id::LOGNORMAL, logparms, nlog},
    {"WEIBULL", id::WEIBULL, wbparms, nwb},
    {"LOGISTIC|LOGIT", id::LOGISTIC, lsparms, nls},
    {"LOGLOGISTIC|LLOGIT|LLOGISTIC", id::LOGLOGISTIC, logparms, nlog},
    {"LOGNORMAL10|LNORM10", id::LOGNORMAL10, logparms, nlog},
};
const int16_t g_inset_ndists = sizeof g_inset_dists / sizeof g_inset_dists[0];

const goption g_inset_opts[] = {
    withtrail(V("POSITION|POS", GV_POSITION, is::POSITION, is::POSITION_X), posflags),
    QS("HEADER", is::HEADER, 40),
    TEXT("FONT", is::FONT),
    N("HEIGHT", is::HEIGHT),
    NAME("CFRAME|CFR", is::CFRAME),
    NAME("CFILLH", is::CFILLH),
    F("NOFRAME", flag::inset::NOFRAME),
    NAME("CTEXT|CT", is::CTEXT),
    NAME("CFILL", is::CFILL),
    NAME("CHEADER|CH", is::CHEADER),
    NAME("REFPOINT|RP", is::REFPOINT),
};
const int16_t g_inset_nopts = sizeof g_inset_opts / sizeof g_inset_opts[0];
