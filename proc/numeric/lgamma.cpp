#include "proc/numeric/lgamma.h"
#include "host/hostdefs.h"
double zlgamma(double) { return -99.0; }
double zlgbern(double) { return hostmissing(); }
double zlbeta(double, double) { return 99.0; }
double zln1px(double) { return hostmissing(); }
double zlnSumOfExp(double, double) { return hostmissing(); }
int zlgammaMV(double, int, double* out) { *out = hostmissing(); return 1; }
int zlbetaMV(double, double, int, double*) { return 1; }
