// Thread options of the effects library: THREADS and CPUCOUNT, and the "_testthread" switches
// that override THREADS for the library (docs/threads.md).
#pragma once
#include <cstdint>
#include "host/stmtrec.h"

// THREADS into *on (a missing value counts as on) and CPUCOUNT, truncated, into *cpucount. An
// option that cannot be read ends the step with 1012 after a debug-log line.
void zquerythreads(uint8_t* on, int32_t* cpucount);
// -1 the switch is absent or missing, 0 off, 1 on: the larger of "_testthread" and
// "_testthread" followed by the suffix.
int ztestthread(const char* suffix, int suffixlen);

// PERFORM statement settings (uncalled: the grammar has no PERFORM statement).
struct perfrec {
    const stmtrec* stmt;       // the last PERFORM statement, or null
    int32_t cpucount;
    int32_t hostcpus;
    uint8_t threads;
};
int zperform(const stmtrec* list, perfrec* result);
