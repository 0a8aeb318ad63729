// Small text helpers of the runtime and the command, written once.
#pragma once
#include <string>
#include <string_view>

namespace rt::util {

// s in upper case, or in lower case (ASCII letters only).
std::string upper(std::string s);
std::string lower(std::string s);
// Equal ignoring the case of ASCII letters.
bool iequal(std::string_view a, std::string_view b);

// A value as a message quotes it: at most max bytes of it (cut back to a whole character
// when the value is UTF-8, with "..." after it), and every control character written as an escape (\n, \r, \t,
// \xHH), so that a quoted value can neither flood the log nor start a log line of its own.
std::string shown(std::string_view value, size_t max = 60, bool keeptabs = false);
// The same between single quotes.
std::string quoted(std::string_view value, size_t max = 60);

}  // namespace rt::util
