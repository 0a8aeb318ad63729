// Notes on the options of a step that are accepted and have no effect.
#pragma once

#include "host/stmtrec.h"

// One note per such option of every statement in the list that starts at head; statgraph: the
// plots are statistical graphics, which draw no ANNOTATE= data set.
void noeffectnotes(const stmtrec* head, bool statgraph);
