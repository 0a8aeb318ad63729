// The public header of the device graphics (what other folders may include of proc/devgraph):
// the plot layout record first, then each part the other folders use (relation panels, life-data
// scales, places and text, annotation, grid labels, the inset, reference lines, marks, axis
// pieces, the page drivers, strips and symbols), each with its own comment.
//
// The plot layout record: data ranges of both axes, the frame and its gaps and margins,
// the device's text metrics, the panel geometry, page counters, the data-to-page factors
// and the graphics context of one device-graphics plot statement.
//
// The option readers allocate it from the statement pool (zero-filled) and hang it on the
// state's `frame`; vyxgini, vyxpmar and vyxppag refill it for every output destination;
// every drawing routine reads it. Coordinates are percent of the page window (0 to 100 in
// both directions, origin bottom left) unless a field says otherwise; a data value v is
// drawn at v x factor + offset (page y = v x vfac + voff, page x = v x hfac + hoff).
#pragma once
#include <cstdint>
#include <vector>
#include "host/stmtrec.h"
#include "common/box.h"
#include <functional>
#include <cstring>
#include "proc/framework/hostgraphics.h"
#include "proc/framework/textpad.h"
#include <algorithm>
#include "host/vec116_graphics.h"
#include <cmath>
#include "proc/framework/memnum.h"
#include "proc/framework/wholenum.h"
#include "proc/framework/grpnode.h"
#include "proc/framework/insetnote.h"

struct ggctx;
struct vyxstate;
struct destctx;

// ---- the statements and the start of device graphics, called by the main routine
int vyxpplt(vyxstate* s);      // PROBPLOT, after its options were read (vyxpprm)
int vyxrplot(vyxstate* s);     // RELATIONPLOT
// Opens device-graphics output on the open destinations: 0, 1012 (no open destination, or
// the graphics module cannot be loaded, or the output manager failed) or 1016 (no memory).
int zqidest(destctx* c);
// Releases what zqidest took; safe to call twice.
void zqdfree(destctx* c);
// Loads the graphics modules and starts device graphics: 0 success; 1 a module, gginit or the
// library block failed (message 129/53 for a module); -1 named storage, an exit routine or
// memory failed. The callers log 510/7, or 510/8 and 510/9.
int ggsload(ggstate* gcb, int mode, int keep);

