// Numeric options of a parsed statement, with the reader's default.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"

// The number in slot `slot` of record when the slot lies within the record and was given;
// otherwise def, unchanged (a missing default comes back as the same NaN).
double gparm(const stmtrec* record, int32_t slot, double def);

// A label position option (HREFLABPOS=, VREFLABPOS=) in slot `slot`: the number when it is a
// whole number from 1 to hi, 1 (the default) when it was not given, 0 when it was given out
// of range (the reader warns and uses 1). The range is tested on the double, so that no
// value is converted to an integer it does not fit.
int labelpos(const stmtrec* record, int32_t slot, int hi);
