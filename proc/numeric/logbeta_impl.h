// Pieces shared by the log-scale beta probability and quantile.
#pragma once

struct betareq;

// log(1 - e^l); -2^512 when e^l rounds to 1.
double logOneMinusExp(double l);

// The log tails and log density of the record's beta(a, b) at x, without touching the
// record's x. 0 ok; 1 refused (a or b beyond 2^31 - 1, x outside [0, 1], or an end point
// where the density is not finite).
int betaLogProbability(betareq* r, double x, double* logp, double* logq, double* logdens);

// The quantile request of zlogbet.
int betaQuantile(betareq* r);
