// A team of threads for loops whose parts are independent: the calling thread and workers
// started through the kernel instance. A loop is cut into parts by its caller; each part is
// computed by one member into that member's own place and then published to the part's
// place, so a caller whose parts' results are combined afterwards in part order gets the
// same digits whatever the number of members. Workers call nothing of the host but the
// kernel's events.
//
// A member that the system puts aside while it holds a part would hold up the whole round;
// when it has held a part for some multiple of the time a part takes, the calling thread
// computes that part itself and the member's result is dropped. Such a member may still be
// computing after its round has ended: what a part reads that the caller changes between
// rounds it must read through atomic loads (and the caller write through atomic stores)
// into a copy of its own when it runs together with others, and a part must not depend on
// the member that computes it.
#pragma once
#include <cstdint>

#include "host/pool.h"

struct team;

// The members a team may have: CPUCOUNT (the machine's processors when it is not set), 1
// when THREADS is off or the options cannot be read.
int teamsize();

// Starts a team of the calling thread and members - 1 workers for rounds of at most maxparts
// parts, its records from pool. Null when members < 2, or when the kernel cannot give the
// workers (the caller runs alone).
team* teamstart(poolobj* pool, int members, int maxparts);

// Computes fn(ctx, part, member, together, round) and publishes publish(ctx, part, member) for
// part = 0 .. nparts - 1 and returns when every part is published. member is 0 .. teammembers
// - 1 (0 the calling thread); together is false when the calling thread runs the part alone
// (it alone reads what the caller writes between rounds). round numbers a round whose parts
// run together: a member may keep what it read for one part of the round for the others,
// since a round's data change only after all its parts are published (a member that comes
// late and read them changing cannot publish a part of that round any more).
// With a null team the parts run in order in the calling thread.
using teamfn = void (*)(void* ctx, int part, int member, bool together, uint32_t round);
using teampub = void (*)(void* ctx, int part, int member);
void teamrun(team* t, int nparts, teamfn fn, teampub publish, void* ctx);

// Members of a started team (1 for null).
int teammembers(const team* t);

// Ends the workers (waiting for each) and releases their events; the records stay in the pool.
void teamstop(team* t);
