// Standardized quantiles of the MODEL distributions in the form that also serves the
// generalized log-gamma family, whose quantile depends on its shape (routine type qntfnx):
// out[0] the quantile at probability p, out[1] (log-gamma only) its derivative in the shape.
// 0, or a failure of vyxqgm.
#pragma once
#include "proc/numeric/kernels.h"

int vyxqnm(double* out, double p, const double* shape);   // normal
int vyxqwb(double* out, double p, const double* shape);   // smallest extreme value
int vyxqlg(double* out, double p, const double* shape);   // logistic
int vyxqgm(double* out, double p, const double* shape);   // generalized log-gamma
