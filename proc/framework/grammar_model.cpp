// MODEL and LOGSCALE options, and the relation codes of MODEL RELATION=.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
namespace ms = slot::model;
namespace mf = flag::model;
namespace mo = code::modelorder;

constexpr goption linit[] = {F("LINIT", mf::LINIT)};
constexpr goption scinit[] = {F("SCINIT", mf::SCINIT)};
constexpr goption shinit[] = {F("SHINIT", mf::SHINIT)};
constexpr gvalkw order[] = {K("FREQ", ms::ORDER, mo::FREQ), K("DATA", ms::ORDER, mo::DATA),
                            K("INTERNAL", ms::ORDER, mo::INTERNAL), K("FORMATTED", ms::ORDER, mo::FORMATTED)};
constexpr goption obstats[] = {
    F("CENSOR|CEN", mf::CENSOR),
    NL("Q|QUANTILE|QUANTILES", ms::QUANTILES),
    F("XBETA", mf::XBETA),
    F("SURVIVAL|SURV", mf::SURVIVAL),
    F("RESID", mf::RESID),
    F("SRESID", mf::SRESID),
    F("GRESID", mf::GRESID),
    F("DRESID", mf::DRESID),
    F("ADJRESID", mf::ADJRESID),
    N("RESIDADJ", ms::RESIDADJ),
    N("RESIDALPHA|RALPHA", ms::RESIDALPHA),
    V("CONTROL", GV_VARLIST, ms::CONTROL),
};
}  // namespace

const gconst g_relations[] = {
    {"ARR|ARRHENIUS|ARRNELSON", code::relation::ARRHENIUS},
    {"LINEAR", code::relation::LINEAR},
    {"POW|POWER|LOG", code::relation::POWER},
    {"ARR2|ARRHENIUS2|ARRACTIVATION", code::relation::ARRHENIUS2},
    {"LOGISTIC", code::relation::LOGISTIC},
};
const int16_t g_nrelations = sizeof g_relations / sizeof g_relations[0];

const goption g_model_opts[] = {
    F("COVB", mf::COVB),
    F("CORRB", mf::CORRB),
    F("DEBUG", mf::DEBUG),
    F("LRCL|PLCL", mf::LRCL),
    F("WALDCL|NORMALCL", mf::WALDCL),
    F("ITPRINT", mf::ITPRINT),
    F("READOUT", mf::READOUT),
    F("NOCS", mf::NOCS),
    F("XCENTER", mf::XCENTER),
    F("NOINT", mf::NOINT),
    NMIN("CONVERGE", ms::CONVERGE, 0),
    NMIN("MAXIT|MAXITER", ms::MAXIT, 0),
    NMIN("SINGULAR", ms::SINGULAR, 0),
    withtrail(N("INTERCEPT|LOCATION", ms::INTERCEPT), linit),
    withtrail(N("SCALE", ms::SCALE), scinit),
    withtrail(N("SHAPE", ms::SHAPE), shinit),
    N("THRESHOLD|T", ms::THRESHOLD),
    KW("ORDER", order),
    NR("CONFIDENCE|CONF", ms::CONFIDENCE, 0, 1),
    withflag(withsubs(F("OBSTATS", -1), obstats), mf::OBSTATS),
    NL("INITIAL", ms::INITIAL),
    // RELATION=code, or RELATION=(code(var), code(var) [, code(var)]): the parser puts the
    // codes into RELATION, RELATION2, RELATION3 and the variables into RELVAR, RELVAR2, RELVAR3.
    V("RELATION", GV_RELATIONS, ms::RELATION),
    NR("PSTABLE", ms::PSTABLE, 0, 1),
    NMIN("CONVH", ms::CONVH, 0),
};
const int16_t g_model_nopts = sizeof g_model_opts / sizeof g_model_opts[0];

const goption g_logscale_opts[] = {
    F("INTINIT", flag::logscale::INTINIT),
    F("NOINT", flag::logscale::NOINT),
    N("INTERCEPT", slot::logscale::INTERCEPT),
    NL("INITIAL", slot::logscale::INITIAL),
};
const int16_t g_logscale_nopts = sizeof g_logscale_opts / sizeof g_logscale_opts[0];
