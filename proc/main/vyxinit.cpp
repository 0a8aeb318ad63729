// Initialisation of a step: output environment and manager, the parse, the PROC-level
// statements, FMODE, MAKE, statement counts and the start of device graphics.
#include "proc/main/vyxinit.h"

#include <cstring>

#include "proc/framework/destctx.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/fndstmt.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/labelnotes.h"
#include "proc/framework/noeffect.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/prssetup.h"
#include "proc/framework/stmtkinds.h"
#include "proc/framework/wobmth.h"
#include "proc/framework/xinit.h"
#include "proc/vyxstate.h"

namespace {


// Ends the step on a negative output-object result.
int fatal(int32_t rc) {
    xprrlog(0, rc);
    return xexit(rc, 0);
}

int count(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    return o ? o->count : 0;
}

int32_t firstvar(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    return o && o->count > 0 ? static_cast<const int32_t*>(o->ptr)[0] : 0;
}

// The text of a name, string or text slot, with its length; null when none.
const char* slottext(const optslot* o, int* len) {
    if (!o) return nullptr;
    if (o->kind == SK_NAME) {
        int n = 8;
        while (n > 0 && o->name[n - 1] == ' ') --n;
        *len = n;
        return o->name;
    }
    if (o->kind == SK_QSTRING || o->kind == SK_TEXT) {
        *len = o->count;
        return static_cast<const char*>(o->ptr);
    }
    return nullptr;
}

bool labelgiven(const stmtrec* r) {
    int len = 0;
    const char* t = slottext(stmtslot(r, slot::head::LABEL), &len);
    for (int i = 0; t && i < len; ++i)
        if (t[i] != ' ') return true;
    return false;
}

int startmanager(vyxstate* s) {
    s->out.obrc = xobinit(&s->out.obenv, 0);
    if (s->out.obrc < 0) return fatal(s->out.obrc);

    wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "manager", 7), obitem(OBK_CREATED, OBT_OBJECT),
                        obint(OBK_MSGGROUP, 510)};
    s->out.obrc = wobmth(s->out.obenv, nullptr, OB_CREATE, 4, create);
    if (s->out.obrc < 0) return fatal(s->out.obrc);
    s->out.outmgr = static_cast<obobject*>(create[2].v.p);

    wobitem query[] = {obflag(OBK_STARTQUERY, 1), obint(OBK_PLACE, -1), obint(OBK_LAYOUT, 1),
                       obptr(OBK_TEXT, OBT_TEXT, rdxmsg(0, T0_PROC_TITLE))};
    int32_t rc = wobmth(s->out.outmgr, nullptr, OB_QUERY, 4, query);
    if (rc < 0) return fatal(rc);

    wobitem sg[] = {obitem(OBK_SGQUERY, OBT_FLAG)};
    rc = obquerycall(s->out.outmgr, 1, sg);
    if (rc < 0) return fatal(rc);
    s->optsw.rdxgraph = sg[0].flag ? 1 : 0;
    if (s->optsw.rdxgraph) xpmlog(510, N510_STATGRAPH_ON);
    return 0;
}

int readdata(vyxstate* s, stmtrec* proc) {
    const optslot* data = stmtslot(proc, slot::proc::DATA);
    s->inputw.dsin = data ? static_cast<dshandle>(data->handle) : nullptr;
    const optslot* dist = stmtslot(proc, slot::proc::DIST);
    s->optsw.distcode = dist ? static_cast<uint32_t>(dist->num) : 0;
    if (!s->inputw.dsin && (!dist || (s->optsw.distcode != DIST_POISSON && s->optsw.distcode != DIST_BINOMIAL))) {
        xpmlog(510, E510_NO_DATA_SET);
        return RC_SETUP;
    }
    xvsele(s->inputw.dsin);
    if (!s->inputw.dsin) return 0;
    int32_t usable = 0;
    if (xoinfo(s->inputw.dsin, DSI_USABLE, &usable) != 0 || usable != 1) return RC_INPUT;
    dsinfo info{};
    if (xoinfo(s->inputw.dsin, DSI_INFO, &info) != 0) return RC_SPEC;
    dsnamerec name{};
    xoinfo(s->inputw.dsin, DSI_NAME, &name);
    s->inputw.dsname.len = name.namelen;
    std::memcpy(s->inputw.dsname.text, name.name, sizeof s->inputw.dsname.text);
    s->inputw.dslabel.len = info.labellen;
    std::memcpy(s->inputw.dslabel.text, info.label, sizeof s->inputw.dslabel.text);
    return 0;
}

