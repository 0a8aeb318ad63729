// The lookup of a parsed statement by its keyword: the main routine, the initialisation and
// the statement readers ask for MODEL, LOGSCALE, ANALYZE, FMODE or MAKE.
#include "proc/framework/fndstmt.h"

#include <cstring>

#include "host/instance.h"
#include "proc/framework/xinit.h"

int fndstmt(const char* keyword, stmtrec** last) {
    modparse* mpb = curparse();
    size_t n = std::strlen(keyword);
    int count = 0;
    for (stmtrec* r = mpb ? mpb->head : nullptr; r; r = r->next) {
        if (std::strncmp(r->keyword, keyword, n) == 0) {
            ++count;
            *last = r;
        }
    }
    return count;
}
