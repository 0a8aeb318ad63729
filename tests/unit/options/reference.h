// The statement references, rendered from the grammar tables so that they cannot drift from
// what the parser accepts: for users (docs/statements.md, with what each statement and option
// does) and for developers (docs/option-slots.md, where each option is stored).
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "host/grammar.h"

// (statement keyword, option keyword or "") -> what it does, in a sentence.
using Meanings = std::map<std::pair<std::string, std::string>, std::string>;
Meanings loadmeanings(const std::string& path);

// The user reference; the statements and options without a sentence go to missing.
std::string renderreference(const grammar& g, const Meanings& m, std::vector<std::string>& missing);
// The developer reference of slots and flags.
std::string renderslots(const grammar& g);

// The keywords of a grammar name "A|B|C".
std::vector<std::string> split(const char* names);
// Whether k is one of the null-terminated list.
bool listed(const char* const* list, const std::string& k);
