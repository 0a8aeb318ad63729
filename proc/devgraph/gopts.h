// Options of the plot statements as the drawing Parts read them: a colour or symbol name
// given once or as a list, a line type given as a number or a list. Past the end of a list
// the last entry stands (each group repeats the previous group's value).
#pragma once
#include "host/stmtrec.h"

// Entries of the option (a single value counts 1); 0 when absent or an empty list.
int optcount(const stmtrec* r, int slot);
// The k-th name (the last when k is past the end), blank padded to 8; false when absent.
bool optname(const stmtrec* r, int slot, int k, char out[8]);
// The k-th number (the last when k is past the end); false when absent.
bool optnum(const stmtrec* r, int slot, int k, double* out);
// The text of a name or quoted-string option and its length; null when absent.
const char* opttext(const stmtrec* r, int slot, int* length);
