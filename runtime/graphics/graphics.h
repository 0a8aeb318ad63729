// The runtime's device graphics: vector 116.
#pragma once
#include "host/vec116_graphics.h"

namespace rt::gfx {
const vec116* services();
}
