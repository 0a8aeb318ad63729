// Tokens of the program language inside one PROC step, with their program line and column.
#pragma once
#include <string>
#include <vector>

namespace rt::stmt {

enum class Tok { Name, Number, String, Punct, Semi, End };

struct Token {
    Tok kind;
    std::string text;      // Name: upper case; String: the contents; Punct: the character
    std::string written;   // Name: as the program wrote it
    double num = 0;        // Number
    int line = 0;
    int col = 0;
    bool is(char c) const { return kind == Tok::Punct && text.size() == 1 && text[0] == c; }
    bool isname(const char* s) const { return kind == Tok::Name && text == s; }
};

// One statement: its tokens (without the semicolon) and where it starts.
struct Statement {
    std::vector<Token> toks;
    int line = 0;
    int col = 0;
};

struct LexError {
    int line, col;
    std::string what;
    std::string keyword;   // of the statement holding the error, as written (upper case); may be empty
};

// Splits the step's text into statements. Comments /* ... */ anywhere and "* ... ;" at the
// start of a statement are dropped. Errors (an unterminated string or comment, a character
// the language does not use) are collected; the statement holding one is left out.
std::vector<Statement> lex(const std::string& text, int firstline, int firstcol, std::vector<LexError>& errors);

// Text of a token as the user wrote it, for messages.
std::string shown(const Token& t);
// The same between single quotes.
std::string quoted(const Token& t);

}  // namespace rt::stmt