struct plotlay {
    double hdata[2];            // horizontal data ends as gathered before the axis range is chosen
    double hmin, hmax;          // data range of the horizontal axis
    double hstep;               // tick step of the horizontal axis, data units
    double smin, smax;          // ends of the stress axis, transformed stress units
    double vdata[2];            // vertical data ends as gathered
    double vmin, vmax;          // data range of the vertical axis
    double vstep;               // tick step of the vertical axis, data units
    double txth;                // text height
    double pgmarg;              // outer page margin (left and right)
    double lblgap;              // gap between an axis label and the page window
    double intxth;              // text height of the inset (INHEIGHT)
    double hlblh;               // height of the horizontal axis label line
    double lblsp;               // label spacing unit
    double sqdx, sqdy;          // shifts of the frame made by SQUARE
    double gapb, gapt, gapl, gapr;   // gaps between the frame and its axes
    double txth2;               // copy of txth
    double htickl, vtickl;      // tick lengths of the horizontal and vertical axis
    double htlblh, vtlgap;      // height of horizontal tick labels; gap of vertical tick labels
    double markw;               // width of the stress-level marks of the relation plot
    double lblpad;              // label pad
    double tilegaph, tilegapv;  // gaps between neighbouring panels
    double sp2[5];              // spacing values
    double bmarg, tmarg;        // bottom and top margins between the page window and the frame
    double fh, fw;              // frame height and width of one panel
    double fhrest;              // height left over when the frame height is snapped to text rows
    double fx, fy;              // left and bottom edge of the frame of the current panel
    double lmarg2, tmarg2;      // extra left and top margins (key strips)
    double hdrh;                // header height
    double vlblw;               // width of the vertical axis label column
    double vfac, voff, hfac, hoff;   // data-to-page factors and offsets
    double chw, chh, chdiv;     // character cell width and height; aspect factor (page height / width)
    double symh, symw;          // symbol height and width
    double htlw, vtlw, rtlw;    // widest horizontal, vertical and relation-panel tick labels
    double h1lw;                // width of the first horizontal tick label
    double* hticks;             // tick values of the horizontal axis
    double* vticks;             // tick values of the vertical axis
    double* rticks;             // tick array of the relation-panel axis (values after nrtickv entries)
    double fx0, fy0, fw0, fh0;  // frame of the first panel as computed
    int32_t fillcol;            // fill colour of the relation plot's boxes (-1 none)
    uint32_t linecol;           // line colour of the relation plot's boxes
    int32_t npages;             // number of pages of the statement
    uint32_t pageno;            // running page number
    uint32_t panelrow;          // panel row from the bottom
    uint32_t panelcol;          // panel column from 1
    int32_t vtstep, htstep;     // label steps of the vertical and horizontal tick labels
    int32_t vdec, hdec, rdec;   // decimals of the tick labels (-1: exponent notation)
    int32_t plast, pfirst;      // last and first PCTLIST index inside the probability axis
    int32_t nhtick, nvtick;     // numbers of intervals of the horizontal and vertical axis
    int32_t nsint;              // number of intervals of the stress axis
    int32_t nrtickv, nhtickv, nvtickv;   // numbers of tick values
    char lblfont[8];            // label font (blank: device default)
    char tattr[8];              // value font: the text attributes of tick labels and texts
    char font3[8];              // a third font
    char datafont[8];           // data font
    uint32_t catent;            // catalog entry of the graph
    ggctx* gctx;                // graphics context (ggxget)
    uint8_t valfontblank;       // the value font is blank
    uint8_t hwtext;             // device (hardware) characters are used
    uint8_t leftedge[2];        // the panel stands in the left column
    uint8_t bottomedge[2];      // the panel stands in the bottom row (axis labels drawn)
    uint8_t lblwarned;          // a too long axis label has been warned about
    uint8_t tickwarned;         // tick labels that read alike have been warned about
    InsetsOver insetsover;      // the insets drawn filled over the data for want of a free corner (this destination)
    const grpnode* insetfirst;  // the group of the first of them
    int32_t labelsleft;         // reference labels left out of their columns for want of room (this destination)
    uint8_t novtl;              // no tick labels on the vertical axis
    char expnote;               // 'E' when the horizontal log axis labels take exponent notation
    uint8_t insetnext;          // the statement right after the plot statement is an INSET statement
    double* pagewin;            // page window: left, bottom, right, top (from the BY-group pool)
    void* symspare;             // spare symbol record
    // The option readers' second pair of PCTLIST indices (the percentile table's range).
    int32_t plast2, pfirst2;
};

// The relation plot: life against stress. On a probability-plot page (fit methods other
// than REGRESSION) vyxrplt draws the relation panel after the probability panels: data
// markers, boxes (vyxbox) or medians per stress level and the percentile lines through
// the levels' own fits. With FITTYPE=REGRESSION the RELATIONPLOT driver (vyxrplot) scales
// the axes itself, computes the percentile lines of the MODEL fit (regper) and draws one
// page per destination (regplt).
struct vyxstate;
struct descell;
struct levstate;

// What regper leaves for the drawing and the statistical-graphics road: how many curves
// each percentile has and what distinguishes them, and the points of each curve.
struct regpstate {
    uint8_t other;              // curves for values of a second continuous variable
    uint8_t bylevel;            // curves for each level of the MODEL's CLASS variable
    int32_t otherix;            // index of the second continuous variable
    int32_t ncurve;             // curves per percentile
    const double* values;       // the second variable's values
    int32_t npts;               // points per curve: 100 for the model fits, else the levels
    int32_t clsix;              // with bylevel: the MODEL's CLASS variable whose levels the curves are
};

