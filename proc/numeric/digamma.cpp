#include "proc/numeric/digamma.h"
#include "host/hostdefs.h"
int zdigama(double, double* out) { *out = hostmissing(); return 1; }
double ztigama(double, int* rc) { *rc = 1; return -1e35; }
double zexpm1(double) { return hostmissing(); }
int zmillsr(double, double* out) { *out = hostmissing(); return 1; }
int zcnfmill(double, double* out) { *out = hostmissing(); return 1; }
