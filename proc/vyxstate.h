// The procedure state block: one per step, a local of the main routine, passed by
// address to almost every routine. Never allocated, copied or freed. It is one zeroed
// area made of the records its owners declare; each record names its fields as before,
// so a field is reached as s->record.field (docs/architecture.md maps every field).
//
// The settings (input, opts, popt) are written only by the initialisation and the statement
// readers (and the per-statement defaults, startstatement); every other routine reads them.
// Each is one record seen through the two members of an anonymous union: the writable view
// (inputw, optsw, poptw) for the routines that set it, and the const view (input, opts, popt)
// for all others, so that a write through the const view does not compile. Both members have
// the same standard-layout type, so reading through one what was written through the other
// reads the common initial sequence of the union's members, which the language allows. The
// const view carries the empty initializer (the zeroing of the area initialises it), since a
// class whose anonymous union holds a const member without one gets no default constructor
// from GCC. What other routines change while a statement runs is in its working records
// (work, inwork).
#pragma once
#include <type_traits>

#include "proc/framework/outstate.h"
#include "proc/framework/outputrow.h"
#include "proc/framework/inputstate.h"
#include "proc/framework/inputwork.h"
#include "proc/framework/poolset.h"
#include "proc/framework/groupstate.h"
#include "proc/framework/stmtopts.h"
#include "proc/framework/stmtwork.h"
#include "proc/framework/plotopts.h"
#include "proc/framework/stepstate.h"
#include "proc/effects/effects.h"
#include "proc/devgraph/plotstate.h"
#include "proc/lifedist/fitstate.h"
#include "proc/regression/modelstate.h"
#include "proc/mcf/mcfstate.h"
#include "proc/statgraph/sgstate.h"

struct vyxstate {
    outstate out;       // The output environment, the table objects and the MAKE block
    outputrow row;      // The cells of the current output row
    union {
        inputstate inputw;        // written by the initialisation (vyxinit, vyxxvgi) and the statement readers
        const inputstate input{}; // The input data set and its variables, as every other routine reads them
    };
    inputwork inwork;   // The statement being run, the current observation and the counts of the data passes
    poolset pools;      // The pools of the BY group, the statement and the work, and the utility files
    groupstate groups;  // The class groups and class levels of the BY group
    union {
        stmtopts optsw;           // written by the statement readers and the per-statement defaults
        const stmtopts opts{};    // The settings the statement readers leave for every subsystem
    };
    stmtwork work;      // The settings that other routines change while the statement runs
    union {
        plotopts poptw;           // written by the plot statements' readers and the per-statement defaults
        const plotopts popt{};    // The plot statements' options, read by both graphics roads
    };
    stepstate step;     // The step
    plotstate plot;     // The device graphics road
    fitstate life;      // The life-distribution statements
    modelstate mdl;     // The MODEL statement
    mcfstate mcf;       // MCFPLOT
    sgstate sg;         // Statistical graphics
};

// The views of a settings record read each other's common initial sequence: the records
// and the block are standard-layout.
static_assert(std::is_standard_layout_v<inputstate> && std::is_standard_layout_v<stmtopts> &&
                  std::is_standard_layout_v<plotopts> && std::is_standard_layout_v<vyxstate>,
              "the settings views need standard-layout records");

// The whole step area: the preface, the block proper, the appended level control
// and its data block, zeroed and linked by the main routine.
struct vyxarea {
    levstate pre;
    vyxstate s;
    levctl lev;
    levdata levd;
};
