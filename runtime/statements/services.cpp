// Vector 31 of the runtime: the parse services: xsproc parses the step into statement
// records, the others answer the procedure's questions about them while it reads them.
#include <memory>
#include "runtime/datasets/library.h"
#include "runtime/session.h"
#include "runtime/statements/parser.h"
#include "runtime/statements/statements.h"
#include "runtime/statements/suggest.h"

namespace rt::stmt {

namespace {

// What the parser keeps for the step being run. The services take no context argument, so
// the host keeps the state of the current step here, like the current session.
struct StepState {
    Arena arena;
    std::vector<hdataset*> opened;
    stmtrec* current = nullptr;      // record being parsed (xttkcur)
};
std::unique_ptr<StepState> g_step;

StepState& step() {
    if (!g_step) g_step = std::make_unique<StepState>();
    return *g_step;
}

// "PROBPLOT statement: " for a statement keyword or one of its aliases; empty when unknown.
std::string statementof(const grammar& g, const std::string& kw) {
    if (kw == "PROC") return "PROC " + std::string(g.procname) + " statement: ";
    for (int i = 0; i < g.nstmts; ++i)
        if (matches(g.stmts[i].names, kw)) return first(g.stmts[i].names) + " statement: ";
    return std::string();
}

int xsproc(prsctl* block, modparse* mpb, int flags, prsreq* request, int, int) {
    Session* s = current();
    if (!s || !s->step || !block || !block->tables || !mpb) {
        if (mpb) mpb->error = 1012;
        return 1012;
    }
    StepState& st = step();
    std::vector<LexError> lexerrs;
    std::vector<Statement> stmts = lex(s->step->text, s->step->firstline, s->step->firstcol, lexerrs);
    for (const auto& e : lexerrs) {
        if (s->log)
            s->log->line('E', "Line " + std::to_string(e.line) + ", column " + std::to_string(e.col) + ": " +
                                  statementof(*block->tables, e.keyword) + e.what);
        ++s->errors;
    }
    Parser p(*block->tables, *s, mpb, request, st.arena, st.opened, &st.current, (flags & 2) != 0);
    int errors = p.run(stmts) + static_cast<int>(lexerrs.size());
    mpb->head = p.head();
    mpb->error = errors ? 1012 : 0;
    s->syntaxerrors = errors > 0;   // the step is not run: the runner says so once
    if ((flags & 1) && s->log)
        for (stmtrec* r = p.head(); r; r = r->next) s->log->line('N', "Semantic trace: " + describe(r));
    return mpb->error;
}

void* xtanch() { return &step(); }

stmtrec* xttkcur(void* anchor) { return anchor ? static_cast<StepState*>(anchor)->current : nullptr; }

// The symbol table needs no adaptation: keywords are compared in upper case, whatever the
// session encoding.
int xsfixsym(int, int, int, prsctl**) { return 0; }

// The parser calls its own tokenizer and semantic actions; the entries exist so that the
// procedure can register them as it expects.
void tokenizer() {}
void semantic() {}
void effectparser() {}
void* xttk() { return reinterpret_cast<void*>(&tokenizer); }
void* xsem() { return reinterpret_cast<void*>(&semantic); }
void* zeffect() { return reinterpret_cast<void*>(&effectparser); }

// Entry k of a list of quoted strings (a single quoted string is entry 0).
const char* zparm(const optslot* slot, int k, int* length) {
    if (length) *length = 0;
    if (!slot || !slot->given || k < 0) return nullptr;
    if (slot->kind == SK_QSLIST) {
        if (k >= slot->count || !slot->ptr) return nullptr;
        const slstring& e = static_cast<const slstring*>(slot->ptr)[k];
        if (length) *length = e.len;
        return e.s;
    }
    if ((slot->kind == SK_QSTRING || slot->kind == SK_TEXT) && k == 0) {
        if (length) *length = slot->count;
        return static_cast<const char*>(slot->ptr);
    }
    return nullptr;
}

const vec31 table = {xsproc, xtanch, xttkcur, xsfixsym, xttk, xsem, zeffect, zparm};

}  // namespace

const vec31* services() { return &table; }

void endstep() {
    if (!g_step) return;
    Session* s = current();
    for (hdataset* ds : g_step->opened) {
        if (s && s->input == ds) s->input = nullptr;
        rt::ds::close(ds);
    }
    g_step.reset();
}

}  // namespace rt::stmt
