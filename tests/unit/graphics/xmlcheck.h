// A small well-formedness check of XML (the SVG pages): every tag closed in order,
// attributes quoted, no stray '<' or '&' in text. Returns an empty string when well formed.
#pragma once
#include <cctype>
#include <string>
#include <vector>

inline std::string xmlproblem(const std::string& s) {
    std::vector<std::string> stack;
    size_t i = 0, n = s.size();
    auto isname = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '-' || c == '_' || c == '.'; };
    while (i < n) {
        if (s[i] == '&') {
            size_t e = s.find(';', i);
            if (e == std::string::npos || e - i > 10) return "bare & at " + std::to_string(i);
            i = e + 1;
            continue;
        }
        if (s[i] != '<') {
            ++i;
            continue;
        }
        if (s.compare(i, 4, "<!--") == 0) {
            size_t e = s.find("-->", i);
            if (e == std::string::npos) return "unclosed comment";
            i = e + 3;
            continue;
        }
        if (s.compare(i, 2, "<?") == 0) {
            size_t e = s.find("?>", i);
            if (e == std::string::npos) return "unclosed declaration";
            i = e + 2;
            continue;
        }
        bool closing = i + 1 < n && s[i + 1] == '/';
        size_t j = i + (closing ? 2 : 1), b = j;
        while (j < n && isname(s[j])) ++j;
        std::string name = s.substr(b, j - b);
        if (name.empty()) return "tag without a name at " + std::to_string(i);
        // attributes
        while (j < n && s[j] != '>' && !(s[j] == '/' && j + 1 < n && s[j + 1] == '>')) {
            if (std::isspace(static_cast<unsigned char>(s[j]))) {
                ++j;
                continue;
            }
            size_t a = j;
            while (j < n && isname(s[j])) ++j;
            if (j == a || j >= n || s[j] != '=') return "bad attribute in <" + name + "> at " + std::to_string(a);
            ++j;
            if (j >= n || (s[j] != '"' && s[j] != '\'')) return "unquoted attribute in <" + name + ">";
            char q = s[j];
            size_t e = s.find(q, j + 1);
            if (e == std::string::npos) return "unclosed attribute";
            if (s.substr(j + 1, e - j - 1).find('<') != std::string::npos) return "'<' in an attribute";
            j = e + 1;
        }
        if (j >= n) return "unclosed tag <" + name + ">";
        bool selfclose = s[j] == '/';
        i = j + (selfclose ? 2 : 1);
        if (closing) {
            if (stack.empty() || stack.back() != name) return "</" + name + "> closes " + (stack.empty() ? "nothing" : stack.back());
            stack.pop_back();
        } else if (!selfclose) {
            stack.push_back(name);
        }
    }
    return stack.empty() ? "" : "unclosed <" + stack.back() + ">";
}
