// Vector 30 of the runtime: pools, the log and its messages, the exit code, printing
// handles, options and the debug log.
#include "runtime/supervisor/supervisor.h"

#include <algorithm>
#include <cstring>

#include "host/hostdefs.h"
#include "host/stmtrec.h"
#include "runtime/session.h"
#include "runtime/supervisor/messages.h"
#include "runtime/supervisor/options.h"
#include "runtime/supervisor/pools.h"
#include "runtime/supervisor/svcextra.h"

namespace rt::sup {

void logline(char kind, const std::string& text) { logline(current(), kind, text); }

void logline(Session* s, char kind, const std::string& text) {
    if (!s) return;
    if (kind == 'E') ++s->errors;
    if (kind == 'W') ++s->warnings;
    if (s->log) s->log->line(kind, text);
}

namespace {

constexpr int kHostGroup = -1;

// "Line 12: MCFPLOT statement: " before the text (the keyword as written), without a lead of
// the statement's own name that the text may carry ("MCFPLOT: unit A has ...").
std::string statementerror(const stmtrec& r, const std::string& text) {
    int n = STMT_KEYLEN;
    while (n > 0 && (r.keyword[n - 1] == ' ' || r.keyword[n - 1] == '\0')) --n;
    const std::string kw(r.keyword, static_cast<size_t>(n));
    std::string body = text;
    for (const std::string& lead : {kw, std::string(r.name ? r.name : "")}) {
        if (!lead.empty() && body.compare(0, lead.size() + 2, lead + ": ") == 0) {
            body = body.substr(lead.size() + 2);
            break;
        }
    }
    return "Line " + std::to_string(r.line) + ": " + kw + " statement: " + body;
}

}  // namespace

void logstatementerror(Session* s, const std::string& text) {
    logline(s, 'E', s && s->running ? statementerror(*s->running, text) : text);
}

namespace {

poolobj* mpoolc(int64_t initial, int64_t growth, int) { return pool::createtracked(initial, growth); }
void mpoold(poolobj* p) { pool::destroytracked(p); }

int pmlog(int group, int n, int nargs, const msgarg* args) {
    const msg::Entry* e = msg::find(group, n);
    char kind = e ? e->kind : 'N';
    if (kind == 'T') kind = 'N';
    const std::string text = msg::text(group, n, nargs, args);
    if (kind == 'E')
        logstatementerror(current(), text);
    else
        logline(kind, text);
    return 0;
}

int pmstr(char* buffer, int length, int group, int n, int nargs, const msgarg* args) {
    std::string t = msg::text(group, n, nargs, args);
    int len = static_cast<int>(std::min<size_t>(t.size(), static_cast<size_t>(std::max(length, 0))));
    if (length > 0) {
        std::memset(buffer, ' ', static_cast<size_t>(length));
        std::memcpy(buffer, t.data(), static_cast<size_t>(len));
    }
    return len;
}

void prrlog(int, int rc) {
    const msgarg a(rc);
    if (rc == OB_NOMETHOD)
        logline('E', msg::text(kHostGroup, 3, 1, &a));
    else if (rc == OB_REFUSED)
        logline('N', msg::text(kHostGroup, 6, 0, nullptr));
    else if (rc < 0)
        logline('E', msg::text(kHostGroup, 4, 1, &a));
    else
        logline('E', msg::text(kHostGroup, 2, 1, &a));
}

// Keeps the first non-zero code of the step; the step's routines return the code right behind.
int pexit(int rc, int) {
    Session* s = current();
    if (s && s->exitcode == 0) s->exitcode = rc;
    // The procedure's main routine looks here to stop the step after the statement.
    if (s && s->inst && s->inst->exitcode == 0) s->inst->exitcode = rc;
    return rc;
}

void memmsg(int64_t bytes) {
    const msgarg a(static_cast<long long>(bytes));
    logline('E', msg::text(kHostGroup, 1, 1, &a));
}

// Printing destinations are the runtime's own; the handles only need to be distinct.
int dummy_destination;
int popen(void*) { return 0; }
void* poutl() { return &dummy_destination; }
void* pprnl(int) { return &dummy_destination; }
void* plogl(int) { return &dummy_destination; }
void* pmsgl(int) { return &dummy_destination; }
int pselec(int, int) { return 0; }

// The procedure reads the system options of the table in options.cpp: the text of any
// option, the number of a flag or a whole number.
int optcgt(const char* name, char* buffer, int buflen) {
    Session* s = current();
    std::string value;
    if (!s || !name || !opt::text(s->opts, name, value)) return 0;
    if (buffer && buflen > 0) {
        size_t n = std::min(value.size(), static_cast<size_t>(buflen - 1));
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(value.size());
}

int optngt(const char* name, double* value) {
    Session* s = current();
    if (!s || !name || !value) return 1;
    return opt::number(s->opts, name, *value) ? 0 : 1;
}

void debugline(const char* text) { logline(' ', std::string("DEBUG: ") + (text ? text : "")); }

void pmstmt(const stmtrec* running) {
    if (Session* s = current()) s->running = running;
}

const vec30 table = {mpoolc, mpoold, pmlog,  pmstr,  prrlog, pexit,  memmsg, popen,     poutl,
                     pprnl,  plogl,  pmsgl,  pselec, optcgt, optngt, debugline,
                     // formatting, name suffixes, modules and named globals (svcextra.h)
                     xpfs, xpils, xpis, xpsstr, znamsuf, wiinstl, xytngl, xytnsl, wtrscrt, wtrsset, xytexit,
                     // the statement being run
                     pmstmt};

}  // namespace

const vec30* services() { return &table; }

}  // namespace rt::sup
