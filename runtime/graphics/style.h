// The output style of device graphics: one entry per style element with the attributes
// the procedure asks for (vector 117).
#pragma once
#include "host/vec117_gstyle.h"

namespace rt::gfx {
const vec117* styleservices();
}
