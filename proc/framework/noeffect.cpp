// Options the grammar accepts that no analysis reads: the log says so once per statement
// that gives one, so that nobody takes them for honoured.
#include "proc/framework/noeffect.h"

#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/stmtkinds.h"

namespace {


void note(const stmtrec* r, const char* stmt, const char* option, const char* why = "") {
    xpmlog(510, N510_NO_EFFECT, stmt, static_cast<int>(r->line), option, why);
}

bool given(const stmtrec* r, int slot) { return stmtslot(r, slot) != nullptr; }

}  // namespace

void noeffectnotes(const stmtrec* head, bool statgraph) {
    for (const stmtrec* r = head; r; r = r->next) {
        const StmtKind k = stmtkind(r->keyword);
        // The annotate facility draws on the device's pages; a statistical graph is drawn by
        // its template from the phantom data and takes no drawing instructions.
        if (statgraph && (k == StmtKind::Probplot || k == StmtKind::Relationplot || k == StmtKind::Mcfplot) &&
            given(r, slot::plot::ANNOTATE))
            note(r, k == StmtKind::Probplot ? "PROBPLOT" : k == StmtKind::Relationplot ? "RELATIONPLOT" : "MCFPLOT", "ANNOTATE=",
                 " on statistical graphics, which draw no annotation; device graphics draw it");
        const char* stmt = k == StmtKind::Probplot       ? "PROBPLOT"
                           : k == StmtKind::Relationplot ? "RELATIONPLOT"
                           : k == StmtKind::Analyze      ? "ANALYZE"
                                                         : nullptr;
        if (stmt) {
            // ANALYZE, PROBPLOT and RELATIONPLOT share one numbering of slots and flags.
            if (given(r, slot::plot::NLASTCENSOR))
                note(r, stmt, "NLASTCENSOR=", "; the units still running after the last readout follow from NENTER");
            if (stmtflag(r, flag::plot::BOXPLOT)) note(r, stmt, "BOXPLOT");
            if (stmtflag(r, flag::plot::NOEXCLUDE)) note(r, stmt, "NOEXCLUDE");
            if (given(r, slot::plot::RCENSYMBOL)) note(r, stmt, "RCENSYMBOL=");
            if (given(r, slot::plot::RCENCOLOR)) note(r, stmt, "RCENCOLOR=");
        } else if (std::strncmp(r->keyword, "FMODE", 5) == 0) {
            if (stmtflag(r, flag::fmode::PARM)) note(r, "FMODE", "PARM");
            if (stmtflag(r, flag::fmode::COV)) note(r, "FMODE", "COV");
        }
    }
}