// The variables the MODEL's effects use (the CLASS statement may name more): their counts
// and the first CLASS variable used (-1: none).
struct usedvars {
    int ncls = 0, ncont = 0, cls = -1;
};
usedvars usedvariables(const levstate* ls);

// The statistical-graphics road of RELATIONPLOT (its result is the statement's).
int vyxrog(vyxstate* s, const double* pctlines);

// The life and stress axes of the life-distribution plots: ranges from the data and the
// axis options, tick values chosen by the nice axis scaling.

// The life axis for the data range (lo, hi) on the stored scale (ln or log10 values on a log
// axis): lifescale (start, end, step), lifelin, lifetickv with its count in tickinfo, NTICK,
// and with lifebnd the boundaries lifeticks and their counters. 0, or 1 after xmemmsg.
int lifescl(vyxstate* s, double lo, double hi);
// The stress axis of the relation plot from the smallest and largest stress value: tick
// positions (transformed) and labels in the frame's rticks, STRESSLOWER and STRESSUPPER
// set to the ends. 0 (or the status of the power routine), 1 after a message.
int stressscl(vyxstate* s, double smin, double smax);

// A number option of a plot statement as the drawing code reads it, given once or as a list:
// the k-th number (the last when k is past the end); false when absent.
bool optnum(const stmtrec* r, int slot, int k, double* out);

// The title of a probability plot's life axis into buf (size characters, blank padded; the
// result is its length): the response's label, else a message naming the distribution and
// the variable(s), "minus threshold" with THRESHOLD ("mrevs minus threshold on Lognormal
// probability paper"); fallback: the short form for a title too wide ("mrevs", "mrevs minus
// threshold"). The statistical road titles its time axis so under THRESHOLD.
int lifelabel(const vyxstate* s, char* buf, int size, bool fallback);

// The distribution's name as the pages write it into buf (size characters, blank padded; the
// result is its length): the fit's 16-character name, and for LNORM10 the listing's
// "Lognormal (base 10)", so that a base-10 location (1.8 for the ball bearings) is not read as
// one of natural logarithms. Axis titles, graph titles and labels take it on both roads.
int pagedistname(const vyxstate* s, char* buf, int size);

// Annotate data sets: the ANNOTATE= observations that the host's annotate facility draws
// onto each panel. vyxatrn copies the data set once per destination, turning every data
// coordinate (XSYS or YSYS '2') into the drawing units of its axis (log10, quantile or
// transformed stress); vyxanno hands the copy and both axes to the host for each panel.
int vyxanno(vyxstate* s);

// Named places of the state's device-graphics arrays, and constants the drawing routines share.
enum : int {
    // colors and colornames: one colour number and 8-character name per role (vyxgcol)
    GC_DEV1 = 0, GC_DEV2, GC_DEV3, GC_TEXT, GC_HREF, GC_VREF, GC_SREF, GC_AXIS, GC_GRID, GC_FRAME,
    GC_FRAMETOP, GC_FRAMESIDE, GC_CENSOR, GC_FRAMEFILL, GC_BOXFILL, GC_BOXLINE, GC_COUNT,
    // legends: groups, percentile lines, failure modes
    LG_GROUPS = 0, LG_PCT = 1, LG_FMODES = 2,
};
static_assert(GC_COUNT <= 18, "the state keeps 18 colour roles");

// The zero tolerance of the layout and the spacing unit of the axis routines.
constexpr double GZ_EPS = 1.053671212772351e-08;
constexpr double GZ_UNIT = 1.110223024625157e-16;

// The inset: a small framed box inside or beside a probability or MCF plot that lists
// summary facts of the group drawn. vyxins builds it from the INSET statement after the plot
// statement (or a default list), SetGraphics and vyxipos give it fonts, colours and a place
// on the page, vyxidrw draws it. The statistical-graphics road reads the same record.
struct grpnode;
struct ggtext;

