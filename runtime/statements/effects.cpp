// Model effects of MODEL and LOGSCALE: crossing '*', nesting in parentheses, the bar with an
// at-sign limit, name ranges and the lists _NUMERIC_ and _CHARACTER_. The syntax is read
// with the statement; the variables are sorted into CLASS and continuous ones once the whole
// step is read, and the effects become `parsedeff` records.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include "runtime/datasets/library.h"
#include "runtime/session.h"
#include "runtime/statements/parser.h"

namespace rt::stmt {

namespace {

bool isnumericvar(hdataset* ds, int32_t v) {
    vardesc d{};
    rt::ds::services()->xvname(ds, v, &d);
    return d.type == 1;
}
std::string varname(hdataset* ds, int32_t v) {
    vardesc d{};
    rt::ds::services()->xvname(ds, v, &d);
    return std::string(d.name);
}
// The most effects one MODEL or LOGSCALE statement may make (all crossings of a bar grow as
// 2 to the number of its operands).
constexpr size_t kMaxEffects = 10000;

// "X12" -> ("X", 12); false when the name does not end in digits or its number has more than
// nine digits (no data set has that many variables).
bool splitnumbered(const std::string& s, std::string& stem, long& n) {
    size_t k = s.size();
    while (k > 0 && std::isdigit(static_cast<unsigned char>(s[k - 1]))) --k;
    if (k == s.size() || k == 0 || s.size() - k > 9) return false;
    stem = s.substr(0, k);
    n = std::strtol(s.c_str() + k, nullptr, 10);
    return true;
}
// The variables of a list slot of r (none when it is not given).
std::vector<int32_t> slotvars(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    if (!o || o->count <= 0 || !o->ptr) return {};
    const auto* v = static_cast<const int32_t*>(o->ptr);
    return std::vector<int32_t>(v, v + o->count);
}
bool keywordis(const stmtrec* r, const char* kw) { return std::strncmp(r->keyword, kw, std::strlen(kw)) == 0; }
bool typelist(const Token& t) { return t.text == "_NUMERIC_" || t.text == "_CHARACTER_" || t.text == "_CHAR_"; }

// a * b, in place
void crossinto(EffTerm& a, const EffTerm& b) {
    a.crossed.insert(a.crossed.end(), b.crossed.begin(), b.crossed.end());
    a.nest.insert(a.nest.end(), b.nest.begin(), b.nest.end());
}

}  // namespace

// effects := { item } ; item := list | bar ; bar := crossing { '|' crossing } [ '@' n ]
// crossing := primary { '*' primary } ; primary := name [ '(' names ')' ]
// list := a-b (numbered) | a--b | a-NUMERIC-b | a-CHARACTER-b | _NUMERIC_ | _CHARACTER_ | _CHAR_
std::vector<EffTerm> Parser::effectlist(Cursor& c) {
    std::vector<EffTerm> out;
    auto single = [&](const Token& t) {
        EffTerm e;
        e.crossed.push_back({findvariable(t, false, "effect variable"), t});
        return e;
    };
    auto needds = [&](const Token& t) {
        if (!ds_) {
            error(t, t.text + " names variables, but no DATA= data set is given");
            throw Abandon{};
        }
    };
    auto primary = [&]() {
        const Token& t = c.next();
        if (t.kind != Tok::Name) {
            error(t, "an effect variable is expected, not '" + shown(t) + "'");
            throw Abandon{};
        }
        EffTerm e = single(t);
        if (c.accept('(')) {
            while (!c.accept(')')) {
                const Token& n = c.next();
                if (n.kind != Tok::Name) {
                    error(n, "a nesting variable is expected, not '" + shown(n) + "'");
                    throw Abandon{};
                }
                e.nest.push_back({findvariable(n, false, "nesting variable"), n});
                c.accept(',');
            }
        }
        return e;
    };
    while (!c.end() && !c.peek().is('/')) {
        const Token t = c.peek();
        if (t.kind != Tok::Name) {
            error(t, "an effect is expected, not '" + shown(t) + "'");
            throw Abandon{};
        }
        // variable lists that stand as effects of their own
        if (typelist(t)) {
            c.next();
            needds(t);
            bool num = t.text == "_NUMERIC_";
            for (int32_t v = 1; v <= rt::ds::nvars(ds_); ++v)
                if (isnumericvar(ds_, v) == num) {
                    EffTerm e;
                    e.crossed.push_back({v, t});
                    out.push_back(e);
                }
            continue;
        }
        if (c.peek(1).is('-')) {
            c.next();
            c.next();
            int which = 0;   // 0 all, 1 numeric, 2 character
            bool dataorder = false;
            if (c.peek().is('-')) {
                c.next();
                dataorder = true;
            } else if ((c.peek().isname("NUMERIC") || c.peek().isname("CHARACTER") || c.peek().isname("CHAR")) &&
                       c.peek(1).is('-')) {
                which = c.peek().isname("NUMERIC") ? 1 : 2;
                c.next();
                c.next();
                dataorder = true;
            }
            const Token& b = c.next();
            if (b.kind != Tok::Name) {
                error(b, "the end of the variable range is expected, not '" + shown(b) + "'");
                throw Abandon{};
            }
            needds(t);
            if (dataorder) {
                int32_t va = findvariable(t, false, "range variable"), vb = findvariable(b, false, "range variable");
                if (vb < va) {
                    error(b, "variable " + b.text + " stands before " + t.text + " in the data set");
                    throw Abandon{};
                }
                for (int32_t v = va; v <= vb; ++v) {
                    if (which == 1 && !isnumericvar(ds_, v)) continue;
                    if (which == 2 && isnumericvar(ds_, v)) continue;
                    EffTerm e;
                    e.crossed.push_back({v, t});
                    out.push_back(e);
                }
            } else {
                std::string sa, sb;
                long na, nb;
                if (!splitnumbered(t.text, sa, na) || !splitnumbered(b.text, sb, nb) || sa != sb || nb < na) {
                    error(t, "the range " + shown(t) + "-" + shown(b) + " must run between two names with the same " +
                                 "stem and rising numbers, such as X1-X5");
                    throw Abandon{};
                }
                // every name of the range must be a variable: no more than the data set has
                if (nb - na >= rt::ds::nvars(ds_)) {
                    error(t, "the range " + shown(t) + "-" + shown(b) + " names " + std::to_string(nb - na + 1) +
                                 " variables, but data set " + rt::ds::displayname(ds_) + " has " +
                                 std::to_string(rt::ds::nvars(ds_)));
                    throw Abandon{};
                }
                for (long k = na; k <= nb; ++k) {
                    Token vt = t;
                    vt.text = sa + std::to_string(k);
                    out.push_back(single(vt));
                }
            }
            continue;
        }
        // crossings joined by bars
        std::vector<EffTerm> operands;
        EffTerm cur = primary();
        for (;;) {
            if (c.accept('*')) {
                crossinto(cur, primary());
                continue;
            }
            if (c.accept('|')) {
                operands.push_back(cur);
                cur = primary();
                continue;
            }
            break;
        }
        operands.push_back(cur);
        size_t limit = 1000;
        if (c.peek().is('@')) {
            const Token at = c.next();
            const Token& n = c.next();
            if (n.kind != Tok::Number || !(n.num >= 1 && n.num <= 1e9) || n.num != std::floor(n.num)) {
                error(n, "a whole number of at least 1 is expected after '@', not '" + shown(n) + "'");
                throw Abandon{};
            }
            if (operands.size() < 2) {
                error(at, "'@' limits the effects made by the bar (|)");
                throw Abandon{};
            }
            limit = static_cast<size_t>(n.num);
        }
        // A|B|C: A, B, A*B, C, A*C, B*C, A*B*C (each with the number of operands it crosses);
        // crossings beyond the limit are never made, and a bar that would make more effects
        // than a statement may have is refused before it is built.
        std::vector<std::pair<EffTerm, size_t>> made;
        for (const auto& op : operands) {
            const size_t before = made.size();
            made.push_back({op, 1});
            for (size_t k = 0; k < before; ++k) {
                if (made[k].second >= limit) continue;
                if (out.size() + made.size() >= kMaxEffects) {
                    error(t, "the effects starting with " + shown(t) + " make more than " +
                                 std::to_string(kMaxEffects) + " effects; limit the crossings with @n");
                    throw Abandon{};
                }
                EffTerm e = made[k].first;
                crossinto(e, op);
                made.push_back({std::move(e), made[k].second + 1});
            }
        }
        for (auto& m : made) out.push_back(std::move(m.first));
        if (out.size() > kMaxEffects) {
            error(t, "the statement makes more than " + std::to_string(kMaxEffects) + " effects");
            throw Abandon{};
        }
    }
    if (out.empty()) {
        error(c.peek(), "at least one effect is expected, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    return out;
}

// The variables that _NUMERIC_ (and _CHARACTER_) leave out, each with its role: the MODEL's
// response (both ends of an interval) and censoring variables, FREQ, NENTER, UNITID, the FMODE
// variable and the BY variables. A model of the response on itself is no model.
std::vector<std::pair<int32_t, std::string>> Parser::rolevariables() const {
    std::vector<std::pair<int32_t, std::string>> out;
    auto add = [&](const std::vector<int32_t>& vars, const char* role) {
        for (int32_t v : vars) out.push_back({v, role});
    };
    for (const stmtrec* r = head_; r; r = r->next) {
        if (keywordis(r, "MODEL")) {
            add(slotvars(r, GS_RESP1), "response");
            add(slotvars(r, GS_MODEL_UPPER), "response");
            add(slotvars(r, GS_RESP2), "censoring");
        } else if (keywordis(r, "FMODE")) {
            add(slotvars(r, GS_FMODE_VAR), "FMODE");
        }
    }
    add(slotvars(proc_, GS_PROC_FREQ), "FREQ");
    add(slotvars(proc_, GS_PROC_NENTER), "NENTER");
    add(slotvars(proc_, GS_PROC_UNITID), "UNITID");
    add(slotvars(proc_, GS_PROC_BY), "BY");
    return out;
}

// Takes the role variables out of the effects that _NUMERIC_ or _CHARACTER_ made, with one
// note per statement naming them.
void Parser::leaveoutroles(PendingEffects& pe) {
    const auto roles = rolevariables();
    std::string told;
    const Token* at = nullptr;
    std::vector<EffTerm> kept;
    for (auto& t : pe.terms) {
        const bool listed = t.crossed.size() == 1 && t.nest.empty() && typelist(t.crossed[0].at);
        auto role = listed ? std::find_if(roles.begin(), roles.end(), [&](const auto& r) { return r.first == t.crossed[0].var; })
                           : roles.end();
        if (role == roles.end()) {
            kept.push_back(std::move(t));
            continue;
        }
        if (!at) at = &t.crossed[0].at;
        told += (told.empty() ? "" : ", ") + varname(ds_, role->first) + " (" + role->second + ")";
    }
    if (at) note(*at, at->text + " leaves out the variables the statement or the step gives a role: " + told + ".");
    pe.terms = std::move(kept);
}

// Sorts effect variables into CLASS ones (indexes into the PROC record's CLASS list) and
// continuous ones (added to the PROC record's slot-1 list), then builds the effect records.
void Parser::resolveeffects() {
    if (effects_.empty()) return;
    std::vector<int32_t> classes, conts;
    if (const optslot* s = stmtslot(proc_, GS_PROC_CLASS))
        classes.assign(static_cast<const int32_t*>(s->ptr), static_cast<const int32_t*>(s->ptr) + s->count);
    const int namelen = [&] {
        const optslot* s = stmtslot(proc_, GS_PROC_NAMELEN);
        return s ? static_cast<int>(s->num) : g_.namelendefault;
    }();
    for (auto& pe : effects_) {
        stmtname_ = pe.stmtname;
        leaveoutroles(pe);
        bool bad = false;   // every bad variable of the statement is reported once, then it is left
        std::set<std::pair<int, int>> told;   // where the bad variables are written
        auto once = [&](const Token& at) { return told.insert({at.line, at.col}).second; };
        const int limit = pe.limit > 0 ? pe.limit : namelen;
        parsedeff* head = nullptr;
        parsedeff** link = &head;
        for (const auto& t : pe.terms) {
            std::vector<int32_t> cont, cls, nest;
            std::string name;
            for (const auto& v : t.crossed) {
                auto it = std::find(classes.begin(), classes.end(), v.var);
                if (it != classes.end()) {
                    cls.push_back(static_cast<int32_t>(it - classes.begin()));
                } else {
                    if (!isnumericvar(ds_, v.var)) {
                        if (once(v.at))
                            error(v.at, "the effect variable " + v.at.text + " is not a CLASS variable, so it must be numeric, " +
                                        "but it is character in " + characterwhere(v.var));
                        bad = true;
                        continue;
                    }
                    auto jt = std::find(conts.begin(), conts.end(), v.var);
                    if (jt == conts.end()) {
                        conts.push_back(v.var);
                        jt = conts.end() - 1;
                    }
                    cont.push_back(static_cast<int32_t>(jt - conts.begin()));
                }
                if (!name.empty()) name += '*';
                name += varname(ds_, v.var);
            }
            for (const auto& v : t.nest) {
                auto it = std::find(classes.begin(), classes.end(), v.var);
                if (it == classes.end()) {
                    if (once(v.at)) error(v.at, "the nesting variable " + v.at.text + " must be a CLASS variable");
                    bad = true;
                    continue;
                }
                nest.push_back(static_cast<int32_t>(it - classes.begin()));
            }
            if (!t.nest.empty()) {
                name += "(";
                for (size_t k = 0; k < t.nest.size(); ++k) {
                    if (k) name += '*';
                    name += varname(ds_, t.nest[k].var);
                }
                name += ")";
            }
            if (bad) continue;
            if (static_cast<int>(name.size()) > limit) name.resize(static_cast<size_t>(limit));
            parsedeff* e = arena_.make<parsedeff>();
            auto copy = [&](const std::vector<int32_t>& v, int32_t& n, int32_t*& p) {
                n = static_cast<int32_t>(v.size());
                p = n ? arena_.make<int32_t>(v.size()) : nullptr;
                for (size_t k = 0; k < v.size(); ++k) p[k] = v[k];
            };
            copy(cont, e->ncont, e->cont);
            copy(cls, e->ncls, e->cls);
            copy(nest, e->nnest, e->nest);
            e->name = arena_.text(name);
            e->namelen = static_cast<int32_t>(name.size());
            *link = e;
            link = &e->next;
        }
        if (bad) continue;
        optslot* s = slot(pe.rec, pe.slot);
        *s = optslot{};
        s->given = 1;
        s->kind = SK_EFFECTS;
        s->count = static_cast<int32_t>(pe.terms.size());
        s->ptr = head;
        s->handle = head;
    }
    stmtname_.clear();
    if (!conts.empty()) setvars(proc_, GS_PROC_CONT, conts);
}

}  // namespace rt::stmt
