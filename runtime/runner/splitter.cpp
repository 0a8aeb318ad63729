// Splitting a program into statements, honouring comments and quoted strings; each
// statement keeps the line and column where it starts.
#include "runtime/runner/splitter.h"

#include <cctype>

#include "runtime/util/strings.h"

namespace rt::runner {
namespace {

bool wordchar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

using util::upper;

}  // namespace

std::vector<Statement> split(const std::string& t, std::string& err) {
    std::vector<Statement> out;
    size_t i = 0, n = t.size();
    int line = 1, col = 1;
    auto advance = [&](size_t k) {
        for (size_t j = 0; j < k && i < n; ++j, ++i) {
            if (t[i] == '\n') {
                ++line;
                col = 1;
            } else {
                ++col;
            }
        }
    };
    while (i < n) {
        // Skip blanks and comments between statements.
        while (i < n) {
            if (std::isspace(static_cast<unsigned char>(t[i]))) {
                advance(1);
            } else if (t.compare(i, 2, "/*") == 0) {
                int l0 = line;
                size_t e = t.find("*/", i + 2);
                if (e == std::string::npos) {
                    err = "Line " + std::to_string(l0) + ": a comment that starts here is not closed with */.";
                    return out;
                }
                advance(e + 2 - i);
            } else {
                break;
            }
        }
        if (i >= n) break;
        Statement s;
        s.begin = i;
        s.line = line;
        s.column = col;
        bool comment = t[i] == '*';
        while (i < n && t[i] != ';') {
            char c = t[i];
            if (!comment && (c == '\'' || c == '"')) {
                int l0 = line, c0 = col;
                advance(1);
                while (i < n && t[i] != c) advance(1);
                if (i >= n) {
                    err = "Line " + std::to_string(l0) + ", column " + std::to_string(c0) +
                          ": a quoted string that starts here is not closed.";
                    return out;
                }
                advance(1);
            } else if (!comment && t.compare(i, 2, "/*") == 0) {
                int l0 = line;
                size_t e = t.find("*/", i + 2);
                if (e == std::string::npos) {
                    err = "Line " + std::to_string(l0) + ": a comment that starts here is not closed with */.";
                    return out;
                }
                advance(e + 2 - i);
            } else {
                advance(1);
            }
        }
        s.terminated = i < n;
        s.lastline = line;
        if (i < n) advance(1);
        s.end = i;
        if (comment) continue;
        size_t w = s.begin;
        while (w < s.end && wordchar(t[w])) ++w;
        s.word = upper(t.substr(s.begin, w - s.begin));
        out.push_back(s);
    }
    return out;
}

namespace {

// Offset of the quote that closes the string opening at i, or e when it is not closed before e.
size_t closingquote(const std::string& t, size_t i, size_t e) {
    size_t q = t.find(t[i], i + 1);
    return q == std::string::npos || q >= e ? e : q;
}

// Offset just past the comment opening at i, or e when it is not closed before e.
size_t pastcomment(const std::string& t, size_t i, size_t e) {
    size_t q = t.find("*/", i + 2);
    return q == std::string::npos || q + 2 > e ? e : q + 2;
}

}  // namespace

std::vector<std::string> words(const std::string& t, const Statement& s) {
    std::vector<std::string> out;
    size_t i = s.begin, e = s.end;
    while (i < e) {
        char c = t[i];
        if (c == '\'' || c == '"') {
            i = closingquote(t, i, e) + 1;
        } else if (t.compare(i, 2, "/*") == 0) {
            i = pastcomment(t, i, e);
        } else if (wordchar(c)) {
            size_t j = i;
            while (j < e && wordchar(t[j])) ++j;
            out.push_back(upper(t.substr(i, j - i)));
            i = j;
        } else {
            if (c == '=' ) out.push_back("=");
            ++i;
        }
    }
    return out;
}

std::vector<std::string> optionwords(const std::string& t, const Statement& s) {
    std::vector<std::string> out;
    size_t i = s.begin, e = s.end;
    while (i < e) {
        char c = t[i];
        if (c == '\'' || c == '"') {
            size_t q = closingquote(t, i, e);
            out.push_back(t.substr(i + 1, q - i - 1));
            i = q + 1;
        } else if (t.compare(i, 2, "/*") == 0) {
            i = pastcomment(t, i, e);
        } else if (c == '=') {
            out.push_back("=");
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c)) || c == ';') {
            ++i;
        } else {
            size_t j = i;
            while (j < e && t[j] != '=' && t[j] != ';' && t[j] != '\'' && t[j] != '"' &&
                   !std::isspace(static_cast<unsigned char>(t[j])))
                ++j;
            out.push_back(upper(t.substr(i, j - i)));
            i = j;
        }
    }
    return out;
}

}  // namespace rt::runner