struct insetent {
    int32_t vallen;             // length of the value text
    int32_t lablen;             // length of the label text
    char value[24];             // blank padded, left-justified
    char label[24];             // blank padded
    insetent* next;
};

struct insetrec {
    double vmargin;             // vertical margin inside the box
    double hmargin;             // horizontal margin inside the box
    double boxxlo;              // box corners, page percent: lower left
    double boxylo;
    double boxxhi;              // upper right
    double boxyhi;
    double labwidth;            // widest entry label
    double valwidth;            // widest entry value
    double boxwidth;            // width of the text block
    double boxheight;           // height of the box
    double hdrwidth;            // width of the header text
    double colgap;              // gap between the label and the value column
    double linegap;             // space between entry lines
    double textheight;          // text height
    double hdrbox[3];           // header band: left x, right x, lower y (its top is boxyhi)
    uint8_t cfillgiven, cfillhgiven, cframegiven;
    char fillcolor[8];
    char framecolor[8];
    char textcolor[8];
    char hdrcolor[8];
    char hdrfill[8];
    char font[8];               // blank: not chosen yet
    int32_t hdrlen;             // 0: no header
    char hdrtext[40];
    uint8_t noframe;            // NOFRAME
    char poskey[8];             // "NW", "TM", ...; "USER    " for coordinates
    double posx;                // POSITION=(x, y)
    double posy;
    uint8_t possys;             // 2 data values, 3 percent of the plotting area
    char refpoint[8];           // REFPOINT keyword; blank when not given
    uint8_t poskind;            // 0 no position, 1 keyword, 2 coordinates
    uint8_t active;             // 1: to be drawn
    uint8_t hgiven;             // the text height was given
    uint8_t devfont;            // the device's own font is used
    double cellheight;          // line height in character cells under devfont
    double* items;              // the item-code list being read
    int32_t nitems;
    int32_t nentries;
    int32_t itemidx;
    int32_t labelidx;
    int32_t areakind;           // host handle of the registered box area
    uint32_t area[2];
    insetent* entries;
    insetrec* next;             // next inset record of the plot; null here
    const grpnode* group;       // the group the inset describes (its placement keeps clear of it)
};

// 0, or 1016 when memory runs out.
int vyxins(vyxstate* s, grpnode* group);
// A box on the page (percent of the page), as labels and insets take room.
using PageBox = labelplace::Box;

// What a group draws on its panel, as the labels of the reference lines keep clear of it: its
// markers (boxes), its lines (segments from (x0, y0) to (x1, y1)) and its texts (boxes: a
// legend's), in page percent. With a tally the markers and lines are counted there instead
// of kept (the walk of a million records keeps nothing per record).
struct PanelInk {
    std::vector<PageBox> marks;
    std::vector<PageBox> lines;
    std::vector<PageBox> texts;
    struct Tally;              // the inset's corners (devgraph_internal.h)
    Tally* tally = nullptr;

    // Out of line: the drawing's own walk of a million segments stays as tight as it was.
    void addmark(const PageBox& m);
    void addline(const PageBox& l);
    // Nothing from (ax, ay) to (bx, by) can count: a tally's boxes all lie off it (false
    // without a tally).
    bool off(double ax, double ay, double bx, double by) const;
};
// For a plot whose drawing the reference lines do not know themselves (MCF plots): adds
// group g's markers and lines to *ink.
using panelink = void (*)(vyxstate* s, const grpnode* g, PanelInk* ink);

// 0, or 1 when the inset cannot be placed (a message is given and the inset is not drawn).
// `ink` tells, for a plot whose drawing the placement does not know itself (MCF plots), what
// the group draws: the corner search keeps clear of it, and the labels of the reference lines
// too.
int vyxipos(vyxstate* s, panelink ink = nullptr);
void vyxidrw(vyxstate* s);
// Clears the grid under a default (unfilled) inset's box; called after the grid, before the data.
void insetbackdrop(vyxstate* s);

