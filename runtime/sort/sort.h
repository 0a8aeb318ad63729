// Vector 472 of the runtime: the sort service and its exits.
#pragma once
#include "host/vec472_sort.h"

namespace rt::sort {
const vec472* services();
}
