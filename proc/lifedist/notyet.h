// The note of a piece of the life-data road that is not available yet.
#pragma once

struct vyxstate;

// Logs "Not available yet in this version: what. The <statement> statement goes on without
// it [in the BY group ...]." for the statement in curstmt.
void notavailable(vyxstate* s, const char* what);
