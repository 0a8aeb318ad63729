// Vector 11 of the runtime: the sweep of packed symmetric matrices.
#pragma once
#include "host/vec11_sweep.h"

namespace rt::sweep {
const vec11* services();
}
