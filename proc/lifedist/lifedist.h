// The routines of the life-distribution statements (ANALYZE, PROBPLOT, RELATIONPLOT) that
// the analysis driver and its neighbours call. Each routine takes the state block first;
// results are 0 on success, 1 after a logged message, or an exit code (RC_*).
#pragma once
#include <cstdint>
#include "proc/numeric/optimizer.h"

struct vyxstate;
struct grpnode;

// ---- option readers
int vyxaprm(vyxstate* s);                      // ANALYZE
int vyxpprm(vyxstate* s);                      // PROBPLOT and RELATIONPLOT

// ---- BY-group input and its tables
int vyxin(vyxstate* s);                        // reads the BY group into group nodes and rows
int vyxbld(vyxstate* s, grpnode* g);           // gives a group its row buffer; 0 or 1016
int printmod(vyxstate* s);                     // model information list
// Observation counts (NObs; also MCFPLOT's, and MODEL's as ModNObs) from the nobsrow cells;
// the statement-label column only for a labelled statement of the life-data road.
int nobstbl(vyxstate* s, const char* name = "NObs", bool stmtlabel = true);

// ---- the analysis driver
int PPComp(vyxstate* s);                       // one statement in one BY group
int vyxptbl(vyxstate* s);                      // fits and tables of every group; always 0
void setgrp(vyxstate* s, grpnode* g, int i, int j, int* counter);
void CleanUpDisk(vyxstate* s);                 // closes and deletes the statement's utility files
grpnode* newgroup(vyxstate* s);                // a cleared group node of the statement (xmemmsg, null)
int vyxscl(vyxstate* s);                       // plotting positions per group, ranges and axis scales
void vyxpobj(vyxstate* s);                     // the statement's table objects

// ---- group data sorting and parameter reordering
int vyxpdta(vyxstate* s, grpnode* g);          // sorts a group's rows by time, then its curve
void sort(double* rows, int n, int m, double* tmp);    // Shell sort by the first value
void sort1(double* rows, int n, int m, double* tmp);   // ... equal first values: second value descending
void vyxxpm(double* v, const char* flags, int n, double* packed);
void xchg(double* packed, int i, int j, int n);

// ---- plotting positions (ppfn) and stress transforms (strfn)
double vyxxrnk(double a, double i, double n, double* carry, double d);   // EXPRANK
double vyxmrnk(double a, double i, double n, double* carry, double d);   // MEDRANK
double vyxmrk1(double a, double i, double n, double* carry, double d);   // MEDRANK1
double vyxkm(double a, double i, double n, double* carry, double d);     // KM
double vyxmkm(double a, double i, double n, double* carry, double d);    // MKM
double vyxna(double a, double i, double n, double* carry, double d);     // NA
double vyxsarr(double x);    // ARR: 1000 / (x + 273.15)
double vyxslin(double x);    // LINEAR
double vyxspow(double x);    // POW: ln x
double vyxsarr2(double x);   // ARR2: 11605 / (x + 273.15)
double vyxslgt(double x);    // LOGISTIC: ln(x / (1 - x))

// ---- nonparametric estimates, least squares and the Turnbull estimate
int vyxcrv(vyxstate* s, grpnode* g);           // curve of one sorted group; 0 or a failure
int vyxem(vyxstate* s, grpnode* g);            // Turnbull estimate of a group of interval data
int vyxls(vyxstate* s, grpnode* g);            // probability estimates and least-squares fit; nonzero: no fit
void getfit(vyxstate* s, grpnode* g);          // the group's location and scale from the MODEL fit

// ---- maximum-likelihood fits and their tables
// The Newton-Raphson settings of every maximum-likelihood fit (the distributions' and MODEL's):
// the state's iteration limit and singularity criterion, the first trial step accepted, the
// ridge schedule.
nrctl newtonsettings(const vyxstate* s);
// The optimiser's arrays: work, Hessian and gradient from fitarr, the estimates x, and two
// spare vectors of the parameters' length.
nrparm newtonarrays(vyxstate* s, double* x, double* scratch, double* xprev);
int vyxpfit(vyxstate* s, grpnode* g);          // fit of the whole data (no class variable)
int vyxdfit(vyxstate* s, grpnode* g);          // distribution fit of one group; nonzero: no fit
void vyxdsum(vyxstate* s, grpnode* g, int i, int j);   // data summary table of a group
void vyxpput(vyxstate* s, grpnode* g, int i, int j);   // estimate tables of a group
void fmput(vyxstate* s);                       // parameter table of the failure modes

// ---- binomial and Poisson analysis of ANALYZE
int vyxpb(vyxstate* s, grpnode* g);            // one class level, or the option counts (g null)
int vyxpbpr(vyxstate* s);                      // its tables
