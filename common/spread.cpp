// Labels spread a line apart about their targets: each run that would touch is centred on its
// targets (pooling neighbours until no two runs meet).
#include "common/spread.h"

#include <algorithm>
#include <cstddef>

namespace labelplace {

std::vector<double> spread(const std::vector<double>& target, double gap, double lo, double hi) {
    std::vector<size_t> order(target.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return target[a] < target[b]; });
    struct Cluster {
        size_t first, n;
        double sum;   // of the targets
    };
    // The lowest label of a cluster centred on its labels' targets.
    auto base = [&](const Cluster& c) { return c.sum / static_cast<double>(c.n) - gap * static_cast<double>(c.n - 1) / 2; };
    std::vector<Cluster> cl;
    for (size_t i = 0; i < order.size(); ++i) {
        cl.push_back({i, 1, target[order[i]]});
        while (cl.size() > 1) {
            Cluster& a = cl[cl.size() - 2];
            const Cluster& b = cl.back();
            if (base(a) + gap * static_cast<double>(a.n) <= base(b)) break;
            a.n += b.n;
            a.sum += b.sum;
            cl.pop_back();
        }
    }
    std::vector<double> y(target.size());
    for (const Cluster& c : cl) {
        double b = base(c);
        b = std::min(b, hi - gap * static_cast<double>(c.n - 1));
        b = std::max(b, lo);
        for (size_t k = 0; k < c.n; ++k) y[order[c.first + k]] = b + static_cast<double>(k) * gap;
    }
    return y;
}

}  // namespace labelplace
