// Vector 116, the host's device graphics: the device, its graphics state and context,
// segments (pages) of graphics catalogs, colours, text, lines, fills, markers, clipping and
// legends. Coordinates are percent of the page (0 to 100 in both directions, origin bottom
// left); text heights are percent of the page height.
#pragma once
#include <cstdint>
#include "host/vec203_datasets.h"
#include "host/vec320_output.h"

// ---- the device description (ggdvfind; the body that ggdvget hands out)
enum : int32_t {
    GGDEV_ORDINARY = 0,
    GGDEV_NOCOLLECT_FIRST = 7200,      // device types 7200 to 7204 collect no segments
    GGDEV_NOCOLLECT_LAST = 7204,
};
struct ggdevice {
    char name[8];              // device name, blank padded
    int32_t devtype;           // GGDEV_ORDINARY, or 7200-7204
    double pagew, pageh;       // page size, inches: the device block's two page-size doubles
    double dpi;                // resolution of PNG pages, pixels per inch
    double cellw, cellh;       // character cell, percent of the page width and height
    double aspect;             // page height / page width: horizontal percent per vertical percent
    double textheight;         // default text height, percent of the page height
    double symbolheight;       // default symbol height, percent of the page height
    char hwtext;               // 'Y' when the device draws characters of its own; 'N'
    int32_t ncolors;           // colours of the device's list
    const char (*colors)[8];   // the list: colour 1 is the foreground, 2 and 3 for frames
    char background[8];        // background colour name
    double date;               // date of the description (a cached copy is kept while it holds)
};

// ---- graphics state (ggznew): what a destination asks of the device
enum : uint32_t { GGS_COLLECT = 0x08, GGS_WIDTH = 0x20, GGS_HEIGHT = 0x40 };
struct ggstate {
    int32_t firstuse;          // 1 for a state not yet used
    uint32_t flags;            // GGS_COLLECT: finished segments are collected and published
    char device[8];            // device name, blank padded (blank: the default device)
    double width, height;      // page size asked for, inches (negative: the device's)
    char style[32];            // output style name
    uint8_t destflags[3];
};

// ---- graphics context (ggxget): the device in use, line width, style, text style
struct ggtextstyle {
    double height;             // text height in `unit`
    int32_t unit;              // GGU_* unit code of the height
    char color[8];             // text colour name (blank: none)
    char font[8];              // font name (blank: none)
};
enum : int32_t { GGU_CELLS = 1, GGU_PERCENT = 2, GGU_INCHES = 3, GGU_CM = 4, GGU_POINTS = 5 };
struct ggctx {
    const ggdevice* device;    // page size, character cell, colours
    int32_t linewidth[2];      // line width of the following lines, both words (1 = 0.75 points; 0 a hairline)
    int32_t stylesinuse;       // non-zero: the elements of the output style are in use
    dshandle dsin;             // the data set of the graph
    ggtextstyle textstyle;     // the style's text
    char valuecolor[8];        // the device style's value-label colour (blank: none)
    char devfont[8];           // the style record's device font (blank: none)
    char style[32];            // the output style's name
};

// ---- records the services read
// Text record: initialised by ggstri, then its fields set; ggstrl writes the measures.
struct ggtext {
    const char* text;
    int32_t len;
    float x, y;                // position: the start, end or centre of the baseline (align)
    float height;              // text height
    int32_t color;             // colour number (ggcnum)
    char font[8];              // font name, blank: the device's
    int32_t align;             // 1 text starts at x, 2 text ends at x, 3 centred on x
    float angle;               // degrees counter-clockwise, added to the turn set by ggstxfm
    float width;               // ggstrl: length along the baseline, in x percent for a text
                               // nearer horizontal, in y percent for one nearer vertical
    float xext, yext;          // ggstrl: extent of the turned text in x and y percent
    float ascent, descent;     // ggstrl: of the face above and below the baseline, y percent
    float below;               // ggstrl: how far the text's own glyphs reach below the baseline,
                               // y percent (0: not at all)
    float above;               // ggstrl: how far they reach above it, y percent
    float inkleft, inkright;   // ggstrl: how far they start after the text's start and stop before
                               // its end, in the width's unit
};
// Polyline block: point pairs (x, y) in page percent; a missing point breaks the line.
enum : uint32_t { GGP_LINE = 0x60, GGP_CURVE = 0xE0 };
struct ggpolyblk {
    int32_t count;
    int16_t ltype;             // line type 1 to 46
    int16_t zero;
    uint32_t flags;            // GGP_LINE or GGP_CURVE
    int32_t zero2;
    const double* pts;
};
// Mark block: the symbol words of a symbol record, its size, then the points.
enum : uint32_t { GGM_POINTS = 0x200000, GGM_NOPOINTS = 0x800000 };
struct ggmarkblk {
    uint32_t symbol[4];        // word 0: symbol number (ggsymbx)
    float size;                // symbol height, percent of the page height
    uint32_t aux;
    uint32_t zero[2];
    int32_t count;
    uint32_t attr;             // GGM_POINTS set: pts holds point pairs
    const double* pts;
};
// Symbol record: one plot symbol with its colours and line style (ggetsym fills defaults).
struct symrec {
    float symsize;             // symbol height, percent of the page height
    float sizefac;             // symbol width / height
    uint32_t symaux;
    uint16_t symattr;
    int16_t ltype;             // line style 1 to 46; in a legend's records -1: the entry has no line
    int32_t colornum;          // colour number of `color`
    char color[8];             // line colour name (blank: the default)
    char symcolor[8];          // symbol colour name
    uint32_t symbol[4];        // symbol words; word 0 the symbol number, 0 for the host's default
    int32_t symcolnum;         // colour number of `symcolor`
    int32_t reserved;
};
// A rectangle region: a clip pushed for a while (ggrba with a save word), or an area
// registered to be cleared later (ggrba without one; the handle comes back in the block).
struct ggregion {
    double x0, y0, x1, y1;
    int32_t kind;              // 2: a rectangle
    int32_t handle;            // registered area
};
// A long segment name.
struct gglongname {
    uint16_t len;
    const char* text;
};
// Legend record, built by the procedure, sized by gglsize, drawn by ggldraw.
struct poolobj;
struct legent {
    uint16_t size;             // 40
    uint16_t len;              // text length
    char* text;                // 40 characters, blank padded
};
struct legrec {
    char framecolor[8];        // colour of the legend frame (blank: the axis colour)
    uint8_t kind;              // 'S' entries show symbols, 'L' lines
    int16_t slots[2];
    uint8_t flags;
    legent* entries;
    symrec* syms;              // symbol record of each entry
    poolobj* pool;             // attached by gglsize; deleted by the caller after ggldraw
    int32_t fill;              // -1
    int32_t pos;               // position code (LEGENDn: n), -1 the default place
    uint32_t count;
    uint32_t spare;
    uint16_t titlesize, titlelen;
    char* title;
    char textcolor[8];         // colour of the texts (blank: the default)
    char font[8];
    char box[2];               // 'B' framed, 'E' empty
    // Filled by gglsize: the legend's box size and the room taken for it, percent.
    double w, h;
    double roomx0, roomy0, roomx1, roomy1;
    int32_t place;             // 0 below the frame, 1 right of it
};
// Segment record collected by the procedure for every finished page (zqsgmt) and handed to
// the output manager with the segment table (method 4966).
struct segrec {
    char libname[8];
    uint16_t catlen;
    char catname[30];
    uint16_t catextra;
    uint16_t liblen;           // 8
    uint32_t cathandles[2];    // ggoseg's handles: [0] the page, [1] the catalog
    txthandle name;            // the segment's name
    txthandle label;           // its description
};

