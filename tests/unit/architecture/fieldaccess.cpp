// Reads and writes of the state block's fields (fieldaccess.h).
#include "fieldaccess.h"

#include <algorithm>
#include <sstream>

#include "functionlength.h"
#include "srctokens.h"

namespace fs = std::filesystem;
using srctok::at;
using srctok::closing;
using srctok::isname;
using srctok::Tok;

namespace fieldacc {

const Field* Record::field(const std::string& n) const {
    for (const Field& f : fields)
        if (f.name == n) return &f;
    return nullptr;
}

namespace {

using Toks = std::vector<Tok>;


std::string folderof(const std::string& file) {   // proc/lifedist/x.cpp -> lifedist
    const size_t a = file.find('/'), b = file.find('/', a + 1);
    return b == std::string::npos ? std::string() : file.substr(a + 1, b - a - 1);
}

// The field of one declarator (the tokens between commas): its name and its array extents.
Field declarator(const std::vector<std::string>& d) {
    for (size_t k = 0; k + 2 < d.size(); ++k)
        if (d[k] == "(" && d[k + 1] == "*") return {d[k + 2], false};   // a pointer to a function or an array
    size_t end = 0;
    while (end < d.size() && d[end] != "[" && d[end] != "=" && d[end] != ":" && d[end] != "{") ++end;
    Field f;
    for (size_t k = 0; k < end; ++k)
        if (isname(d[k]) && d[k] != "const") f.name = d[k];
    f.array = end < d.size() && d[end] == "[";
    return f;
}

// The top-level members of the struct whose body opens at t[open]; nested struct bodies are
// passed over (the member they declare is the field).
std::vector<Field> fieldsof(const Toks& t, size_t open) {
    std::vector<Field> out;
    std::vector<std::string> st;
    const size_t close = closing(t, open);
    for (size_t i = open + 1; i < close; ++i) {
        const std::string& x = t[i].t;
        if (x == "{") {
            const bool body = !st.empty() && (st.back() == ")" || st.back() == "const");
            i = closing(t, i);
            if (body) st.clear();   // a member function's body
            else st.push_back("{}");
            continue;
        }
        if (x == "(" || x == "[") {
            const size_t j = closing(t, i);
            for (; i <= j; ++i) st.push_back(t[i].t);
            --i;
            continue;
        }
        if (x == ":" && st.size() == 1) {   // public: private:
            st.clear();
            continue;
        }
        if (x != ";") {
            st.push_back(x);
            continue;
        }
        static const std::set<std::string> kSkip = {"static", "using", "typedef", "enum", "friend", "template"};
        const auto body = std::find(st.begin(), st.end(), "{}");
        const bool member = !st.empty() && !kSkip.count(st[0]) && st.back() != "{}" &&
                            !(std::find(st.begin(), st.end(), "(") != st.end() &&
                              std::search_n(st.begin(), st.end(), 1, "*") == st.end());
        if (member) {
            std::vector<std::string> d;
            int depth = 0;
            for (auto k = body == st.end() ? st.begin() : body + 1; k != st.end(); ++k) {
                depth += (*k == "(" || *k == "[") - (*k == ")" || *k == "]");
                if (*k == "," && depth == 0) {
                    out.push_back(declarator(d));
                    d.clear();
                } else {
                    d.push_back(*k);
                }
            }
            if (!d.empty()) out.push_back(declarator(d));
        }
        st.clear();
    }
    return out;
}

const std::set<std::string> kKeywords = {"return", "else", "new", "delete", "case", "throw", "sizeof", "typeid",
                                         "decltype", "alignof", "if", "while", "for", "switch", "do", "goto",
                                         "co_return", "not", "and", "or", "const", "static", "inline", "constexpr"};

// One parameter of a routine declared in proc/ or host/.
struct Param {
    bool ref = false, ptr = false, konst = false;
};
using Decls = std::map<std::string, std::vector<std::vector<Param>>>;

// The declarations and definitions of routines: a name after a type, its parameter list, then
// ; { const noexcept override -> or a constructor's initializers.
void declarations(const Toks& t, Decls& out) {
    static const std::set<std::string> kAfter = {";", "{", "const", "noexcept", "override", "->", ":", "="};
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        if (!isname(t[i].t) || kKeywords.count(t[i].t) || t[i + 1].t != "(") continue;
        const std::string& prev = t[i - 1].t;
        if (!((isname(prev) && !kKeywords.count(prev)) || prev == "*" || prev == "&" || prev == ">" || prev == "::")) continue;
        const size_t c = closing(t, i + 1);
        if (!kAfter.count(at(t, c + 1))) continue;
        std::vector<Param> ps;
        Param p;
        bool any = false;
        for (size_t k = i + 2; k < c; ++k) {
            const std::string& x = t[k].t;
            if (x == "(" || x == "[" || x == "{" || x == "<") {   // a function pointer, an array, a default, a template
                if (x == "[") p.ptr = true;
                if (x == "<") {
                    int depth = 0;
                    for (; k < c; ++k) {
                        depth += (t[k].t == "<") - (t[k].t == ">") - 2 * (t[k].t == ">>");
                        if (depth <= 0) break;
                    }
                } else {
                    k = closing(t, k);
                }
                any = true;
                continue;
            }
            if (x == ",") {
                ps.push_back(p);
                p = {};
                any = false;
                continue;
            }
            any = true;
            p.ref |= x == "&";
            p.ptr |= x == "*";
            p.konst |= x == "const";
        }
        if (any) ps.push_back(p);
        out[t[i].t].push_back(ps);
    }
}

// The index of the bracket that opens the one closing at t[close].
size_t opening(const Toks& t, size_t close) {
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;) {
        const std::string& x = t[i].t;
        if (x == ")" || x == "]" || x == "}") ++depth;
        else if ((x == "(" || x == "[" || x == "{") && --depth == 0) return i;
    }
    return 0;
}

