// A team of threads for loops whose parts are independent: the calling thread and workers
// started through the kernel instance. A loop is cut into parts by its caller; the team
// hands each member a fixed, contiguous range of parts, so a caller whose parts write only
// their own results, combined afterwards in part order, gets the same digits whatever the
// number of members. Workers call nothing of the host but the kernel's events.
#pragma once
#include "host/pool.h"

struct team;

// The members a team may have: CPUCOUNT (the machine's processors when it is not set), 1
// when THREADS is off or the options cannot be read.
int teamsize();

// Starts a team of the calling thread and members - 1 workers, its records from pool. Null
// when members < 2, or when the kernel cannot give the workers (the caller runs alone).
team* teamstart(poolobj* pool, int members);

// Runs fn(ctx, part) for part = 0 .. nparts - 1 and returns when every part is done. With a
// null team the parts run in order in the calling thread.
void teamrun(team* t, int nparts, void (*fn)(void* ctx, int part), void* ctx);

// Members of a started team (1 for null).
int teammembers(const team* t);

// Ends the workers and releases their events; the records stay in the pool.
void teamstop(team* t);
