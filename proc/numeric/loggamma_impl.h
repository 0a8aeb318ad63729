// Pieces shared by the log-scale gamma probability and quantile.
#pragma once

struct gamreq;

// The log tails and log density of the record's gamma(a) at its x. 0 ok; 1 refused
// (x < 0, a <= 1e-9) or failed.
int gammaLogProbability(gamreq* r);

// The quantile request of zloggam.
int gammaQuantile(gamreq* r);
