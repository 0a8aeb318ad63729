// Source tokens (srctokens.h).
#include "srctokens.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "barenumbers.h"

namespace fs = std::filesystem;

namespace srctok {

namespace {

bool namechar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

const char* const kOperators[] = {"<<=", ">>=", "...", "->", "::", "++", "--", "+=", "-=", "*=", "/=", "%=", "&=",
                                  "|=",  "^=",  "==",  "!=", "<=", ">=", "&&", "||", "<<", ">>"};

}  // namespace

bool isname(const std::string& t) { return !t.empty() && (std::isalpha(static_cast<unsigned char>(t[0])) || t[0] == '_'); }
bool isnumber(const std::string& t) { return !t.empty() && std::isdigit(static_cast<unsigned char>(t[0])); }

const std::string& at(const std::vector<Tok>& t, size_t i) {
    static const std::string none;
    return i < t.size() ? t[i].t : none;
}

std::vector<Tok> tokenize(const std::string& text) {
    const std::string c = barenum::codeonly(text);
    std::vector<Tok> out;
    int line = 1;
    bool linestart = true;
    for (size_t i = 0; i < c.size();) {
        const char ch = c[i];
        if (ch == '\n') {
            ++line, ++i, linestart = true;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(ch))) {
            ++i;
            continue;
        }
        if (ch == '#' && linestart) {   // a preprocessor line, with its continuations
            while (i < c.size() && !(c[i] == '\n' && c[i - 1] != '\\')) line += c[i++] == '\n';
            continue;
        }
        linestart = false;
        size_t j = i + 1;
        if (namechar(ch)) {
            const bool number = std::isdigit(static_cast<unsigned char>(ch));
            while (j < c.size() && (namechar(c[j]) || (number && (c[j] == '.' || ((c[j] == '-' || c[j] == '+') && (c[j - 1] == 'e' || c[j - 1] == 'E'))))))
                ++j;
        } else {
            for (const char* op : kOperators)
                if (c.compare(i, std::char_traits<char>::length(op), op) == 0) {
                    j = i + std::char_traits<char>::length(op);
                    break;
                }
        }
        out.push_back({c.substr(i, j - i), line});
        i = j;
    }
    return out;
}

std::string readtext(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> sources(const fs::path& root, const std::string& top) {
    std::vector<std::string> files;
    if (!fs::exists(root / top)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root / top)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".h" || ext == ".cpp")) files.push_back(fs::relative(e.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

size_t closing(const std::vector<Tok>& t, size_t open) {
    int depth = 0;
    for (size_t i = open; i < t.size(); ++i) {
        const std::string& x = t[i].t;
        if (x == "(" || x == "[" || x == "{") ++depth;
        else if ((x == ")" || x == "]" || x == "}") && --depth == 0) return i;
    }
    return t.size();
}

}  // namespace srctok
