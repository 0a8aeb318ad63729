// The step: its end flag, the notes of the BY group, the statement counts and the warnings
// written once.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// The warnings written once per BY group of the step (steplog.h): a key of each text, made of
// its catalog, number and substitution values.
struct steplogged {
    int32_t n;
    uint32_t spare;
    uint64_t key[128];
};

// stepend is written only by endstep (proc/framework/stepend.cpp). Routines outside
// proc/framework that write the other fields, by field (the main routine and its
// initialisation):
//   bynotes writers: rungroup
//   logged writers: rungroup
//   nanalysis writers: countstatements
//   nplots writers: countstatements
struct stepstate {
    uint8_t stepend;            // a helper ended the step (endstep, stepend.h): every loop stops at once
    bynoterec bynotes;          // notes about the BY group's data, each logged once per BY group
    int32_t nanalysis;          // number of analysis statements
    int32_t nplots;             // number of plot statements
    steplogged logged;          // the warnings written once, emptied at each BY group's start
};

// Fields of stepstate used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   stepend      written in framework; read in devgraph, lifedist, regression, statgraph
//   bynotes      written in framework, main
//   nanalysis    written in main
//   nplots       written in main
//   logged       written in framework, main
