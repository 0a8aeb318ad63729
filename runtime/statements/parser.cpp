// The statement parser: the procedure's grammar tables interpreted over the tokens of one
// step, building the list of statement records, with messages that name what is wrong.
#include "runtime/statements/parser.h"
#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>
#include "host/keychars.h"
#include "runtime/datasets/library.h"
#include "runtime/session.h"
#include "runtime/statements/suggest.h"
#include "runtime/util/strings.h"

namespace rt::stmt {

namespace {
}  // namespace

Parser::Parser(const grammar& g, Session& s, modparse* mpb, prsreq* req, Arena& arena, std::vector<hdataset*>& opened,
               stmtrec** current, bool syntrace)
    : g_(g), s_(s), mpb_(mpb), req_(req), arena_(arena), opened_(opened), current_(current), syntrace_(syntrace) {}

void Parser::error(const Token& at, const std::string& what) {
    std::ostringstream m;
    m << "Line " << at.line << ", column " << at.col << ": ";
    if (!stmtname_.empty()) m << stmtname_ << " statement: ";
    m << what;
    if (s_.log) s_.log->line('E', m.str());
    ++s_.errors;
    ++errors_;
}

void Parser::note(const Token& at, const std::string& what) {
    std::ostringstream m;
    m << "Line " << at.line << ", column " << at.col << ": ";
    if (!stmtname_.empty()) m << stmtname_ << " statement: ";
    m << what;
    if (s_.log) s_.log->line('N', m.str());
}

int Parser::run(const std::vector<Statement>& stmts) {
    for (const auto& st : stmts) {
        try {
            statement(st);
        } catch (const Abandon&) {
        }
        // An abandoned option leaves its record of changes behind; it dies with the option.
        touch_ = nullptr;
        stmtname_.clear();
    }
    // The effect variables are checked even when other statements have errors, so that one
    // run reports every error of the step.
    if (ds_) resolveeffects();
    *current_ = nullptr;
    return errors_;
}

std::string Parser::notexpectedhint(const std::string& word) const {
    const std::string hint = semicolonhint(word);
    return hint.empty() ? "; options follow a slash (/)" : hint;
}

std::string Parser::semicolonhint(const std::string& word) const {
    std::string up = word;
    for (char& ch : up) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (up == "PROC" || up == "RUN" || up == "QUIT" || findstmt(up))
        return "; " + up + " is a statement: a semicolon may be missing before it";
    return std::string();
}

const gstatement* Parser::findstmt(const std::string& kw) const {
    for (int i = 0; i < g_.nstmts; ++i)
        if (matches(g_.stmts[i].names, kw)) return &g_.stmts[i];
    return nullptr;
}

stmtrec* Parser::newrecord(const std::string& keyword, const gstatement& gs, const Statement& st) {
    const int highest = gs.highest;
    stmtrec* r = arena_.make<stmtrec>();
    r->line = st.line;
    r->column = st.col;
    r->name = arena_.text(first(gs.names));
    std::memset(r->keyword, ' ', STMT_KEYLEN);
    std::memcpy(r->keyword, keyword.data(), std::min<size_t>(keyword.size(), STMT_KEYLEN));
    r->highest = highest;
    r->slots = arena_.make<optslot>(static_cast<size_t>(highest) + 1);
    if (tail_)
        tail_->next = r;
    else
        head_ = r;
    tail_ = r;
    if (mpb_) mpb_->head = head_;      // the callback may look at the PROC record
    return r;
}

void Parser::statement(const Statement& st) {
    Cursor c(st.toks, st.line, st.col);
    if (syntrace_ && s_.log)
        s_.log->line('N', "Syntax trace: statement at line " + std::to_string(st.line) + ", column " +
                              std::to_string(st.col) + ", " + std::to_string(st.toks.size()) + " tokens");
    // the PROC statement opens the step
    if (!proc_) {
        const Token& p = c.next();
        if (!p.isname("PROC")) {
            error(p, "the step must begin with PROC " + std::string(g_.procname) + ", not '" + shown(p) + "'");
            throw Abandon{};
        }
        const Token& n = c.next();
        stmtname_ = "PROC";
        if (n.kind != Tok::Name || n.text != g_.procname) {
            error(n, "the procedure is " + std::string(g_.procname) + ", not '" + shown(n) + "'");
            throw Abandon{};
        }
        stmtname_ = "PROC " + std::string(g_.procname);
        const gstatement* gs = findstmt(g_.procname);
        proc_ = newrecord(g_.procname, *gs, st);
        *current_ = proc_;
        if (req_ && req_->check) req_->check();
        proc(c, *gs);
        return;
    }
    // an optional statement label: "label: keyword ..."
    const Token* label = nullptr;
    if (c.peek().kind == Tok::Name && c.peek(1).is(':')) {
        label = &c.next();
        c.next();
    }
    const Token& kw = c.next();
    if (kw.kind != Tok::Name) {
        error(kw, "a statement must begin with its keyword, not '" + shown(kw) + "'");
        throw Abandon{};
    }
    const gstatement* gs = findstmt(kw.text);
    if (!gs || gs->head == GH_PROC) {
        // The first statement is PROC itself.
        const std::string best = closest(kw.text, aliasesof(g_.stmts + 1, g_.nstmts - 1));
        error(kw, kw.text + " is not a statement of PROC " + g_.procname + didyoumean(best));
        throw Abandon{};
    }
    stmtname_ = first(gs->names);
    if (label && !gs->labelled) {
        error(*label, "a statement label is allowed only on ANALYZE, PROBPLOT, RELATIONPLOT and MCFPLOT");
        throw Abandon{};
    }
    if (gs->highest < 0) {
        // PROC-level statements store into the PROC record; a repeated one replaces the first
        auto it = procstmts_.find(gs->head * 1000 + gs->procslot);
        if (it != procstmts_.end()) {
            note(kw, stmtname_ + " is given a second time; the last one is used");
        }
        procstmts_[gs->head * 1000 + gs->procslot] = kw;
        *current_ = proc_;
        if (req_ && req_->check) req_->check();
        switch (gs->head) {
        case GH_BY: by(c); break;
        case GH_VARS: vars(c, *gs, false); break;
        case GH_ONEVAR: vars(c, *gs, true); break;
        case GH_CLASS: klass(c, *gs); break;
        case GH_DIST: dist(c); break;
        default: break;
        }
        if (!c.end()) {
            error(c.peek(), quoted(c.peek()) + " is not expected here" + semicolonhint(c.peek().text));
            throw Abandon{};
        }
        return;
    }
    stmtrec* r = newrecord(kw.text, *gs, st);
    *current_ = r;
    if (req_ && req_->check) req_->check();
    // the effect parser's name-length limit as the procedure has just set it (0: NAMELEN=)
    efflimit_ = mpb_ && mpb_->effstate ? static_cast<const effprsrec*>(mpb_->effstate)->limit : 0;
    if (label) {
        if (label->text.size() > 8) {
            error(*label, "the statement label " + label->text + " is longer than 8 characters");
            throw Abandon{};
        }
        setname(r, GS_LABEL, label->text, *label);
    }
    switch (gs->head) {
    case GH_RESPONSE:
    case GH_STRESS:
    case GH_MODEL: response(c, r, *gs); break;
    case GH_MCF: mcf(c, r, *gs); break;
    case GH_EFFECTS: {
        PendingEffects pe{r, GS_LOGSCALE_EFFECTS, efflimit_, stmtname_, effectlist(c)};
        effects_.push_back(std::move(pe));
        break;
    }
    case GH_INSET: inset(c, r); break;
    case GH_FMODE: fmode(c, r); break;
    case GH_MAKE: make(c, r); break;
    default: break;
    }
    tail(c, r, *gs);
}

// The options of the statement: after a slash, or directly for PROC and MAKE.
void Parser::tail(Cursor& c, stmtrec* r, const gstatement& gs) {
    if (c.end()) return;
    if (!gs.noslash) {
        if (!c.peek().is('/')) {
            error(c.peek(), quoted(c.peek()) + " is not expected here" + notexpectedhint(c.peek().text));
            throw Abandon{};
        }
        c.next();
    }
    options(c, r, gs);
}

void Parser::proc(Cursor& c, const gstatement& gs) { options(c, proc_, gs); }

void Parser::by(Cursor& c) {
    std::vector<int32_t> vars;
    std::vector<rt::ds::ByVar> byvars;
    bool notsorted = false;
    bool desc = false;
    while (!c.end()) {
        const Token& t = c.peek();
        if (t.isname("DESCENDING")) {
            c.next();
            desc = true;
            continue;
        }
        if (t.isname("NOTSORTED")) {
            c.next();
            notsorted = true;
            continue;
        }
        int32_t v = variable(c, false, "BY variable");
        vars.push_back(v);
        byvars.push_back({v, desc});
        desc = false;
    }
    if (vars.empty()) {
        error(c.peek(), "BY needs at least one variable");
        throw Abandon{};
    }
    if (desc) {
        error(c.peek(), "DESCENDING must stand before a variable");
        throw Abandon{};
    }
    setvars(proc_, GS_PROC_BY, vars);
    rt::ds::setby(ds_, byvars, notsorted);
}

void Parser::vars(Cursor& c, const gstatement& gs, bool one) {
    std::string role = stmtname_ + " variable";
    std::vector<int32_t> v = varlist(c, one, role.c_str(), nullptr);
    if (v.empty()) {
        error(c.peek(), stmtname_ + " needs a variable");
        throw Abandon{};
    }
    if (one && v.size() > 1) {
        error(c.toks[1], stmtname_ + " takes one variable");
        throw Abandon{};
    }
    setvars(proc_, gs.procslot, v);
}

void Parser::klass(Cursor& c, const gstatement& gs) {
    slot(proc_, GS_PROC_CLASS)->given = 0;
    // The CLASS statement serves the model effects, which take any number of class
    // variables; the two-variable limit is that of the analysis statements.
    std::vector<int32_t> v = varlist(c, false, "class variable", nullptr);
    if (v.empty()) {
        error(c.peek(), "a class variable is expected, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    setvars(proc_, GS_PROC_CLASS, v);
    if (c.end()) return;
    if (!c.accept('/')) {
        error(c.peek(), quoted(c.peek()) + " is not expected here" + notexpectedhint(c.peek().text));
        throw Abandon{};
    }
    options(c, proc_, gs);
}

// Class variables: at most as many as the procedure's cells hold.
void Parser::classvars(Cursor& c, stmtrec* r, int n) {
    Token at = c.peek();
    std::vector<int32_t> v = varlist(c, false, "class variable", nullptr);
    if (v.empty()) {
        error(c.peek(), "a class variable is expected, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    if (static_cast<int>(v.size()) > g_.classmax) {
        error(at, std::to_string(v.size()) + " class variables are given; at most " + std::to_string(g_.classmax) +
                      " are allowed");
        throw Abandon{};
    }
    setvars(r, n, v);
}

void Parser::dist(Cursor& c) {
    c.accept('=');
    const Token& t = c.next();
    if (t.kind == Tok::Name) {
        for (int i = 0; i < g_.ndists; ++i) {
            if (matches(g_.dists[i].names, t.text)) {
                Touch tc;
                touch_ = &tc;
                setnum(proc_, GS_PROC_DIST, g_.dists[i].value);
                touch_ = nullptr;
                return;
            }
        }
    }
    const std::string best = t.kind == Tok::Name ? closest(t.text, aliasesof(g_.dists, g_.ndists)) : std::string();
    error(t, quoted(t) + " is not a distribution" + didyoumean(best));
    throw Abandon{};
}

// response [= class variables | = stress variable | = effects]
void Parser::response(Cursor& c, stmtrec* r, const gstatement& gs) {
    const bool model = gs.head == GH_MODEL;
    const Token at = c.peek();
    int kind = -1;
    if (c.peek().is('(')) {
        if (!(gs.responses & GR_INTERVAL)) {
            error(at, "the interval form ( lower upper ) is not a response of this statement");
            throw Abandon{};
        }
        c.next();
        setvars(r, GS_RESP1, {variable(c, true, "lower end of the interval")});
        c.accept(',');
        setvars(r, gs.ivslot, {variable(c, true, "upper end of the interval")});
        if (!c.accept(')')) {
            error(c.peek(), "')' is expected after the two ends of the interval, not '" + shown(c.peek()) + "'");
            throw Abandon{};
        }
        kind = 2;
    } else if (c.peek().kind == Tok::Name) {
        int32_t v = variable(c, true, "response variable");
        setvars(r, GS_RESP1, {v});
        kind = 0;
        if (c.accept('*')) {
            if (!(gs.responses & GR_CENSOR)) {
                error(at, "the censored form is not a response of this statement");
                throw Abandon{};
            }
            setvars(r, GS_RESP2, {variable(c, true, "censoring variable")});
            if (!c.accept('(')) {
                error(c.peek(), "the censoring values must follow in parentheses, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            goption o{};
            o.names = "censoring values";
            std::vector<double> vals = numlist(c, o);
            if (vals.empty() || !c.accept(')')) {
                error(c.peek(), "censoring values and a closing ')' are expected, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            setnumlist(r, GS_CENSVALS, vals);
            kind = 1;
        } else if (c.peek().is('(')) {
            if (!(gs.responses & GR_EVENTS)) {
                error(at, "the events(trials) form is not a response of this statement");
                throw Abandon{};
            }
            c.next();
            setvars(r, GS_RESP2, {variable(c, true, "trials variable")});
            if (!c.accept(')')) {
                error(c.peek(), "')' is expected after the trials variable, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            kind = 4;
        }
    } else if (!(gs.responses & GR_NONE)) {
        error(at, "a response is expected, not '" + shown(at) + "'");
        throw Abandon{};
    }
    if (kind >= 0) setnum(r, GS_RSPKIND, kind);
    if (c.accept('=')) {
        if (kind < 0) {
            error(at, "a response is expected before '='");
            throw Abandon{};
        }
        if (model) {
            effects_.push_back(PendingEffects{r, GS_MODELEFFECTS, efflimit_, stmtname_, effectlist(c)});
        } else if (gs.head == GH_STRESS) {
            const Token t = c.peek();
            const int32_t v = variable(c, false, "stress variable");
            // A character stress variable is the procedure's to refuse (it leaves the statement
            // out); one whose first text is a quoted "NA", which looks like a missing value, is
            // refused here with that line, as a response is.
            if (std::string text; rt::ds::firstnonnumeric(ds_, v, nullptr, &text) && text == "NA") {
                error(t, "the stress variable " + t.text + " must be numeric, but it is character in " + characterwhere(v));
                throw Abandon{};
            }
            setvars(r, GS_CLASS, {v});
        } else {
            classvars(c, r, GS_CLASS);
        }
    } else if (gs.head == GH_STRESS) {
        error(c.peek(), "'=' and the stress variable are expected after the response, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
}

// time * count ( values )  |  ( INTERVAL=a b RECURRENCES=n CENSORED=m )   [= class variables]
void Parser::mcf(Cursor& c, stmtrec* r, const gstatement& gs) {
    (void)gs;
    const Token at = c.peek();
    if (c.accept('(')) {
        bool iv = false, rec = false, cen = false;
        while (!c.peek().is(')')) {
            const Token& k = c.next();
            if (k.kind != Tok::Name || !c.accept('=')) {
                error(k, "INTERVAL=, RECURRENCES= or CENSORED= is expected, not '" + shown(k) + "'");
                throw Abandon{};
            }
            if (k.text == "INTERVAL" || k.text == "ENDPOINTS") {
                setvars(r, GS_RESP1, {variable(c, true, "interval start")});
                c.accept(',');
                setvars(r, GS_RESP2, {variable(c, true, "interval end")});
                iv = true;
            } else if (k.text == "RECURRENCE" || k.text == "RECURRENCES") {
                setvars(r, GS_CENSVALS, {variable(c, true, "recurrences variable")});
                rec = true;
            } else if (k.text == "CENSOR" || k.text == "CENSORED") {
                setvars(r, GS_MCFREMOVALS, {variable(c, true, "removals variable")});
                cen = true;
            } else {
                std::string best = closest(k.text, {"INTERVAL", "ENDPOINTS", "RECURRENCES", "RECURRENCE", "CENSORED", "CENSOR"});
                error(k, k.text + " is not part of the interval form" + didyoumean(best));
                throw Abandon{};
            }
            c.accept(',');
        }
        c.next();
        if (!iv || !rec || !cen) {
            error(at, "the interval form needs INTERVAL=, RECURRENCES= and CENSORED=");
            throw Abandon{};
        }
        setnum(r, GS_RSPKIND, 2);
    } else {
        setvars(r, GS_RESP1, {variable(c, true, "time variable")});
        if (!c.accept('*')) {
            error(c.peek(), "'*' and the recurrence variable are expected after the time variable, not '" +
                                shown(c.peek()) + "'");
            throw Abandon{};
        }
        setvars(r, GS_RESP2, {variable(c, true, "recurrence variable")});
        if (c.accept('(')) {
            goption o{};
            o.names = "end-of-observation values";
            std::vector<double> vals = numlist(c, o);
            if (vals.empty() || !c.accept(')')) {
                error(c.peek(), "values and a closing ')' are expected, not '" + shown(c.peek()) + "'");
                throw Abandon{};
            }
            setnumlist(r, GS_CENSVALS, vals);
        }
        setnum(r, GS_RSPKIND, 1);
    }
    if (c.accept('=')) classvars(c, r, GS_CLASS);
}

// items [= 'label'] ..., distribution ( parameter [= 'label'] ... ) ...
void Parser::inset(Cursor& c, stmtrec* r) {
    std::vector<double> codes;
    std::vector<std::string> labels;
    auto label = [&](bool allowed) {
        if (!c.peek().is('=')) return;
        const Token& eq = c.next();
        if (!allowed) {
            error(eq, "a label belongs to an item, not to a distribution group");
            throw Abandon{};
        }
        const Token& s = c.next();
        if (s.kind != Tok::String) {
            error(s, "a quoted label is expected after '=', not '" + shown(s) + "'");
            throw Abandon{};
        }
        if (s.text.size() > INSET_LABELMAX) {
            error(s, "the label '" + s.text + "' is longer than " + std::to_string(INSET_LABELMAX) + " characters");
            throw Abandon{};
        }
        codes.push_back(INSET_LABEL);
        labels.push_back(s.text);
    };
    while (!c.end() && !c.peek().is('/')) {
        const Token& t = c.next();
        if (t.kind != Tok::Name) {
            error(t, "an inset item is expected, not '" + shown(t) + "'");
            throw Abandon{};
        }
        const ginsetdist* d = nullptr;
        for (int i = 0; i < g_.ninsetdists; ++i)
            if (matches(g_.insetdists[i].names, t.text)) d = &g_.insetdists[i];
        if (d) {
            codes.push_back(d->code);
            if (!c.accept('(')) {
                error(c.peek(), "the parameters of " + t.text + " must follow in parentheses");
                throw Abandon{};
            }
            while (!c.accept(')')) {
                const Token& p = c.next();
                const ginsetitem* it = nullptr;
                for (int i = 0; p.kind == Tok::Name && i < d->nparams; ++i)
                    if (matches(d->params[i].names, p.text)) it = &d->params[i];
                if (!it) {
                    std::vector<std::string> names;
                    for (int i = 0; i < d->nparams; ++i) names.push_back(first(d->params[i].names));
                    std::string best = p.kind == Tok::Name ? closest(p.text, names) : std::string();
                    error(p, quoted(p) + " is not a parameter item of " + first(d->names) + didyoumean(best));
                    throw Abandon{};
                }
                codes.push_back(it->code);
                label(true);
                c.accept(',');
            }
            codes.push_back(d->code);
            label(false);
            continue;
        }
        const ginsetitem* it = nullptr;
        for (int i = 0; i < g_.ninsetitems; ++i)
            if (matches(g_.insetitems[i].names, t.text)) it = &g_.insetitems[i];
        if (!it) {
            const std::string best =
                closest(t.text, aliasesof(g_.insetdists, g_.ninsetdists, aliasesof(g_.insetitems, g_.ninsetitems)));
            error(t, t.text + " is not an inset item" + didyoumean(best));
            throw Abandon{};
        }
        codes.push_back(it->code);
        label(true);
    }
    if (!codes.empty()) {
        codes.push_back(INSET_END);
        setnumlist(r, GS_INSET_ITEMS, codes);
    }
    if (!labels.empty()) setqslist(r, GS_INSET_LABELS, labels);
}

// [ELIMINATE | KEEP | COMBINE] variable = ( 'value' ... )
void Parser::fmode(Cursor& c, stmtrec* r) {
    static const char* const modes[] = {"ELIMINATE", "KEEP", "COMBINE"};
    for (int k = 0; k < 3; ++k) {
        if (c.peek().isname(modes[k])) {
            c.next();
            setflag(r, k + 1);
            break;
        }
    }
    // Several variables are taken here so that the procedure can refuse them with its
    // own message; it reads one failure-mode variable.
    std::vector<int32_t> vars{variable(c, false, "failure-mode variable")};
    while (c.peek().kind == Tok::Name) vars.push_back(variable(c, false, "failure-mode variable"));
    setvars(r, GS_FMODE_VAR, vars);
    if (!c.accept('=') || !c.accept('(')) {
        error(c.peek(), "'= (' and the failure-mode values are expected, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    std::vector<std::string> vals;
    while (!c.accept(')')) {
        const Token& t = c.next();
        if (t.kind != Tok::String && t.kind != Tok::Number && t.kind != Tok::Name) {
            error(t, "a failure-mode value is expected, not '" + shown(t) + "'");
            throw Abandon{};
        }
        if (t.text.size() > 16) {
            // Modes are told apart by their first 16 bytes, cut back to a whole character (in
            // UTF-8): a longer value could only stand for every mode that begins with them, which
            // is more than it names. The value offered is the key the data's modes would have.
            const auto n = static_cast<size_t>(keptbytes(t.text.data(), static_cast<int32_t>(t.text.size()), 16));
            error(t, "the failure-mode value '" + t.text + "' is longer than 16 bytes (16 characters of plain ASCII); "
                     "failure modes are told apart by their formatted value cut to 16 bytes at a whole character, so a "
                     "mode is named by '" + t.text.substr(0, n) + "', and modes that agree in it are one mode");
            throw Abandon{};
        }
        vals.push_back(t.text);
        c.accept(',');
    }
    if (!vals.empty()) setqslist(r, GS_FMODE_VALUES, vals);
}

// 'table' OUT=data set [NOPRINT]
void Parser::make(Cursor& c, stmtrec* r) {
    const Token& t = c.next();
    // "MAKE OUT=x": the table name is missing, OUT is not a table
    if ((t.kind != Tok::String && t.kind != Tok::Name) || (t.kind == Tok::Name && c.peek().is('='))) {
        error(t, "the name of a table is expected, not '" + shown(t) + "'");
        throw Abandon{};
    }
    if (t.text.find_first_not_of(' ') == std::string::npos) {
        error(t, "the name of the table is empty");
        throw Abandon{};
    }
    settext(r, GS_MAKE_TABLE, t.text, SK_QSTRING);
}

// ---------------------------------------------------------------- variables

int32_t Parser::findvariable(const Token& t, bool numeric, const char* role) {
    if (!ds_ && datafailed_) throw Abandon{};   // the data set's own error says it all
    if (!ds_) {
        error(t, std::string("the ") + role + " " + t.text + " is named, but no DATA= data set is given");
        throw Abandon{};
    }
    int32_t v = rt::ds::findvar(ds_, t.text);
    if (v <= 0) {
        error(t, "variable " + t.text + " is not in data set " + rt::ds::displayname(ds_) + semicolonhint(t.text));
        throw Abandon{};
    }
    if (numeric) {
        vardesc d{};
        rt::ds::services()->xvname(ds_, v, &d);
        if (d.type != 1) {
            error(t, std::string("the ") + role + " " + t.text + " must be numeric, but it is character in " + characterwhere(v));
            throw Abandon{};
        }
    }
    return v;
}

std::string Parser::characterwhere(int32_t var) const {
    int64_t line = 0;
    std::string text;
    std::string where = "data set " + rt::ds::displayname(ds_);
    // NA without quotes is a missing value, so an NA here was quoted: the text NA.
    if (rt::ds::firstnonnumeric(ds_, var, &line, &text))
        where += " (line " + std::to_string(line) +
                 (text == "NA" ? " has \"NA\" in quotes, a text; NA without quotes is a missing value)"
                               : " has '" + rt::util::shown(text) + "')");
    return where;
}

int32_t Parser::variable(Cursor& c, bool numeric, const char* role) {
    const Token& t = c.next();
    if (t.kind != Tok::Name) {
        error(t, std::string("a ") + role + " is expected, not '" + shown(t) + "'");
        throw Abandon{};
    }
    return findvariable(t, numeric, role);
}

// Names up to the end of the list (in parentheses, or until a token that is not a name or
// that is an option keyword of the statement).
std::vector<int32_t> Parser::varlist(Cursor& c, bool numeric, const char* role, const gstatement* gs) {
    std::vector<int32_t> out;
    bool paren = c.accept('(');
    while (c.peek().kind == Tok::Name && !(gs && !paren && isoption(gs, c.peek().text))) {
        out.push_back(variable(c, numeric, role));
        if (paren) c.accept(',');
    }
    if (paren && !c.accept(')')) {
        error(c.peek(), "')' is expected after the variables, not '" + shown(c.peek()) + "'");
        throw Abandon{};
    }
    return out;
}

// ---------------------------------------------------------------- record setters

void Parser::setflag(stmtrec* r, int k) {
    if (!stmtflag(r, k) && touch_) touch_->flags.push_back(k);
    setstmtflag(r, k);
}

optslot* Parser::slot(stmtrec* r, int n) {
    if (n < 0 || n > r->highest) {
        error(Token{}, "internal grammar error: slot " + std::to_string(n) + " beyond the record");
        throw Abandon{};
    }
    if (touch_) touch_->slots.push_back(n);
    return &r->slots[n];
}

optslot* Parser::fresh(stmtrec* r, int n, uint8_t given, uint8_t kind) {
    optslot* s = slot(r, n);
    // a value given again replaces the earlier one: a long list it held is given back
    if (s->ptr && (s->kind == SK_NUMLIST || s->kind == SK_VARLIST)) arena_.release(s->ptr);
    *s = optslot{};
    s->given = given;
    s->kind = kind;
    return s;
}

void Parser::setnum(stmtrec* r, int n, double v) {
    optslot* s = fresh(r, n, 1, SK_NUMBER);
    s->num = v;
}

void Parser::setname(stmtrec* r, int n, const std::string& v, const Token& at) {
    if (v.size() > 8) {
        error(at, "the name " + v + " is longer than 8 characters");
        throw Abandon{};
    }
    optslot* s = fresh(r, n, 1, SK_NAME);
    std::memset(s->name, ' ', 8);
    std::memcpy(s->name, v.data(), v.size());
}

void Parser::settext(stmtrec* r, int n, const std::string& v, uint8_t kind) {
    optslot* s = fresh(r, n, 2, kind);
    s->count = static_cast<int32_t>(v.size());
    s->ptr = arena_.text(v);
}

void Parser::setnumlist(stmtrec* r, int n, const std::vector<double>& v) {
    optslot* s = fresh(r, n, 3, SK_NUMLIST);
    s->count = static_cast<int32_t>(v.size());
    double* p = arena_.make<double>(v.size());
    for (size_t i = 0; i < v.size(); ++i) p[i] = v[i];
    s->ptr = p;
}

void Parser::setnamelist(stmtrec* r, int n, const std::vector<std::string>& v) {
    optslot* s = fresh(r, n, 3, SK_NAMELIST);
    s->count = static_cast<int32_t>(v.size());
    slname* p = arena_.make<slname>(v.size());
    for (size_t i = 0; i < v.size(); ++i) p[i].s = arena_.text(v[i]);
    s->ptr = p;
}

void Parser::setqslist(stmtrec* r, int n, const std::vector<std::string>& v) {
    optslot* s = fresh(r, n, 3, SK_QSLIST);
    s->count = static_cast<int32_t>(v.size());
    slstring* p = arena_.make<slstring>(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        p[i].len = static_cast<int32_t>(v[i].size());
        p[i].s = arena_.text(v[i]);
    }
    s->ptr = p;
}

void Parser::setvars(stmtrec* r, int n, const std::vector<int32_t>& v) {
    optslot* s = fresh(r, n, 1, SK_VARLIST);
    s->count = static_cast<int32_t>(v.size());
    int32_t* p = arena_.make<int32_t>(v.size());
    for (size_t i = 0; i < v.size(); ++i) p[i] = v[i];
    s->ptr = p;
}

void Parser::sethandle(stmtrec* r, int n, void* h, uint8_t kind) {
    optslot* s = fresh(r, n, 1, kind);
    s->handle = h;
}

// ---------------------------------------------------------------- trace

std::string describe(const stmtrec* r) {
    std::ostringstream o;
    std::string kw(r->keyword, STMT_KEYLEN);
    kw.erase(kw.find_last_not_of(' ') + 1);
    o << kw << ":";
    for (int k = 0; k < STMT_FLAGBYTES * 8; ++k)
        if (stmtflag(r, k)) o << " flag" << k;
    for (int n = 0; n <= r->highest; ++n) {
        const optslot* s = stmtslot(r, n);
        if (!s) continue;
        o << " [" << n << "]=";
        switch (s->kind) {
        case SK_NUMBER: o << s->num; break;
        case SK_NAME: {
            std::string t(s->name, 8);
            t.erase(t.find_last_not_of(' ') + 1);
            o << t;
            break;
        }
        case SK_QSTRING:
        case SK_TEXT: o << "'" << std::string(static_cast<const char*>(s->ptr), s->count) << "'"; break;
        case SK_NUMLIST:
            o << "(";
            for (int i = 0; i < s->count; ++i) o << (i ? " " : "") << static_cast<const double*>(s->ptr)[i];
            o << ")";
            break;
        case SK_VARLIST:
            o << "vars(";
            for (int i = 0; i < s->count; ++i) o << (i ? " " : "") << static_cast<const int32_t*>(s->ptr)[i];
            o << ")";
            break;
        case SK_NAMELIST:
            o << "names(";
            for (int i = 0; i < s->count; ++i) o << (i ? " " : "") << static_cast<const slname*>(s->ptr)[i].s;
            o << ")";
            break;
        case SK_QSLIST:
            o << "strings(";
            for (int i = 0; i < s->count; ++i) o << (i ? " " : "") << "'" << static_cast<const slstring*>(s->ptr)[i].s << "'";
            o << ")";
            break;
        case SK_DATASET: o << "dataset"; break;
        case SK_EFFECTS: o << "effects(" << s->count << ")"; break;
        default: o << "?"; break;
        }
    }
    return o.str();
}

}  // namespace rt::stmt
