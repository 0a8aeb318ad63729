// The tokens of one PROC step, each with its program line and column, and the step split
// into statements.
#include "runtime/statements/lexer.h"
#include "runtime/util/strings.h"
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace rt::stmt {
namespace {

// The longest name of the language: keywords, variables, libraries and members alike.
constexpr size_t kMaxName = 32;

struct Cursor {
    const std::string& s;
    size_t i = 0;
    int line, col;
    char peek(size_t k = 0) const { return i + k < s.size() ? s[i + k] : '\0'; }
    bool done() const { return i >= s.size(); }
    void advance() {
        if (s[i] == '\n') {
            ++line;
            col = 1;
        } else {
            ++col;
        }
        ++i;
    }
};

bool namestart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool namechar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::string shown(const Token& t) {
    switch (t.kind) {
    case Tok::String: return rt::util::quoted(t.text);
    case Tok::Semi: return ";";
    case Tok::End: return "end of statement";
    default: return rt::util::shown(t.text);
    }
}

std::string quoted(const Token& t) {
    std::string s(1, '\'');
    s.append(shown(t));
    s.push_back('\'');
    return s;
}

std::vector<Statement> lex(const std::string& text, int firstline, int firstcol, std::vector<LexError>& errors) {
    std::vector<Statement> out;
    Cursor c{text, 0, firstline, firstcol};
    Statement cur;
    bool bad = false;          // the current statement holds a lexical error
    // The keyword of the statement being read ("label: keyword" skips the label), for messages.
    auto keyword = [&]() -> std::string {
        const auto& k = cur.toks;
        size_t at = k.size() >= 3 && k[0].kind == Tok::Name && k[1].is(':') ? 2 : 0;
        return at < k.size() && k[at].kind == Tok::Name ? k[at].text : std::string();
    };
    auto finish = [&](int line, int col) {
        if (!bad && !cur.toks.empty()) out.push_back(std::move(cur));
        cur = Statement{};
        bad = false;
        (void)line;
        (void)col;
    };
    while (!c.done()) {
        char ch = c.peek();
        if (std::isspace(static_cast<unsigned char>(ch))) {
            c.advance();
            continue;
        }
        if (ch == '/' && c.peek(1) == '*') {
            int l = c.line, k = c.col;
            c.advance();
            c.advance();
            while (!c.done() && !(c.peek() == '*' && c.peek(1) == '/')) c.advance();
            if (c.done()) {
                errors.push_back({l, k, "a comment that starts here is not closed with */", keyword()});
                break;
            }
            c.advance();
            c.advance();
            continue;
        }
        if (ch == '*' && cur.toks.empty() && !bad) {
            // "* ... ;" comment statement
            while (!c.done() && c.peek() != ';') c.advance();
            if (!c.done()) c.advance();
            continue;
        }
        Token t;
        t.line = c.line;
        t.col = c.col;
        if (cur.toks.empty()) {
            cur.line = t.line;
            cur.col = t.col;
        }
        if (ch == ';') {
            c.advance();
            finish(t.line, t.col);
            continue;
        }
        if (namestart(ch)) {
            while (namechar(c.peek())) {
                t.written += c.peek();
                c.advance();
            }
            t.text = rt::util::upper(t.written);
            t.kind = Tok::Name;
            if (t.text.size() > kMaxName) {
                // no keyword, variable or library name is that long; messages quote names whole
                errors.push_back({t.line, t.col,
                                  "the name " + rt::util::shown(t.written, 40) + " has " + std::to_string(t.text.size()) +
                                      " characters; names have at most " + std::to_string(kMaxName),
                                  keyword()});
                bad = true;
                continue;
            }
        } else if (std::isdigit(static_cast<unsigned char>(ch)) ||
                   (ch == '.' && std::isdigit(static_cast<unsigned char>(c.peek(1))))) {
            std::string n;
            while (std::isdigit(static_cast<unsigned char>(c.peek()))) { n += c.peek(); c.advance(); }
            if (c.peek() == '.') {
                n += '.';
                c.advance();
                while (std::isdigit(static_cast<unsigned char>(c.peek()))) { n += c.peek(); c.advance(); }
            }
            if ((c.peek() == 'e' || c.peek() == 'E') &&
                (std::isdigit(static_cast<unsigned char>(c.peek(1))) ||
                 ((c.peek(1) == '+' || c.peek(1) == '-') && std::isdigit(static_cast<unsigned char>(c.peek(2)))))) {
                n += 'e';
                c.advance();
                if (c.peek() == '+' || c.peek() == '-') { n += c.peek(); c.advance(); }
                while (std::isdigit(static_cast<unsigned char>(c.peek()))) { n += c.peek(); c.advance(); }
            }
            if (namestart(c.peek())) {
                // "12abc": neither a number nor a name
                while (namechar(c.peek())) { n += c.peek(); c.advance(); }
                errors.push_back({t.line, t.col, rt::util::quoted(n) + " is neither a number nor a name", keyword()});
                bad = true;
                continue;
            }
            t.kind = Tok::Number;
            t.text = n;
            t.num = std::strtod(n.c_str(), nullptr);
            if (!std::isfinite(t.num)) {
                errors.push_back({t.line, t.col, "the number " + rt::util::shown(n) + " is too large", keyword()});
                bad = true;
                continue;
            }
        } else if (ch == '\'' || ch == '"') {
            char q = ch;
            c.advance();
            bool closed = false;
            while (!c.done()) {
                if (c.peek() == q) {
                    if (c.peek(1) == q) {           // a doubled quote stands for one
                        t.text += q;
                        c.advance();
                        c.advance();
                        continue;
                    }
                    c.advance();
                    closed = true;
                    break;
                }
                t.text += c.peek();
                c.advance();
            }
            if (!closed) {
                errors.push_back({t.line, t.col, "a quoted string that starts here is not closed", keyword()});
                bad = true;
                break;
            }
            t.kind = Tok::String;
        } else if (std::string("()*,-/:=@|.+").find(ch) != std::string::npos) {
            t.kind = Tok::Punct;
            t.text = std::string(1, ch);
            c.advance();
        } else {
            errors.push_back({t.line, t.col,
                              "the character '" + rt::util::shown(std::string(1, ch)) + "' is not part of the language",
                              keyword()});
            bad = true;
            c.advance();
            continue;
        }
        cur.toks.push_back(std::move(t));
    }
    finish(c.line, c.col);
    return out;
}

}  // namespace rt::stmt
