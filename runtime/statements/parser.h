// The runtime's statement parser: interprets the procedure's grammar tables over the tokens
// of one step and builds the list of statement records.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "host/effects.h"
#include "host/grammar.h"
#include "host/stmtrec.h"
#include "host/vec203_datasets.h"
#include "host/vec31_statements.h"
#include "runtime/statements/arena.h"
#include "runtime/statements/lexer.h"

namespace rt {
struct Session;
}

namespace rt::stmt {

// Thrown inside one statement to abandon it after its error has been logged.
struct Abandon {};

// Tokens of one statement with a read position.
struct Cursor {
    const std::vector<Token>& toks;
    size_t i = 0;
    Token endtok;      // stands after the last token, for messages
    Cursor(const std::vector<Token>& t, int line, int col) : toks(t) {
        endtok.kind = Tok::End;
        endtok.line = t.empty() ? line : t.back().line;
        endtok.col = t.empty() ? col : t.back().col + static_cast<int>(t.back().text.size()) + 1;
    }
    bool end() const { return i >= toks.size(); }
    const Token& peek(size_t k = 0) const { return i + k < toks.size() ? toks[i + k] : endtok; }
    const Token& next() { return i < toks.size() ? toks[i++] : endtok; }
    bool accept(char c) {
        if (peek().is(c)) {
            ++i;
            return true;
        }
        return false;
    }
};

// One variable of an effect as written.
struct EffVar {
    int32_t var;       // 1-based variable number of the input data set
    Token at;
};
struct EffTerm {
    std::vector<EffVar> crossed;
    std::vector<EffVar> nest;
};
// Effects of a MODEL or LOGSCALE statement, resolved once the whole step is read (the CLASS
// statement may follow the MODEL statement).
struct PendingEffects {
    stmtrec* rec;
    int slot;
    int limit;
    std::string stmtname;
    std::vector<EffTerm> terms;
};

// What one written option changed, so that a repetition can undo it (the last one wins).
struct Touch {
    std::vector<int> slots;
    std::vector<int> flags;
};

class Parser {
public:
    Parser(const grammar& g, Session& s, modparse* mpb, prsreq* req, Arena& arena, std::vector<hdataset*>& opened,
           stmtrec** current, bool syntrace);
    // Parses the statements; returns the number of errors.
    int run(const std::vector<Statement>& stmts);
    stmtrec* head() const { return head_; }

    // ---- used by the statement and option readers
    void error(const Token& at, const std::string& what);
    void note(const Token& at, const std::string& what);

private:
    friend struct OptionReader;
    const grammar& g_;
    Session& s_;
    modparse* mpb_;
    prsreq* req_;
    Arena& arena_;
    std::vector<hdataset*>& opened_;
    stmtrec** current_;
    bool syntrace_;
    stmtrec* head_ = nullptr;
    stmtrec* tail_ = nullptr;
    stmtrec* proc_ = nullptr;
    hdataset* ds_ = nullptr;            // DATA= of the step
    bool datafailed_ = false;           // DATA= was given but could not be opened (reported)
    std::string stmtname_;              // statement being read, for messages
    Touch* touch_ = nullptr;            // where setters record what they change
    std::map<int, Token> procstmts_;    // PROC-level statements already given (by head kind)
    std::vector<PendingEffects> effects_;
    int errors_ = 0;
    int efflimit_ = 0;

    void statement(const Statement& st);
    const gstatement* findstmt(const std::string& kw) const;
    // "; WORD is a statement: a semicolon may be missing before it" when word is the keyword
    // of a statement (where an option or a variable was expected), else empty.
    std::string semicolonhint(const std::string& word) const;
    // The hint after "is not expected here": the semicolon hint, else that options follow a slash.
    std::string notexpectedhint(const std::string& word) const;
    stmtrec* newrecord(const std::string& keyword, const gstatement& gs, const Statement& st);

