// Notes on the options of a step that are accepted and have no effect.
#pragma once

#include "host/stmtrec.h"

// One note per such option of every statement in the list that starts at head.
void noeffectnotes(const stmtrec* head);
