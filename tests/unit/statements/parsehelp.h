// Drives the runtime's statement parser in-process over the procedure's grammar.
#pragma once
#include <string>
#include <vector>
#include "host/stmtrec.h"
#include "host/vec31_statements.h"
#include "proc/framework/grammar_tables.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"
#include "tests/support/collectlog.h"

namespace vxtest {

using testsupport::CollectLog;

// One step parsed: "proc vitalyx data=fans; ..." (the text up to, not including, run;).
struct Parsed {
    rt::Session session;
    CollectLog log;
    rt::StepSource src;
    modparse mpb{};
    prsctl ctl{};
    int rc = 0;

    explicit Parsed(const std::string& text, int flags = 0) {
        session.datadir = VITALYX_TEST_DATA "/statements";
        session.log = &log;
        src.text = text;
        src.firstline = 1;
        src.firstcol = 1;
        src.procname = "VITALYX";
        session.step = &src;
        rt::setcurrent(&session);
        ctl.version = 1;
        ctl.tables = vyxgrammar();
        rc = rt::stmt::services()->xsproc(&ctl, &mpb, flags, nullptr, 0, 0);
    }
    ~Parsed() {
        rt::stmt::endstep();
        rt::setcurrent(nullptr);
    }
    Parsed(const Parsed&) = delete;
    Parsed& operator=(const Parsed&) = delete;

    const stmtrec* proc() const { return mpb.head; }
    // The n-th record (0 the PROC record).
    const stmtrec* rec(int n) const {
        const stmtrec* r = mpb.head;
        while (r && n-- > 0) r = r->next;
        return r;
    }
    int count() const {
        int n = 0;
        for (const stmtrec* r = mpb.head; r; r = r->next) ++n;
        return n;
    }
    std::string errors() const { return log.all('E'); }
    std::string notes() const { return log.all('N'); }
};

inline std::string keyword(const stmtrec* r) {
    std::string k(r->keyword, STMT_KEYLEN);
    k.erase(k.find_last_not_of(' ') + 1);
    return k;
}
inline std::string name8(const optslot* s) { return s ? std::string(s->name, 8) : std::string("<none>"); }
inline std::string text(const optslot* s) {
    return s && s->ptr ? std::string(static_cast<const char*>(s->ptr), static_cast<size_t>(s->count)) : "<none>";
}
inline std::vector<double> numbers(const optslot* s) {
    if (!s || !s->ptr) return {};
    const double* p = static_cast<const double*>(s->ptr);
    return std::vector<double>(p, p + s->count);
}
inline std::vector<int32_t> vars(const optslot* s) {
    if (!s || s->kind != SK_VARLIST) return {};
    const int32_t* p = static_cast<const int32_t*>(s->ptr);
    return std::vector<int32_t>(p, p + s->count);
}
inline std::vector<std::string> strings(const optslot* s) {
    std::vector<std::string> out;
    if (!s) return out;
    if (s->kind == SK_QSTRING || s->kind == SK_TEXT) return {text(s)};
    const slstring* p = static_cast<const slstring*>(s->ptr);
    for (int i = 0; i < s->count; ++i) out.emplace_back(p[i].s, static_cast<size_t>(p[i].len));
    return out;
}
inline std::vector<std::string> names(const optslot* s) {
    std::vector<std::string> out;
    if (!s || s->kind != SK_NAMELIST) return out;
    const slname* p = static_cast<const slname*>(s->ptr);
    for (int i = 0; i < s->count; ++i) out.emplace_back(p[i].s);
    return out;
}
// Variable numbers of fans.csv (1-based, in its column order).
enum : int32_t {
    V_HOURS = 1, V_STATUS, V_LOT, V_PLANT, V_TEMP, V_VOLT, V_FAILS, V_TRIALS, V_UNIT, V_MODE, V_LO, V_HI,
    V_X1, V_X2, V_X3, V_FREQ, V_NREC, V_NREM, V_LABEL
};

}  // namespace vxtest
