// Legends: sized against the page window (the room they need is taken from it) and drawn
// below the frame, centred on it.
#pragma once
#include "host/vec116_graphics.h"

namespace rt::gfx {
int legendsize(int zero, legrec* legend, double* window);
int legenddraw(int zero, legrec* legend, const float* frame);
}
