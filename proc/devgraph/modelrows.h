// The observations of a BY group as the MODEL reads them, for the data markers of the relation
// plot of a MODEL or REGRESSION fit on both graphics roads: an observation the MODEL drops (a
// missing covariate, an unusable or non-positive frequency, a missing failure mode) is not
// plotted although the stress level of the statement keeps it, and a failure of another
// failure mode is right-censored, as the MODEL counts it.
#pragma once
#include <functional>

struct vyxstate;

struct modelobs {
    double stress;   // the MODEL's value of the stress variable, before any relation
    double life;     // on the time scale, THRESHOLD subtracted; an interval's midpoint
    int code;        // 0 exact, -1 right-, -2 left-, -3 interval-censored
    double count;    // the frequency as a whole number (1 without FREQ)
};

// Whether the relation plot's data come from the MODEL's reading of the group: a MODEL or
// REGRESSION fit whose stress variable is one of the MODEL's continuous variables.
bool plotsmodelrows(const vyxstate* s);

// Rewinds the BY group and calls f for each observation the MODEL uses whose life can be
// placed (on a log life axis: above 0). f returns non-zero to stop. Result: 0, f's result, or
// 1 when the MODEL's reader failed (it has logged why).
int eachmodelobs(vyxstate* s, const std::function<int(const modelobs&)>& f);
