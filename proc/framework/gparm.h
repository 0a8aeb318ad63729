// Numeric options of a parsed statement, with the reader's default.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"

// The number in slot `slot` of record when the slot lies within the record and was given;
// otherwise def, unchanged (a missing default comes back as the same NaN).
double gparm(const stmtrec* record, int32_t slot, double def);
