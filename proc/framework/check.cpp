// The parser's callback at each statement: the effect parser's name-length limit for MODEL
// and LOGSCALE (check.h).
#include "proc/framework/check.h"
#include <cstring>
#include "proc/framework/optslots.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/zefprsi.h"
#include "proc/framework/xinit.h"

int check() {
    const stmtrec* r = xttkcur(xtanch());
    if (!r || (std::strncmp(r->keyword, "MODEL", 5) != 0 && std::strncmp(r->keyword, "LOGSCALE", 8) != 0)) return 0;
    // NAMELEN= of the PROC record when it exists and was given, else 20
    int limit = 20;
    if (const optslot* s = stmtslot(curparse()->head, slot::proc::NAMELEN)) limit = static_cast<int>(s->num);
    zefprsi(limit, 1);
    return 0;
}
