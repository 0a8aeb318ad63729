// Vector 4 of the runtime: locale items, translation and collating tables, the numeric
// informat and the character classes of a single-byte session encoding.
#pragma once
#include "host/vec4_textext.h"

namespace rt::text {
const vec4* services();
}
