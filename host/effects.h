// Model effects as the host's effect parser leaves them for the effects library, and the
// effect-parse record through which the procedure sets the parser's name-length limit.
#pragma once
#include <cstdint>

// One parsed model effect. Entries of the lists are variable indexes as the host codes them:
// 0 and above index the step's own variables (continuous: the PROC record's slot-1 list;
// CLASS: its slot-2 list); -2 down to -9999999 an extra variable -(code) - 2; -10000000 and
// below a constructed effect -(code) - 10000000.
struct parsedeff {
    parsedeff* next;
    int32_t ncont;              // continuous variables, in the order written
    int32_t* cont;
    int32_t ncls;               // crossed CLASS variables
    int32_t* cls;
    int32_t nnest;              // nesting CLASS variables (inside parentheses)
    int32_t* nest;
    int32_t nother;             // a fourth list (always empty here)
    int32_t* other;
    const char* name;           // the effect's name, e.g. "TEMP*LOT(PLANT)"
    int32_t namelen;            // at most the effect parser's limit
};

// The effect-parse record made by `zefprsi` (the host pool at instance word 19): the
// parser's name-length limit and flag, and two empty lists the host's parser fills.
struct effprsrec {
    int32_t limit;              // longest effect name kept (NAMELEN=, 20 by default)
    int32_t flag;
    int32_t w2, w3, w4;
    void* list1;                // first list: head and the address of the last link
    void** list1tail;
    void* list2;
    void** list2tail;
    int32_t w15, w16, w17, w18;
};
