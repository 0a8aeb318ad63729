// The annotate facility of the runtime (vector 120): draws the observations of a converted
// annotate data set onto the current page. docs/graphics.md lists the functions, coordinate
// systems and variables it honours.
#pragma once
#include "host/vec120_annotate.h"

namespace rt::gfx {
const vec120* annotateservices();
}
