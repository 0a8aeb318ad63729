// The owners of the state block's fields, run together: each clears what pointed into a
// pool that goes (one routine per owner and pool, in the owner's folder: settings_stmtgone in
// proc/framework/settingscope.cpp for the statement's settings and working fields,
// groupstate_* in proc/framework/groupscope.cpp, fitstate_* in proc/lifedist/fitscope.cpp,
// plotstate_* in proc/devgraph/plotscope.cpp, modelstate_* in proc/regression/modelscope.cpp,
// bynotes_bygone in proc/framework/bynotes.cpp for the step's record of the keys named),
// and each sets the defaults a statement kind starts from. The fields of the recurrence data
// (proc/mcf) and of the graph requests (proc/statgraph) point into no pool.
#include "proc/main/ownerscope.h"

#include "proc/framework/bynotes.h"
#include "proc/framework/poolscope.h"
#include "proc/framework/stmtkinds.h"
#include "proc/vyxstate.h"

namespace {

void stmtgone(vyxstate* s) {
    settings_stmtgone(s);
    groupstate_stmtgone(s);
    fitstate_stmtgone(s);
    plotstate_stmtgone(s);
    modelstate_stmtgone(s);
}

void bygone(vyxstate* s) {
    bynotes_bygone(s);
    groupstate_bygone(s);
    fitstate_bygone(s);
    plotstate_bygone(s);
    modelstate_bygone(s);
}

void workgone(vyxstate* s) {
    groupstate_workgone(s);
    fitstate_workgone(s);
    plotstate_workgone(s);
}

constexpr poolowners kOwners{stmtgone, bygone, workgone};

}  // namespace

void namepoolowners() { setpoolowners(&kOwners); }

void startstatement(vyxstate* s, StmtKind kind) {
    fitstate_start(s, kind);
    plotstate_start(s, kind);
    modelstate_start(s, kind);
}