// Reference lines of device plots: HREF (horizontal-axis values), VREF (vertical-axis
// values) and SREF (stress values of the relation plot), with their labels and, with
// HREF(INTERSECT) or VREF(INTERSECT), a second line through the point where a reference
// value meets each fitted line, labelled with the value read off the other axis. A label
// stands where it belongs unless there it would stand nearer another reference line than its
// own, be crossed by a line, or meet a text, a marker or the inset; then it moves along its
// own line, and where lines lie too close for that, their labels stand in a column beside
// them with a leader to each line (common/labelplace.h). `ink`: what the groups of the panel draw,
// for a plot whose drawing the routines do not know (MCF plots). vyxgrefs draws both kinds of
// lines of group's panel first and the labels that need a box of the background colour last.
void vyxgrefs(vyxstate* s, grpnode* group, panelink ink = nullptr);

// Nice axis scaling: a data range turned into an axis whose ends are whole multiples of a
// nice increment (a value of a short list between 1 and 10, times a power of ten).
//
// The caller asks for about n intervals (n > 0) or exactly -n intervals (n < 0) and says
// which end must stay. The routines never allocate, print or log; a caller that gets a
// negative result falls back on its own defaults.
// The scale record: written by zqscale. While the search runs `incr` first holds the wanted
// interval count and `index` the number of nice values in use; at the end `index` is the
// index of the chosen nice value. The two spare doubles are the callers' business.
struct scale {
    double min;
    double max;
    double incr;
    double spare[2];
    int32_t index;
};

// order 'N': the nice list is sorted first, any other byte keeps its order. side 'L' keeps
// the minimum, 'U' the maximum, 'E' centres the scale on the data, any other byte moves both
// ends out to multiples of the increment. The caller's nice list is never changed.
int zqscale(double min, double max, int n, int nnice, const double nice[], scale* out, char order, char side);

// Tick value labels: one axis or reference-line value as a label of at most 10 characters,
// optionally compact (no leading zero, no ".0" before an exponent), with the number of
// decimals it shows.
// out: 10 characters, blank padded (null: only the measures). w: on entry the decimals
// argument of the host formatter; changed only for a label with an exponent. Returns the
// label's length without trailing blanks.
int shwylab(char* out, double value, int* ndec, int* w, int trim);

// The observations of a BY group as the MODEL reads them, for the data markers of the relation
// plot of a MODEL or REGRESSION fit on both graphics roads: an observation the MODEL drops (a
// missing covariate, an unusable or non-positive frequency, a missing failure mode) is not
// plotted although the stress level of the statement keeps it, and a failure of another
// failure mode is right-censored, as the MODEL counts it.

struct modelobs {
    double stress;   // the MODEL's value of the stress variable, before any relation
    double life;     // on the time scale, THRESHOLD subtracted; an interval's midpoint
    int code;        // 0 exact, -1 right-, -2 left-, -3 interval-censored
    double count;    // the frequency as a whole number (1 without FREQ)
};

// Whether the relation plot's data come from the MODEL's reading of the group: a MODEL or
// REGRESSION fit whose stress variable is one of the MODEL's continuous variables.
bool plotsmodelrows(const vyxstate* s);

// Rewinds the BY group and calls f for each observation the MODEL uses whose life can be
// placed (on a log life axis: above 0). f returns non-zero to stop. Result: 0, f's result, or
// 1 when the MODEL's reader failed (it has logged why).
int eachmodelobs(vyxstate* s, const std::function<int(const modelobs&)>& f);

// A buffer of plot symbols handed to the host whenever it is full and once more at the end,
// drawn in the symbol, size and colour of a symbol record (the symbol colour, else the line
// colour); a symbol whose centre lies on the clipping rectangle's edge is drawn whole.
struct Marks {
    ggmarkblk blk{};
    double* pts = nullptr;
    int cap = 0, color = 1;
    const float* clip = nullptr;

