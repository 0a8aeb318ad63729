// The message catalogs of the runtime: numbered texts with substitutions.
#pragma once
#include <string>
#include "host/msgarg.h"

namespace rt::msg {

struct Entry {
    char kind = 'N';        // 'N', 'W', 'E' or 'T'
    std::string text;       // with %1..%9 placeholders
};

// The catalog entry, or null when the catalog has no such message.
const Entry* find(int group, int n);
// The message text with its substitutions; a message missing from the catalogs
// yields a text that names its group and number.
std::string text(int group, int n, int nargs, const msgarg* args);
// Replaces %1..%9 in pattern.
std::string substitute(const std::string& pattern, int nargs, const msgarg* args);
// One substitution value as text (numbers as numbertext gives them).
std::string argtext(const msgarg& a);
// A number of a message: the shortest text that reads back as the same double, cut to 15
// significant digits; "." for a value that is not a finite number.
std::string numbertext(double d);

}  // namespace rt::msg
