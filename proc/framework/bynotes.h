// Notes about the data of the current BY group. Every statement of a step reads the BY group
// again, so a note about its observations (rows skipped, a censoring value that never
// occurs) would be logged once per statement; these helpers log each once per BY group.
#pragma once

#include <cstdint>

#include "host/vec203_datasets.h"

struct vyxstate;

// Notes about the observations of a BY group (catalog 510).
enum : int {
    MSG_NONPOS = 2000,             // rows skipped for a time at or below 0 on a log scale
    MSG_NONPOS_THRESHOLD = 2001,   // the same, THRESHOLD= subtracted
    MSG_CENSOR_UNSEEN = 2002,      // a censoring value that no observation used has
};

// What makes two notes the same: the message, the variables it is about and a value (a count
// or the value named). The main routine clears the record at the start of each BY group.
// The key has no padding: every byte of it is written, so no stale bits of the stack stay in
// the state block (the sanitizer build's pool watch reads every word of the block).
struct bynotekey {
    int32_t msg;
    uint32_t var[2];
    uint32_t spare;
    double value;
};
static_assert(sizeof(bynotekey) == 24, "bynotekey has no padding");
struct bynoterec {
    int32_t n;
    bynotekey k[16];
};

// True the first time the note is asked for in the BY group (the note is then remembered),
// false when it has been logged already.
bool bynotefresh(vyxstate* s, int32_t msg, uint32_t var1, uint32_t var2, double value);

// " in the BY group a=1 b=x" for a message about the current BY group; empty without BY
// variables. Writes at most len bytes (NUL included) into out and returns out.
const char* bygrouptext(const vyxstate* s, char* out, int len);

// The response variables of a note: the time (or lower end) and, for an interval, the upper
// end; their numbers tell one statement's rows from another's.
struct noteresponse {
    const vardesc* var[2];
    uint32_t id[2];
};

// Rows skipped for a time at or below 0 on a log scale: the note with their count, once per
// BY group (THRESHOLD= named when given).
void nonposnote(vyxstate* s, int64_t count, const noteresponse& r);

// Message msg (MSG_CENSOR_UNSEEN, or MCFPLOT's end value) for every value of the censoring
// list (s->input.censvals) whose seen[i] is 0, naming the variable; a value listed twice is named
// once, and each once per BY group.
void unseennotes(vyxstate* s, int32_t msg, const uint8_t* seen, const vardesc* var, uint32_t id);
