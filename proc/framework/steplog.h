// Warnings written once per step. The drawing routines tell what they cannot draw each time they
// draw: for every panel, every group and every value of a list given twice. The same text again
// says nothing new, so such a warning goes through steplog, which writes each text once per step;
// a BY group draws pages of its own, so its texts are written again (the main routine empties
// the record at each BY group's start).
#pragma once
#include "proc/framework/hostsvc.h"

struct vyxstate;

// True the first time the message with these values is asked for in the BY group (it is then
// remembered), false when its text has been written already. A full record forgets nothing it
// holds: later texts are written each time.
bool stepfresh(vyxstate* s, int group, int n, int nargs, const msgarg* args);

// xpmlog, each text once in the BY group (in the step, without BY variables).
template <class... A>
inline void steplog(vyxstate* s, int group, int n, A... a) {
    const msgarg args[] = {msgarg(0), msgarg(a)...};
    const int nargs = static_cast<int>(sizeof...(A));
    if (stepfresh(s, group, n, nargs, args + 1)) hostvec<vec30>(VEC_SUPERVISOR)->xpmlog(group, n, nargs, args + 1);
}
