// Splitting a program into statements: comments and quoted strings are honoured,
// and every statement keeps the line and column where it starts.
#pragma once
#include <string>
#include <vector>

namespace rt::runner {

struct Statement {
    size_t begin = 0;        // offset of the first character of the statement
    size_t end = 0;          // offset just past its semicolon (or the end of the text)
    int line = 1;            // line and column of the first character
    int column = 1;
    int lastline = 1;        // line of its last character
    std::string word;        // first word, upper case ("" for an empty statement)
    bool terminated = true;  // false when the text ended before a semicolon
};

// Statements of text; a statement that is a comment (`* ... ;`) is left out.
// An unterminated quoted string or comment sets err (with its line) and stops.
std::vector<Statement> split(const std::string& text, std::string& err);

// The words of a statement (outside quotes and comments), upper case.
std::vector<std::string> words(const std::string& text, const Statement& s);

// The words of an OPTIONS statement: names and values up to a blank, "=" or ";" (such as 4.5),
// upper case, "=", and quoted texts (their content as written).
std::vector<std::string> optionwords(const std::string& text, const Statement& s);

}  // namespace rt::runner
