// The table of the distributions (distributions.h).
#include "proc/numeric/distributions.h"

#include "proc/framework/msg510.h"
#include "proc/numeric/shapequant.h"
#include "proc/numeric/stdquant.h"

namespace {

// The labels of the parameters.
constexpr int kLoc = T510_PARM_LOCATION, kScale = T510_PARM_SCALE, kShape = T510_PARM_SHAPE;
constexpr int kEvLoc = T510_EV_LOCATION, kEvScale = T510_EV_SCALE;

const distinfo kDistributions[] = {
    {DIST_NORMAL, FAM_NORMAL, 0, true, vyxinm, zprblnm, zprbwnm, vyxqnm, T510_NORMAL, {kLoc, kScale}, {kLoc, kScale}},
    {DIST_LOGNORMAL, FAM_NORMAL, 1, true, vyxinm, zprblnm, zprbwnm, vyxqnm, T510_LOGNORMAL, {kLoc, kScale}, {kLoc, kScale}},
    {DIST_WEIBULL, FAM_EXTREME, 1, true, vyxiwb, zprblwb, zprbwwb, vyxqwb, T510_WEIBULL, {kEvLoc, kEvScale}, {kEvLoc, kEvScale}},
    {DIST_EXTREME, FAM_EXTREME, 0, true, vyxiev, zprblwb, zprbwwb, vyxqwb, T510_EXTREME_VALUE, {kLoc, kScale}, {kLoc, kEvScale}},
    {DIST_EXPONENTIAL, FAM_EXTREME, 1, true, vyxiwb, zprblwb, zprbwwb, vyxqwb, T510_EXPONENTIAL, {kEvLoc, kEvScale}, {kScale, kShape}},
    {DIST_LOGISTIC, FAM_LOGISTIC, 0, true, vyxilg, zprbllg, zprbwlg, vyxqlg, T510_LOGISTIC, {kLoc, kScale}, {kLoc, kScale}},
    {DIST_LOGLOGISTIC, FAM_LOGISTIC, 1, true, vyxilg, zprbllg, zprbwlg, vyxqlg, T510_LOG_LOGISTIC, {kLoc, kScale}, {kLoc, kScale}},
    {DIST_GAMMA, FAM_LOGGAMMA, 1, false, nullptr, zprblgm, zprbwgm, vyxqgm, T510_GENERALIZED_GAMMA, {kLoc, kScale}, {kLoc, kScale}},
    {DIST_LOGNORMAL10, FAM_NORMAL, 2, true, vyxinm, zprblnm, zprbwnm, vyxqnm, T510_LOGNORMAL, {kLoc, kScale}, {kLoc, kScale}},
};

}  // namespace

const distinfo* distributioninfo(uint32_t code) {
    for (const distinfo& d : kDistributions)
        if (d.code == code) return &d;
    return nullptr;
}
