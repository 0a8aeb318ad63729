// A small strict HTML checker for the report: every element that is not void is closed in
// order, attributes are quoted, '<' and '&' in text start tags and entities only, and the
// document has the doctype, html, head, title and body.
#pragma once
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace outtest {

inline std::string checkhtml(const std::string& s) {
    static const std::set<std::string> voids = {"meta", "br", "hr", "img", "link", "col", "input"};
    static const std::set<std::string> known = {"html", "head", "meta", "title", "style", "body", "section", "span", "h1",
                                                "h2", "p", "table", "caption", "thead", "tbody", "tr", "th", "td",
                                                "br", "figure", "figcaption", "div", "img", "svg"};
    std::vector<std::string> stack;
    std::set<std::string> seen;
    size_t i = 0;
    if (s.rfind("<!DOCTYPE html>", 0) != 0) return "no doctype";
    i = 15;
    while (i < s.size()) {
        char c = s[i];
        if (c == '&') {
            size_t semi = s.find(';', i);
            std::string ent = semi == std::string::npos ? "" : s.substr(i, semi - i + 1);
            if (ent != "&amp;" && ent != "&lt;" && ent != "&gt;" && ent != "&quot;") return "bad entity at " + std::to_string(i);
            i = semi + 1;
            continue;
        }
        if (c != '<') {
            ++i;
            continue;
        }
        size_t end = s.find('>', i);
        if (end == std::string::npos) return "unterminated tag at " + std::to_string(i);
        std::string tag = s.substr(i + 1, end - i - 1);
        bool closing = !tag.empty() && tag[0] == '/';
        if (closing) tag = tag.substr(1);
        size_t sp = tag.find(' ');
        std::string name = tag.substr(0, sp);
        for (char ch : name)
            if (!std::islower(static_cast<unsigned char>(ch)) && !std::isdigit(static_cast<unsigned char>(ch)))
                return "bad tag name '" + name + "'";
        if (!known.count(name)) return "unknown element " + name;
        if (name == "svg" && !closing) {   // an inlined graph: XML of its own, up to its end tag
            size_t close = s.find("</svg>", end);
            if (close == std::string::npos) return "svg not closed";
            i = close + 6;
            seen.insert(name);
            continue;
        }
        if (name == "style") {   // raw text up to its end tag
            size_t close = s.find("</style>", end);
            if (close == std::string::npos) return "style not closed";
            i = close + 8;
            seen.insert(name);
            continue;
        }
        if (!closing && sp != std::string::npos) {
            // attributes: name="value" separated by blanks
            std::string a = tag.substr(sp + 1);
            size_t k = 0;
            while (k < a.size()) {
                while (k < a.size() && a[k] == ' ') ++k;
                size_t eq = a.find('=', k);
                if (eq == std::string::npos || eq + 1 >= a.size() || a[eq + 1] != '"') return "unquoted attribute in <" + tag + ">";
                size_t q = a.find('"', eq + 2);
                if (q == std::string::npos) return "unterminated attribute in <" + tag + ">";
                if (a.substr(eq + 2, q - eq - 2).find('<') != std::string::npos) return "'<' in an attribute";
                k = q + 1;
            }
        }
        if (closing) {
            if (stack.empty() || stack.back() != name)
                return "</" + name + "> closes " + (stack.empty() ? std::string("nothing") : "<" + stack.back() + ">");
            stack.pop_back();
        } else if (!voids.count(name)) {
            stack.push_back(name);
        }
        seen.insert(name);
        i = end + 1;
    }
    if (!stack.empty()) return "<" + stack.back() + "> not closed";
    for (const char* need : {"html", "head", "title", "body"})
        if (!seen.count(need)) return std::string("no <") + need + ">";
    return "";
}

}  // namespace outtest
