// Message numbers written as numbers (barenumbers.h): the number argument of the host's message
// services and of every function or constructor that passes one of its parameters on to one;
// the values a local variable so passed is given; what a function returns whose result is so
// passed.
#include <algorithm>
#include <cctype>

#include "barenumbers.h"
#include "srctokens.h"

namespace barenum {

namespace {

using srctok::Tok;

const std::set<std::string> kCompare = {"<", ">", "<=", ">=", "==", "!="};
const std::set<std::string> kNotCode = {"if", "for", "while", "switch", "return", "sizeof", "catch"};

using srctok::isnumber;

struct span {
    size_t a, b;   // tokens [a, b)
};

// The top-level arguments of the call whose '(' is t[open].
std::vector<span> arguments(const std::vector<Tok>& t, size_t open) {
    std::vector<span> args;
    const size_t close = srctok::closing(t, open);
    size_t a = open + 1;
    for (size_t i = open + 1; i < close; ++i) {
        const std::string& x = t[i].t;
        if (x == "(" || x == "[" || x == "{") i = srctok::closing(t, i);
        else if (x == ",") args.push_back({a, i}), a = i + 1;
    }
    if (close > open + 1) args.push_back({a, close});
    return args;
}

// A parameter declaration or a type rather than a value ("int msg", "const char* name").
bool declaration(const std::vector<Tok>& t, span s) {
    for (size_t i = s.a; i + 1 < s.b; ++i)
        if (srctok::isname(t[i].t) && srctok::isname(t[i + 1].t)) return true;
    return false;
}

// The numbers that give a message number its value in t[s]: a literal other than 0 (no
// message) that is not an index, an argument of another call, or a side of a comparison.
std::vector<size_t> literals(const std::vector<Tok>& t, span s) {
    std::vector<size_t> out;
    for (size_t i = s.a; i < s.b; ++i) {
        const std::string& x = t[i].t;
        // a parenthesised part of the expression counts, a call's arguments or an index do not
        const bool call = x == "(" && i > s.a && (srctok::isname(t[i - 1].t) || t[i - 1].t == "]" || t[i - 1].t == ")" || t[i - 1].t == ">");
        if (x == "[" || x == "{" || call) {
            i = srctok::closing(t, i);
            continue;
        }
        if (!isnumber(x) || x == "0") continue;
        if ((i > s.a && kCompare.count(t[i - 1].t)) || (i + 1 < s.b && kCompare.count(t[i + 1].t))) continue;
        out.push_back(i);
    }
    return out;
}

// The values an argument can take: itself, or the branches of its conditional (a ? b : c ? d : e).
std::vector<span> branches(const std::vector<Tok>& t, span s) {
    size_t q = s.b;
    for (size_t i = s.a; i < s.b; ++i) {
        if (t[i].t == "(" || t[i].t == "[" || t[i].t == "{") {
            i = srctok::closing(t, i);
        } else if (t[i].t == "?") {
            q = i;
            break;
        }
    }
    if (q == s.b) return {s};
    int open = 0;
    for (size_t i = q + 1; i < s.b; ++i) {
        if (t[i].t == "(" || t[i].t == "[" || t[i].t == "{") {
            i = srctok::closing(t, i);
        } else if (t[i].t == "?") {
            ++open;
        } else if (t[i].t == ":" && open-- == 0) {
            std::vector<span> out = {{q + 1, i}};
            for (span b : branches(t, {i + 1, s.b})) out.push_back(b);
            return out;
        }
    }
    return {s};
}

// Whether the argument t[s] is the name p, or p is a branch of its conditional.
bool passes(const std::vector<Tok>& t, span s, const std::string& p) {
    for (span b : branches(t, s))
        if (b.b == b.a + 1 && t[b.a].t == p) return true;
    return false;
}

// A function or lambda body: its name, its parameters' names, its tokens.
struct body {
    std::string name;
    std::vector<std::string> params;
    size_t from;          // the member initializers of a constructor, or the opening brace
    size_t open, close;   // the braces
    bool external;        // a function at namespace scope outside an anonymous namespace
};

// For every token, whether it lies in named namespaces only (or none): what is defined there is
// seen from other files.
std::vector<bool> namespacescope(const std::vector<Tok>& t) {
    std::vector<bool> out(t.size());
    std::vector<bool> stack;   // per open brace: a named namespace
    size_t stmt = 0;           // the first token of the current declaration
    for (size_t i = 0; i < t.size(); ++i) {
        out[i] = std::all_of(stack.begin(), stack.end(), [](bool b) { return b; });
        const std::string& x = t[i].t;
        if (x == "{") {
            const bool named = i >= 2 && t[i - 2].t == "namespace" && stmt == i - 2;
            stack.push_back(named);
        } else if (x == "}" && !stack.empty()) {
            stack.pop_back();
        }
        if (x == "{" || x == "}" || x == ";") stmt = i + 1;
    }
    return out;
}

// The name declared by a parameter ("const char* label = nullptr" -> label).
std::string paramname(const std::vector<Tok>& t, span s) {
    size_t e = s.b;
    for (size_t i = s.a; i < s.b; ++i)
        if (t[i].t == "=") {
            e = i;
            break;
        }
    return e > s.a && srctok::isname(t[e - 1].t) ? t[e - 1].t : std::string();
}

// The opening brace of a constructor's body after its member initializers (at t[j] ':'), or
// t.size().
size_t afterinitializers(const std::vector<Tok>& t, size_t j) {
    for (size_t k = j + 1; k < t.size();) {
        while (k < t.size() && (srctok::isname(t[k].t) || t[k].t == "::")) ++k;
        if (k >= t.size() || (t[k].t != "(" && t[k].t != "{")) return t.size();
        k = srctok::closing(t, k) + 1;
        if (k < t.size() && t[k].t == "{") return k;
        if (k >= t.size() || t[k].t != ",") return t.size();
        ++k;
    }
    return t.size();
}

// Every function and lambda definition: NAME ( params ) [const ...] [: initializers] {   or
// NAME = [..] ( params ) {
std::vector<body> bodies(const std::vector<Tok>& t) {
    std::vector<body> out;
    const std::vector<bool> outside = namespacescope(t);
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].t != "(") continue;
        const size_t close = srctok::closing(t, i);
        size_t j = close + 1;
        while (j < t.size() && (t[j].t == "const" || t[j].t == "noexcept" || t[j].t == "override" || t[j].t == "mutable"))
            ++j;
        const size_t from = j;
        if (j < t.size() && t[j].t == ":") j = afterinitializers(t, j);
        if (j >= t.size() || t[j].t != "{" || i == 0) continue;
        std::string name;
        if (srctok::isname(t[i - 1].t) && !kNotCode.count(t[i - 1].t)) {
            name = t[i - 1].t;
        } else if (t[i - 1].t == "]") {   // a lambda kept in a variable
            size_t k = i - 1;
            while (k > 0 && t[k].t != "[") --k;
            if (k >= 2 && t[k - 1].t == "=" && srctok::isname(t[k - 2].t)) name = t[k - 2].t;
        }
        if (name.empty()) continue;
        body b{name, {}, from, j, srctok::closing(t, j), outside[i] && t[i - 1].t != "]"};
        for (span p : arguments(t, i)) b.params.push_back(paramname(t, p));
        out.push_back(b);
    }
    return out;
}

