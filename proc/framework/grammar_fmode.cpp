// FMODE and MAKE statements.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
constexpr gvalkw nolegend[] = {KF("NONE", flag::fmode::NOLEGEND)};
}

// PARMS and COVS are accepted and set nothing, unlike PARM and COV.
const goption g_fmode_opts[] = {
    F("PLOTMODES", flag::fmode::PLOTMODES),
    F("NOLEGEND", flag::fmode::NOLEGEND),
    F("PARMS", -1),
    F("PARM", flag::fmode::PARM),
    F("COVS", -1),
    F("COV", flag::fmode::COV),
    withvals(NAME("LEGEND", slot::fmode::LEGEND), nolegend),
};
const int16_t g_fmode_nopts = sizeof g_fmode_opts / sizeof g_fmode_opts[0];

// MAKE 'table' OUT=data set [NOPRINT]: the options follow the table name without a slash.
const goption g_make_opts[] = {
    V("OUT", GV_OUTDATASET, slot::make::OUT),
    F("NOPRINT", flag::make::NOPRINT),
};
const int16_t g_make_nopts = sizeof g_make_opts / sizeof g_make_opts[0];
