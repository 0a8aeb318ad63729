// The main routine: one procedure step, BY group by BY group, statement by statement.
#include "proc/main/zorduvex.h"

#include "proc/framework/fndstmt.h"
#include "proc/framework/hostgraphics.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/poolscope.h"
#include "proc/framework/stmtkinds.h"
#include "proc/framework/vyxxvgi.h"
#include "proc/framework/stepend.h"
#include "proc/framework/wobmth.h"
#include "proc/framework/xinit.h"
#include "proc/main/analyses.h"
#include "proc/main/ownerscope.h"
#include "proc/main/vyxinit.h"
#include "proc/vyxstate.h"

namespace {

// Runs every statement of the current BY group; false ends the step.
bool rungroup(vyxstate* s) {
    s->pools.bypool = xmpoolc(8192, 8192, 4);
    if (!s->pools.bypool) {
        xpmlog(510, E510_POOL_FAILED);
        return false;
    }
    s->inwork.stmtidx = 0;
    s->work.thrflags[TH_MODELRAN] = 0;
    s->step.bynotes.n = 0;
    s->step.bynotes.nkeys = 0;
    // A BY group draws pages of its own: what they cannot draw is told again.
    s->step.logged.n = 0;

    stmtrec* model = nullptr;
    int nmodel = fndstmt("MODEL", &model);
    if (nmodel > 0) {
        if (nmodel > 1) xpmlog(510, W510_MODEL_TWICE);
        s->inwork.curstmt = model;
        startstatement(s, StmtKind::Model);
        xpmstmt(model);
        if (s->pools.utilfile) {
            xcclose(s->pools.utilfile, 1);
            s->pools.utilfile = nullptr;
        }
        // A result other than 0 and 1 is the step's exit code; a table that failed inside MODEL
        // ended the step by itself.
        const int rc = vyxmod(s);
        xpmstmt(nullptr);
        if (rc != 0) {
            if (rc != 1) xexit(rc, 0);
            return false;
        }
        if (stepended(s)) return false;
    }

    for (stmtrec* r = curparse()->head; r; r = r->next) {
        StmtKind d = stmtkind(r->keyword);
        if (d == StmtKind::None) continue;
        if (!newstmtpool(s)) return false;
        s->inwork.curstmt = r;
        startstatement(s, d);
        xpmstmt(r);   // the statement's run-time errors name it and its line
        switch (d) {
            case StmtKind::Probplot:
                // A plot whose options fail is skipped; its index still advances so
                // that the next statement finds its own variable lists.
                if (vyxpprm(s) != 0) {
                    xpmstmt(nullptr);
                    ++s->inwork.stmtidx;
                    continue;
                }
                vyxpplt(s);
                break;
            case StmtKind::Relationplot: vyxrplot(s); break;
            case StmtKind::Mcfplot: vyxcf(s); break;
            case StmtKind::Analyze: vyxanlz(s); break;
            case StmtKind::None:
            case StmtKind::Model: break;
        }
        xpmstmt(nullptr);
        ++s->inwork.stmtidx;
        CleanUpDisk(s);
        // A routine that ended the step stops every statement and BY group after it (the
        // statement routines' results are not read).
        if (stepended(s)) return false;
    }
    dropbypool(s);
    return true;
}

// The steps of a run up to the end of the step; the end is common to every path.
void runstep(vyxstate* s) {
    if (vyxinit(s) != 0 || vyxxvgi(s) != 0) return;
    s->pools.workpool = nullptr;
    s->pools.stmtpool = nullptr;
    s->pools.utilfile = nullptr;

    if (!s->input.dsin) {
        stmtrec* last = nullptr;
        int n = fndstmt("ANALYZE", &last);
        if (n > 0) {
            if (n > 1) xpmlog(510, W510_ANALYZE_TWICE_NO_DATA);
            if (!newstmtpool(s)) return;
            s->inwork.curstmt = last;
            startstatement(s, StmtKind::Analyze);
            xpmstmt(last);
            vyxanlz(s);
            xpmstmt(nullptr);
        }
    }
    if (!xbynext(s->input.dsin)) return;
    do {
        if (!rungroup(s)) return;
    } while (xbynext(s->input.dsin));
}

}  // namespace

int zorduvex() {
    xinit();
    namepoolowners();
    // The step area lives here for the whole step; zeroed whole, then linked.
    vyxarea area{};
    vyxstate* s = &area.s;
    s->mdl.mdllev = &area.lev;
    area.lev.ldata = &area.levd;
    area.lev.lstate = &area.pre;

    if (curparse()) runstep(s);

    if (s->plot.gstarted && ggstop() != 0) xpmlog(510, W510_GRAPHICS_NOT_STOPPED);
    int32_t rc = 0;
    if (s->out.outmgr) {
        rc = obrelease(s->out.outmgr);
        if (rc < 0) xprrlog(0, rc);
    }
    return xexit(rc, 0);
}