// Routines whose arguments at these places are written (the rest are read).
const std::map<std::string, std::set<size_t>> kCopies = {
    {"memset", {0}},  {"memcpy", {0}},   {"memmove", {0}},  {"strcpy", {0}}, {"strncpy", {0}},
    {"strcat", {0}},  {"strncat", {0}},  {"sprintf", {0}},  {"snprintf", {0}}, {"vsnprintf", {0}},
    {"fill", {0, 1}}, {"fill_n", {0}},   {"copy", {2}},     {"copy_n", {2}},  {"swap", {0, 1}},
    {"sort", {0, 1}}, {"iota", {0, 1}},  {"reverse", {0, 1}}};

struct Context {
    const std::vector<Record>& recs;
    const std::set<std::string>& states;
    const Decls& decls;
    Scan& out;
    std::string file;
};

struct Binding {
    size_t rec;
    bool konst;
};

bool operand(const std::string& x) {
    return (isname(x) && !kKeywords.count(x)) || x == ")" || x == "]";
}

// When t[a..j) is a whole argument of a call: the callee, the argument's place and the count.
bool argument(const Toks& t, size_t a, size_t j, std::string* callee, size_t* index, size_t* nargs) {
    if (a == 0 || !(t[a - 1].t == "(" || t[a - 1].t == ",") || !(at(t, j) == "," || at(t, j) == ")")) return false;
    size_t open = a - 1;
    *index = 0;
    for (; t[open].t != "("; --open) {
        if (t[open].t == ")" || t[open].t == "]" || t[open].t == "}") open = opening(t, open);
        else if (t[open].t == ",") ++*index;
        if (open == 0 || t[open].t == "{" || t[open].t == ";") return false;   // a brace list
    }
    if (open == 0 || !isname(t[open - 1].t) || kKeywords.count(t[open - 1].t)) return false;
    *callee = t[open - 1].t;
    const size_t close = closing(t, open);
    int depth = 0;
    *nargs = 1;
    for (size_t k = open + 1; k < close; ++k) {
        depth += (t[k].t == "(" || t[k].t == "[" || t[k].t == "{") - (t[k].t == ")" || t[k].t == "]" || t[k].t == "}");
        *nargs += depth == 0 && t[k].t == ",";
    }
    return true;
}

