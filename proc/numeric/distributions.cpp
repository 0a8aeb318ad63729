// The table of the distributions (distributions.h).
#include "proc/numeric/distributions.h"

#include "proc/numeric/shapequant.h"
#include "proc/numeric/stdquant.h"

namespace {

const distinfo kDistributions[] = {
    {DIST_NORMAL, FAM_NORMAL, 0, true, vyxinm, zprblnm, zprbwnm, vyxqnm, 52, {55, 56}, {55, 56}},
    {DIST_LOGNORMAL, FAM_NORMAL, 1, true, vyxinm, zprblnm, zprbwnm, vyxqnm, 54, {55, 56}, {55, 56}},
    {DIST_WEIBULL, FAM_EXTREME, 1, true, vyxiwb, zprblwb, zprbwwb, vyxqwb, 50, {558, 281}, {558, 281}},
    {DIST_EXTREME, FAM_EXTREME, 0, true, vyxiev, zprblwb, zprbwwb, vyxqwb, 53, {55, 56}, {55, 281}},
    {DIST_EXPONENTIAL, FAM_EXTREME, 1, true, vyxiwb, zprblwb, zprbwwb, vyxqwb, 51, {558, 281}, {56, 59}},
    {DIST_LOGISTIC, FAM_LOGISTIC, 0, true, vyxilg, zprbllg, zprbwlg, vyxqlg, 57, {55, 56}, {55, 56}},
    {DIST_LOGLOGISTIC, FAM_LOGISTIC, 1, true, vyxilg, zprbllg, zprbwlg, vyxqlg, 58, {55, 56}, {55, 56}},
    {DIST_GAMMA, FAM_LOGGAMMA, 1, false, nullptr, zprblgm, zprbwgm, vyxqgm, 79, {55, 56}, {55, 56}},
    {DIST_LOGNORMAL10, FAM_NORMAL, 2, true, vyxinm, zprblnm, zprbwnm, vyxqnm, 54, {55, 56}, {55, 56}},
};

}  // namespace

const distinfo* distributioninfo(uint32_t code) {
    for (const distinfo& d : kDistributions)
        if (d.code == code) return &d;
    return nullptr;
}
