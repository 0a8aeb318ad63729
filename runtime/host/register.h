// Vector 0 of the runtime: routine registration.
#pragma once
#include "host/vec0_register.h"

namespace rt::reg {
const vec0* services();
}
