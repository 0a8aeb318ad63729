// Statistical graphics: probability, MCF and relation plots handed to the output system as
// phantom data objects and graph requests (sgproto.h) instead of being drawn on a device.
// The output system renders each request from its template path, the phantom columns (by
// name and role) and the dynamic variables.
//
// Results: 0, 1020 after message 510/22 when a group's utility file ends early, or the
// negative result of an output-object call after which the step has been ended (stepend).
#pragma once

struct vyxstate;

// ---- probability plot
int vyxpog(vyxstate* s);

// ---- MCF plot
int vyxcog(vyxstate* s);

// ---- relation plot
int vyxrog(vyxstate* s, const double* pctlines);
