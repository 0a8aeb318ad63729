// The device destination context of a plot statement: the open output destinations, the
// graphics state of the one being drawn, the catalog the pages go to, and an associative
// array from each destination's name to the list of its segment records. The plot drivers
// own one (the state's `gdest`) and zero it before zqidest.
#pragma once
#include <cstdint>
#include "host/outobj.h"
#include "host/pool.h"
#include "host/vec116_graphics.h"
#include "host/vec320_output.h"

struct destctx {
    ggstate* gstate;            // graphics state of the current destination (ggznew)
    obobject* outmgr;           // the output manager (copy of the state's outmgr)
    obobject* outenv;           // the output environment (copy of obenv)
    poolobj* pool;              // made by zqidest, deleted by zqdfree
    obdestlist* dests;          // the open destinations, from the output manager
    txthandle desttext;         // name of the current destination (vyxgini)
    txthandle segname;          // the plot's segment name (vyxsgmt)
    txthandle seglabel;         // the plot's segment description (vyxsgmt)
    uint16_t destlen;           // length and copy of a later destination's name (catalog name)
    char destname[32];
    uint32_t nocollect;         // the device collects nothing: one destination, nothing published
    uint32_t collect;           // segments are collected and published (flag 0x08 after ggznew)
    uint32_t published;         // flag 0x08 after the modules were loaded: the driver skips zqpdest
    int32_t destidx;            // index of the current destination (0 first)
    obobject* segmap;           // destination name text -> list object of segment records
    char libname[8];            // graphics library: the first part of GOUT=, blank by default
    uint32_t cathandles[2];     // ggoseg's handles of the open segment (vyxsgmt)
    uint16_t catlen;            // catalog: GOUT= second part, else a later destination's name, else GSEG
    char catname[30];
    uint16_t catextra;          // copied into each segment record
};

// The routines that open, collect and publish the destinations are the device graphics'
// (proc/devgraph/zqdest.cpp: zqidest and zqdfree in devgraph.h, zqsgmt and zqpdest in
// proc/devgraph/destinations.h).