// Whether the use t[start..j) of a field writes it (an array field subscripted subs times when
// it has extents); *why says what the scan could not tell.
bool classify(const Toks& t, size_t start, size_t j, bool decays, bool konst, const Decls& decls, std::string* why) {
    static const std::set<std::string> kAssign = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="};
    const std::string& after = at(t, j);
    if (kAssign.count(after) || after == "++" || after == "--") return true;
    if (start > 0 && (t[start - 1].t == "++" || t[start - 1].t == "--")) return true;
    if (konst) return false;
    const bool amp = start > 0 && t[start - 1].t == "&" && !(start > 1 && operand(t[start - 2].t));
    const size_t a = amp ? start - 1 : start;   // the expression's first token
    if (amp && (after == "==" || after == "!=" || (a > 0 && (t[a - 1].t == "==" || t[a - 1].t == "!=")))) return false;
    std::string callee;
    size_t index = 0, nargs = 0;
    if (argument(t, a, j, &callee, &index, &nargs)) {
        if (const auto c = kCopies.find(callee); c != kCopies.end()) return c->second.count(index) > 0;
        const auto d = decls.find(callee);
        const std::vector<Param>* ps = nullptr;
        if (d != decls.end())
            for (const auto& o : d->second)
                if (o.size() == nargs || (!ps && o.size() > index)) ps = &o;
        if (!ps || ps->size() <= index) {
            if (decays) *why = "an array passed to " + callee + ", whose parameters are not known";
            return amp;
        }
        const Param& p = (*ps)[index];
        if (p.konst) return false;
        return p.ref || amp || (p.ptr && decays);
    }
    if (amp) {   // const T* p = c ? &field : nullptr;
        size_t k = a;
        for (int depth = 0; k > 0; --k) {
            const std::string& y = t[k - 1].t;
            depth += (y == ")" || y == "]") - (y == "(" || y == "[");
            if (depth < 0 || ((y == ";" || y == "{" || y == "}") && depth == 0)) break;
        }
        if (t[k].t == "const" && k + 1 < a && isname(t[k + 1].t)) return false;
    }
    const std::string before = a > 0 ? t[a - 1].t : std::string();
    if (before == "=" && a > 2 && isname(t[a - 2].t) && (t[a - 3].t == "&" || t[a - 3].t == "*" || t[a - 3].t == "auto")) {
        for (size_t k = a - 3; k > 0 && t[k].t != ";" && t[k].t != "{" && t[k].t != "}" && t[k].t != "(" && t[k].t != ","; --k)
            if (t[k].t == "const") return false;   // a const reference or pointer
        return t[a - 3].t == "&" || amp || decays;
    }
    if (before == ":") {   // for (auto& x : field)
        size_t open = a - 1;
        while (open > 0 && t[open].t != "(" && t[open].t != ";" && t[open].t != "{") --open;
        if (t[open].t == "(" && open > 0 && t[open - 1].t == "for") {
            bool ref = false, konstref = false;
            for (size_t k = open + 1; k + 1 < a; ++k) ref |= t[k].t == "&", konstref |= t[k].t == "const";
            return ref && !konstref;
        }
    }
    return amp;
}

// The names declared as the state: vyxstate* s, vyxstate& st, auto* s = static_cast<vyxstate*>(...).
void statenames(const Toks& t, std::set<std::string>& out) {
    for (size_t i = 0; i + 2 < t.size(); ++i) {
        if (t[i].t != "vyxstate" && t[i].t != "State") continue;
        size_t k = i + 1;
        if (at(t, k) == "const") ++k;
        const size_t refs = k;
        while (at(t, k) == "*" || at(t, k) == "&") ++k;
        if (at(t, k) == "const") ++k;
        if (k > refs && isname(at(t, k)) && at(t, k + 1) != "(") out.insert(at(t, k));
        if (i >= 4 && t[i - 1].t == "<" && t[i - 2].t == "static_cast" && t[i - 3].t == "=" && isname(t[i - 4].t))
            out.insert(t[i - 4].t);
    }
}