    // heads
    void proc(Cursor& c, const gstatement& gs);
    void by(Cursor& c);
    void vars(Cursor& c, const gstatement& gs, bool one);
    void klass(Cursor& c, const gstatement& gs);
    void dist(Cursor& c);
    void response(Cursor& c, stmtrec* r, const gstatement& gs);
    void mcf(Cursor& c, stmtrec* r, const gstatement& gs);
    void inset(Cursor& c, stmtrec* r);
    void fmode(Cursor& c, stmtrec* r);
    void make(Cursor& c, stmtrec* r);
    void classvars(Cursor& c, stmtrec* r, int slot);
    void tail(Cursor& c, stmtrec* r, const gstatement& gs);

public:
    // ---- options (options.cpp)
    void options(Cursor& c, stmtrec* r, const gstatement& gs);
    void option(Cursor& c, stmtrec* r, const goption& o, const gstatement* gs);
    void value(Cursor& c, stmtrec* r, const goption& o, const gstatement* gs, const Token& at);
    void relations(Cursor& c, stmtrec* r, const goption& o, const Token& at);
    struct TwoLevel {
        Token at;  // the first name, where messages point
        std::string lib, mem;
    };
    TwoLevel twolevel(Cursor& c, const std::string& oname, const char* level1, const char* level2);
    // An ERROR (and Abandon) when an earlier statement of the step writes the same file.
    void outputonce(stmtrec* r, const TwoLevel& n, const std::string& oname);
    struct Output {
        const stmtrec* rec;
        std::string key;     // util::filekey of the file
        std::string named;   // LIB.MEMBER as named
    };
    std::vector<Output> outputs_;   // the output data sets of the step so far
    const goption* findoption(const gstatement& gs, const std::string& kw) const;
    std::vector<std::string> optionnames(const gstatement& gs) const;
    bool isoption(const gstatement* gs, const std::string& kw) const;

    // ---- values
    double number(Cursor& c, const char* what);
    bool startsnumber(const Cursor& c) const;
    std::vector<double> numlist(Cursor& c, const goption& o);
    void checknumber(const Token& at, const goption& o, double v);
    std::string name(Cursor& c, const char* what);
    int32_t variable(Cursor& c, bool numeric, const char* role);
    int32_t findvariable(const Token& at, bool numeric, const char* role);
    // Where the character variable var of the data set is: "data set WORK.X (line 5 has 'abc')",
    // the line of its first value that is not a number; a quoted "NA" is said to be a text.
    std::string characterwhere(int32_t var) const;
    std::vector<int32_t> varlist(Cursor& c, bool numeric, const char* role, const gstatement* gs);
    hdataset* opendataset(Cursor& c, const Token& at);

    // ---- effects (effects.cpp)
    std::vector<EffTerm> effectlist(Cursor& c);
    void resolveeffects();
    std::vector<std::pair<int32_t, std::string>> rolevariables() const;
    void leaveoutroles(PendingEffects& pe);

    // ---- record setters (each records what it changes in touch_)
    void setflag(stmtrec* r, int k);
    optslot* slot(stmtrec* r, int n);
    // The slot n cleared and marked given (1 a value, 2 a text, 3 a list) with its kind.
    optslot* fresh(stmtrec* r, int n, uint8_t given, uint8_t kind);
    void setnum(stmtrec* r, int n, double v);
    void setname(stmtrec* r, int n, const std::string& v, const Token& at);
    void settext(stmtrec* r, int n, const std::string& v, uint8_t kind);
    void setnumlist(stmtrec* r, int n, const std::vector<double>& v);
    void setnamelist(stmtrec* r, int n, const std::vector<std::string>& v);
    void setqslist(stmtrec* r, int n, const std::vector<std::string>& v);
    void setvars(stmtrec* r, int n, const std::vector<int32_t>& v);
    void sethandle(stmtrec* r, int n, void* h, uint8_t kind);
    const std::string& stmtname() const { return stmtname_; }
    hdataset* dataset() const { return ds_; }
    Arena& arena() { return arena_; }
    stmtrec* procrec() const { return proc_; }
};

// A readable dump of a record (semantic trace and tests).
std::string describe(const stmtrec* r);

}  // namespace rt::stmt
