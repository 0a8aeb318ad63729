// Labels in a column, each wanting its baseline at a target height.
#pragma once
#include <vector>

namespace labelplace {

// In the order of their targets, a line (gap) apart, each run of labels that would touch centred
// on its targets, all within [lo, hi]: the baselines, in the order given.
std::vector<double> spread(const std::vector<double>& target, double gap, double lo, double hi);

}  // namespace labelplace
