// What the files of proc/devgraph share that no other folder uses; what other folders use is
// declared in the public header, devgraph.h, which this one includes.
#pragma once
#include <string>
#include <vector>

#include "proc/devgraph/devgraph.h"

// The colour of a symbol record's markers: its symbol colour, else its line colour.
inline int symcolor(const symrec* r) {
    if (!r) return 1;
    return ggcnum(0, vzatl(' ', r->symcolor, 8) ? r->color : r->symcolor);
}

// Hands the symbols of blk to the host: those whose centre lies inside the clipping
// rectangle or on its edge (within 0.001) are drawn whole, so that a point on the frame's edge
// (a failure at the top entry of the probability axis) stays in sight; only those whose centre
// lies outside are cut at the rectangle. Symbols near an edge go in a call of their own, under
// the rectangle widened by their reach. blk's points are those of pts, which may be
// reordered; blk's count stays.
void drawmarks(ggmarkblk* blk, double* pts, int color, const float* clip);

// What a group draws, counted as it is told in up to four boxes (the corners an inset may
// take), with no record kept of each marker or line: in each box, the markers whose centres
// it holds, the length of line inside it (page percent, summed in the order the lines come),
// and whether any marker or line meets it.
struct PanelInk::Tally {
    // Page positions are percents: within kFar of 0 their rounding blurs them by far less than
    // kNear, so a segment or box that lies off a box widened by kNear meets nothing of it.
    static constexpr double kFar = 1e6, kNear = 1e-6;
    int n = 0;
    PageBox box[4];
    PageBox near[4];   // each box widened by kNear (addbox)
    int points[4] = {};
    double length[4] = {};
    bool crossed[4] = {};

    void addbox(const PageBox& b);
    void addmark(const PageBox& m);
    void addline(const PageBox& l);
    // Whether the segment or box from (ax, ay) to (bx, by) lies off every box: it meets none,
    // nor does any part of it (a segment clipped first).
    bool off(double ax, double ay, double bx, double by) const {
        const double lx = std::min(ax, bx), hx = std::max(ax, bx), ly = std::min(ay, by), hy = std::max(ay, by);
        if (!(lx > -kFar && hx < kFar && ly > -kFar && hy < kFar)) return false;
        for (int k = 0; k < n; ++k)
            if (!(hx < near[k].x0 || lx > near[k].x1 || hy < near[k].y0 || ly > near[k].y1)) return false;
        return true;
    }
};

// ---- the relation plot
// The relation panel of a probability-plot page. 0; 1 after xmemmsg; 1020 after 510/22.
int vyxrplt(vyxstate* s);
// Boxes of the stress levels (PLOTDATA=BOXES). 0.
int vyxbox(vyxstate* s);

// The percentile lines: pctcount x ncurve x npts (stress, life) pairs, life on the scale of
// the fit (log life for the log-location distributions); null when there is no memory
// (after xmemmsg).
double* regper(vyxstate* s);
// The parameter vector pctl reads, pointed at a pair of the holder's for as long as the
// holder lives and given back when it ends (get_parm writes the pair).
struct ParmPair {
    vyxstate* s;
    double* saved;
    double pair[2] = {0.0, 1.0};
    explicit ParmPair(vyxstate* st);
    ~ParmPair();
    ParmPair(const ParmPair&) = delete;
    ParmPair& operator=(const ParmPair&) = delete;
};
// The index among the MODEL's continuous variables of data-set variable var, or -1.
int continuousindex(const levstate* ls, int32_t var);
// The index of the statement's stress variable among the continuous variables of the MODEL's
// fit; -1 when there is no fit or the stress variable is not one of them.
int modelstressindex(const vyxstate* s);
// The MODEL's location and scale where every CLASS variable of the MODEL takes level
// `level`, every continuous variable its mean over the MODEL's rows and continuous variable k
// the value x: written into the first two estimates of the parameter block (parmvec.block;
// both missing when the MODEL gives none there). row (optional) receives the design row: one cell
// per MODEL effect, then one per LOGSCALE effect.
void get_parm(vyxstate* s, int level, double x, int k, descell* row);
// One relation-plot page of the REGRESSION fit: data markers, symbol legend and the
// percentile lines. 0, or 1 after xmemmsg (or after 510/15, the step ended).
int regplt(vyxstate* s, const double* pctlines);
// Sorts the plot rows of utilfile (stress, life, code[, frequency]) by stress, then life,
// and makes the sorted file the utilfile. 0, or 1 after a message.
int sortxy(vyxstate* s);
// The frame of the percentile-line legend around the plot area (RPLEGEND), then the
// legend record's pool released.
void pctlegendframe(vyxstate* s);
// Whether the relation panel draws a percentile line through the levels' own fits: two levels
// with a line of their fit, or one whose line the MODEL carries on to the ends of the span.
bool levellinesdrawn(const vyxstate* s);

