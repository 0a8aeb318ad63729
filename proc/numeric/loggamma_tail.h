// Tail probabilities of the generalized log-gamma family and their derivatives, for
// the log-gamma likelihood kernels.
#pragma once

// The tail record of dergam.
enum : int {
    GTAIL_LOGDENS = 0,  // log gamma density of u (small shape: log normal density at v)
    GTAIL_LOG = 1,      // log of the tail probability held
    GTAIL_D1 = 2,       // its first derivative in the shape (q; small shape: k)
    GTAIL_D2 = 3,       // its second derivative
    // log(density / tail), that is [0] - [1], formed without the two large logarithms:
    // far out both are huge and their difference would keep only their rounding.
    GTAIL_RATIO = 4,
    GTAIL_SIZE = 5,
};

// Which tail of u = q e^(k x) a record holds.
enum : int { GTAIL_FAIL = -1, GTAIL_UPPER = 0, GTAIL_LOWER = 1 };

// Log of the smaller tail of u = q e^(k x) at the standardized value x, for the shape
// block. Returns GTAIL_UPPER (Q(q, u)), GTAIL_LOWER (P(q, u)) or GTAIL_FAIL. With
// derivs, rec[2] and rec[3] hold the shape derivatives: in q at fixed u for the regular
// shape, in k at fixed x for the small shape (always written there).
int dergam(double x, const double* block, bool derivs, bool small, double* rec);

// Pieces of the log-gamma family that are small differences of large terms when q is
// large (k small); the shape derivatives multiply them by up to 4/k^6, so they are
// formed from their asymptotic series for q at or above 15.
double logminusdigamma(double q, double digamma);       // log q - digamma(q)
double digammatail(double q, double digamma);           // log q - digamma(q) - 1/(2q)
double trigammatail(double q, double trigamma);         // trigamma(q) - 1/q - 1/(2q^2)
double expm1minus(double w);                            // e^w - 1 - w
// (q - 1) log u - u - log Gamma(q) at u = q e^(k x): the log gamma density of u.
double loggammadensity(double x, const double* block);

// Turns the record into that of the complementary tail (rec[0] is kept).
void swapder(double* rec);

// First and second derivatives in z of minus the log of the tail held by the record,
// for mode -1 (the record holds the survival tail in z) or -2 (the distribution tail);
// for mode -2 both come out negated.
void formder(double z, bool small, int mode, const double* rec, double k, double* out);
