// Notes about the data of the current BY group. Every statement of a step reads the BY group
// again, so a note about its observations (rows skipped, a censoring value that never
// occurs) would be logged once per statement; these helpers log each once per BY group.
#pragma once

#include <cstdint>

#include "host/vec203_datasets.h"

struct vyxstate;

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
// A key whose values a warning named (pooledkeys.h): the message, the variable, the group whose
// values the warning is about (a hash of its levels; 0 for the whole BY group), the key.
struct bykeynote {
    int32_t msg;
    uint32_t var;
    uint64_t group;
    char key[16];
};
static_assert(sizeof(bykeynote) == 32, "bykeynote has no padding");
struct bynoterec {
    int32_t n;
    bynotekey k[32];
    int32_t nkeys;
    int32_t capkeys;
    bykeynote* keys;            // the keys named in the BY group (capkeys places in the BY-group pool)
};

// Forgets the keys named when the BY-group pool that holds their record goes.
void bynotes_bygone(vyxstate* s);

// True the first time the note is asked for in the BY group (the note is then remembered),
// false when it has been logged already.
bool bynotefresh(vyxstate* s, int32_t msg, uint32_t var1, uint32_t var2, double value);

// " in the BY group a=1 b=x" for a message about the current BY group; empty without BY
// variables. Writes at most len bytes (NUL included) into out and returns out.
const char* bygrouptext(const vyxstate* s, char* out, int len);

// The response variables of a note: the time (or lower end) and the second response variable
// (the upper end of an interval, the censoring variable, the trials or exposure), null when there
// is none; their numbers tell one statement's rows from another's.
struct noteresponse {
    const vardesc* var[2];
    uint32_t id[2];
};

// Why a reader skipped an observation. Each reason gets one note per BY group with the count
// and the first observation, however many statements read the rows.
enum skipreason : int {
    SKIP_NONPOS,     // a time or an end at or below 0 on a log scale
    SKIP_REVERSED,   // an interval whose lower end is above its upper end
    SKIP_FREQNEG,    // a negative FREQ value
    SKIP_FREQMISS,   // a missing FREQ value
    SKIP_FREQZERO,   // a FREQ value of 0 (READOUT data keep it)
    SKIP_MISSING,    // a missing response value (an interval: both ends)
    SKIP_NENTER,     // a missing NENTER value
    SKIP_FMODE,      // a missing failure mode
    SKIP_CLASS1,     // a missing value of the first class variable
    SKIP_CLASS2,     // of the second
    SKIP_EFFECT,     // a variable of the MODEL or LOGSCALE effects has no usable value
    SKIP_RELATION,   // a RELATION= transform gives no value
    SKIP_UNITID,     // a recurrence record without a UNITID value
    SKIP_REASONS
};
struct skiptally {
    int64_t n[SKIP_REASONS];
    int64_t first[SKIP_REASONS];   // observation number of the first (from 1)
};

// Counts the current observation of the input data set as skipped for reason why.
void skipcount(const vyxstate* s, skiptally& t, int why);

// The notes of a pass's skipped rows, one per reason with a count, each once per BY group. The
// response is the statement's: the time (or lower end) and the second variable (censoring
// variable, upper end, trials or exposure), or none; interval says which.
void skipnotes(vyxstate* s, const skiptally& t, const noteresponse& r, bool interval);

// Message msg (MCFPLOT's end value) for every value of the censoring list (s->input.censvals)
// whose seen[i] is 0, naming the variable; a value listed twice is named once, and each once per
// BY group.
void unseennotes(vyxstate* s, int32_t msg, const uint8_t* seen, const vardesc* var, uint32_t id);

// The values of the censoring variable that the observations used take and no listed value
// matches: the first few distinct ones in the order met, and whether there were more.
struct censtaken {
    double v[6];
    int32_t n;
    int32_t more;
};
// Notes a value of the censoring variable that is not one of the list.
void censtakenadd(censtaken& t, double b);

// The same for a censoring list of time*censor(values): when no listed value occurs, every
// observation is taken as a failure (or as censored where FMODE sets its mode aside:
// fmodeaside), which one message says: a note when the variable takes a single value in the
// observations used (complete data written with a status column), a warning naming the values
// it takes when they are two or more. When a listed value occurs, a note for each that does
// not.
void censornotes(vyxstate* s, const uint8_t* seen, const censtaken& taken, const vardesc* var, uint32_t id, bool fmodeaside);
