// The observation row of the life-distribution statements: one used observation as
// doubles, rows per buffer of them in a group's row buffer and, once the buffer has been
// full, in whole blocks on the group's utility file. A column is present only under its
// condition, in this order: time (or lower and upper end, or events and trials), censoring
// code, weight (FREQ), failure-mode index (FMODE COMBINE), NENTER value (READOUT).
#pragma once
#include <cstdint>

struct vyxstate;

// Response forms (rspkind): single time, time with censor list, lower/upper pair, READOUT,
// events(trials) or count(exposure).
enum : uint32_t { FORM_TIME = 0, FORM_CENSOR = 1, FORM_INTERVAL = 2, FORM_READOUT = 3, FORM_COUNTS = 4 };

// The response form as the statement wrote it: with FMODE a time alone is read as a time
// with censoring (fmresp), which is still the response of a MODEL statement of a time alone.
uint32_t writtenform(const vyxstate* s);

// Censoring codes of a row; CENS_OTHERMODE only while reading (stored as CENS_RIGHT).
enum : int { CENS_EXACT = 0, CENS_RIGHT = -1, CENS_LEFT = -2, CENS_INTERVAL = -3, CENS_OTHERMODE = -4 };

// Fixed columns.
enum : int {
    OBS_TIME = 0,      // time on the analysis scale (ln, log10 or as read)
    OBS_LOWER = 0,     // lower end of a lower/upper pair (missing: left-censored at the upper end)
    OBS_EVENTS = 0,    // events or count
    OBS_CENS = 1,      // censoring code (time with censor list)
    OBS_UPPER = 1,     // upper end (missing: right-censored at the lower end)
    OBS_TRIALS = 1,    // trials or exposure
};

// Rows per buffer: a group of more rows spills to its utility file.
constexpr int OBS_ROWS_PER_BUFFER = 100;

// Where the optional columns of a layout lie (-1 when absent).
struct obscols {
    int ndoubles;      // doubles per row
    int weight;        // FREQ
    int fmidx;         // failure-mode index
    int nenter;        // NENTER value
};

// The weight column of a response form: 1 for forms 0 and 3, else 2.
inline int obsweightcol(uint32_t form) { return form == FORM_TIME || form == FORM_READOUT ? 1 : 2; }

// The layout of the current statement, from the response form and the FREQ, NENTER and
// FMODE COMBINE settings the option reader left in the state block.
obscols obslayout(const vyxstate* s);
