// MODEL and LOGSCALE options, and the relation codes of MODEL RELATION=.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr goption linit[] = {F("LINIT", 1)};
constexpr goption scinit[] = {F("SCINIT", 3)};
constexpr goption shinit[] = {F("SHINIT", 10)};
constexpr gvalkw order[] = {K("FREQ", 14, 3), K("DATA", 14, 1), K("INTERNAL", 14, 4), K("FORMATTED", 14, 2)};
constexpr goption obstats[] = {
    F("CENSOR|CEN", 13),
    NL("Q|QUANTILE|QUANTILES", 24),
    F("XBETA", 15),
    F("SURVIVAL|SURV", 16),
    F("RESID", 18),
    F("SRESID", 19),
    F("GRESID", 20),
    F("DRESID", 21),
    F("ADJRESID", 22),
    N("RESIDADJ", 21),
    N("RESIDALPHA|RALPHA", 22),
    V("CONTROL", GV_VARLIST, 23),
};
}  // namespace

const gconst g_relations[] = {
    {"ARR|ARRHENIUS|ARRNELSON", 1}, {"LINEAR", 2}, {"POW|POWER|LOG", 3},
    {"ARR2|ARRHENIUS2|ARRACTIVATION", 4}, {"LOGISTIC", 5},
};
const int16_t g_nrelations = sizeof g_relations / sizeof g_relations[0];

const goption g_model_opts[] = {
    F("COVB", 4),
    F("CORRB", 5),
    F("DEBUG", 6),
    F("LRCL|PLCL", 7),
    F("WALDCL|NORMALCL", 8),
    F("ITPRINT", 9),
    F("READOUT", 41),
    F("NOCS", 42),
    F("XCENTER", 43),
    F("NOINT", 44),
    NMIN("CONVERGE", 7, 0),
    NMIN("MAXIT|MAXITER", 8, 0),
    NMIN("SINGULAR", 9, 0),
    withtrail(N("INTERCEPT|LOCATION", 11), linit),
    withtrail(N("SCALE", 12), scinit),
    withtrail(N("SHAPE", 20), shinit),
    N("THRESHOLD|T", 13),
    KW("ORDER", order),
    NR("CONFIDENCE|CONF", 19, 0, 1),
    withflag(withsubs(F("OBSTATS", -1), obstats), 12),
    NL("INITIAL", 25),
    // RELATION=code, or RELATION=(code(var), code(var) [, code(var)]): codes into slots 26,
    // 30, 35 and the variables into list slots 32, 33, 34.
    V("RELATION", GV_RELATIONS, 26),
    NR("PSTABLE", 27, 0, 1),
    NMIN("CONVH", 28, 0),
};
const int16_t g_model_nopts = sizeof g_model_opts / sizeof g_model_opts[0];

const goption g_logscale_opts[] = {
    F("INTINIT", 1),
    F("NOINT", 2),
    N("INTERCEPT", 2),
    NL("INITIAL", 3),
};
const int16_t g_logscale_nopts = sizeof g_logscale_opts / sizeof g_logscale_opts[0];
