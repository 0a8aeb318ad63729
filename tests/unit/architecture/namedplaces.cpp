// Arrays whose places have names (namedplaces.h).
#include "namedplaces.h"

#include <map>
#include <set>
#include <sstream>

#include "srctokens.h"

namespace fs = std::filesystem;
using srctok::closing;
using srctok::at;
using srctok::isname;
using srctok::isnumber;
using srctok::Tok;

namespace places {

namespace {

using Toks = std::vector<Tok>;


// One array member as declared: its struct, its name and its note's prefix ("" without one).
struct Decl {
    std::string type, member, prefix, where;
};

// What the headers declare: the members' types of every struct (an unnamed struct has a name
// made from its place), and every array member with its note.
struct Layout {
    std::map<std::string, std::map<std::string, std::string>> members;   // struct -> member -> type
    std::vector<Decl> arrays;
};

const std::set<std::string> kQualifiers = {"const", "volatile", "struct", "union", "class", "unsigned", "signed",
                                           "static", "mutable", "inline", "constexpr"};

class HeaderReader {
public:
    HeaderReader(const std::string& file, const std::string& text, Layout& out)
        : file_(file), t_(srctok::tokenize(text)), out_(out) {
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);) lines_.push_back(l);
    }
    void read() {
        for (size_t i = 0; i + 2 < t_.size(); ++i) {
            if ((t_[i].t == "struct" || t_[i].t == "class") && isname(t_[i + 1].t) && t_[i + 2].t == "{" &&
                (i == 0 || t_[i - 1].t != "enum")) {
                body(i + 2, t_[i + 1].t);
                i = closing(t_, i + 2);
            }
        }
    }

private:
    std::string file_;
    Toks t_;
    Layout& out_;
    std::vector<std::string> lines_;

    // The prefix of the note "(PFX_* places)" in the comment of a member's line, or in the comment
    // lines right above it; "" without one.
    std::string note(int line) const {
        if (line < 1 || line > static_cast<int>(lines_.size())) return {};
        std::string found = notein(lines_[line - 1]);
        for (int k = line - 1; found.empty() && k >= 1; --k) {
            const std::string& l = lines_[k - 1];
            const size_t first = l.find_first_not_of(" \t");
            if (first == std::string::npos || l.compare(first, 2, "//") != 0) break;
            found = notein(l);
        }
        return found;
    }
    static std::string notein(const std::string& l) {
        const size_t comment = l.find("//"), end = l.rfind("_* places)");
        if (comment == std::string::npos || end == std::string::npos || end < comment) return {};
        size_t b = end;
        while (b > comment && ((l[b - 1] >= 'A' && l[b - 1] <= 'Z') || (l[b - 1] >= '0' && l[b - 1] <= '9'))) --b;
        if (b == end || l[b - 1] != '(' || !(l[b] >= 'A' && l[b] <= 'Z')) return {};
        return l.substr(b, end - b + 1);
    }
    std::string place(size_t i) const { return file_ + ":" + std::to_string(t_[i].line); }

    // The members of the struct whose body opens at t_[open], as members of `type`.
    void body(size_t open, const std::string& type) {
        const size_t close = closing(t_, open);
        size_t start = open + 1;
        for (size_t i = open + 1; i < close; ++i) {
            const std::string& x = t_[i].t;
            if (x == "{") {
                const std::string& kw = at(t_, start);
                const bool nested = (kw == "struct" || kw == "union" || kw == "class") && i <= start + 2;
                const size_t end = closing(t_, i);
                if (nested) {
                    const std::string inner = isname(at(t_, start + 1)) && at(t_, start + 1) != "{"
                                                  ? at(t_, start + 1)
                                                  : std::string(1, '<').append(place(i)).append(">");
                    body(i, inner);
                    if (at(t_, end + 1) == ";" && inner[0] == '<') {   // unnamed and undeclared: its members are ours
                        for (const auto& [m, ty] : out_.members[inner]) out_.members[type][m] = ty;
                        for (Decl& d : out_.arrays)
                            if (d.type == inner) d.type = type;
                        i = end + 1;
                        start = i + 1;
                        continue;
                    }
                    i = end;
                    declarators(i + 1, type, inner);
                    while (i < close && t_[i].t != ";") ++i;
                    start = i + 1;
                    continue;
                }
                i = end;   // a member function's body, an enum, an initializer
                if (at(t_, i + 1) != ";" && at(t_, i + 1) != "," && at(t_, i + 1) != "}") start = i + 1;
                continue;
            }
            if (x == "(" || x == "[") {
                i = closing(t_, i);
                continue;
            }
            if (x == ":" && i == start + 1) {   // public: private:
                start = i + 1;
                continue;
            }
            if (x != ";") continue;
            statement(start, i, type);
            start = i + 1;
        }
    }

    // A member declaration t_[a..b) of `type`: TYPE [* &]* NAME [extents] [= ...], NAME ...
    void statement(size_t a, size_t b, const std::string& type) {
        static const std::set<std::string> kSkip = {"using", "typedef", "enum", "friend", "template", "static_assert",
                                                    "return"};
        if (a >= b || kSkip.count(t_[a].t)) return;
        size_t k = a;
        while (k < b && kQualifiers.count(t_[k].t)) ++k;
        if (k >= b || !isname(t_[k].t)) return;
        std::string base = t_[k].t;
        ++k;
        while (k < b && (t_[k].t == "::" || t_[k].t == "<")) {   // a qualified or templated type
            if (t_[k].t == "<") {
                int depth = 0;
                for (; k < b; ++k) {
                    depth += (t_[k].t == "<") - (t_[k].t == ">");
                    if (depth == 0) break;
                }
                ++k;
            } else {
                base = at(t_, k + 1);
                k += 2;
            }
        }
        declarators(k, type, base, b);
    }

