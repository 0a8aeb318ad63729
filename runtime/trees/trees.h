// Vector 10 of the runtime: balanced (AVL) trees over the caller's nodes.
#pragma once
#include "host/vec10_trees.h"

namespace rt::trees {
const vec10* services();
}
