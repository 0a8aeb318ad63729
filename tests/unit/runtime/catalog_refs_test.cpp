// Every message the code can log or format has a text: the sources of proc/ and runtime/ are
// read, every call that names a catalog message is found and its group and number worked
// out, and each must be in the compiled catalogs (whatever file of its group holds it, so
// 510-lifedist.msg counts as much as 510.msg).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/supervisor/messages.h"

namespace {

namespace fs = std::filesystem;

bool identchar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    size_t b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool isnumber(const std::string& s) {
    size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// The last name of a possibly qualified identifier ("code::dist::POISSON"); empty otherwise.
std::string identifier(const std::string& s) {
    if (s.empty()) return {};
    for (size_t i = 0; i < s.size(); ++i)
        if (!identchar(s[i]) && s[i] != ':') return {};
    if (std::isdigit(static_cast<unsigned char>(s[0]))) return {};
    size_t p = s.rfind(':');
    return p == std::string::npos ? s : s.substr(p + 1);
}

// The text without comments, with string and character literals emptied (quotes kept).
std::string code(const std::string& t) {
    std::string out;
    out.reserve(t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        if (t.compare(i, 2, "//") == 0) {
            while (i < t.size() && t[i] != '\n') ++i;
            out += '\n';
        } else if (t.compare(i, 2, "/*") == 0) {
            size_t e = t.find("*/", i + 2);
            for (size_t k = i; k < std::min(e, t.size()); ++k)
                if (t[k] == '\n') out += '\n';
            i = e == std::string::npos ? t.size() : e + 1;
        } else if (t[i] == '"' || t[i] == '\'') {
            const char q = t[i];
            if (q == '"' && i > 0 && t[i - 1] == 'R') {   // R"(...)" raw string
                size_t open = t.find('(', i);
                std::string delim = ")";
                delim += t.substr(i + 1, open - i - 1);
                delim += '"';
                size_t e = t.find(delim, open);
                i = e == std::string::npos ? t.size() : e + delim.size() - 1;
                out += "\"\"";
                continue;
            }
            out += q;
            for (++i; i < t.size() && t[i] != q; ++i)
                if (t[i] == '\\') ++i;
            out += q;
        } else {
            out += t[i];
        }
    }
    return out;
}

// The arguments of the call whose '(' is at open, split at top-level commas.
std::vector<std::string> arguments(const std::string& t, size_t open) {
    std::vector<std::string> args;
    std::string cur;
    int depth = 0;
    for (size_t i = open + 1; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '(' || c == '[' || c == '{') ++depth;
        if (c == ')' || c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        }
        if (c == ',' && depth == 0) {
            args.push_back(trim(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    args.push_back(trim(cur));
    return args;
}

// Positions of the '(' of every call name( in t; name may be qualified ("msg::text").
std::vector<size_t> callsof(const std::string& t, const std::string& name) {
    std::vector<size_t> out;
    for (size_t p = t.find(name); p != std::string::npos; p = t.find(name, p + 1)) {
        if (p > 0 && identchar(t[p - 1])) continue;
        size_t e = p + name.size();
        if (e < t.size() && identchar(t[e])) continue;
        while (e < t.size() && (t[e] == ' ' || t[e] == '\n')) ++e;
        if (e < t.size() && t[e] == '(') out.push_back(e);
    }
    return out;
}

// "int label", "const char* name": a parameter of a declaration rather than a value.
bool declared(const std::string& arg) {
    size_t sp = arg.find_last_of(" *&");
    if (sp == std::string::npos || sp + 1 >= arg.size() || !identifier(arg.substr(sp + 1)).size()) return false;
    for (char c : arg)
        if (!identchar(c) && std::string(" :*&<>").find(c) == std::string::npos) return false;
    return !identifier(trim(arg.substr(0, sp))).empty() || arg.find(' ') != std::string::npos;
}

struct Source {
    std::string path, text;
};

class Resolver {
public:
    explicit Resolver(const std::vector<Source>& files) : files_(files) {
        // NAME = 123 followed by , ; or } (enumerators, constants), per file and over all files
        for (size_t f = 0; f < files.size(); ++f) {
            const std::string& t = files[f].text;
            for (size_t p = t.find('='); p != std::string::npos; p = t.find('=', p + 1)) {
                if (p + 1 < t.size() && t[p + 1] == '=') {
                    ++p;
                    continue;
                }
                if (p > 0 && std::string("!<>=+-*/&|^").find(t[p - 1]) != std::string::npos) continue;
                size_t b = p;
                while (b > 0 && t[b - 1] == ' ') --b;
                size_t a = b;
                while (a > 0 && identchar(t[a - 1])) --a;
                size_t v = p + 1;
                while (v < t.size() && t[v] == ' ') ++v;
                size_t w = v;
                if (w < t.size() && t[w] == '-') ++w;
                while (w < t.size() && std::isdigit(static_cast<unsigned char>(t[w]))) ++w;
                size_t z = w;
                while (z < t.size() && (t[z] == ' ' || t[z] == '\n')) ++z;
                if (a == b || w == v || z >= t.size() || (t[z] != ',' && t[z] != ';' && t[z] != '}')) continue;
                const std::string name = t.substr(a, b - a);
                const int val = std::stoi(t.substr(v, w - v));
                local_[f][name].insert(val);
                global_[name].insert(val);
            }
        }
    }

    // The values expr (written in file f at position at) can take; false when the sources
    // do not tell.
    bool values(size_t f, size_t at, std::string expr, std::set<int>& out, int depth = 0) const {
        expr = trim(expr);
        while (expr.size() > 1 && expr.front() == '(' && expr.back() == ')') expr = trim(expr.substr(1, expr.size() - 2));
        if (expr.empty() || depth > 4) return false;
        if (size_t q, c; ternary(expr, q, c))
            return values(f, at, expr.substr(q + 1, c - q - 1), out, depth + 1) &&
                   values(f, at, expr.substr(c + 1), out, depth + 1);
        if (isnumber(expr)) {
            out.insert(std::stoi(expr));
            return true;
        }
        const std::string name = identifier(expr);
        if (name.empty()) return false;
        if (auto v = local_.find(f); v != local_.end())
            if (auto n = v->second.find(name); n != v->second.end()) {
                out.insert(n->second.begin(), n->second.end());
                return true;
            }
        if (auto n = global_.find(name); n != global_.end() && n->second.size() == 1) {
            out.insert(*n->second.begin());
            return true;
        }
        return assigned(f, name, out, depth) || parameter(f, at, name, out, depth);
    }

private:
    // cond ? a : b at the top level of e: the positions of '?' and ':'.
    // "a ? b : c ? d : e" splits at the first '?' and the ':' that pairs with it.
    static bool ternary(const std::string& e, size_t& q, size_t& c) {
        int d = 0, open = 0;
        q = c = std::string::npos;
        for (size_t i = 0; i < e.size() && c == std::string::npos; ++i) {
            if (e[i] == '(') ++d;
            if (e[i] == ')') --d;
            if (d != 0) continue;
            if (e[i] == '?') {
                if (q == std::string::npos) q = i;
                ++open;
            }
            const bool scope = (i + 1 < e.size() && e[i + 1] == ':') || (i > 0 && e[i - 1] == ':');
            if (e[i] == ':' && q != std::string::npos && !scope && --open == 0) c = i;
        }
        return q != std::string::npos && c != std::string::npos;
    }

    // A local variable: every value assigned to it in its file ("int msg = a ? 18 : 19;").
    bool assigned(size_t f, const std::string& name, std::set<int>& out, int depth) const {
        const std::string& t = files_[f].text;
        bool any = false;
        for (size_t p = t.find(name); p != std::string::npos; p = t.find(name, p + 1)) {
            if ((p > 0 && identchar(t[p - 1])) || identchar(t[p + name.size()])) continue;
            size_t e = p + name.size();
            while (e < t.size() && t[e] == ' ') ++e;
            if (e + 1 >= t.size() || t[e] != '=' || t[e + 1] == '=') continue;
            size_t end = t.find(';', e);
            any = values(f, e, t.substr(e + 1, end - e - 1), out, depth + 1) || any;
        }
        return any;
    }

    // A parameter of the function (or lambda) around at: the values its callers pass.
    bool parameter(size_t f, size_t at, const std::string& name, std::set<int>& out, int depth) const {
        const std::string& t = files_[f].text;
        // walk out through the enclosing blocks to one opened right after a parameter list
        int d = 0;
        for (size_t i = at; i-- > 0;) {
            if (t[i] == '}') ++d;
            if (t[i] != '{') continue;
            if (d > 0) {
                --d;
                continue;
            }
            size_t j = i;
            while (j > 0 && std::isspace(static_cast<unsigned char>(t[j - 1]))) --j;
            for (const char* q : {"const", "override", "noexcept"})
                if (j >= std::strlen(q) && t.compare(j - std::strlen(q), std::strlen(q), q) == 0) {
                    j -= std::strlen(q);
                    while (j > 0 && std::isspace(static_cast<unsigned char>(t[j - 1]))) --j;
                }
            if (j == 0 || t[j - 1] != ')') continue;
            // the matching '('
            int pd = 0;
            size_t open = std::string::npos;
            for (size_t k = j - 1; k-- > 0;) {
                if (t[k] == ')') ++pd;
                if (t[k] == '(') {
                    if (pd == 0) {
                        open = k;
                        break;
                    }
                    --pd;
                }
            }
            if (open == std::string::npos) return false;
            const auto params = arguments(t, open);
            int index = -1;
            for (size_t k = 0; k < params.size(); ++k) {
                const std::string& p = params[k];
                size_t e = p.find('=') == std::string::npos ? p.size() : p.find('=');
                std::string decl = trim(p.substr(0, e));
                size_t s = decl.size();
                while (s > 0 && identchar(decl[s - 1])) --s;
                if (s > 0 && decl.substr(s) == name) index = static_cast<int>(k);
            }
            if (index < 0) continue;   // an if, for or while block, or a function without it
            // the function's name, or the variable a lambda is kept in
            size_t n = open;
            while (n > 0 && t[n - 1] == ' ') --n;
            std::string fname;
            if (n > 0 && t[n - 1] == ']') {
                size_t b = t.rfind('[', n - 1);
                size_t e = b;
                while (e > 0 && (t[e - 1] == ' ' || t[e - 1] == '=')) --e;
                size_t a = e;
                while (a > 0 && identchar(t[a - 1])) --a;
                fname = t.substr(a, e - a);
            } else {
                size_t a = n;
                while (a > 0 && identchar(t[a - 1])) --a;
                fname = t.substr(a, n - a);
            }
            if (fname.empty()) return false;
            return callers(f, open, fname, static_cast<size_t>(index), out, depth);
        }
        return false;
    }

    // The values passed as argument index to fname: its calls in the same file, else in any.
    bool callers(size_t f, size_t header, const std::string& fname, size_t index, std::set<int>& out,
                 int depth) const {
        for (int pass = 0; pass < 2; ++pass) {
            bool found = false, all = true;
            for (size_t g = 0; g < files_.size(); ++g) {
                if ((pass == 0) != (g == f)) continue;
                for (size_t open : callsof(files_[g].text, fname)) {
                    if (g == f && open == header) continue;
                    const auto args = arguments(files_[g].text, open);
                    if (args.size() <= index || declared(args[index])) continue;
                    found = true;
                    all = values(g, open, args[index], out, depth + 1) && all;
                }
            }
            if (found) return all;
        }
        return false;
    }

    const std::vector<Source>& files_;
    std::map<size_t, std::map<std::string, std::set<int>>> local_;
    std::map<std::string, std::set<int>> global_;
};

struct Call {
    const char* name;
    size_t grouparg, numarg;
};
// The calls that name a catalog message: the procedure's services and the runtime's own.
const Call calls[] = {{"xpmlog", 0, 1}, {"steplog", 1, 2}, {"rdxmsg", 0, 1}, {"rdxmsgs", 0, 1}, {"xpmstr", 2, 3},
                      {"msg::text", 0, 1}, {"msg::find", 0, 1}};

}  // namespace

TEST(MessageCatalogs, EveryMessageTheCodeNamesHasAText) {
    std::vector<Source> files;
    for (const char* top : {"proc", "runtime"})
        for (const auto& e : fs::recursive_directory_iterator(fs::path(VITALYX_SOURCE_DIR) / top)) {
            const auto ext = e.path().extension();
            if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            files.push_back({fs::relative(e.path(), VITALYX_SOURCE_DIR).string(), code(s.str())});
        }
    ASSERT_GT(files.size(), 50u);
    const Resolver r(files);

    std::vector<std::string> missing, unresolved;
    int checked = 0;
    for (size_t f = 0; f < files.size(); ++f) {
        const std::string& t = files[f].text;
        for (const Call& c : calls) {
            for (size_t open : callsof(t, c.name)) {
                const auto args = arguments(t, open);
                if (args.size() <= c.numarg) continue;
                const std::string& g = args[c.grouparg];
                const std::string& n = args[c.numarg];
                // the declarations of the services and the runtime's forwarding of their arguments
                if (g.find("int ") != std::string::npos || g == "group") continue;
                const int line = 1 + static_cast<int>(std::count(t.begin(), t.begin() + static_cast<long>(open), '\n'));
                const std::string where = files[f].path + ":" + std::to_string(line) + " " + c.name + "(" + g + ", " + n + ")";
                std::set<int> groups, numbers;
                if (!r.values(f, open, g, groups) || !r.values(f, open, n, numbers)) {
                    unresolved.push_back(where);
                    continue;
                }
                for (int gr : groups)
                    for (int nu : numbers) {
                        if (nu <= 0) continue;   // "no message" sentinels of a choice
                        ++checked;
                        if (!rt::msg::find(gr, nu))
                            missing.push_back(where + ": message " + std::to_string(gr) + "/" + std::to_string(nu));
                    }
            }
        }
    }
    EXPECT_GT(checked, 40) << "the scan found too few messages to be trusted";
    std::string list;
    for (const auto& m : missing) list += "\n  " + m;
    EXPECT_TRUE(missing.empty()) << "messages without a text in runtime/messages/*.msg:" << list;
    // Numbers the scan cannot work out (arithmetic, a table field) are listed for the reader.
    std::string un;
    for (const auto& u : unresolved) un += "\n  " + u;
    if (!unresolved.empty()) std::cout << "[ note ] message numbers not worked out from the sources:" << un << "\n";
}

// Every name of proc/framework/msg*.h is a message of the catalog and of the kind its name
// says: E510_X an error of catalog 510, T0_X a text of catalog 0, NHOST_X a note of the host's
// own group (-1).
TEST(MessageCatalogs, EveryMessageNameHasItsTextAndKind) {
    const fs::path dir = fs::path(VITALYX_SOURCE_DIR) / "proc/framework";
    std::vector<std::string> wrong;
    int names = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string file = e.path().filename().string();
        if (file.rfind("msg", 0) != 0 || e.path().extension() != ".h") continue;
        std::ifstream in(e.path());
        for (std::string line; std::getline(in, line);) {
            const std::string t = trim(line);
            const size_t eq = t.find(" = ");
            if (t.size() < 4 || !std::isupper(static_cast<unsigned char>(t[0])) || eq == std::string::npos) continue;
            const std::string name = t.substr(0, eq);
            const size_t us = name.find('_');
            const std::string group = name.substr(1, us == std::string::npos ? 0 : us - 1);
            const int n = std::atoi(t.c_str() + eq + 3);
            ++names;
            const char kind = name[0];
            const int g = group == "HOST" ? -1 : isnumber(group) ? std::stoi(group) : -2;
            const rt::msg::Entry* m = g >= -1 ? rt::msg::find(g, n) : nullptr;
            if (!m || m->kind != kind || std::string("ENWT").find(kind) == std::string::npos)
                wrong.push_back(file + ": " + name + " = " + std::to_string(n) +
                                (m ? std::string(" is of kind ") + m->kind : std::string(" has no text")));
        }
    }
    EXPECT_GT(names, 300) << "the message names were not found in proc/framework/msg*.h";
    std::string list;
    for (const auto& w : wrong) list += "\n  " + w;
    EXPECT_TRUE(wrong.empty()) << "message names that the catalogs do not bear out:" << list;
}