    // The declarators from t_[k] to the statement's end: each NAME, its extents, its initializer.
    void declarators(size_t k, const std::string& type, const std::string& base, size_t b = std::string::npos) {
        if (b == std::string::npos) {
            b = k;
            while (b < t_.size() && t_[b].t != ";") ++b;
        }
        while (k < b) {
            while (k < b && (t_[k].t == "*" || t_[k].t == "&" || t_[k].t == "const")) ++k;
            if (k < b && t_[k].t == "(") return;   // a pointer to a function or an array: no member of ours
            if (k >= b || !isname(t_[k].t)) return;
            const size_t name = k++;
            if (at(t_, k) == "(") return;          // a member function
            out_.members[type][t_[name].t] = base;
            if (at(t_, k) == "[")
                out_.arrays.push_back({type, t_[name].t, note(t_[name].line), place(name)});
            int depth = 0;
            for (; k < b; ++k) {
                const std::string& x = t_[k].t;
                depth += (x == "(" || x == "[" || x == "{") - (x == ")" || x == "]" || x == "}");
                if (x == "," && depth == 0) break;
            }
            ++k;
        }
    }
};

Layout layout(const fs::path& root) {
    Layout out;
    for (const std::string& file : srctok::sources(root, "proc"))
        if (file.size() > 2 && file.compare(file.size() - 2, 2, ".h") == 0)
            HeaderReader(file, srctok::readtext(root / file), out).read();
    return out;
}

// The names an enumeration of proc/ or host/ defines.
std::set<std::string> enumerators(const fs::path& root) {
    std::set<std::string> out;
    for (const char* top : {"proc", "host"})
        for (const std::string& file : srctok::sources(root, top)) {
            const Toks t = srctok::tokenize(srctok::readtext(root / file));
            for (size_t i = 0; i < t.size(); ++i) {
                if (t[i].t != "enum") continue;
                size_t open = i + 1;
                while (open < t.size() && t[open].t != "{" && t[open].t != ";") ++open;
                if (at(t, open) != "{") continue;
                const size_t close = closing(t, open);
                for (size_t k = open + 1; k < close; ++k)
                    if (isname(t[k].t) && (t[k - 1].t == "{" || t[k - 1].t == ",")) out.insert(t[k].t);
                i = close;
            }
        }
    return out;
}

}  // namespace

std::vector<Note> notes(const fs::path& root) {
    std::vector<Note> out;
    for (const Decl& d : layout(root).arrays)
        if (!d.prefix.empty()) out.push_back({d.type, d.member, d.prefix, d.where});
    return out;
}

std::vector<Finding> checktree(const fs::path& root) {
    const Layout lay = layout(root);
    std::vector<Finding> out;
    const std::set<std::string> names = enumerators(root);
    // member -> the prefixes of its notes by struct, and whether some declaration has none
    std::map<std::string, std::map<std::string, std::string>> noted;
    std::set<std::string> plain;
    for (const Decl& d : lay.arrays) {
        if (d.prefix.empty()) {
            plain.insert(d.member);
            continue;
        }
        noted[d.member][d.type] = d.prefix;
        auto it = names.lower_bound(d.prefix);
        if (it == names.end() || it->compare(0, d.prefix.size(), d.prefix) != 0)
            out.push_back({d.where, "the note of " + d.member + " names " + d.prefix + "*, and no enumeration has such a name"});
    }
    const auto vyx = lay.members.find("vyxstate");
    for (const std::string& file : srctok::sources(root, "proc")) {
        const Toks t = srctok::tokenize(srctok::readtext(root / file));
        for (size_t i = 1; i + 4 < t.size(); ++i) {
            if ((t[i].t != "." && t[i].t != "->") || !noted.count(t[i + 1].t) || t[i + 2].t != "[" ||
                !isnumber(t[i + 3].t) || t[i + 4].t != "]")
                continue;
            const std::string& m = t[i + 1].t;
            std::string prefix;
            if (!plain.count(m) && noted[m].size() == 1) {
                prefix = noted[m].begin()->second;
            } else if (vyx != lay.members.end()) {
                // the chain state->record.member...member: each name's type from the headers
                size_t k = i - 1;
                std::vector<std::string> chain{t[k].t};
                while (k >= 2 && (t[k - 1].t == "." || t[k - 1].t == "->") && isname(t[k - 2].t)) {
                    k -= 2;
                    chain.insert(chain.begin(), t[k].t);
                }
                if (chain.size() < 2 || !vyx->second.count(chain[1])) continue;
                std::string type = "vyxstate";
                for (size_t c = 1; c < chain.size() && !type.empty(); ++c) {
                    auto st = lay.members.find(type);
                    type = st != lay.members.end() && st->second.count(chain[c]) ? st->second.at(chain[c]) : "";
                }
                auto n = noted[m].find(type);
                if (n == noted[m].end()) continue;
                prefix = n->second;
            }
            if (prefix.empty()) continue;
            out.push_back({file + ":" + std::to_string(t[i].line),
                           m + "[" + t[i + 3].t + "]: the places of " + m + " are named " + prefix + "*; write the name"});
        }
    }
    return out;
}

}  // namespace places
