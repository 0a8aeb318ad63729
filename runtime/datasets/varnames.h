// Header names that a program could not write (R writes `ph.ecog`, spreadsheets `dose (mg)`)
// are made valid variable names when a data set is opened.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace rt::ds {

struct Renaming {
    size_t column;       // 0-based
    std::string from, to;
};

// A valid name is letters, digits and underscores, not starting with a digit. Every other
// name is changed: each character (a UTF-8 sequence counts as one) other than a letter, a
// digit or an underscore becomes an underscore, a leading digit gets an underscore in front,
// and a name that then equals another (case ignored) gets the suffix 2, 3, ... Names stay
// within limit characters. Returns the changes in column order; names holds the new names.
std::vector<Renaming> validnames(std::vector<std::string>& names, size_t limit);

}  // namespace rt::ds
