#include "proc/numeric/normal.h"
#include "host/hostdefs.h"
double zprbnrm(double) { return hostmissing(); }
double zferf(double) { return hostmissing(); }
double zferfc(double) { return hostmissing(); }
void calerf(double, int, double* result) { *result = hostmissing(); }
int zlognrm(double, double*, double*, double* logpdf) { *logpdf = hostmissing(); return 1; }
double zprobit(double) { return hostmissing(); }
double szprobit(double) { return hostmissing(); }
