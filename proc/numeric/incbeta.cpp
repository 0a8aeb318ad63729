#include "proc/numeric/incbeta.h"
int zibeta(double, double, double, double* prob, double* dens) { *prob = -1.0; *dens = 0.0; return -1; }
