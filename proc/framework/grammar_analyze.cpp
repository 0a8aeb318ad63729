// ANALYZE options: the shared numbering of the plot statements, with the binomial and
// Poisson options and ANALYZE's own places for PPOS and the Weibayes confidence.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_shared.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
namespace ps = slot::plot;
namespace pf = flag::plot;
namespace as = slot::analyze;

constexpr goption wbconf[] = {NR("CONF|CONFIDENCE", as::WBCONF, 0, 1)};
constexpr gvalkw fittype[] = {K("MLE", ps::FITTYPE, FIT_MLE), K("LSYX", ps::FITTYPE, FIT_LSYX),
                              K("LSXY|LS", ps::FITTYPE, FIT_LSXY), K("NONE", ps::FITTYPE, FIT_NONE),
                              KS("WEIBAYES|WB", ps::FITTYPE, FIT_WEIBAYES, wbconf)};
constexpr gvalkw ppos[] = {K("EXPRANK", as::PPOS, code::ppos::EXPRANK), K("MEDRANK", as::PPOS, code::ppos::MEDRANK),
                           K("MEDRANK1", as::PPOS, code::ppos::MEDRANK1), K("KM", as::PPOS, code::ppos::KM),
                           K("MKM", as::PPOS, code::ppos::MKM), K("NA|NELSONAALEN", as::PPOS, code::ppos::NA)};
}  // namespace

const goption g_analyze_opts[] = {
    withtrail(N("LOCATION|INTERCEPT", ps::LOCATION), shared::linit),
    withtrail(NMIN("SCALE", ps::SCALE, 0), shared::scinit),
    withtrail(NMIN("SHAPE", ps::SHAPE, 0), shared::shinit),
    KW("ORDER1", shared::order<ps::ORDER1>),
    KW("ORDER2", shared::order<ps::ORDER2>),
    F("NOPOLISH", pf::NOPOLISH),
    F("MISSING1", pf::MISSING1),
    F("MISSING2", pf::MISSING2),
    F("ITPRINT", pf::ITPRINT),
    F("LRCL", pf::LRCL),
    F("LRCLPER", pf::LRCLPER),
    F("NOPCTILE|NOPCTILES", pf::NOPCTILE),
    withtrail(F("READOUT", pf::READOUT), shared::nlast),
    NL("PCTLIST", ps::PCTLIST),
    F("PPOUT", pf::PPOUT),
    F("CORRB", pf::CORRB),
    F("COVB", pf::COVB),
    F("ITPRINTEM", pf::ITPRINTEM),
    F("PRINTPROBS", pf::PRINTPROBS),
    KW("FITTYPE|FIT", fittype),
    NMIN("MAXIT|MAXITER", ps::MAXIT, 0),
    NMIN("CONVERGE", ps::CONVERGE, 0),
    NMIN("SINGULAR", ps::SINGULAR, 0),
    NR("CONFIDENCE|CONF", ps::CONFIDENCE, 0, 1),
    NL("SURVTIME", ps::SURVTIME),
    N("THRESHOLD|T", ps::THRESHOLD),
    N("EXPOSURE", as::EXPOSURE),
    paren(N("PREDICT", as::PREDICT)),
    V("COUNT", GV_NUMBER2, as::COUNT, as::COUNT2),
    paren(NMIN("TOLERANCE", as::TOLERANCE, 0)),
    KW("PPOS", ppos),
    NR("PSTABLE", ps::PSTABLE, 0, 1),
    bounded(V("MAXITEM|MAXITEREM", GV_NUMBER2, ps::MAXITEM, ps::MAXITEM2), 0),
    NMIN("TOLLIKE", ps::TOLLIKE, 0),
    NMIN("TOLPROB", ps::TOLPROB, 0),
    NL("PROBLIST", ps::PROBLIST),
    NMIN("CONVH", ps::CONVH, 0),
};
const int16_t g_analyze_nopts = sizeof g_analyze_opts / sizeof g_analyze_opts[0];
