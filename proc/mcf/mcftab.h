// Small helpers of the MCF table writers over the output-object protocol: every negative
// result of a method ends the step.
#pragma once
#include <cstdint>
#include "host/outobj.h"

struct vyxstate;

namespace mcftab {

// Reports a negative method result and ends the step; returns true when rc was negative.
bool failed(int32_t rc);
// Binds the table object of slot `tab` to the template path; keeps and returns the id.
uint32_t bind(vyxstate* s, int tab, const char* path);
// Ends the rows of the table of slot `tab`: "more groups follow" unless this is the last
// group or there are no class groups.
void endrows(vyxstate* s, int tab);
// Publishes the binding of slot `tab`.
void publish(vyxstate* s, int tab);
// Adds one row to the table of slot `tab`.
void addrow(vyxstate* s, int tab);
// Sets the row label (message n of catalog 510) and the value text of a summary row.
void summaryrow(vyxstate* s, int tab, int msg, const char* value, int len);

}  // namespace mcftab
