// The public header of the device graphics (what other folders may include of proc/devgraph).
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

struct ggctx;

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
    uint8_t novtl;              // no tick labels on the vertical axis
    char expnote;               // 'E' when the horizontal log axis labels take exponent notation
    uint8_t insetnext;          // the statement right after the plot statement is an INSET statement
    double* pagewin;            // page window: left, bottom, right, top (from the BY-group pool)
    void* symspare;             // spare symbol record
    // The option readers' second pair of PCTLIST indices (the percentile table's range).
    int32_t plast2, pfirst2;
};
