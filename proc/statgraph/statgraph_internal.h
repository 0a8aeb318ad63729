// What the files of proc/statgraph share that no other folder uses; what other folders use is
// declared in the public header, statgraph.h, which this one includes.
#pragma once
#include <cstdint>

#include "host/outobj.h"
#include "proc/statgraph/statgraph.h"

// Cells of the current-row area (vyxstate::rowvals) that phantom columns are bound to.
enum : int {
    SG_YVALUE = 0,   // YPPlot (probability plot), Yvalue (MCF)
    SG_YVALUE2,
    SG_PLABEL,       // the plotting position of a point
    SG_PYVAL,        // carried by the phantom, never given a value: always missing
    SG_PUPPER,       // limits of a point as probabilities
    SG_PLOWER,
    SG_YUPPER,       // limits of a point on the quantile scale
    SG_YLOWER,
    SG_YUPPER2,      // band of the fitted line (quantile scale), or of the step curve
    SG_YLOWER2,
    SG_XVALUE,       // XPPlot, Xvalue
    SG_XVALUE2,
    SG_SPARE1,       // the two cells after Xvalue2 that no column reads
    SG_SPARE2,
    SG_XLOWER2,      // time band of the fitted line
    SG_XUPPER2,
    SG_FREQ,
    SG_CENSOR,
    SG_CELLS
};
// vyxstate::refrow and refrowlab: XRef, YRef and their labels (16 characters).
enum : int { SG_XREF = 0, SG_YREF = 1 };
constexpr int SG_REFLABEL = 16;

// ---- probability plot
int SGPobj(vyxstate* s);
int PlotPoints(vyxstate* s, grpnode* g, double* vmin, double* vmax);
int PlotCurves(vyxstate* s, grpnode* g, double* vmin, double* vmax);
int PPlotRefLines(vyxstate* s, grpnode* g);
int SetProbAxis(vyxstate* s, char** ticks, int* tickslen, char** labels, int* labelslen);
// The percents of the probability references (PREF, else VREF) whose rows PPlotRefLines writes,
// in their order, as _ProbRefs after the request's other variables, only when there are any:
// each group's reference rows end with them, so the renderer tells which value of a row that
// stops at the curve the user gave (and names a probability reference by its percent).
class GraphRequest;
void probrefs(const vyxstate* s, GraphRequest& r);
// The ends of the probability axis (quantile scale) that the device road's scaling chose: its
// percent list's entries at the plot's first and last tick. A plot without a plotted point
// takes them; its fitted line alone would stretch the axis over the line's whole reach.
void deviceprobends(const vyxstate* s, double* vlo, double* vhi);
// Missing-aware smaller and larger: missing when either is.
double mzmin(double a, double b);
double mzmax(double a, double b);

// ---- text lists of numbers (tick positions, tick labels): from the pool, the caller's
int numbersToStrList(poolobj* pool, const double* values, int n, char** text, int* size, const char* format, int width);
int labelsToStrList(poolobj* pool, const double* values, int n, char** text, int* size, const char* format, int width);
int countNonBlank(const char* text, int max);

// ---- MCF plot
int GetMCF(vyxstate* s, grpnode* g);
int MCFRefLines(vyxstate* s, grpnode* g);

// ---- inset variables of a graph request (an item list from workpool)
void AddInset(vyxstate* s, wobitem** items, int* count);
