// Symbols, colours, patterns and frame fills of a device plot: vyxsymb builds the style
// records of the groups, vyxgpat fetches the pattern names, vyxgcol resolves the colour of
// every role per page and vyxgfrm fills the frame and the strip of censored marks per panel.
// Each choice follows one order: the statement's option, the output style's element (when
// the graphics context says styles are in use), the device's default.
//
// Records: symarr[k] the line attributes of group k (line type, line colour), symcomp[k] its
// point attributes (plot symbol and colour), symcens[k] its censored marks. The relation plot
// keeps its records in gstyles: the exact, right- and left-censored marks, then one record per
// PLOTFIT line, then the levels' records.
#pragma once

struct vyxstate;

enum : int { GS_EXACT = 0, GS_RIGHT = 1, GS_LEFT = 2, GS_PCT = 3 };

int vyxsymb(vyxstate* s);
void vyxgpat(vyxstate* s);
int vyxgcol(vyxstate* s);
int vyxgfrm(vyxstate* s);
