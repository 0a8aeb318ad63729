// The statement reference for users (docs/statements.md), rendered from the grammar tables
// so that it cannot drift from what the parser accepts.
#pragma once
#include <string>
#include <vector>
#include "host/grammar.h"

std::string renderreference(const grammar& g);

// The keywords of a grammar name "A|B|C".
std::vector<std::string> split(const char* names);
// Whether k is one of the null-terminated list.
bool listed(const char* const* list, const std::string& k);
