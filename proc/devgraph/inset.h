// The inset: a small framed box inside or beside a probability or MCF plot that lists
// summary facts of the group drawn. vyxins builds it from the INSET statement after the plot
// statement (or a default list), SetGraphics and vyxipos give it fonts, colours and a place
// on the page, vyxidrw draws it. The statistical-graphics road reads the same record.
#pragma once
#include <cstdint>

struct vyxstate;
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
// mode 1 when an INSET statement is read, 0 otherwise.
void SetGraphics(vyxstate* s, insetrec* r, int mode, ggtext* t);
// 0, or 1 when the inset cannot be placed (a message is given and the inset is not drawn).
int vyxipos(vyxstate* s);
void vyxidrw(vyxstate* s);
// Clears the grid under a default (unfilled) inset's box; called after the grid, before the data.
void insetbackdrop(vyxstate* s);