    void style(const symrec* r);
    void add(double x, double y) {
        if (!pts || cap <= 0) return;
        pts[2 * blk.count] = x;
        pts[2 * blk.count + 1] = y;
        if (++blk.count == cap) flush();
    }
    void flush();
};

// Text and line-width helpers of the drawing routines: the width of a text record; the line
// width of the graphics context from WAXIS.

// The text's width (as ggstrl measures it).
inline double textwidth(ggtext& t, const char* text, int len) {
    t.text = text;
    t.len = len;
    ggstrl(0, &t);
    return t.width;
}

// Whether a text measured by ggstrl reaches below its baseline as a descender does: its glyphs
// further than a tenth of its height (round letters, digits and the slashes reach less).
inline bool descends(const ggtext& t) { return t.below > 0.1f * t.height; }
// Whether it reaches above the ascenders' height, as an accent does (the ascenders stand at
// 0.76 of the height; an acute on a small letter reaches 0.80).
inline bool rises(const ggtext& t) { return t.above > 0.765f * t.height; }

// WAXIS= truncated to a whole number when given (1 to MOST_WIDTH), else `dflt`, into the
// graphics context.
void setwidth(vyxstate* s, int dflt);
void resetwidth(vyxstate* s);

// Pieces the axis routines of the probability, relation and MCF plots share: the panel's
// axis lines L, R, B, T, the spacing test of stacked labels, and the guards that keep labels
// out of a neighbouring panel (the tick labels formatted the way the axes want them are the
// folder's own: ticklabel, devgraph_internal.h).

namespace axisparts {

// The four axis lines of the panel and the things every axis routine draws with.
struct Panel {
    vyxstate* s;
    plotlay* f;
    ggtext t;
    int color;                  // axis colour
    double L, R, B, T;
    double H;                   // text height

    explicit Panel(vyxstate* st);
    void line(double x0, double y0, double x1, double y1) const { ggdraw(0, x0, y0, x1, y1, 1, color); }
    // A position snapped to character cells on a device that draws its own characters.
    double cellx(double x, int up = 0) const { return f->hwtext ? ggcell(0, x, 1, up) : x; }
    double celly(double y) const { return f->hwtext ? ggcell(0, y, 2, 0) : y; }
    // The border round the plot window (INBORDER).
    void border() const;
};

// A value shown on a log10 axis: 10 to its power.
inline double pow10of(double v) {
    int rc = 0;
    return vx::zpower(10.0, v, &rc);
}

// Log minor ticks of a tick array t (log10 values) between t[i] and t[i + 1]: tick(u, full)
// with full set at the 5 of each decade.
template <class Tick>
void logminors(const double* t, int i, Tick&& tick) {
    const double f = std::floor(t[i]);
    double m = std::ceil(pow10of(t[i] - f));
    const double limit = t[i + 1] * (1.0 - 100.0 * GZ_UNIT);
    const double five = f + std::log10(5.0);
    for (int guard = 0; guard < 100000; ++guard, m += 1.0) {
        const double u = f + std::log10(m);
        if (!(u < limit)) break;
        if (std::fabs(u - t[i]) <= std::fabs(1000.0 * u * GZ_UNIT)) continue;
        tick(u, std::fabs(u - five) <= std::fabs(1000.0 * five * GZ_UNIT));
    }
}

// How many more half-distances two labels of height h (with gap g) need than d gives:
// 0 when they fit.
inline int need(double hg, double d) { return satint(std::ceil((hg / 2.0) / d - (1.0 + GZ_EPS))); }

// The guard of labels along a horizontal axis with a panel to its right: the overhang left
// of the axis start is kept, and a label reaching into the next panel stops the labels.
struct RightGuard {
    bool active;
    double L, R, gap, over = 0.0;
    bool stopped = false;
    // The label at left end x with the width w may be drawn.
    bool ok(double x, double w) {
        if (!active) return true;
        if (stopped) return false;
        over = std::fmax(over, L - x);
        if ((R + gap - over) - 0.5 < x + w) stopped = true;
        return !stopped;
    }
};

// A panel follows to the right of this one (panelabove, devgraph_internal.h: above it). The
// drivers keep the panel's column (from 1) and row (from 0 at the bottom) in the layout record.
bool panelright(const vyxstate* s);

// The life axis up the left side, even intervals or a tick array of log10 values, shared by
// the rotated probability plot, the relation plot and MCFPLOT's vertical axis (linear: even
// intervals). Its labels read in one notation.
void verticallife(vyxstate* s, bool linear);
// The life (or time) axis's ticks and labels along the bottom: even intervals from hmin in
// steps of hstep, or the tick array hticks of log10 values.
void bottomlife(Panel& a, RightGuard& g, bool array);
// The counts of the CENBIN bins in the strip above the frame, with the bins' edges.
void bincounts(Panel& a);

}  // namespace axisparts

