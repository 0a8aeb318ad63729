// Tick value labels: one axis or reference-line value as a label of at most 10 characters,
// optionally compact (no leading zero, no ".0" before an exponent), with the number of
// decimals it shows.
#pragma once

// out: 10 characters, blank padded (null: only the measures). w: on entry the decimals
// argument of the host formatter; changed only for a label with an exponent. Returns the
// label's length without trailing blanks.
int shwylab(char* out, double value, int* ndec, int* w, int trim);
