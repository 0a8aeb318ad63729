// Standardized quantile functions of the location-scale life distributions; the option
// readers install one of them as the quantile routine of the fit (routine type qntfn).
#pragma once
#include "proc/numeric/kernels.h"

double vyxiwb(double p);  // smallest extreme value, for WEIBULL: log(-log(1 - p))
double vyxiev(double p);  // smallest extreme value, for EXTREME: the same formula
double vyxinm(double p);  // normal, for NORMAL, LOGNORMAL, LOGNORMAL10: the normal quantile
double vyxilg(double p);  // logistic, for LOGISTIC and LOGLOGISTIC: log(p / (1 - p))
