// The statement reference for users (docs/statements.md), rendered from the grammar tables
// so that it cannot drift from what the parser accepts.
#pragma once
#include <string>
#include "host/grammar.h"

std::string renderreference(const grammar& g);