struct Function {
    int first, last;
    std::string name;
};

void scanfile(const Context& c, const std::string& text) {
    const Toks t = srctok::tokenize(text);
    std::vector<Function> fns;
    for (const auto& f : funclen::functions(c.file, text)) {
        const int first = std::stoi(f.where.substr(f.where.rfind(':') + 1));
        fns.push_back({first, first + f.lines - 1, f.name});
        c.out.routines[f.name.substr(f.name.rfind(':') + 1)].insert(c.file);
        if (f.name.find(':') != std::string::npos) c.out.routines[f.name].insert(c.file);
    }
    std::map<std::string, size_t> rectype, recname;
    for (size_t r = 0; r < c.recs.size(); ++r) {
        rectype[c.recs[r].type] = r, recname[c.recs[r].name] = r;
        for (const std::string& v : c.recs[r].views) recname[v] = r;
    }
    std::map<std::string, Binding> fileb, fnb;   // names bound to a record: at file scope, in the function
    std::set<std::string> shadow;                  // names of the state declared as something else in the function
    size_t fn = fns.size();
    auto function = [&](int line) {
        for (size_t f = 0; f < fns.size(); ++f)
            if (fns[f].first <= line && line <= fns[f].last) return f;
        return fns.size();
    };
    auto note = [&](size_t i, const std::string& what) {
        c.out.unclassified.push_back({c.file + ":" + std::to_string(t[i].line), what});
    };
    for (size_t i = 0; i < t.size(); ++i) {
        if (const size_t f = function(t[i].line); f != fn) fn = f, fnb.clear(), shadow.clear();
        auto& bind = fn == fns.size() ? fileb : fnb;
        const std::string& x = t[i].t;
        if (!isname(x)) continue;
        if (c.states.count(x) && i > 0 && (t[i - 1].t == ">" || (isname(t[i - 1].t) && !kKeywords.count(t[i - 1].t))) &&
            t[i - 1].t != "vyxstate" && t[i - 1].t != "auto" && std::string("{=;,)(").find(at(t, i + 1)) != std::string::npos)
            shadow.insert(x);   // cfstate<T> s{...}; goptset s{};
        if (c.states.count(x) && i > 1 && (t[i - 1].t == "*" || t[i - 1].t == "&") && isname(t[i - 2].t) &&
            !kKeywords.count(t[i - 2].t) && t[i - 2].t != "vyxstate" && t[i - 2].t != "State" && t[i - 2].t != "auto" &&
            std::string("{=;,)(").find(at(t, i + 1)) != std::string::npos)
            shadow.insert(x);   // splinedesc* s, a parameter or local of another type
        // a name bound to a record: stmtopts& o, const plotstate* p, auto& o = s->opts
        if (const auto r = rectype.find(x); r != rectype.end()) {
            size_t k = i + 1 + (at(t, i + 1) == "const");
            const size_t refs = k;
            while (at(t, k) == "*" || at(t, k) == "&") ++k;
            k += at(t, k) == "const";
            if (k > refs && isname(at(t, k)) && at(t, k + 1) != "(")
                bind[at(t, k)] = {r->second, (i > 0 && t[i - 1].t == "const") || at(t, i + 1) == "const"};
        }
        if (x == "auto") {
            size_t k = i + 1 + (at(t, i + 1) == "const");
            while (at(t, k) == "*" || at(t, k) == "&") ++k;
            size_t m = k + 2 + (at(t, k + 2) == "&");
            if (isname(at(t, k)) && at(t, k + 1) == "=" && c.states.count(at(t, m)) && recname.count(at(t, m + 2)) &&
                (at(t, m + 3) == ";" || at(t, m + 3) == ")" || at(t, m + 3) == ","))
                bind[at(t, k)] = {recname[at(t, m + 2)], (i > 0 && t[i - 1].t == "const") || at(t, i + 1) == "const"};
        }
        // the use: state->rec.field, or bound.field
        if (at(t, i + 1) != "->" && at(t, i + 1) != ".") continue;
        size_t r = c.recs.size(), fi = 0;
        bool konst = false;
        const Binding* bd = fnb.count(x) ? &fnb[x] : fileb.count(x) ? &fileb[x] : nullptr;
        const bool member = i > 0 && (t[i - 1].t == "." || t[i - 1].t == "->" || t[i - 1].t == "::");
        if (c.states.count(x) && !shadow.count(x) && recname.count(at(t, i + 2))) {
            const size_t rr = recname[at(t, i + 2)];
            if (at(t, i + 3) != ".") {
                std::string callee;
                size_t index, nargs;
                const std::string& next = at(t, i + 3);
                const bool passed = argument(t, i, i + 3, &callee, &index, &nargs) && c.decls.count(callee);
                const bool sized = t[i - 1].t == "sizeof" || (i > 1 && t[i - 1].t == "(" && (t[i - 2].t == "sizeof" || t[i - 2].t == "decltype"));
                if ((next == "," || next == ")" || next == "=") && !passed && !sized) note(i, "the record " + c.recs[rr].name + " used whole");
                continue;
            }
            if (!c.recs[rr].field(at(t, i + 4))) continue;
            r = rr, fi = i + 4;
        } else if (bd && !member && c.recs[bd->rec].field(at(t, i + 2))) {
            r = bd->rec, fi = i + 2, konst = bd->konst;
        } else if (!member && recname.count(at(t, i + 2)) && at(t, i + 3) == "." &&
                   c.recs[recname[at(t, i + 2)]].field(at(t, i + 4))) {
            note(i, x + t[i + 1].t + at(t, i + 2) + "." + at(t, i + 4) + ": " + x + " is not known as the state");
            continue;
        } else {
            continue;
        }
        size_t start = i;
        while (start > 1 && (t[start - 1].t == "." || t[start - 1].t == "->") && isname(t[start - 2].t)) start -= 2;
        if (start > 0 && (t[start - 1].t == "sizeof" ||
                          (start > 1 && t[start - 1].t == "(" && (t[start - 2].t == "sizeof" || t[start - 2].t == "decltype"))))
            continue;   // no use
        const Field& field = *c.recs[r].field(t[fi].t);
        std::string path = field.name;
        size_t j = fi + 1;
        bool subscripted = false;
        while (true) {
            if (at(t, j) == "." && isname(at(t, j + 1))) {
                if (!subscripted) path += "." + t[j + 1].t;
                j += 2;
            } else if (at(t, j) == "[") {
                j = closing(t, j) + 1;
                subscripted = true;
            } else {
                break;
            }
        }
        std::string why;
        const bool w = classify(t, start, j, field.array && !subscripted && path == field.name, konst, c.decls, &why);
        if (!why.empty()) note(i, why);
        c.out.uses.push_back({c.file, folderof(c.file), fn < fns.size() ? fns[fn].name : std::string(), t[i].line,
                              c.recs[r].name, field.name, path, w});
    }
}

}  // namespace