// The symbol legend in the lower left of the frame: entries of the marker kinds that had
// points (exact, right-, left-censored) by the response form; the exact entry is left out
// when skipexact is set.
struct ggmarkblk;
void symlegend(vyxstate* s, const ggmarkblk* blocks, const int* colors, const bool* seen, bool skipexact);
// The symbol legend's markers (of height `size`) and texts, as the labels of the reference
// lines keep clear of them.
void legendink(vyxstate* s, double size, const bool* seen, bool skipexact, PanelInk* ink);

// ---- options, annotate data sets, grid, labels and title
// Options of the plot statements as the drawing code reads them: a colour or symbol name
// given once or as a list, a line type given as a number or a list. Past the end of a list
// the last entry stands (each group repeats the previous group's value).
// Entries of the option (a single value counts 1); 0 when absent or an empty list.
int optcount(const stmtrec* r, int slot);
// The k-th name (the last when k is past the end), blank padded to 8; false when absent.
bool optname(const stmtrec* r, int slot, int k, char out[8]);
// The text of a name or quoted-string option and its length; null when absent.
const char* opttext(const stmtrec* r, int slot, int* length);

// The annotate data set's copy for the destination (devgraph.h: vyxanno): 0 when the copy is
// ready (annolib), 1 on failure (a message is given).
int vyxatrn(vyxstate* s);

// Grid lines, axis labels and the title of a probability-plot page.
// The reference grid of a panel: probability-axis lines (and minor ones with MPGRID), life-axis
// lines (and minor ones on a log axis with MINORLOGGRID).
int vyxggrd(vyxstate* s);
// The labels of the horizontal and the vertical axis, centred over the page's panels.
int vyxghlb(vyxstate* s);
int vyxgvlb(vyxstate* s);
// A title line above the frame.
int vyxgttl(vyxstate* s);

// ---- the inset, the page layout and the reference lines
// The inset's fonts and colours (devgraph.h: insetrec); mode 1 when an INSET statement is
// read, 0 otherwise.
void SetGraphics(vyxstate* s, insetrec* r, int mode, ggtext* t);

// Page layout of a device plot, refilled for every output destination: vyxgini starts the
// graph on the destination (catalog, page window), vyxpmar takes the fonts, gaps and tick
// label sizes, vyxppag computes the frame, the panels and the data-to-page factors.
enum : int { RC_SKIPDEST = 20001 };   // a later destination named DOCUMENT: skipped

int vyxgini(vyxstate* s);
void vyxpmar(vyxstate* s);
int vyxppag(vyxstate* s);

