// The table of service vectors: each service family's vector in its slot.
#include "runtime/host/vectors.h"
#include "host/instance.h"
#include "runtime/datasets/library.h"
#include "runtime/files/utilfile.h"
#include "runtime/graphics/annotate.h"
#include "runtime/graphics/graphics.h"
#include "runtime/graphics/style.h"
#include "runtime/host/register.h"
#include "runtime/output/output.h"
#include "runtime/statements/statements.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/trees/trees.h"
#include "runtime/sweep/sweep.h"
#include "runtime/sort/sort.h"
#include "runtime/text/text.h"
#include "runtime/dates/dates.h"

// Each service family of the runtime exposes its vector through a services() routine;
// one line per vector below.
namespace rt {
void fillvectors(void** table) {
    for (int i = 0; i < VEC_COUNT; ++i) table[i] = nullptr;
    table[VEC_REGISTER] = const_cast<vec0*>(reg::services());
    table[VEC_SUPERVISOR] = const_cast<vec30*>(sup::services());
    table[VEC_FILES] = const_cast<vec39*>(files::services());
    table[VEC_DATASETS] = const_cast<vec203*>(ds::services());
    table[VEC_OUTPUT] = const_cast<vec320*>(out::services());
    table[VEC_STATEMENTS] = const_cast<vec31*>(stmt::services());
    table[VEC_TREES] = const_cast<vec10*>(trees::services());
    table[VEC_SWEEP] = const_cast<vec11*>(sweep::services());
    table[VEC_SORT] = const_cast<vec472*>(sort::services());
    table[VEC_TEXTEXT] = const_cast<vec4*>(text::services());
    table[VEC_DATES] = const_cast<vec155*>(dates::services());
    table[VEC_GRAPHICS] = const_cast<vec116*>(gfx::services());
    table[VEC_GRAPHICS2] = const_cast<vec117*>(gfx::styleservices());
    table[VEC_ANNOTATE] = const_cast<vec120*>(gfx::annotateservices());
}
}  // namespace rt
