#include "proc/numeric/incgamma.h"
#include "host/hostdefs.h"
int zigamma(double, double, double* p, double* q, double* dens) { *p = -2.0; *q = -2.0; *dens = 0.0; return 1; }
double wilhil(double, double, double* q) { *q = hostmissing(); return hostmissing(); }
