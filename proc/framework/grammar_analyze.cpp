// ANALYZE options: the shared numbering of the plot statements, with the binomial and
// Poisson options and ANALYZE's own places for PPOS (slot 28) and the Weibayes confidence (27).
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr goption linit[] = {F("LINIT", 31)};
constexpr goption scinit[] = {F("SCINIT", 42)};
constexpr goption shinit[] = {F("SHINIT", 43)};
constexpr goption nlast[] = {N("NLASTCENSOR", 98)};
constexpr gvalkw order1[] = {K("FREQ", 9, 1), K("DATA", 9, 2), K("INTERNAL", 9, 3), K("FORMATTED", 9, 4)};
constexpr gvalkw order2[] = {K("FREQ", 10, 1), K("DATA", 10, 2), K("INTERNAL", 10, 3), K("FORMATTED", 10, 4)};
constexpr goption wbconf27[] = {NR("CONF|CONFIDENCE", 27, 0, 1)};
constexpr gvalkw fittype[] = {K("MLE", 12, 1), K("LSYX", 12, 2), K("LSXY|LS", 12, 7), K("NONE", 12, 3),
                              KS("WEIBAYES|WB", 12, 6, wbconf27)};
constexpr gvalkw ppos[] = {K("EXPRANK", 28, 0), K("MEDRANK", 28, 1), K("MEDRANK1", 28, 2),
                           K("KM", 28, 3), K("MKM", 28, 4), K("NA|NELSONAALEN", 28, 5)};
}  // namespace

const goption g_analyze_opts[] = {
    withtrail(N("LOCATION|INTERCEPT", 6), linit),
    withtrail(NMIN("SCALE", 7, 0), scinit),
    withtrail(NMIN("SHAPE", 8, 0), shinit),
    KW("ORDER1", order1),
    KW("ORDER2", order2),
    F("NOPOLISH", 13),
    F("MISSING1", 16),
    F("MISSING2", 17),
    F("ITPRINT", 32),
    F("LRCL", 33),
    F("LRCLPER", 36),
    F("NOPCTILE|NOPCTILES", 40),
    withtrail(F("READOUT", 41), nlast),
    NL("PCTLIST", 11),
    F("PPOUT", 49),
    F("CORRB", 50),
    F("COVB", 51),
    F("ITPRINTEM", 60),
    F("PRINTPROBS", 61),
    KW("FITTYPE|FIT", fittype),
    NMIN("MAXIT|MAXITER", 13, 0),
    NMIN("CONVERGE", 14, 0),
    NMIN("SINGULAR", 15, 0),
    NR("CONFIDENCE|CONF", 16, 0, 1),
    NL("SURVTIME", 17),
    N("THRESHOLD|T", 20),
    N("EXPOSURE", 22),
    paren(N("PREDICT", 23)),
    V("COUNT", GV_NUMBER2, 24, 21),
    paren(NMIN("TOLERANCE", 26, 0)),
    KW("PPOS", ppos),
    NR("PSTABLE", 45, 0, 1),
    bounded(V("MAXITEM|MAXITEREM", GV_NUMBER2, 103, 106), 0),
    NMIN("TOLLIKE", 104, 0),
    NMIN("TOLPROB", 105, 0),
    NL("PROBLIST", 107),
    NMIN("CONVH", 108, 0),
};
const int16_t g_analyze_nopts = sizeof g_analyze_opts / sizeof g_analyze_opts[0];
