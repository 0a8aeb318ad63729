// Likelihood kernels of the location-scale life distributions and of the generalized
// log-gamma family, and the standardized quantile routine type.
//
// A kernel turns one observation, reduced to standardized units, into its contribution
// to minus the log-likelihood (value kernels) or into the first and second derivatives
// of that contribution (derivative kernels). The kernels keep no state and call no host
// service.
#pragma once

// The routine types below are the same as those of the procedure state block; they are
// repeated here so that the numerical library needs nothing from the framework.
typedef double (*qntfn)(double p);
typedef int (*kernfn)(int mode, const double* z, const double* shape, double* out);
typedef int (*shapefn)(double shape, double* block);
typedef int (*qntfnx)(double* out, double p, const double* shape);

// Observation modes of a kernel call.
enum : int {
    KMODE_EXACT = 0,      // z[0] observed exactly: minus the log of the density
    KMODE_RIGHT = -1,     // right-censored at z[0]: minus the log of the survival function
    KMODE_LEFT = -2,      // left-censored at z[0]: minus the log of the distribution function
    KMODE_INTERVAL = -3,  // interval: z[0] centre, z[1] half-width
};

// Value kernels: write out[0]; result 0, or 1 when the value is not usable.
int zprblnm(int mode, const double* z, const double* shape, double* out);     // normal
int zprbllg(int mode, const double* z, const double* shape, double* out);     // logistic
int zprblwb(int mode, const double* z, const double* shape, double* out);     // smallest extreme value
int zprblnmLog(int mode, const double* z, const double* shape, double* out);  // normal, log-probability form

// Derivative kernels: out[0] = df/dz and out[1] = d2f/dz2 (modes 0, -1, -2); for an
// interval out[0] = df/dc, out[1] = d2f/dc2, out[2] = df/dh, out[3] = d2f/dc dh,
// out[4] = d2f/dh2 (c the centre, h the half-width).
int zprbwnm(int mode, const double* z, const double* shape, double* out);
int zprbwlg(int mode, const double* z, const double* shape, double* out);
int zprbwwb(int mode, const double* z, const double* shape, double* out);
int zprbwnmLog(int mode, const double* z, const double* shape, double* out);

// Generalized log-gamma family with shape k (the block is built by zprbpgm).
enum : int {
    GSH_K = 0,        // the shape k, signed
    GSH_Q = 1,        // q = 1/k^2
    GSH_LGAMQ = 2,    // log Gamma(q)
    GSH_DIGQ = 3,     // digamma(q)
    GSH_TRIGQ = 4,    // trigamma(q)
    GSH_B5 = 5,       // log Gamma(q) + q - (q - 0.5) log q
    GSH_B6 = 6,       // d B5 / dk
    GSH_B7 = 7,       // d2 B5 / dk2
    GSH_SIZE = 8,
};
// At or below this |k| only the shape itself is stored and the kernels use the
// expansions about the normal limit.
constexpr double GSH_SMALL = 0.015625;

int zprbpgm(double k, double* block);                                      // a shapefn
int zprblgm(int mode, const double* z, const double* shape, double* out);  // value kernel
// Derivative kernel: out[0..4] as above, then out[5] = df/dk, out[6] = d2f/dz dk
// (d2f/dc dk for an interval), out[7] = d2f/dh dk (interval only), out[8] = d2f/dk2.
int zprbwgm(int mode, const double* z, const double* shape, double* out);
