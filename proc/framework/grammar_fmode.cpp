// FMODE and MAKE statements.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr gvalkw none5[] = {KF("NONE", 5)};
}

// PARMS and COVS are accepted and set nothing, unlike PARM and COV.
const goption g_fmode_opts[] = {
    F("PLOTMODES", 4),
    F("NOLEGEND", 5),
    F("PARMS", -1),
    F("PARM", 6),
    F("COVS", -1),
    F("COV", 7),
    withvals(NAME("LEGEND", 3), none5),
};
const int16_t g_fmode_nopts = sizeof g_fmode_opts / sizeof g_fmode_opts[0];

// MAKE 'table' OUT=data set [NOPRINT]: the options follow the table name without a slash.
const goption g_make_opts[] = {
    V("OUT", GV_OUTDATASET, 2),
    F("NOPRINT", 1),
};
const int16_t g_make_nopts = sizeof g_make_opts / sizeof g_make_opts[0];
