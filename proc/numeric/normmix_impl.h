// Pieces shared by the normal mixture's request entry, its probabilities and its quantile.
#pragma once

struct mxnreq;

// The log probabilities and log density of the request at its x (components verified).
int mixtureProbOrDens(mxnreq* r);

// The quantile request of zmxnorm (components verified and sorted by their means).
int mixtureQuantile(mxnreq* r);
