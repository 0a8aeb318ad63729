// The response-form bytes of vyxstate::rspform: one flag per form, forms 1, 3, 0 and 2 in
// that order (form 4, events and trials, sets none).
#pragma once

enum : int {
    RSPF_CENSLIST = 0,   // form 1: time with a censoring list
    RSPF_READOUT = 1,    // form 3: READOUT data
    RSPF_TIME = 2,       // form 0: a single time
    RSPF_PAIR = 3,       // form 2: lower and upper ends
};
