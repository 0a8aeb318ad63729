// Central differences with one Richardson step, for checking derivative kernels.
#pragma once
#include <cmath>
#include <functional>

// f'(x) from central differences at steps d and d/2.
inline double cdiff1(const std::function<double(double)>& f, double x, double d) {
    const double a = (f(x + d) - f(x - d)) / (2.0 * d);
    const double b = (f(x + d / 2) - f(x - d / 2)) / d;
    return (4.0 * b - a) / 3.0;
}

// f''(x) from second differences at steps d and d/2.
inline double cdiff2(const std::function<double(double)>& f, double x, double d) {
    const double f0 = f(x);
    const double a = (f(x + d) - 2.0 * f0 + f(x - d)) / (d * d);
    const double h = d / 2;
    const double b = (f(x + h) - 2.0 * f0 + f(x - h)) / (h * h);
    return (4.0 * b - a) / 3.0;
}

// Agreement to rel relative, with an absolute floor of rel * floor for values near 0.
inline bool close(double got, double want, double rel, double floor = 1e-3) {
    return std::fabs(got - want) <= rel * (std::fabs(want) + floor);
}
