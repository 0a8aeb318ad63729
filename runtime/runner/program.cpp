// Running a program: host statements and PROC steps in order, each step's lines echoed into
// the log before its messages, the module loaded once and the outputs begun first.
#include "runtime/runner/program.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "runtime/datasets/library.h"
#include "runtime/graphics/devstate.h"
#include "runtime/host/hostinstance.h"
#include "runtime/loader/module.h"
#include "runtime/output/output.h"
#include "runtime/runner/splitter.h"
#include "runtime/statements/statements.h"
#include "runtime/supervisor/messages.h"
#include "runtime/supervisor/options.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/supervisor/svcextra.h"
#include "runtime/util/strings.h"


namespace rt::runner {
namespace {

// Echoes the program lines not yet echoed up to last, with their numbers: every line of the
// program appears once, in order, comments and blank lines between statements included.
void echo(Session& s, const std::vector<std::string>& lines, int last, int& echoed) {
    for (int l = echoed + 1; l <= last && l <= static_cast<int>(lines.size()); ++l) {
        char num[16];
        std::snprintf(num, sizeof num, "%5d  ", l);
        if (s.log) s.log->line(' ', num + lines[l - 1]);
        echoed = l;
    }
}

std::vector<std::string> splitlines(const std::string& text) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i <= text.size()) {
        size_t e = text.find('\n', i);
        if (e == std::string::npos) e = text.size();
        std::string l = text.substr(i, e - i);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
        i = e + 1;
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// The start of a statement that does not begin with a word, as far as the next blank (at
// most 20 characters), with bytes that do not print shown as \xHH.
std::string firstchars(const std::string& text, const Statement& st) {
    std::string out;
    for (size_t k = st.begin; k < st.end && k < st.begin + 20; ++k) {
        unsigned char c = static_cast<unsigned char>(text[k]);
        if (c == ';' || std::isspace(c)) break;
        if (std::isprint(c)) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// The host statement OPTIONS: NAME=value, and a flag as NAME or NONAME (NOTHREADS). The
// names, values and checks are those of the option table (runtime/supervisor/options.cpp).
void options(const std::string& text, const Statement& st, Session& s) {
    auto w = optionwords(text, st);
    const std::string at = "Line " + std::to_string(st.line) + ": OPTIONS ";
    for (size_t i = 1; i < w.size(); ++i) {
        const std::string& k = w[i];
        std::string err;
        const opt::Def* d = opt::find(k);
        const opt::Def* negated = k.size() > 2 && k.compare(0, 2, "NO") == 0 ? opt::find(k.substr(2)) : nullptr;
        if (!d && !(negated && negated->kind == opt::Kind::Flag)) {
            sup::logline(&s, 'E', at + "does not know the system option " + util::shown(k, 40) + "; the options are " +
                                  opt::names() + ".");
            return;
        }
        if (i + 1 < w.size() && w[i + 1] == "=") {
            if (i + 2 >= w.size()) {
                sup::logline(&s, 'E', at + k + "= needs a value.");
                return;
            }
            if (!opt::set(s.opts, k, w[i + 2], err)) sup::logline(&s, 'E', at + err + ".");
            i += 2;
            continue;
        }
        if (d && d->kind == opt::Kind::Flag) {
            opt::set(s.opts, k, "1", err);
        } else if (d) {
            sup::logline(&s, 'E', at + k + "= needs a value.");
        } else {
            opt::set(s.opts, negated->name, "0", err);
        }
    }
}

// The session's log while a program runs: every line with its control characters escaped
// (so that no value can start a log line of its own) and cut to a sane length, and the notes,
// warnings and errors shown in the report as well.
class ReportedLog : public Log {
public:
    explicit ReportedLog(Log* inner) : inner_(inner) {}
    void line(char kind, const std::string& text) override {
        const std::string safe = util::shown(text, kind == ' ' ? 2000 : 1000, kind == ' ');
        if (inner_) inner_->line(kind, safe);
        out::logged(kind, safe);
    }

private:
    Log* inner_;
};

}  // namespace

int run(const std::string& text, Session& s, const Config& cfg) {
    Session* previous = current();
    setcurrent(&s);
    ReportedLog reported(s.log);
    Log* const original = s.log;
    s.log = &reported;
    // The outputs are begun first, so that even a program that cannot be split replaces the
    // listing and the report of an earlier run.
    out::beginprogram(&s);
    for (const std::string& n : s.startnotes) sup::logline(&s, 'N', n);
    auto lines = splitlines(text);
    int echoed = 0;
    bool failed = false;
    std::string err;
    auto stmts = split(text, err);
    if (!err.empty()) {
        echo(s, lines, static_cast<int>(lines.size()), echoed);
        sup::logline(&s, 'E', err);
        s.log = original;
        setcurrent(previous);
        return 1;
    }

    HostInstance* host = makehost();
    s.inst = &host->inst;
    loader::Module mod;
    bool loaded = false;
    // Device graphics and the named globals start afresh with every program.
    gfx::resetdevstate();
    sup::endglobals();

    size_t i = 0;
    while (i < stmts.size()) {
        const Statement& st = stmts[i];
        if (st.word == "OPTIONS") {
            echo(s, lines, st.lastline, echoed);
            int before = s.errors;
            options(text, st, s);
            if (s.errors > before) failed = true;
            ++i;
            continue;
        }
        if (st.word == "RUN" || st.word == "QUIT") {
            echo(s, lines, st.lastline, echoed);
            ++i;
            continue;
        }
        if (st.word != "PROC") {
            echo(s, lines, st.lastline, echoed);
            std::string head = st.word.empty() ? firstchars(text, st) : st.word;
            if (head.empty()) {   // a null statement: a lone semicolon
                ++i;
                continue;
            }
            sup::logline(&s, 'E', "Line " + std::to_string(st.line) + ": '" + head +
                                  "' is not a statement this system knows outside a PROC step; a step starts with PROC VITALYX.");
            failed = true;
            ++i;
            continue;
        }
        // A step: PROC name ... up to RUN;, QUIT;, the next PROC or the end.
        size_t j = i + 1;
        while (j < stmts.size() && stmts[j].word != "RUN" && stmts[j].word != "QUIT" && stmts[j].word != "PROC") ++j;
        int lastline = j < stmts.size() && stmts[j].word != "PROC" ? stmts[j].lastline : stmts[j - 1].lastline;
        echo(s, lines, lastline, echoed);
        auto w = words(text, st);
        std::string name = w.size() > 1 ? w[1] : "";
        size_t next = j < stmts.size() && stmts[j].word != "PROC" ? j + 1 : j;
        if (name != "VITALYX") {
            sup::logline(&s, 'E', "Line " + std::to_string(st.line) + ": the procedure '" + name +
                                  "' is not known; this system runs PROC VITALYX. The step is skipped.");
            failed = true;
            i = next;
            continue;
        }
        if (!stmts[j - 1].terminated) {
            sup::logline(&s, 'E', "Line " + std::to_string(stmts[j - 1].line) + ": the statement that starts here has no closing semicolon.");
            failed = true;
            i = next;
            continue;
        }
        if (!loaded) {
            std::string lerr;
            bool ok = cfg.linked ? loader::attach(cfg.linked, "zorduvex", &host->inst, mod, lerr)
                                 : loader::load(cfg.modulepath, "zorduvex", &host->inst, mod, lerr);
            if (!ok) {
                sup::logline(&s, 'E', "The procedure VITALYX cannot be run: " + lerr + ".");
                failed = true;
                break;
            }
            loaded = true;
        }
        StepSource src;
        src.text = text.substr(st.begin, stmts[j - 1].end - st.begin);
        src.firstline = st.line;
        src.firstcol = st.column;
        src.procname = name;
        s.step = &src;
        s.exitcode = 0;
        s.syntaxerrors = false;
        s.running = nullptr;
        int errors0 = s.errors;
        if (!beginstep(host)) {
            sup::logline(&s, 'E', "Out of memory: the step cannot start.");
            failed = true;
            break;
        }
        out::beginstep();
        // Running out of memory anywhere in the step (the procedure or a service) stops the
        // run with an ERROR; the module's state after it is unknown, so no further step runs.
        int rc = 0;
        bool stopped = false;
        try {
            rc = mod.pcn->main();
        } catch (const std::bad_alloc&) {
            sup::logline(&s, 'E', "Out of memory: the VITALYX step that starts on line " + std::to_string(st.line) +
                                  " was stopped, and the steps after it are not run.");
            stopped = true;
        } catch (const std::exception& e) {
            sup::logline(&s, 'E', "The VITALYX step that starts on line " + std::to_string(st.line) +
                                  " was stopped by an internal error (" + std::string(e.what()) +
                                  "), and the steps after it are not run.");
            stopped = true;
        }
        s.running = nullptr;   // its record goes with the step's statements
        // The output system keeps no table a stopped step left unfinished: it reads the code.
        if (s.exitcode == 0) s.exitcode = stopped ? 1 : rc;
        stmt::endstep();
        ds::dropmade();
        out::endstep();
        endstep(host);
        if (stopped) {
            failed = true;
            s.step = nullptr;
            s.input = nullptr;
            break;
        }
        // A step whose statements have syntax errors is not run; the errors name the lines,
        // this note the step.
        if (s.syntaxerrors) {
            const msgarg args[] = {msgarg(name.c_str(), static_cast<int>(name.size())), msgarg(st.line), msgarg(lastline)};
            sup::logline(&s, 'N', msg::text(-1, 110, 3, args));
        }
        int code = rc ? rc : s.exitcode;
        if (code != 0) {
            sup::logline(&s, 'N', "The VITALYX step ended with return code " + std::to_string(code) + ".");
            failed = true;
        }
        if (s.errors > errors0) failed = true;
        s.step = nullptr;
        s.input = nullptr;
        i = next;
    }
    if (echoed < static_cast<int>(lines.size())) echo(s, lines, static_cast<int>(lines.size()), echoed);

    // The module stays loaded until the program ends; its globals point into the host.
    sup::endglobals();   // their clean-up routines may reach into the host's pools
    loader::unload(mod);
    freehost(host);
    s.inst = nullptr;
    s.log = original;
    setcurrent(previous);
    return failed || s.errors > 0 ? 1 : 0;
}

}  // namespace rt::runner