std::vector<Record> records(const fs::path& root) {
    const Toks top = srctok::tokenize(srctok::readtext(root / "proc/vyxstate.h"));
    std::vector<Record> out;
    for (size_t i = 0; i + 2 < top.size(); ++i) {   // the members [const] TYPE NAME; of struct vyxstate
        if (!(top[i].t == "struct" && top[i + 1].t == "vyxstate" && top[i + 2].t == "{")) continue;
        const size_t close = closing(top, i + 2);
        for (size_t k = i + 3; k < close; ++k) {   // an anonymous union's members are members too
            if (top[k].t != ";") continue;
            size_t e = k;   // past the declarator: TYPE NAME; or TYPE NAME{};
            if (top[e - 1].t == "}" && top[e - 2].t == "{") e -= 2;
            if (!(isname(top[e - 1].t) && isname(top[e - 2].t))) continue;
            const std::string &name = top[e - 1].t, &type = top[e - 2].t;
            const bool konst = top[e - 3].t == "const";
            Record* same = nullptr;
            for (Record& r : out)
                if (r.type == type) same = &r;
            if (!same) {
                out.push_back({name, {}, type, {}, {}, {}});
            } else if (konst) {   // the const member names the record, the other is its writable view
                same->views.push_back(same->name);
                same->name = name;
            } else {
                same->views.push_back(name);
            }
        }
    }
    for (const std::string& file : srctok::sources(root, "proc")) {
        if (file.size() < 2 || file.compare(file.size() - 2, 2, ".h") != 0) continue;
        const Toks t = srctok::tokenize(srctok::readtext(root / file));
        for (size_t i = 0; i + 2 < t.size(); ++i)
            for (Record& r : out)
                if (t[i].t == "struct" && t[i + 1].t == r.type && t[i + 2].t == "{" && r.header.empty()) {
                    r.header = file;
                    r.owner = folderof(file);
                    r.fields = fieldsof(t, i + 2);
                }
    }
    return out;
}