// What the page loops of the probability, relation and MCF plots share: the page being
// drawn (a graphics-catalog segment, opened when a panel needs it and closed exactly
// once), the legend drawn into a page, the symbol records a group takes, SQUARE, and the
// page driver's set-up of a destination and placing of panels (pages.cpp).

// The pages of one destination: the open segment, if any.
struct Pages {
    vyxstate* s;
    void* seg = nullptr;
    bool open = false;

    void begin();
    void end();
};

// The legend record of a kind drawn into the page, then its pool released.
void legend(vyxstate* s, int which);

// Group g takes symbol record k (line, points, censored marks).
void givesymbols(vyxstate* s, grpnode* g, int k);

// What the page drivers of the probability and MCF plots share: the state, the page layout,
// the page being drawn, the panel grid (NROWS x NCOLS) and the size of its cells.
struct PageDriver {
    vyxstate* s;
    plotlay* f;
    Pages page;
    int nrows, ncols;
    double cellw = 0, cellh = 0;

    // The result of a drawing routine: a failure closes the page and ends the statement.
    int check(int rc) {
        if (rc != 0) page.end();
        return rc;
    }
    void axislabels();
    // The grid cell (r, c) of two class variables, or null.
    grpnode* cell(int r, int c) const;
    // The panel at column c, dx right of the cell's left edge (SQUARE's shift).
    void atcolumn(int c, double dx) {
        f->fx = cellw * c + f->fx0 + dx;
        f->hoff = f->fx - f->hmin * f->hfac;
        f->panelcol = static_cast<uint32_t>(c + 1);
    }
    // The panel at row r (from the top), dy above the cell's bottom edge.
    void atrow(int r, double dy) {
        f->fy = cellh * (nrows - r - 1) + f->fy0 + dy;
        f->voff = f->fy - f->vmin * f->vfac;
        f->panelrow = static_cast<uint32_t>(nrows - r - 1);
    }
    // A destination's pages set up: symbols, the legends (when one is drawn), patterns,
    // margins and page layout, the annotation's copy (dropped when it cannot be made); the
    // size of a panel's cell, SQUARE, the first panel. 0, or a failure.
    int setup(bool legends, bool square);
};

// Draws the plot once for every output destination: the page layout is refilled for each
// (a later DOCUMENT destination is skipped), a destination that does not collect ends the
// loop, the collected segments are published once, and the annotate copy is removed.
int eachdestination(vyxstate* s, const std::function<int()>& draw);

// Label strips: the boxed key strip above or beside a panel, and the strips of the class
// variables' labels.
void vyxptlb(vyxstate* s, const char key[16]);
void vyxpslb(vyxstate* s, const char key[16]);
void vyxpclb(vyxstate* s);

// Frame fills of a device plot: vyxgfrm fills the frame and the strip of censored marks per
// panel (the symbols, colours and patterns it reads are the folder's own: vyxsymb, vyxgpat,
// vyxgcol in devgraph_internal.h).
int vyxgfrm(vyxstate* s);
