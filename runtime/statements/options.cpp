// Options of a statement: keywords, their values, checks, value keywords, trailing keywords
// and sub-options, read by the grammar's option tables.
#include <cmath>
#include <cstring>
#include <sstream>
#include "runtime/util/paths.h"
#include "runtime/util/strings.h"
#include "runtime/datasets/library.h"
#include "runtime/session.h"
#include "runtime/statements/parser.h"
#include "runtime/statements/suggest.h"

namespace rt::stmt {

namespace {

// The most values one number list may hold (single values and the values of its ranges).
constexpr size_t kMaxListValues = 1000000;

bool listed(const char* const* list, const std::string& kw) {
    for (; list && *list; ++list)
        if (kw == *list) return true;
    return false;
}
std::string fmt(double v) {
    std::ostringstream o;
    o << v;
    return o.str();
}

}  // namespace

// The option row of the statement that the keyword names (own tables first).
const goption* Parser::findoption(const gstatement& gs, const std::string& kw) const {
    for (int s = 0; s < gs.nsets; ++s) {
        const goptset& set = gs.sets[s];
        for (int i = 0; i < set.n; ++i) {
            const goption& o = set.opts[i];
            if (!matches(o.names, kw)) continue;
            if (set.only && !listed(set.only, kw)) continue;
            if (set.except && listed(set.except, first(o.names))) continue;
            return &o;
        }
    }
    return nullptr;
}

std::vector<std::string> Parser::optionnames(const gstatement& gs) const {
    std::vector<std::string> out;
    for (int s = 0; s < gs.nsets; ++s) {
        const goptset& set = gs.sets[s];
        for (int i = 0; i < set.n; ++i) {
            for (const auto& a : aliases(set.opts[i].names)) {
                if (set.only && !listed(set.only, a)) continue;
                if (set.except && listed(set.except, first(set.opts[i].names))) continue;
                out.push_back(a);
            }
        }
    }
    return out;
}

bool Parser::isoption(const gstatement* gs, const std::string& kw) const { return gs && findoption(*gs, kw); }

void Parser::options(Cursor& c, stmtrec* r, const gstatement& gs) {
    std::map<const goption*, Touch> given;
    while (!c.end()) {
        const Token& t = c.peek();
        if (t.kind != Tok::Name) {
            error(t, "an option keyword is expected, not '" + shown(t) + "'");
            throw Abandon{};
        }
        const goption* o = findoption(gs, t.text);
        if (!o && gs.varslot >= 0 && c.peek(1).is('=') && ds_ && rt::ds::findvar(ds_, t.text) > 0) {
            // RELATIONPLOT: variable = numbers
            c.next();
            c.next();
            Touch& tc = given[nullptr];
            for (int n : tc.slots) r->slots[n].given = 0;
            tc = Touch{};
            touch_ = &tc;
            setvars(r, gs.varslot, {findvariable(t, true, "variable")});
            goption vo{};
            vo.names = t.text.c_str();
            std::vector<double> v = numlist(c, vo);
            if (v.empty()) {
                error(c.peek(), "numbers are expected after " + t.text + "=, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            setnumlist(r, gs.varvalslot, v);
            touch_ = nullptr;
            continue;
        }
        if (!o) {
            std::string best = closest(t.text, optionnames(gs));
            const std::string hint = semicolonhint(t.text);
            error(t, t.text + " is not an option of this statement" +
                         (!hint.empty() ? hint : best.empty() ? std::string() : "; the closest valid option is " + best));
            throw Abandon{};
        }
        c.next();
        auto it = given.find(o);
        if (it != given.end()) {
            note(t, "option " + first(o->names) + " is given more than once; the last one is used");
            for (int n : it->second.slots) r->slots[n].given = 0;
            for (int k : it->second.flags) r->flags[k / 8] &= static_cast<uint8_t>(~(0x80 >> (k % 8)));
        }
        Touch& tc = given[o];
        tc = Touch{};
        touch_ = &tc;
        Token kw = t;
        option(c, r, *o, &gs);
        touch_ = nullptr;
        (void)kw;
    }
}

bool Parser::startsnumber(const Cursor& c) const {
    const Token& t = c.peek();
    if (t.kind == Tok::Number) return true;
    return (t.is('-') || t.is('+')) && c.peek(1).kind == Tok::Number;
}

double Parser::number(Cursor& c, const char* what) {
    const Token& t = c.peek();
    double sign = 1;
    if (t.is('-') || t.is('+')) {
        if (t.is('-')) sign = -1;
        c.next();
    }
    const Token& n = c.next();
    if (n.kind != Tok::Number) {
        error(n, std::string("a number is expected for ") + what + ", not '" + shown(n) + "'");
        throw Abandon{};
    }
    return sign * n.num;
}

void Parser::checknumber(const Token& at, const goption& o, double v) {
    const std::string name = first(o.names);
    switch (o.check) {
    case GC_MIN:
        if (!(v >= o.lo)) {
            error(at, "the value " + fmt(v) + " of " + name + "= is below its bound " + fmt(o.lo));
            throw Abandon{};
        }
        break;
    case GC_RANGE:
        if (!(v >= o.lo && v <= o.hi)) {
            error(at, "the value " + fmt(v) + " of " + name + "= is outside its range " + fmt(o.lo) + " to " + fmt(o.hi));
            throw Abandon{};
        }
        break;
    case GC_INTRANGE:
        if (!(v >= o.lo && v <= o.hi) || v != std::floor(v)) {
            error(at, "the value " + fmt(v) + " of " + name + "= must be a whole number from " + fmt(o.lo) + " to " +
                          fmt(o.hi));
            throw Abandon{};
        }
        break;
    default: break;
    }
}

// Numbers and ranges a TO b [BY c], separated by blanks or commas, optionally in parentheses.
std::vector<double> Parser::numlist(Cursor& c, const goption& o) {
    std::vector<double> out;
    const std::string name = o.names ? first(o.names) : std::string();
    bool paren = c.accept('(');
    while (startsnumber(c)) {
        Token at = c.peek();
        double a = number(c, name.c_str());
        if (!c.peek().isname("TO")) {
            checknumber(at, o, a);
            if (out.size() >= kMaxListValues) {
                error(at, "the list of " + name + "= has more than " + std::to_string(kMaxListValues) + " values");
                throw Abandon{};
            }
            out.push_back(a);
            if (paren || c.peek().is(',')) c.accept(',');
            continue;
        }
        const Token to = c.next();
        double b = number(c, name.c_str());
        double step = 1;
        if (c.peek().isname("BY")) {
            const Token by = c.next();
            if (o.noby) {
                error(by, name + "= takes ranges a TO b without BY");
                throw Abandon{};
            }
            step = number(c, name.c_str());
        }
        if (step == 0 || (b - a) * step < 0) {
            error(to, "the range " + fmt(a) + " TO " + fmt(b) + " BY " + fmt(step) + " of " + name +
                          "= has a step that is zero or goes the wrong way");
            throw Abandon{};
        }
        // the count is computed once, so that rounding cannot add or drop a value
        const double n = std::floor((b - a) / step * (1 + 1e-12) + 1e-9);
        if (n + static_cast<double>(out.size()) >= kMaxListValues) {
            error(to, "the list of " + name + "= has more than " + std::to_string(kMaxListValues) + " values");
            throw Abandon{};
        }
        for (double k = 0; k <= n; ++k) {
            double v = a + k * step;
            checknumber(at, o, v);
            out.push_back(v);
        }
        c.accept(',');
    }
    if (paren && !c.accept(')')) {
        error(c.peek(), "')' is expected to close the list of " + name + "=, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    return out;
}

std::string Parser::name(Cursor& c, const char* what) {
    const Token& t = c.next();
    if (t.kind != Tok::Name && t.kind != Tok::String) {
        error(t, std::string("a name is expected for ") + what + ", not '" + shown(t) + "'");
        throw Abandon{};
    }
    return t.text;
}

hdataset* Parser::opendataset(Cursor& c, const Token& at) {
    (void)at;
    const Token& a = c.next();
    if (a.kind != Tok::Name) {
        error(a, "a data-set name is expected, not '" + shown(a) + "'");
        throw Abandon{};
    }
    // the names as written: a missing file is named as the program spelt it
    std::string lib, mem = a.written;
    if (c.peek().is('.')) {
        c.next();
        const Token& b = c.next();
        if (b.kind != Tok::Name) {
            error(b, "a member name is expected after " + a.written + ".");
            throw Abandon{};
        }
        lib = a.written;
        mem = b.written;
    }
    std::string err;
    hdataset* ds = rt::ds::open(s_, lib, mem, err);
    if (!ds) {
        error(a, err.empty() ? "data set " + (lib.empty() ? mem : lib + "." + mem) + " cannot be opened" : err);
        throw Abandon{};
    }
    opened_.push_back(ds);
    return ds;
}

namespace {
// Applies a value keyword: its constant, its flag.
void applykw(Parser& p, stmtrec* r, const gvalkw& k) {
    if (k.slot >= 0) p.setnum(r, k.slot, k.value);
    if (k.flag >= 0) p.setflag(r, k.flag);
}
const gvalkw* findkw(const gvalkw* v, int n, const std::string& kw) {
    for (int i = 0; i < n; ++i)
        if (matches(v[i].names, kw)) return &v[i];
    return nullptr;
}
}  // namespace

// One option: the keyword is read; its value and what follows it come next.
void Parser::option(Cursor& c, stmtrec* r, const goption& o, const gstatement* gs) {
    const std::string oname = first(o.names);
    if (o.flag >= 0) setflag(r, o.flag);
    if (o.constslot >= 0) setnum(r, o.constslot, o.constval);
    // sub-options in parentheses (OBSTATS(...))
    if (o.nsubopts > 0 && o.value == GV_NONE) {
        if (c.accept('(')) {
            while (!c.accept(')')) {
                const Token& t = c.next();
                const goption* so = nullptr;
                for (int i = 0; t.kind == Tok::Name && i < o.nsubopts; ++i)
                    if (matches(o.subopts[i].names, t.text)) so = &o.subopts[i];
                if (!so) {
                    const std::string best =
                        t.kind == Tok::Name ? closest(t.text, aliasesof(o.subopts, o.nsubopts)) : std::string();
                    error(t, quoted(t) + " is not a sub-option of " + oname +
                                 (best.empty() ? std::string() : "; the closest valid one is " + best));
                    throw Abandon{};
                }
                option(c, r, *so, nullptr);
                c.accept(',');
            }
        }
        return;
    }
    if (o.value == GV_NONE) {
        // keywords that may follow (LINIT after nothing is not a case; READOUT NLASTCENSOR=)
    } else {
        bool has = true;
        if (o.way == GW_PAREN) {
            if (!c.accept('(')) {
                error(c.peek(), oname + " takes its value in parentheses: " + oname + "(value)");
                throw Abandon{};
            }
        } else if (o.way == GW_EQ) {
            if (!c.accept('=')) {
                error(c.peek(), "'=' is expected after " + oname + ", not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
        } else {
            // optional value: with '=' it must follow; without, only a number is taken
            if (!c.accept('=')) has = startsnumber(c) || (c.peek().is('(') && o.value == GV_NUMLIST);
        }
        if (has) {
            const Token at = c.peek();
            const gvalkw* kw = at.kind == Tok::Name && o.nvals > 0 ? findkw(o.vals, o.nvals, at.text) : nullptr;
            if (kw) {
                c.next();
                applykw(*this, r, *kw);
                if (kw->nsubopts > 0 && c.peek().is('(')) {
                    c.next();
                    if (kw->subopts[0].names[0] == '\0') {
                        // positional values: SIMULTANEOUS(lower, upper)
                        value(c, r, kw->subopts[0], nullptr, c.peek());
                    } else {
                        while (!c.peek().is(')') && !c.end()) {
                            const Token& t = c.next();
                            const goption* so = nullptr;
                            for (int i = 0; t.kind == Tok::Name && i < kw->nsubopts; ++i)
                                if (matches(kw->subopts[i].names, t.text)) so = &kw->subopts[i];
                            if (!so) {
                                error(t, quoted(t) + " is not allowed after " + oname + "=" + at.text);
                                throw Abandon{};
                            }
                            option(c, r, *so, nullptr);
                            c.accept(',');
                        }
                    }
                    if (!c.accept(')')) {
                        error(c.peek(), "')' is expected, not '" + shown(c.peek()) + "'");
                        throw Abandon{};
                    }
                }
            } else {
                value(c, r, o, gs, at);
            }
        }
        if (o.way == GW_PAREN && !c.accept(')')) {
            error(c.peek(), "')' is expected after the value of " + oname + ", not '" + shown(c.peek()) + "'");
            throw Abandon{};
        }
    }
    // keywords allowed after the value
    while (o.ntrail > 0 && c.peek().kind == Tok::Name) {
        const goption* tr = nullptr;
        for (int i = 0; i < o.ntrail; ++i)
            if (matches(o.trail[i].names, c.peek().text)) tr = &o.trail[i];
        if (!tr) break;
        c.next();
        option(c, r, *tr, nullptr);
    }
}

// The value of an option by its kind (the '=' or '(' has been read).
void Parser::value(Cursor& c, stmtrec* r, const goption& o, const gstatement* gs, const Token& at) {
    const std::string oname = first(o.names);
    switch (o.value) {
    case GV_NUMBER: {
        double v = number(c, oname.c_str());
        checknumber(at, o, v);
        setnum(r, o.slot, v);
        break;
    }
    case GV_NUMBER2: {
        double v = number(c, oname.c_str());
        checknumber(at, o, v);
        setnum(r, o.slot, v);
        c.accept(',');
        if (startsnumber(c)) {
            Token at2 = c.peek();
            double w = number(c, oname.c_str());
            checknumber(at2, o, w);
            setnum(r, o.slot2, w);
        }
        break;
    }
    case GV_NUMLIST:
    case GV_NUMORLIST: {
        bool range = false;
        for (size_t k = c.i; k < c.toks.size() && (c.toks[k].kind == Tok::Number || c.toks[k].kind == Tok::Punct ||
                                                   c.toks[k].isname("TO") || c.toks[k].isname("BY"));
             ++k)
            if (c.toks[k].isname("TO")) range = true;
        std::vector<double> v = numlist(c, o);
        if (v.empty()) {
            error(at, "numbers are expected for " + oname + "=, not '" + shown(at) + "'");
            throw Abandon{};
        }
        if (o.value == GV_NUMORLIST && v.size() == 1 && !range) {
            setnum(r, o.slot, v[0]);
            optslot* s = &r->slots[o.slot];
            s->count = 1;
            double* p = arena_.make<double>();
            *p = v[0];
            s->ptr = p;
        } else {
            setnumlist(r, o.slot, v);
        }
        break;
    }
    case GV_NAME: {
        const Token t = c.peek();
        const std::string v = util::upper(name(c, oname.c_str()));
        setname(r, o.slot, v, t);
        break;
    }
    case GV_NAMELIST: {
        std::vector<std::string> v;
        bool paren = c.accept('(');
        while ((c.peek().kind == Tok::Name || c.peek().kind == Tok::String) &&
               !(!paren && c.peek().kind == Tok::Name && isoption(gs, c.peek().text))) {
            const Token& t = c.next();
            if (t.text.size() > 8) {
                error(t, "the name " + t.text + " in " + oname + "= is longer than 8 characters");
                throw Abandon{};
            }
            v.push_back(util::upper(t.text));
            if (paren) c.accept(',');
        }
        if (paren && !c.accept(')')) {
            error(c.peek(), "')' is expected to close the names of " + oname + "=, not '" + shown(c.peek()) + "'");
            throw Abandon{};
        }
        if (v.empty()) {
            error(at, "names are expected for " + oname + "=, not '" + shown(at) + "'");
            throw Abandon{};
        }
        setnamelist(r, o.slot, v);
        break;
    }
    case GV_TEXT: {
        const Token& t = c.next();
        if (t.kind != Tok::Name && t.kind != Tok::String) {
            error(t, "a name or a quoted text is expected for " + oname + "=, not '" + shown(t) + "'");
            throw Abandon{};
        }
        if (o.maxlen > 0 && static_cast<int>(t.text.size()) > o.maxlen) {
            error(t, "the text of " + oname + "= is longer than " + std::to_string(o.maxlen) + " characters");
            throw Abandon{};
        }
        settext(r, o.slot, t.text, SK_TEXT);
        break;
    }
    case GV_QSTRING:
    case GV_QSORLIST: {
        std::vector<std::string> v;
        bool paren = c.accept('(');
        while (c.peek().kind == Tok::String) {
            const Token& t = c.next();
            if (o.maxlen > 0 && static_cast<int>(t.text.size()) > o.maxlen) {
                error(t, "the text '" + t.text + "' of " + oname + "= is longer than " + std::to_string(o.maxlen) +
                             " characters");
                throw Abandon{};
            }
            v.push_back(t.text);
            c.accept(',');
            if (o.value == GV_QSTRING) break;
        }
        if (paren && !c.accept(')')) {
            error(c.peek(), "')' is expected to close the texts of " + oname + "=, not '" + shown(c.peek()) + "'");
            throw Abandon{};
        }
        if (v.empty()) {
            error(at, "a quoted text is expected for " + oname + "=, not '" + shown(at) + "'");
            throw Abandon{};
        }
        if (v.size() == 1)
            settext(r, o.slot, v[0], SK_QSTRING);
        else
            setqslist(r, o.slot, v);
        break;
    }
    case GV_DATASET: {
        bool isdata = r == proc_ && o.slot == GS_PROC_DATA;
        if (isdata) datafailed_ = true;   // until it opens
        hdataset* ds = opendataset(c, at);
        if (isdata) datafailed_ = false;
        sethandle(r, o.slot, ds, SK_DATASET);
        if (r == proc_ && o.slot == GS_PROC_DATA) {
            ds_ = ds;
            s_.input = ds;
        }
        break;
    }
    case GV_OUTDATASET: {
        const TwoLevel n = twolevel(c, oname, "data-set", "member");
        if (n.lib.size() > 32 || n.mem.size() > 32) {
            error(n.at, "a library or member name of " + oname + "= is longer than 32 characters");
            throw Abandon{};
        }
        if (n.lib != "WORK" && !s_.libs.count(n.lib)) {
            error(n.at, "the library " + n.lib + " of " + oname + "=" + n.lib + "." + n.mem +
                            " is not assigned; assign it with --lib " + n.lib + "=FOLDER");
            throw Abandon{};
        }
        outputonce(r, n, oname);
        dsspec* d = arena_.make<dsspec>();
        std::memcpy(d->lib, n.lib.c_str(), n.lib.size() + 1);
        std::memcpy(d->mem, n.mem.c_str(), n.mem.size() + 1);
        sethandle(r, o.slot, d, SK_DATASET);
        break;
    }
    case GV_CATALOG: {
        const TwoLevel n = twolevel(c, oname, "catalog", "catalog");
        setname(r, o.slot, n.lib, n.at);
        settext(r, o.slot2, n.mem, SK_TEXT);
        break;
    }
    case GV_VARLIST: {
        std::vector<int32_t> v = varlist(c, false, (oname + " variable").c_str(), gs);
        if (v.empty()) {
            error(at, "variables are expected for " + oname + "=, not '" + shown(at) + "'");
            throw Abandon{};
        }
        setvars(r, o.slot, v);
        break;
    }
    case GV_KEYWORD: {
        const std::string best = at.kind == Tok::Name ? closest(at.text, aliasesof(o.vals, o.nvals)) : std::string();
        std::string all;
        for (int i = 0; i < o.nvals; ++i) {
            if (i) all += ", ";
            all += first(o.vals[i].names);
        }
        error(at, quoted(at) + " is not a value of " + oname + "=" +
                      (best.empty() ? "; the values are " + all : didyoumean(best)));
        throw Abandon{};
    }
    case GV_POSITION: {
        if (c.accept('(')) {
            Token ax = c.peek();
            double x = number(c, oname.c_str());
            c.accept(',');
            double y = number(c, oname.c_str());
            if (!c.accept(')')) {
                error(c.peek(), "')' is expected after the coordinates of " + oname + "=, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            setnum(r, o.slot2, x);
            setnum(r, o.slot2 + 1, y);
        } else {
            const Token t = c.peek();
            std::string v = name(c, oname.c_str());
            setname(r, o.slot, v, t);
        }
        break;
    }
    case GV_RELATIONS: relations(c, r, o, at); break;
    default: break;
    }
}

// LIB.MEMBER or MEMBER (in WORK) as the value of oname=; level1 and level2 name the two
// levels in the messages.
Parser::TwoLevel Parser::twolevel(Cursor& c, const std::string& oname, const char* level1, const char* level2) {
    TwoLevel n;
    n.at = c.next();
    if (n.at.kind != Tok::Name) {
        error(n.at, std::string("a ") + level1 + " name is expected for " + oname + "=, not '" + shown(n.at) + "'");
        throw Abandon{};
    }
    n.lib = "WORK";
    n.mem = n.at.text;
    if (c.accept('.')) {
        const Token& b = c.next();
        if (b.kind != Tok::Name) {
            error(b, std::string("a ") + level2 + " name is expected after " + n.at.text + ".");
            throw Abandon{};
        }
        n.lib = n.at.text;
        n.mem = b.text;
    }
    return n;
}

// An output data set is written by one statement of the step: two would write one file at
// once. The file decides (OUT=A, OUT=work.a and a library assigned to the output folder are
// one); a statement that names its OUT= again keeps the last one.
void Parser::outputonce(stmtrec* r, const TwoLevel& n, const std::string& oname) {
    const std::string folder = n.lib == "WORK" ? (s_.outdir.empty() ? std::string(".") : s_.outdir) : s_.libs.at(n.lib);
    const std::string file = folder + "/" + rt::util::lower(n.mem) + ".csv";
    const std::string key = rt::util::filekey(file);
    const std::string named = n.lib + "." + n.mem;
    auto table = [](const stmtrec* rec) {
        const optslot* t = strncmp(rec->keyword, "MAKE", 4) == 0 ? stmtslot(rec, GS_MAKE_TABLE) : nullptr;
        return t && t->ptr ? "table " + rt::util::quoted(std::string(static_cast<const char*>(t->ptr), t->count)) : std::string();
    };
    std::erase_if(outputs_, [r](const Output& o) { return o.rec == r; });
    for (const Output& o : outputs_) {
        if (o.key != key) continue;
        std::string first = std::string(o.rec->name ? o.rec->name : stmtname_.c_str()) + " statement of line " + std::to_string(o.rec->line);
        std::string its = table(o.rec);
        if (o.named != named) its += (its.empty() ? "" : ", ") + oname + "=" + o.named;
        if (!its.empty()) first += " (" + its + ")";
        std::string mine = table(r);
        error(n.at, oname + "=" + named + (o.named == named ? " names the data set that" : " is the file " + file + ", which") +
                        " the " + first + " writes already; one step writes a data set once: give " +
                        (mine.empty() ? std::string("this statement") : mine) + " an " + oname + "= data set of its own");
        throw Abandon{};
    }
    outputs_.push_back({r, key, named});
}

// MODEL RELATION=code, or RELATION=(code [(variable)], code [(variable)] [, code [(variable)]]).
void Parser::relations(Cursor& c, stmtrec* r, const goption& o, const Token& at) {
    static const int codeslots[3] = {GS_MODEL_RELCODE1, GS_MODEL_RELCODE2, GS_MODEL_RELCODE3};
    static const int varslots[3] = {GS_MODEL_RELVAR1, GS_MODEL_RELVAR2, GS_MODEL_RELVAR3};
    (void)o;
    auto code = [&]() {
        const Token& t = c.next();
        for (int i = 0; t.kind == Tok::Name && i < g_.nrelations; ++i)
            if (matches(g_.relations[i].names, t.text)) return g_.relations[i].value;
        const std::string best =
            t.kind == Tok::Name ? closest(t.text, aliasesof(g_.relations, g_.nrelations)) : std::string();
        error(t, quoted(t) + " is not a relation" + didyoumean(best));
        throw Abandon{};
    };
    if (!c.accept('(')) {
        setnum(r, codeslots[0], code());
        return;
    }
    int k = 0;
    while (!c.accept(')')) {
        if (k == 3) {
            error(c.peek(), "RELATION= takes at most three relations");
            throw Abandon{};
        }
        setnum(r, codeslots[k], code());
        if (c.accept('(')) {
            setvars(r, varslots[k], {variable(c, true, "relation variable")});
            if (!c.accept(')')) {
                error(c.peek(), "')' is expected after the relation variable, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
        }
        c.accept(',');
        ++k;
    }
    if (k < 2) {
        error(at, "a list of relations in parentheses needs two or three relations");
        throw Abandon{};
    }
}

}  // namespace rt::stmt
