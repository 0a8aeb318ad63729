// Named places of the state's device-graphics arrays, and constants the drawing Parts share.
#pragma once

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
