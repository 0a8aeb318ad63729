// The interval derivatives shared by the derivative kernels.
//
// Algorithm: the project's own.
#pragma once

namespace kern {

// Derivatives of -log P for an interval observation with P = F(c + h) - F(c - h), from P,
// the densities ga, gb at the upper and lower ends and their derivatives dga, dgb:
// out[0] = df/dc, out[1] = d2f/dc2, out[2] = df/dh, out[3] = d2f/dc dh, out[4] = d2f/dh2.
inline void intervalDerivatives(double p, double ga, double gb, double dga, double dgb, double* out) {
    const double d1 = ga - gb, s1 = ga + gb, d2 = dga - dgb, s2 = dga + dgb;
    const double p2 = p * p;
    out[0] = -d1 / p;
    out[1] = (d1 * d1 - d2 * p) / p2;
    out[2] = -s1 / p;
    out[3] = (s1 * d1 - s2 * p) / p2;
    out[4] = (s1 * s1 - d2 * p) / p2;
}

// For a symmetric family the kernels work at the centre -|c|; a positive centre turns the
// signs of the odd derivatives in c back.
inline void mirrorInterval(double c, double* out) {
    if (c > 0.0) {
        out[0] = -out[0];
        out[3] = -out[3];
    }
}

}  // namespace kern