Scan scan(const fs::path& root, const std::vector<Record>& recs) {
    Scan out;
    std::set<std::string> states;
    Decls decls;
    std::map<std::string, std::string> texts;
    for (const char* top : {"proc", "host"})
        for (const std::string& file : srctok::sources(root, top)) {
            const std::string text = srctok::readtext(root / file);
            const Toks t = srctok::tokenize(text);
            declarations(t, decls);
            if (file.rfind("proc/", 0) == 0) statenames(t, states), texts[file] = text;
        }
    for (const auto& [file, text] : texts) scanfile({recs, states, decls, out, file}, text);
    return out;
}

namespace {

std::string joined(const std::set<std::string>& s, const char* none) {
    std::string out;
    for (const auto& x : s) out += (out.empty() ? "" : ", ") + x;
    return out.empty() ? none : out;
}

// The folders that write a field and those that only read it.
std::pair<std::set<std::string>, std::set<std::string>> folders(const std::string& rec, const std::string& field,
                                                                const std::vector<Use>& uses) {
    std::set<std::string> w, r;
    for (const Use& u : uses)
        if (u.record == rec && u.field == field) (u.write ? w : r).insert(u.folder);
    for (const auto& f : w) r.erase(f);
    return {w, r};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

std::string unlines(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& l : v) s += l + "\n";
    return s;
}

// The first line of a record's list (and of the lists before records were named in it).
std::string listhead(const Record& rec) { return "// Fields of " + rec.type + " used outside "; }
const char* const kOldHead = "// Fields used outside ";

// A line of the list: "//   name         written in ..." or "... read in ...".
bool listline(const std::string& l) {
    if (l.rfind("//   ", 0) != 0 || l.size() < 6 || l[5] == ' ') return false;
    const size_t gap = l.find(' ', 5);
    if (gap == std::string::npos) return false;
    const size_t word = l.find_first_not_of(' ', gap);
    return word != std::string::npos && (l.compare(word, 11, "written in ") == 0 || l.compare(word, 8, "read in ") == 0);
}

// A writer list's line: "//", blanks, then "writers:" alone or after a field, or "option
// readers:" (before: "" for a record, the field, or "*" for the readers); the names after it.
bool writerline(const std::string& l, std::string* before, std::string* names) {
    if (l.rfind("//", 0) != 0) return false;
    const size_t first = l.find_first_not_of(' ', 2);
    if (first == std::string::npos) return false;
    if (l.compare(first, 15, "option readers:") == 0) {
        *before = "*";
        *names = l.substr(first + 15);
        return true;
    }
    const size_t w = l.find("writers:", first);
    if (w == std::string::npos) return false;
    std::string b = l.substr(first, w - first);
    b.erase(b.find_last_not_of(' ') + 1);
    if (b.find(' ') != std::string::npos) return false;
    *before = b;
    *names = l.substr(w + 8);
    return true;
}

}  // namespace