void readprocvars(inputstate& input, stmtrec* proc) {
    input.nbyvars = static_cast<uint32_t>(count(proc, slot::proc::BY));
    input.nfreq = count(proc, slot::proc::FREQ);
    input.nnenter = count(proc, slot::proc::NENTER);
    input.nunitid = count(proc, slot::proc::UNITID);
    if (input.nfreq > 0) xvname(input.dsin, firstvar(proc, slot::proc::FREQ), &input.procvars[PV_FREQ]);
    if (input.nnenter > 0) xvname(input.dsin, firstvar(proc, slot::proc::NENTER), &input.procvars[PV_NENTER]);
    if (input.nunitid > 0) xvname(input.dsin, firstvar(proc, slot::proc::UNITID), &input.procvars[PV_UNITID]);
}

int readfmode(vyxstate* s) {
    stmtrec* fm = nullptr;
    if (fndstmt("FMODE", &fm) == 0) return 0;
    fmodesettings& f = s->groups.fmodeset;
    s->poptw.pflags.fmcombine = 0;
    if (stmtflag(fm, flag::fmode::ELIMINATE)) {
        f.mode = 1;
    } else if (stmtflag(fm, flag::fmode::KEEP)) {
        f.mode = 0;
    } else if (stmtflag(fm, flag::fmode::COMBINE)) {
        f.mode = 2;
        s->poptw.pflags.fmcombine = 1;
    }
    bool combine = s->poptw.pflags.fmcombine != 0;
    f.plotmodes = combine && stmtflag(fm, flag::fmode::PLOTMODES);
    f.legend = f.plotmodes && !stmtflag(fm, flag::fmode::NOLEGEND);
    f.parm = combine && stmtflag(fm, flag::fmode::PARM);
    f.cov = combine && stmtflag(fm, flag::fmode::COV);

    f.nvars = count(fm, slot::fmode::VAR);
    if (f.nvars > 1) {
        xpmlog(510, E510_FMODE_TWO_VARIABLES);
        return RC_SPEC;
    }
    if (f.nvars == 0) return 0;
    xvname(s->inputw.dsin, firstvar(fm, slot::fmode::VAR), &f.desc);
    f.type = f.desc.type;
    s->inputw.procvars[PV_FMODE] = f.desc;
    f.nvals = count(fm, slot::fmode::VALUES);
    if (f.nvals == 0) {
        xpmlog(510, E510_FMODE_NO_VALUES);
        return RC_SPEC;
    }
    poolobj* pool = v_global_gcb_anchor->pool;
    const auto* vals = static_cast<const slstring*>(stmtslot(fm, slot::fmode::VALUES)->ptr);
    f.vals = static_cast<char(*)[17]>(poolbytes(pool, 17 * f.nvals, poolflag::zeroed_marked));
    f.lens = static_cast<int32_t*>(poolbytes(pool, 4 * f.nvals, poolflag::zeroed_marked));
    if (!f.vals || !f.lens) {
        xmemmsg(21 * f.nvals);
        return RC_NOMEM;
    }
    f.maxlen = 0;
    for (int i = 0; i < f.nvals; ++i) {
        int n = vals[i].len < 16 ? vals[i].len : 16;
        std::memcpy(f.vals[i], vals[i].s, static_cast<size_t>(n));
        f.vals[i][n] = '\0';
        f.lens[i] = static_cast<int32_t>(std::strlen(f.vals[i]));
        if (f.lens[i] > f.maxlen) f.maxlen = f.lens[i];
    }
    f.buf = static_cast<char*>(poolbytes(pool, f.maxlen + 1, poolflag::zeroed_marked));
    if (!f.buf) {
        xmemmsg(f.maxlen + 1);
        return RC_NOMEM;
    }
    return 0;
}

int readmake(outstate& outs) {
    stmtrec* last = nullptr;
    if (fndstmt("MAKE", &last) == 0) return 0;
    outs.make = poolget<makeblk>(v_global_gcb_anchor->pool, 1, poolflag::zeroed_marked);
    if (!outs.make) {
        xmemmsg(0);
        return xexit(RC_NOMEM, 0);
    }
    outs.make->obenv = outs.obenv;
    outs.make->outmgr = outs.outmgr;
    for (stmtrec* r = curparse()->head; r; r = r->next) {
        if (std::strncmp(r->keyword, "MAKE", 4) != 0) continue;
        int len = 0;
        const char* name = slottext(stmtslot(r, slot::make::TABLE), &len);
        const optslot* out = stmtslot(r, slot::make::OUT);
        int rc = OutData(outs.make, name ? name : "", name ? len : 0, out ? out->handle : nullptr);
        if (rc < 0) return rc;
    }
    return 0;
}

