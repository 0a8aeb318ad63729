// Pieces shared by the noncentral chi-square routines.
#pragma once

// The starting Poisson index of the mixture sums for h = x/2, k = df/2, l = ncp/2.
double ncStartIndex(double h, double k, double l);

struct cncreq;
// The probability request of zlogcnc (also used by its quantile).
int cncProbability(cncreq* r);
// The quantile request of zlogcnc.
int cncQuantile(cncreq* r);
