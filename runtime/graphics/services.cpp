// Vector 116 of the runtime: one slot per device-graphics service.
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/graphics.h"

namespace rt::gfx {

namespace {
const vec116 kVector = {fontname};
}

const vec116* services() { return &kVector; }

}  // namespace rt::gfx