struct vec116 {
    int (*ggfname)(const char* text, int length, char font[8]);

    // ---- device, state and context
    const ggdevice* (*ggdvfind)(const char name[8]);        // the description of a device, null when unknown
    int (*gginit)(ggstate* gcb);                            // starts device graphics; non-zero: failure
    ggstate* (*ggznew)(void* hostword);                     // a new graphics state (firstuse 1)
    ggctx* (*ggxget)(void* hostword);                       // the graphics context of the current state
    void (*ggdinit)();
    void (*ggzrst)(int mask);
    int (*ggcbini)(void** block, int mode);
    void (*ggdvdlt)(int a, int b);
    int (*ggstop)();                                        // ends device graphics; non-zero: failure
    int (*ggterm)();                                        // end of the run
    // ---- catalogs and segments (pages)
    int (*ggadcat)(int zero, const char lib[8], int catlen, const char* cat, uint32_t* catent, int a, int b);
    int (*ggoseg)(int zero, int desclen, uint32_t catent, void** segment, uint32_t handles[2], const char name[8],
                  const gglongname* longname, const char* description, int one, int namegiven, int zero2, void* by1,
                  void* by2);
    int (*ggsel)(int zero, void* segment);
    int (*ggcseg)(int zero, void** segment, int zero2);     // 1: the page could not be written
    int (*ggplrdx)(void* gfilewords, txthandle description);
    int (*ggphdr)(int zero, void* by1, void* by2);          // page header (BY line) of the current page
    int (*ggphdrl)(int zero, double* window, void* by1, void* by2);   // the page window below the header
    // ---- colours, symbols, patterns
    int (*ggcnum)(int zero, const char name[8]);            // colour number of a name
    int (*ggcnum5)(int zero, int n, char name[8]);          // name of device colour n; 0 when none
    int (*ggsymbx)(const char* name, int length);           // symbol number of a name
    int (*ggetsym)(int zero, int count, symrec* array);     // the SYMBOL definitions (defaults)
    int (*ggetpat)(int count, char* first, int stride);     // pattern names; `count` when none given
    // ---- text
    int (*ggstri)(ggtext* t);
    int (*ggstrl)(int zero, ggtext* t);
    int (*ggstr)(int zero, ggtext* t);
    int (*ggstxfm)(double angle, double zero);
    double (*ggcell)(int zero, double value, int axis, int up);
    double (*ggl2pct)(int zero, int unit, int axis, double length);
    // ---- lines, fills, markers
    int (*ggdraw)(int zero, double x1, double y1, double x2, double y2, int ltype, int color);
    int (*ggpline)(int zero, const ggpolyblk* b, int color, const float clip[4]);
    int (*ggpmark)(int zero, const ggmarkblk* b, int color, const float* clip);
    int (*ggfill)(int zero, double x0, double y0, double x1, double y1, const char pattern[8], int fillcolor,
                  int mode, int linecolor, int ltype, int width);
    int (*ggsymb)(int zero, double x, double y, const symrec* s);
    int (*ggrba)(int zero, ggregion* region, int32_t* saved, int zero2, int mask);
    int (*ggrdba)(int zero, int kind, int32_t* saved, const ggregion* region, int zero2, int mask);
    // ---- legends
    int (*gglsize)(int zero, legrec* legend, double* window);
    int (*ggldraw)(int zero, legrec* legend, const float* frame);
};