int countstatements(vyxstate* s) {
    s->plot.gstarted = 0;
    s->work.tblflags[TF_STMTLABEL] = 0;
    s->inwork.annoflag = 0;
    s->step.nplots = 0;
    s->step.nanalysis = 0;
    for (stmtrec* r = curparse()->head; r; r = r->next) {
        if (!isanalysisstmt(r)) continue;
        ++s->step.nanalysis;
        if (isplotstmt(r)) {
            ++s->step.nplots;
            if (stmtslot(r, slot::plot::ANNOTATE)) s->inwork.annoflag = 1;
        }
        if (labelgiven(r)) s->work.tblflags[TF_STMTLABEL] = 1;
    }
    s->plot.gstarted = s->step.nplots > 0 && !s->optsw.rdxgraph;
    if (s->step.nanalysis > 0) {
        poolobj* pool = v_global_gcb_anchor->pool;
        s->inputw.stmgets = static_cast<hgetlist**>(poolbytes(pool, sizeof(hgetlist*) * s->step.nanalysis, poolflag::zeroed_marked));
        s->inputw.stmclgets = static_cast<hgetlist**>(poolbytes(pool, sizeof(hgetlist*) * s->step.nanalysis, poolflag::zeroed_marked));
        if (!s->inputw.stmgets || !s->inputw.stmclgets) {
            xmemmsg(2 * sizeof(hgetlist*) * s->step.nanalysis);
            return RC_NOMEM;
        }
    }
    s->pools.bypool = nullptr;
    s->pools.stmtpool = nullptr;
    return 0;
}

// Without a DISTRIBUTION statement the statements that fit a distribution fit the normal one,
// which is seldom the life distribution meant: the log says which is used.
void defaultdistnote(const vyxstate* s, const stmtrec* proc) {
    if (!s->inputw.dsin || stmtslot(proc, slot::proc::DIST)) return;
    for (const stmtrec* r = curparse()->head; r; r = r->next) {
        const StmtKind k = stmtkind(r->keyword);
        if (k == StmtKind::Analyze || k == StmtKind::Probplot || k == StmtKind::Relationplot ||
            std::strncmp(r->keyword, "MODEL", 5) == 0) {
            xpmlog(510, N510_DEFAULT_DISTRIBUTION);
            return;
        }
    }
}

int startgraphics(vyxstate* s) {
    if (!s->plot.gstarted) return 0;
    s->plot.gdest.outmgr = s->out.outmgr;
    s->plot.gdest.outenv = s->out.obenv;
    int rc = zqidest(&s->plot.gdest);
    if (rc == RC_SETUP) {
        s->plot.gstarted = 0;
        return 0;
    }
    if (rc != 0) {
        s->plot.gstarted = 0;
        return rc;
    }
    // While the modules load, a destination without a device of its own names JAVAIMG.
    ggstate* g = s->plot.gdest.gstate;
    const bool blank = g && g->device[0] == ' ';
    if (blank) std::memcpy(g->device, "javaimg ", 8);
    rc = ggsload(g, 0, 0);
    if (blank) std::memset(g->device, ' ', 8);
    zqdfree(&s->plot.gdest);
    if (rc == 1) xpmlog(510, E510_GRAPHICS_NOT_LOADED);
    if (rc != 0) s->plot.gstarted = 0;
    return rc;
}

}  // namespace

int OutData(makeblk* block, const char* name, int length, void* target) {
    wobitem items[] = {obptr(OBK_NAME, OBT_TEXT, rdxtxt(name, length)), obptr(OBK_TARGET, OBT_POINTER, target)};
    int32_t rc = wobmth(block->outmgr, nullptr, OB_MAKE, 2, items);
    if (rc < 0) return fatal(rc);
    return rc;
}

int vyxinit(vyxstate* s) {
    if (int rc = startmanager(s)) return rc;

    if (int rc = prssetup()) return rc;
    modparse* mpb = curparse();
    if (!mpb->head) return 0;

    stmtrec* proc = mpb->head;
    s->inputw.procstmt = proc;
    if (int rc = readdata(s, proc)) return rc;
    readprocvars(s->inputw, proc);
    if (int rc = readfmode(s)) return rc;
    if (int rc = readmake(s->out)) return rc;
    if (int rc = countstatements(s)) return rc;
    defaultdistnote(s, proc);
    noeffectnotes(proc, s->optsw.rdxgraph != 0);
    reflabelnotes(proc);
    return startgraphics(s);
}
