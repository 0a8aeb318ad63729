// The tokens of a C++ source text, for the scanners that read code rather than lines: comments,
// string and character literals and preprocessor lines are left out; identifiers, numbers and
// operators (the two- and three-character ones whole: -> :: ++ += <<= ...) are tokens.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace srctok {

struct Tok {
    std::string t;
    int line = 0;
};

std::vector<Tok> tokenize(const std::string& text);

bool isname(const std::string& t);   // an identifier or keyword
bool isnumber(const std::string& t); // a number literal

// t[i].t, or "" past the end.
const std::string& at(const std::vector<Tok>& t, size_t i);

// The file's text; the .h and .cpp files below root/top, relative to root, in order.
std::string readtext(const std::filesystem::path& file);
std::vector<std::string> sources(const std::filesystem::path& root, const std::string& top);

// The index of the bracket that closes the one at t[open] ( [ { ), or t.size().
size_t closing(const std::vector<Tok>& t, size_t open);

}  // namespace srctok
