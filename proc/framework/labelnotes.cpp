// Reference-line labels longer than the plots write them: the log says so once per statement
// and option, with the first such label as it is written, so that nobody wonders where the
// rest of "one thousand hours of service" went.
#include "proc/framework/labelnotes.h"

#include <algorithm>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/keychars.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/stmtkinds.h"
#include "proc/framework/textpad.h"

namespace {

struct LabelOption {
    int slot;
    const char* name;
    bool mcf;   // MCFPLOT has it too
};
constexpr LabelOption kOptions[] = {
    {slot::plot::HREFLABELS, "HREFLABELS", true}, {slot::plot::VREFLABELS, "VREFLABELS", true},
    {slot::plot::LREFLABELS, "LREFLABELS", false}, {slot::plot::PREFLABELS, "PREFLABELS", false},
    {slot::plot::SREFLABELS, "SREFLABELS", false},
};

void check(const stmtrec* r, const char* stmt, const LabelOption& o) {
    const optslot* l = stmtslot(r, o.slot);
    if (!l) return;
    const int n = l->kind == SK_QSLIST ? static_cast<int>(l->count) : 1;
    int cut = 0, firstlen = 0;
    const char* first = nullptr;
    for (int k = 0; k < n; ++k) {
        int len = 0;
        const char* t = zparm(l, k, &len);
        if (!t || len <= REF_LABEL_WIDTH) continue;
        if (!cut++) first = t, firstlen = len;
    }
    if (cut)
        xpmlog(510, N510_REF_LABELS_CUT, stmt, static_cast<int>(r->line), cut, o.name, txtarg(first, reflabelwidth(first, firstlen)),
               txtarg(first, firstlen));
}

}  // namespace

int reflabelwidth(const char* text, int len) { return keptbytes(text, len, REF_LABEL_WIDTH); }

void reflabelsleftout(int stmtkind, int count) {
    if (count <= 0) return;
    char plot[41];
    const int kind = plotdescmsg(stmtkind);
    std::memset(plot, ' ', 40);
    const int pl = wzstrip(plot, std::clamp(xpmstr(plot, 40, 510, kind), 0, 40));
    xpmlog(510, N510_REF_LABELS_LEFT_OUT, txtarg(plot, pl), count);
}

void reflabelnotes(const stmtrec* head) {
    for (const stmtrec* r = head; r; r = r->next) {
        const StmtKind k = stmtkind(r->keyword);
        const char* stmt = k == StmtKind::Probplot       ? "PROBPLOT"
                           : k == StmtKind::Relationplot ? "RELATIONPLOT"
                           : k == StmtKind::Mcfplot      ? "MCFPLOT"
                                                         : nullptr;
        if (!stmt) continue;
        for (const LabelOption& o : kOptions)
            if (o.mcf || k != StmtKind::Mcfplot) check(r, stmt, o);
    }
}