std::string fieldtable(const std::vector<Record>& recs, const std::vector<Use>& uses) {
    std::string s = "| Field | Path | Record (owner) | Written in | Only read in |\n| --- | --- | --- | --- | --- |\n";
    for (const Record& r : recs)
        for (const Field& f : r.fields) {
            const auto [w, rd] = folders(r.name, f.name, uses);
            s += "| `" + f.name + "` | `" + r.name + "." + f.name + "` | `" + r.type + "` (" + r.owner + ") | " +
                 joined(w, "-") + " | " + joined(rd, "-") + " |\n";
        }
    return s;
}

std::string outsidelist(const Record& rec, const std::vector<Use>& uses) {
    std::string s;
    for (const Field& f : rec.fields) {
        const auto [w, r] = folders(rec.name, f.name, uses);
        std::set<std::string> all = w;
        all.insert(r.begin(), r.end());
        all.erase(rec.owner);
        if (all.empty()) continue;
        std::string name = f.name;
        name.resize(std::max<size_t>(12, name.size()), ' ');
        s += "//   " + name + " written in " + joined(w, "no folder") + (r.empty() ? "" : "; read in " + joined(r, "")) + "\n";
    }
    if (s.empty()) return s;
    return listhead(rec) + rec.owner + " (folders of proc/, from scripts/fieldtable; \"written\"\n"
           "// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):\n" + s;
}

std::string withtable(const std::string& doc, const std::string& table) {
    std::vector<std::string> v = lines(doc), out;
    size_t i = 0;
    for (; i < v.size() && v[i] != "### Every field of the state block"; ++i) out.push_back(v[i]);
    if (i == v.size()) return doc;
    out.push_back(v[i++]);
    for (; i < v.size() && v[i].rfind('|', 0) != 0; ++i) out.push_back(v[i]);
    for (const auto& l : lines(table)) out.push_back(l);
    for (; i < v.size() && v[i].rfind('|', 0) == 0; ++i) {}
    out.insert(out.end(), v.begin() + static_cast<long>(i), v.end());
    return unlines(out);
}

std::string withlist(const std::string& header, const Record& rec, const std::string& list) {
    std::vector<std::string> v = lines(header), out;
    size_t at = v.size(), end = v.size();
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i].rfind(listhead(rec), 0) == 0 || v[i].rfind(kOldHead, 0) == 0) {
            at = end = i;
            for (++end; end < v.size() && v[end].rfind("//", 0) == 0 && !listline(v[end]); ++end) {}
            while (end < v.size() && listline(v[end])) ++end;
            if (list.empty() && at > 0 && v[at - 1].empty()) --at;
            break;
        }
    if (at == v.size()) {   // no list yet: after the record's struct
        if (list.empty()) return header;
        bool in = false;
        for (size_t i = 0; i < v.size() && at == v.size(); ++i) {
            in |= v[i].rfind("struct " + rec.type + " {", 0) == 0;
            if (in && v[i] == "};") at = end = i + 1;
        }
        out.assign(v.begin(), v.begin() + static_cast<long>(at));
        out.push_back("");
    } else {
        out.assign(v.begin(), v.begin() + static_cast<long>(at));
    }
    for (const auto& l : lines(list)) out.push_back(l);
    out.insert(out.end(), v.begin() + static_cast<long>(end), v.end());
    return unlines(out);
}

