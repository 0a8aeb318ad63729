// The closest valid keyword to a misspelt one, for messages.
#pragma once
#include <string>
#include <utility>
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

// Every keyword of the rows of a grammar table (rows with a `names` member "A|B|C"),
// appended to `out`: the candidates of closest().
template <class Row>
std::vector<std::string> aliasesof(const Row* rows, int n, std::vector<std::string> out = {}) {
    for (int i = 0; i < n; ++i)
        for (auto& a : aliases(rows[i].names)) out.push_back(std::move(a));
    return out;
}

// "; did you mean WORD?" to close a message, or nothing when no candidate was close.
inline std::string didyoumean(const std::string& best) {
    return best.empty() ? std::string() : "; did you mean " + best + "?";
}

}  // namespace rt::stmt
