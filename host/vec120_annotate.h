// Vector 120: the host's annotate facility, which draws the observations of an annotate
// data set onto a page: FUNCTION, X, Y, XSYS, YSYS and the attributes docs/graphics.md lists.
#pragma once
#include <cstdint>
#include "host/vec203_datasets.h"

// How one axis maps drawing units (data values already transformed) to the page.
struct ganoaxis {
    double orgx, orgy;         // lower left corner of the axis area (frame widened by its gaps)
    double gaplo, gaphi;       // gaps before and after the frame
    double length;             // gap + frame + gap
    double dmin, dmax;         // the axis range
    double angle;              // 0 horizontal, 90 vertical
    double factor, offset;     // page = value x factor + offset
    int32_t kind1, kind2;      // 1, 2
    void* work;                // a 16-byte work area
    uint8_t form;              // 'F'
};
struct ganoreq {
    int32_t size;              // 60
    int32_t zero;
    void* gfile[2];            // the graphics-output words
    dshandle dsin;
    dshandle anno;             // the converted annotate data set
    uint32_t catent;
    double* pagewin;           // page window
    ganoaxis* haxis;
    ganoaxis* vaxis;
};

struct vec120 {
    int (*ganotat)(ganoreq* request);
};