std::map<std::string, std::string> generated(const fs::path& root, const std::vector<Record>& recs, const std::vector<Use>& uses) {
    std::map<std::string, std::string> want, out;
    want["docs/architecture.md"] = withtable(srctok::readtext(root / "docs/architecture.md"), fieldtable(recs, uses));
    for (const Record& r : recs) {
        if (!want.count(r.header)) want[r.header] = srctok::readtext(root / r.header);
        want[r.header] = withlist(want[r.header], r, outsidelist(r, uses));
    }
    for (const auto& [file, text] : want)
        if (srctok::readtext(root / file) != text) out[file] = text;
    return out;
}

std::vector<Listing> listings(const fs::path& root, const std::vector<Record>& recs) {
    std::vector<Listing> out;
    std::set<std::string> done;
    for (const Record& rec : recs) {
        if (!done.insert(rec.header).second) continue;
        const auto v = lines(srctok::readtext(root / rec.header));
        for (size_t i = 0; i < v.size(); ++i) {
            Listing l;
            std::string names;
            if (!writerline(v[i], &l.field, &names)) continue;
            l.where = rec.header + ":" + std::to_string(i + 1);
            std::vector<const Record*> of;   // the records the line speaks of
            for (const Record& r : recs) {
                if (r.header != rec.header) continue;
                if (l.field == "*") of.push_back(&r);   // option readers: every record of the header
                else if (l.field.empty())               // writers above a record's struct
                    for (size_t k = i + 1; k < v.size() && of.empty(); ++k) {
                        if (v[k].rfind("struct ", 0) == 0 && v[k] != "struct " + r.type + " {") break;
                        if (v[k] == "struct " + r.type + " {") of.push_back(&r);
                    }
                else if (r.field(l.field.substr(0, l.field.find('.'))) && of.empty()) of.push_back(&r);
            }
            if (l.field == "*") l.field.clear();
            std::istringstream in(names);
            for (std::string n; std::getline(in, n, ',');) {
                n.erase(0, n.find_first_not_of(" \t"));
                n.erase(n.find_last_not_of(" \t.") + 1);
                if (!n.empty()) l.routines.insert(n);
            }
            if (of.empty()) l.record = "?";   // no record of the header has the field (or follows)
            for (const Record* r : of) {
                l.record = r->name;
                out.push_back(l);
            }
            if (of.empty()) out.push_back(l);
        }
    }
    return out;
}

std::vector<Breach> checkwriters(const std::vector<Record>& recs, const Scan& scan, const std::vector<Listing>& lists) {
    std::vector<Breach> out;
    std::set<std::string> checked;
    for (const Listing& l : lists) {
        if (l.record == "?")
            out.push_back({l.where, "lists writers of " + (l.field.empty() ? std::string("a record") : l.field) +
                                        ", which is no field of the header's records"});
        checked.insert(l.record);
        for (const auto& n : l.routines) {
            bool known = scan.routines.count(n) > 0;
            for (const auto& [_, files] : scan.routines) known |= files.count("proc/" + n) > 0;
            if (!known) out.push_back({l.where, "lists the writer " + n + ", which is no function or source file of proc/"});
        }
    }
    std::set<std::string> seen;
    for (const Use& u : scan.uses) {
        if (!u.write || !checked.count(u.record)) continue;
        const Record* rec = nullptr;
        for (const Record& r : recs)
            if (r.name == u.record) rec = &r;
        if (!rec || u.folder == rec->owner) continue;
        const std::string last = u.routine.substr(u.routine.rfind(':') + 1);
        bool listed = false;
        for (const Listing& l : lists)
            listed |= l.record == u.record && (l.routines.count(u.routine) || l.routines.count(last) || l.routines.count(u.file.substr(5))) &&
                      (l.field.empty() || u.path == l.field || u.path.rfind(l.field + ".", 0) == 0);
        const std::string what = (u.routine.empty() ? std::string("code outside a function") : u.routine) + " writes " +
                                 u.record + "." + u.path + " (owner " + rec->owner + "), and " + rec->header +
                                 " lists no such writer";
        if (!listed && seen.insert(u.file + what).second) out.push_back({u.file + ":" + std::to_string(u.line), what});
    }
    return out;
}

}  // namespace fieldacc
