// The closest valid keyword to a misspelt one, for messages.
#pragma once
#include <string>
#include <vector>

namespace rt::stmt {

// Edit distance (insertions, deletions, substitutions, transpositions of neighbours).
int editdistance(const std::string& a, const std::string& b);

// The candidate closest to word; empty when none is close enough to be a likely intent.
std::string closest(const std::string& word, const std::vector<std::string>& candidates);

// Splits "A|B|C" into its keywords.
std::vector<std::string> aliases(const char* names);
// Whether kw is one of the keywords "A|B|C" (no allocation: the parser asks this often).
bool matches(const char* names, const std::string& kw);
// The first keyword of "A|B|C".
std::string first(const char* names);

}  // namespace rt::stmt