// The HREF and VREF lines of group's panel (devgraph.h: vyxgrefs) one kind at a time: they
// write the labels that need a box of the background colour at once. A relation plot passes
// vyxgvrl no group (and clears refstop2 first: it draws no intersections); its labels on boxes
// wait for the SREF lines (vyxgsrl) when there are any.
void vyxghrl(vyxstate* s, grpnode* group, panelink ink = nullptr);
void vyxgvrl(vyxstate* s, grpnode* group, panelink ink = nullptr);
// The stress reference lines (SREF=) of a relation plot with their labels, placed with the
// labels of its VREF lines (vyxgvrl with no group), clear of what `ink` says the plot draws
// (its markers and legend, its percentile lines); the labels of both kinds that stand on
// boxes are written after the lines.
void vyxgsrl(vyxstate* s, panelink ink);
// The reference lines of a probability-plot panel, drawn under its points and lines: the
// labels that find no clear place are left for refsover, which writes them on boxes of the
// background colour over what the groups drew.
void refsunder(vyxstate* s, grpnode* group);
void refsover(vyxstate* s, grpnode* group);
// What group g of a probability plot draws on its panel (devgraph.h: PanelInk).
void ppink(vyxstate* s, const grpnode* g, PanelInk* ink);
// The limit bars (NPINTERVALS=) of group g's plotted points, as lines of *ink.
void ppbars(vyxstate* s, const grpnode* g, PanelInk* ink);
// value: already on the axis's scale (log10 or quantile); labelled: the reference line got a label.
void hintersct(vyxstate* s, grpnode* group, double value, int labelled, int ltype);
void vintersct(vyxstate* s, grpnode* group, double value, int labelled, int ltype, double* labely, int* labelstep);

// ---- nice axis scaling (devgraph.h: zqscale)
// Results of zqscale besides an interval count (>= 0).
enum : int {
    ZQS_NOCOUNT = -1,     // n is 0
    ZQS_BADNICE = -2,     // a nice value outside [1, 10] (or not a number)
    ZQS_NOFIT = -4,       // exact count: no nice value reaches it within five decade shifts
    ZQS_NEGATIVE = -5,    // the interval count came out negative, or the range has no usable scale
};

// The steps of the search, for the tests and for callers that need one of them.
void bubbles(double a[], int k);
double mypow10(int e);
double initscale(const double nice[], double thr[], int m, scale* out);
int setscale(const double nice[], scale* out, double* mlo, double p, double tol);
int round1(const double nice[], double thr[], int k, scale* out, char side, double tol);
int round2(double nice[], double thr[], int k, scale* out, char side, double tol);

// ---- text, the axis pieces, SQUARE, segments, symbols
// A text record with the plot's text colour, the layout's value font and the height.
ggtext plottext(const vyxstate* s, double height);

// Draws the text record's text at (x, y).
inline void drawtext(ggtext& t, const char* text, int len, double x, double y) {
    t.text = text;
    t.len = len;
    t.x = static_cast<float>(x);
    t.y = static_cast<float>(y);
    ggstr(0, &t);
}

// Where a reference line meets a fitted line beyond the probability axis: ln F(z) (upper:
// ln(1 - F(z))) of the plot's standardized distribution (normal, extreme value, logistic; NaN
// for another), without cancellation: 1 - exp(-exp(z)) is 0 in doubles below z = -37.
double logprob(uint32_t distcode, double z, bool upper);
// That percent as the WARNING writes it, from ln F and ln(1 - F): two decimals, or two
// significant digits where they show more ("0.75", "0.012"), below 0.001 in the exponent form
// ("8.8E-74"); *above set where two decimals would read 100.00 (the text is then "99.99").
// Empty when either is NaN.
std::string crosspercent(double logp, double logq, bool* above);
// The WARNING that a reference value (v, in axis units; `written`, as the statement gave it,
// NaN when not known) meets a fitted line off the `vertical` (else the horizontal) axis, at
// standardized value z (NaN: at `value` percent, FMODE COMBINE), or, for a probability
// reference, at time `value`: the line is drawn across the frame without the value read off.
// The WARNING names the value as written, else as v gives it back; each text once in the step.
void crosswarn(vyxstate* s, bool vertical, double v, double written, double z, double value);