// Calls of a function that takes a message number, and objects made by a constructor that
// does (TYPE name(...)): the name called and each message argument.
template <class F>
void eachcall(const std::vector<Tok>& t, size_t from, size_t to, const msgsinks& sinks, F f) {
    for (size_t i = from; i + 1 < to; ++i) {
        if (t[i + 1].t != "(") continue;
        auto s = sinks.find(t[i].t);
        if (s == sinks.end() && i > 0 && srctok::isname(t[i].t)) s = sinks.find(t[i - 1].t);
        if (s == sinks.end()) continue;
        const auto args = arguments(t, i + 1);
        for (size_t k : s->second)
            if (k < args.size() && !declaration(t, args[k])) f(i, args[k]);
    }
}

}  // namespace

msgsinks basesinks() { return {{"xpmlog", {1}}, {"rdxmsg", {1}}, {"rdxmsgs", {1}}, {"xpmstr", {3}}}; }

namespace {

// The sinks of one file: seed and the functions of the file that pass a parameter on to a sink
// (to the file's own as much as to seed's). external: those seen from other files only.
msgsinks filesinks(const std::vector<Tok>& t, const std::vector<body>& defs, const msgsinks& seed, msgsinks* external) {
    msgsinks sinks = seed;
    for (bool grew = true; grew;) {
        grew = false;
        for (const body& b : defs)
            eachcall(t, b.from, b.close, sinks, [&](size_t, span arg) {
                for (size_t k = 0; k < b.params.size(); ++k) {
                    if (b.params[k].empty() || !passes(t, arg, b.params[k]) || !sinks[b.name].insert(k).second) continue;
                    grew = true;
                    if (b.external && external) (*external)[b.name].insert(k);
                }
            });
    }
    return sinks;
}

}  // namespace

