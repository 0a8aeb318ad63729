// What the probability-plot driver draws for one group in a panel: its points with their
// nonparametric limits and censored marks (vyxppnt), then its fitted line with the
// confidence curves, or the combined failure-mode curve (vyxddrw). symb_label writes a count
// beside a symbol at one of eight compass positions.
#pragma once
#include <vector>

struct vyxstate;
struct grpnode;
struct symrec;
struct plotlay;
class LabelRoom;

// The page position (*x, *y) of a life value in axis units and a standardized quantile z, by
// the orientation of the plot (rotate: the life axis upright).
void pagexy(const plotlay* f, bool rotate, double life, double z, double* x, double* y);
// A time in the life axis's units: log10 of it on a log axis; NaN where it has none.
double lifeunits(const vyxstate* s, double t);
// The page points (x, y in turn; NaN where a percentile has none) of group g's two confidence
// curves through its percentile tables (PINTERVALS=PROBABILITY: the limits of the probability
// at each percentile estimate); none without confidence curves.
void confpoints(const vyxstate* s, const grpnode* g, std::vector<double> xy[2]);

// 0 drawn; 1 out of memory (after xmemmsg); 1020 when the group's curve or row file ends
// early (after 510/22).
int vyxppnt(vyxstate* s, grpnode* g);
// Whether the plotted points of failures carry their nonparametric limits as bars
// (NPINTERVALS=, PCONFPLT), and whether those are the simultaneous ones (*sim).
bool pointlimits(const vyxstate* s, bool* sim);
// 0 drawn; 1 out of memory (after xmemmsg) or the host could not draw a line.
int vyxddrw(vyxstate* s, grpnode* g);
// Grid, axes and reference lines of one panel; g is null for a grid cell without data.
int vyxgdrw(vyxstate* s, grpnode* g);
// position: 8 characters, blank padded ("NE      ", "SW      ", "N       ", ...). With a room,
// a count whose box runs into one placed before moves outward (up for the northern and
// the side positions, down for the southern ones) by the smallest step that clears it, and
// is left out when four box heights do not; the box it takes goes into the room.
void symb_label(vyxstate* s, const symrec* style, int count, double x, double y, const char position[8], LabelRoom* room = nullptr);

// The statistical-graphics road of PROBPLOT (its result is the statement's).
int vyxpog(vyxstate* s);

// The combined failure-mode curve of the group (failure-mode analysis): npoints + 1 curve
// records into fmcurve; non-zero when there is none.
int fmcdf(vyxstate* s);
