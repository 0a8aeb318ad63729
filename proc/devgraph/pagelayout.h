// Page layout of a device plot, refilled for every output destination: vyxgini starts the
// graph on the destination (catalog, page window), vyxpmar takes the fonts, gaps and tick
// label sizes, vyxppag computes the frame, the panels and the data-to-page factors.
#pragma once

struct vyxstate;

enum : int { RC_SKIPDEST = 20001 };   // a later destination named DOCUMENT: skipped

int vyxgini(vyxstate* s);
void vyxpmar(vyxstate* s);
int vyxppag(vyxstate* s);
