// Vector 155 of the runtime: date and time services (proleptic Gregorian calendar).
#pragma once
#include "host/vec155_dates.h"

namespace rt::dates {
const vec155* services();
}