msgsinks messagesinks(const std::vector<std::string>& texts) {
    std::vector<std::vector<Tok>> toks;
    std::vector<std::vector<body>> defs;
    for (const auto& text : texts) {
        toks.push_back(srctok::tokenize(text));
        defs.push_back(bodies(toks.back()));
    }
    msgsinks global = basesinks();
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t f = 0; f < toks.size(); ++f) {
            msgsinks external;
            filesinks(toks[f], defs[f], global, &external);
            for (const auto& [name, args] : external)
                for (size_t k : args) grew |= global[name].insert(k).second;
        }
    }
    return global;
}

namespace {

// The lines of one file that give a message number as a number.
class scan {
public:
    scan(const std::string& text, const msgsinks& sinks)
        : t_(srctok::tokenize(text)), defs_(bodies(t_)), local_(filesinks(t_, defs_, sinks, nullptr)) {}

    std::vector<int> lines() {
        eachcall(t_, 0, t_.size(), local_, [&](size_t, span arg) { value(arg); });
        for (const body& b : defs_) variables(b);
        for (const body& b : defs_)
            if (results_.count(b.name)) returns(b);
        std::sort(lines_.begin(), lines_.end());
        lines_.erase(std::unique(lines_.begin(), lines_.end()), lines_.end());
        return lines_;
    }

private:
    // An expression that is a message number: its numbers, and the functions whose result it is.
    void value(span s) {
        for (size_t i : literals(t_, s)) lines_.push_back(t_[i].line);
        for (span b : branches(t_, s))
            if (b.b > b.a + 1 && srctok::isname(t_[b.a].t) && t_[b.a + 1].t == "(" && srctok::closing(t_, b.a + 1) + 1 == b.b)
                results_.insert(t_[b.a].t);
    }
    // The end of the expression from t[i]: the ';', ',' or unmatched ')' that ends it.
    size_t end(size_t i, size_t limit, bool commas) const {
        while (i < limit && t_[i].t != ";" && t_[i].t != ")" && !(commas && t_[i].t == ",")) {
            if (t_[i].t == "(" || t_[i].t == "[" || t_[i].t == "{") i = srctok::closing(t_, i);
            ++i;
        }
        return i;
    }
    // The values assigned in b to one of names (name = value, not a member).
    void assigned(const body& b, const std::set<std::string>& names) {
        for (size_t i = b.open + 1; i + 2 < b.close; ++i)
            if (names.count(t_[i].t) && t_[i + 1].t == "=" && t_[i - 1].t != "." && t_[i - 1].t != "->")
                value({i + 2, end(i + 2, b.close, true)});
    }
    // A local variable of b given as a message number, or as one branch of it.
    void variables(const body& b) {
        std::set<std::string> vars;
        eachcall(t_, b.from, b.close, local_, [&](size_t, span arg) {
            for (span r : branches(t_, arg))
                if (r.b == r.a + 1 && srctok::isname(t_[r.a].t)) vars.insert(t_[r.a].t);
        });
        assigned(b, vars);
    }
    // A function whose result is a message number: what it returns (not its lambdas), and the
    // values of a variable it returns.
    void returns(const body& b) {
        std::set<std::string> returned;
        for (size_t i = b.open + 1; i < b.close; ++i) {
            if (t_[i].t == "[" && (t_[i + 1].t == "&" || t_[i + 1].t == "=" || t_[i + 1].t == "]")) {
                size_t brace = srctok::closing(t_, i) + 1;
                while (brace < b.close && t_[brace].t != "{" && t_[brace].t != ";") ++brace;
                if (brace < b.close && t_[brace].t == "{") i = srctok::closing(t_, brace);
                continue;
            }
            if (t_[i].t != "return") continue;
            const span r = {i + 1, end(i + 1, b.close, false)};
            value(r);
            for (span x : branches(t_, r))
                if (x.b == x.a + 1 && srctok::isname(t_[x.a].t)) returned.insert(t_[x.a].t);
        }
        assigned(b, returned);
    }

    const std::vector<Tok> t_;
    const std::vector<body> defs_;
    const msgsinks local_;
    std::set<std::string> results_;   // functions whose result is given as a message number
    std::vector<int> lines_;
};

}  // namespace

std::vector<int> messagelines(const std::string& text, const msgsinks& sinks) { return scan(text, sinks).lines(); }

}  // namespace barenum