namespace axisparts {

// A tick label of at most 16 characters in buf (blank padded); code is the formatter's
// decimals argument, changed to the exponent form's when the label took one, and the label
// is then formatted again in that form. The label's length.
inline int ticklabel(char buf[16], double v, int* code) {
    std::memset(buf, ' ', 16);
    int nd = 0;
    int len = shwylab(buf, v, &nd, code, 1);
    if (*code < 0) len = shwylab(buf, v, &nd, code, 1);
    return len;
}

// A panel follows above this one (devgraph.h: panelright).
bool panelabove(const vyxstate* s);

// The labels of a life (or time) axis as the axis routines draw them (ticktext.cpp).
// A value of an even axis (its origin plus a multiple of its step), cleared of the noise that
// adding up steps leaves (3 x 0.00001 is not 0.00003, and would be written 3e-05): rounded to
// 12 significant digits, more than a label of ten characters shows, so that every digit of
// the origin stays (0.12345 by 0.1 reads .12345 .22345 ...).
double tickvalue(double v);
// The values the labels of every tick show: an even axis from its lower end by its step, or a
// tick array of log10 values (shown as powers of ten); logs: the even axis is in log10 units.
// A value within `zero` of 0 is 0.
std::vector<double> lifelabels(const plotlay* f, bool horizontal, bool even, bool logs, double zero);
// The formatter's decimals argument for every label of an axis whose labels show `shown`:
// `code` when no label takes the exponent form, else the exponent form (with the mantissa
// digits the labels need) for all of them: an axis reads in one notation.
int axiscode(const std::vector<double>& shown, int code);
// The widest tick label of the axis (horizontal or vertical) of a probability or MCF plot as
// its routine draws it, 0 for an axis another routine labels (a relation plot's); *alike
// gets the text of two neighbouring labels that read the same, at two ticks (empty when
// every two differ).
double drawnlabels(vyxstate* s, bool horizontal, std::string* alike);

}  // namespace axisparts

// SQUARE: the frame shrinks along its longer side to make the plot area square.
inline void squareframe(plotlay* f) {
    const ggdevice* dev = f->gctx ? f->gctx->device : nullptr;
    if (!dev) return;
    const double w = dev->pagew * f->fw / 100.0, h = dev->pageh * f->fh / 100.0;
    if (h >= w) {
        const double d = ggl2pct(0, GGU_INCHES, 2, (h - w) / 2);
        f->sqdy = d;
        f->fh -= 2 * d;
        f->fy += d;
        f->vfac = f->fh / (f->vmax - f->vmin);
        f->voff = f->fy - f->vmin * f->vfac;
    } else {
        const double d = ggl2pct(0, GGU_INCHES, 1, (w - h) / 2);
        f->sqdx = d;
        f->fw -= 2 * d;
        f->fx += d;
        f->hfac = f->fw / (f->hmax - f->hmin);
        f->hoff = f->fx - f->hmin * f->hfac;
    }
}

// Graphics segments: opens and selects the segment of a new page; words are the graphics-output
// words.
void* vyxsgmt(vyxstate* s, void* words[2]);

// Symbols, colours and patterns of a device plot: vyxsymb builds the style records of the
// groups, vyxgpat fetches the pattern names, vyxgcol resolves the colour of every role per
// page (vyxgfrm, devgraph.h, fills the frame with them). Each choice follows one order: the
// statement's option, the output style's element (when the graphics context says styles are
// in use), the device's default.
//
// Records: symarr[k] the line attributes of group k (line type, line colour), symcomp[k] its
// point attributes (plot symbol and colour), symcens[k] its censored marks. The relation plot
// keeps its records in gstyles: the exact, right- and left-censored marks, then one record per
// PLOTFIT line, then the levels' records.
enum : int { GS_EXACT = 0, GS_RIGHT = 1, GS_LEFT = 2, GS_PCT = 3 };

int vyxsymb(vyxstate* s);
void vyxgpat(vyxstate* s);
int vyxgcol(vyxstate* s);
