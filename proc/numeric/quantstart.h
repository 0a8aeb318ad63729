// The normal start shared by the beta and chi-square quantiles.
#pragma once

// From y = sqrt(-2 log pp), pp at or below 0.5, an approximation of the upper normal
// quantile of pp.
inline double normalstart(double y) {
    return y - (2.30753 + 0.27061 * y) / (1.0 + (0.99229 + 0.04481 * y) * y);
}
