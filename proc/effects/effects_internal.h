// What the files of proc/effects share that no other folder uses: the level values and
// codes, the constructed effects, the level work block and its routines, the readers of a
// model, the design-row pieces and the parse-time routines. What other folders use is
// declared in the public header, effects.h, which this one includes.
#pragma once
#include <cstddef>
#include <cstdint>
#include "host/vec10_trees.h"
#include "proc/effects/effects.h"

// ---------------------------------------------------------------- variables and levels

// Value of one level: the raw value behind it (a double, or a copy of the text).
struct levvalue {
    double num;
    const char* text;
    int32_t len;
};

// A raw text and its length (role 'b' of the values reader).
struct levrawtext {
    char* buf;
    int32_t len;
};

// Codings of a CLASS variable (`levclass::coding`).
enum : int32_t {
    CODE_EFFECT = 0, CODE_OEFF = 1, CODE_REF = 2, CODE_OREF = 3, CODE_POLY = 4, CODE_OPOLY = 5,
    CODE_ORDINAL = 7, CODE_OORD = 8, CODE_SPLIT = 9, CODE_OBATH = 10,
};
// Reference-level codes (`levclass::reflev` below 0).
enum : int32_t { REF_FIRST = -1, REF_LAST = -2, REF_VALUE = -3 };
// Status of a continuous variable after the level pass.
enum : int32_t { CONT_NONE = 0, CONT_CONSTANT = 1, CONT_VARYING = 2 };

// ---------------------------------------------------------------- constructed effects

// Spline description (kind 3).
struct splinedesc {
    uint8_t knotmethod;        // 1 even, 2 even (B-spline), 3 listed, 4 fractions, 5 percentiles, 6 as listed
    uint8_t basis;             // 1 B-spline; other truncated power functions
    uint8_t powerterms;        // TPF: 0 none, 1 x..x^d, 2 also a constant
    uint8_t repbound;          // B-spline: repeat the boundary knots
    uint8_t separate;          // every column a constructed effect of its own
    uint8_t nobounds;          // the statement excludes bounds
    uint8_t needpct;           // knots from percentiles of the data
    int32_t nknots;            // interior knots n (methods 1, 2, 4, 5)
    int32_t pow2a, pow2b;      // the two numbers of method 2 (defaults 0 and 7)
    int32_t totknots;          // sum of the per-variable knot counts
    int32_t* knotcounts;       // per variable
    int32_t* pow2;             // optional: n = 2^pow2[0]
    int32_t degree;
    int32_t colspervar;
    double* basisbuf;
    double lower, upper;       // given boundary values, missing when not given
    int32_t nlisted;
    double* listed;            // knots (3, 6) or fractions (4)
    double* work;              // 2 x degree doubles
    double** knots;            // per variable
};

// Polynomial description (kind 4).
struct polydesc {
    int32_t nvars;
    int32_t degree;            // D
    int32_t maxpower;          // largest power of one variable within a term
    int32_t nterms;
    int32_t* degcount;         // per degree 1..D the terms of exactly that degree (index d-1)
    int32_t* degbounds;        // D + 1 entries: terms of degree up to d
    int32_t* termvars;         // variables of all terms, laid end to end
    int32_t* startidx;         // D x nvars: first term of degree d with variables k or higher
    uint8_t stdmode;           // 0 none, 1 centre, 2 scale, 3 both
    uint8_t stdsource;         // 1 moments, 2 weighted moments, 3 ranges
    double* centres;
    double* scales;
    double* work;              // one standardised value per variable
    const char* prefix;        // prefix of standardised variables ("s_")
    int32_t prefixlen;
    char power;                // power text ('^')
    char sep;                  // separator ('*'); 0 when none
    uint8_t labelmode;         // 0 powers, 1 repeated products
    uint8_t collection;        // one collection effect instead of one effect per term
    // Our own: with a largest power below the degree, the terms kept out of the full list
    // (indexes into it) and a buffer of the full list.
    int32_t nfull;
    int32_t* keep;             // null: every term is kept
    double* fullbuf;
};

// Constructed-effect kinds.
enum : int32_t { EF_MULTI = 1, EF_COLLECTION = 2, EF_SPLINE = 3, EF_POLY = 4 };

// Constructed-effect record (EFFECT statements), one per constructed effect.
struct efrec {
    char* label;               // piece label
    int32_t labellen;
    char* name;                // effect name (messages 174/70, 174/71)
    int32_t namelen;
    int32_t kind;              // EF_*
    int32_t ncont;
    int32_t* contix;           // continuous members (indexes into contv)
    int32_t ncls;
    int32_t* clsix;            // CLASS members (indexes into classv)
    int32_t ncols;             // number of columns (levels)
    int32_t buflen;            // value-buffer length
    int32_t npolyvars;
    int32_t** levmap;          // kind 1: per member a map from level to column
    int32_t maxlab;            // longest column-label length
    int32_t* lablens;          // column-label lengths
    int32_t npieces;
    int32_t linked;            // index of a linked record
    uint8_t uselinked;         // use the linked record's values
    uint8_t ispiece;           // a piece of an expanded effect (values live in its base)
    uint8_t needpct;           // spline knots need percentiles
    uint8_t allmissok;         // all members missing allowed (kind 1)
    uint8_t divtotal;          // divide by the total weight (kind 1)
    char** collabels;          // column labels
    double* values;            // value buffer
    splinedesc* spline;
    polydesc* poly;
    // Value list of least-squares means by level: ncols rows of nvals values; a
    // multi-member effect takes the first value of a row, a collection the whole row.
    int32_t nvals;
    int32_t* vallist;
};

// Moment block of polynomial standardisation.
struct levmoments {
    double* sums;              // per continuous variable (indexed by contv position)
    double* sumsq;
    double freqsum;
    double nobs;
    double wsum;
    int32_t nvars;
    int32_t* vars;             // their contv indexes
};

// Optional provider of extra variables (none in this procedure).
struct levxvarsrc {
    int32_t ncont;
    int32_t ncls;
    void* contctx;
    void* clsctx;
    void (*describe)(void* ctx, dshandle ds, levclass* rec, int* counter);
};

// ---------------------------------------------------------------- level-state

// lsflags2
enum : uint8_t {
    LS2_ZEROWT = 0x10,         // zero weight or frequency accepted
    LS2_SPLITSPL = 0x20,       // constructed spline effects split into pieces
    LS2_KEEPINC = 0x40,        // incomplete observations kept in the combination pass
    LS2_RENAMED = 0x80,        // a parameter name was changed by UniqDups
};

// ---------------------------------------------------------------- data time

// Class levelization: the distinct formatted values (levels) of every CLASS variable of a
// model, their weighted counts and smallest raw values, and the minimum and maximum of every
// continuous variable. zlevini makes the level work block, zlevadd passes over the data (in
// this thread, or through the worker threads of workers.h), zlevlls and zlevllm finish each
// variable, zlevlwh finds the level of a formatted value.
struct levwork;
struct levtexthash;

typedef int (*lwrdfn)(levwork* w, levstate* ls);

// Level node, one per distinct formatted value of a variable (lwnodesz bytes): tree head,
// raw value, weighted count, first appearance, then the formatted text as key.
struct levnode {
    trenode head;
    double raw;                // numeric variables
    char* rawtext;             // character variables: a copy of the smallest raw text
    int32_t rawlen;
    int32_t count;             // weighted count
    int64_t first;             // first-appearance number (single-threaded) or observation number
    char text[8];              // fmtlen bytes (the node is allocated longer)
};
constexpr int LEVNODE_KEYOFF = static_cast<int>(offsetof(levnode, text));

struct levwork {
    poolobj* lwpool;           // the block's own pool
    int32_t lwkeyoff;          // offset of the key in a level node
    int32_t lwnodesz;          // size of a level node
    int32_t* lwcount;          // per CLASS variable: levels found so far
    levnode** lwroot;          // per CLASS variable: root word of its level tree (and a spare word)
    levthreads* lwthr;         // worker threads, null when none run
    double* lwmin;             // per continuous variable
    double* lwmax;
    int32_t lwnnum;            // numeric CLASS variables
    int32_t lwnchr;            // character CLASS variables
    int32_t* lwnumix;          // CLASS index of each numeric CLASS variable
    int32_t* lwchrix;          // CLASS index of each character CLASS variable
    int32_t* lwactive;         // per CLASS variable: levelize it for this observation
    double* lwcont;            // continuous values of the current observation
    char** lwfmt;              // per CLASS variable its formatted value
    double* lwnumraw;          // raw value per numeric CLASS variable
    levrawtext* lwchrraw;      // raw text per character CLASS variable
    void* lwowner;             // the data set (zlevini), then the model's levctl (zlevrgi)
    uint8_t lwwantfmt;         // the values read include the formatted CLASS values
    lwrdfn lwinit, lwnext, lwvals;
    int (*lwfilt)(levwork* w);
    // Our own: the spare node, and per CLASS variable a hash of its level texts in front of
    // the tree, so that a repeated value does not walk the tree.
    levnode* lwspare;
    levtexthash* lwhash;
};

// Makes the work block (its own pool) and settles each CLASS variable's fmtlen, fmtoff and
// the level-state's fmttot and fmtmax. Null when the pool or a block cannot be had.
levwork* zlevini(dshandle dsh, levstate* ls);
// The data pass over every observation the readers give. Runs on the workers when lwthr has
// some, else in this thread; a failure of the workers redoes the pass here.
void zlevadd(dshandle dsh, levwork* w, levstate* ls);
// Adds the current observation (read with lwvals) to the level trees and continuous ranges.
int zlevad1(levwork* w, levstate* ls);
// Finishes CLASS variable i into its ordered level list (model pool); returns its level count,
// or minus the return code of a failure (RC_NOMEM after xmemmsg, RC_EFFECTS from zlevror).
int zlevlls(poolobj* pool, levwork* w, levstate* ls, int i);
// Finishes continuous variable j: 0 no value, 1 constant, 2 varying; sets cloc and cscale.
int zlevllm(poolobj* pool, levwork* w, levstate* ls, int j);
// Level index of a formatted value (left-justified in place unless keepjst), -1 when none.
int zlevlwh(levwork* w, const levclass* c, char* text);

// The lookup without a work block (zlevlwh ignores it).
int levlookup(const levclass* c, char* text);

// Level ordering of CLASS variable i (levorder.cpp): puts nodes[0..n) (ascending text, the
// tree order) into their final order in c->levels and c->levval, resolves reflev and builds
// codemat. mode 'T' reads the nodes from the level tree instead. Returns 0, RC_NOMEM, or
// RC_EFFECTS after message 172/394 when a reference level by value is not a level.
int zlevror(poolobj* pool, levwork* w, levstate* ls, int i, levnode** nodes, char mode);

// The sort of the level ordering: n keys of `size` bytes with a parallel index array. A kind
// is "S" bytes (width), "D" a double (missing first, missing values equal), "L" a signed
// 64-bit integer, "X" a leading 32-bit count then the secondary kind on the rest; a leading
// '-' sorts that part descending.
void ShellSort(char* keys, int n, int32_t* index, const char* primary, const char* secondary, int width, int size);
namespace levorder {
int Compare(const void* a, const void* b, const char* kind, int width);
void Swap(void* a, void* b, int size);
}  // namespace levorder

// ---- shared with the worker threads (workers.cpp)
// Adds one level text of CLASS variable i with its raw value (rawtext null for a numeric
// variable), count and first appearance (-1: the next first-appearance number); keeps the
// smaller raw value and first appearance of an existing level. Nonzero when memory is short.
int levnoteone(levwork* w, levstate* ls, int i, const char* text, double raw, const char* rawtext, int rawlen,
               int32_t count, int64_t first);
// Whether the observation read into the work block is complete (CLASS values that must be
// present, every continuous value).
bool levcomplete(const levwork* w, const levstate* ls);
// Widens the continuous ranges by the values cont.
void levranges(levwork* w, const levstate* ls, const double* cont);
// Empties the level trees and ranges (before a pass is redone).
void levresettrees(levwork* w, levstate* ls);

// Default readers (host-callable entries made with vir2g).
// Rewind: 0, or 1 when the rewind fails. Next: 1 when an observation was read, 0 at the end.
int GetInit(levctl* ctl);
int GetNext(levctl* ctl);
int GetInitAcrossBy(levctl* ctl);
int GetNextAcrossBy(levctl* ctl);
// Copies values of the current observation: each letter of roles takes the next pointer
// argument (z continuous values, y responses, w weight, f frequency, c formatted CLASS
// values, u numeric raw CLASS values, b character raw CLASS values as levrawtext pairs); a
// null pointer skips its role. Returns 1; 0 when the observation could not be read (then the
// failure is logged once per model, the step's exit code becomes 1008, and ctl is marked).
int GetVals(levctl* ctl, const char* roles, ...);

// Design columns of effect k: its combinations (or the coded product) times the columns of
// the constructed effects it names; sets ncomb.
int32_t zlevedf(levstate* ls, int32_t k);

// Forwarding readers of the level pass (installed into the level work block by zlevrgi).
int LevGetInit(levwork* w, levstate* ls);
int LevGetNext(levwork* w, levstate* ls);
int LevGetVals(levwork* w, levstate* ls);
int LevGetLevIndex(levwork* w);

// Where zlevrgd takes the level indexes from when raw values are read first: find returns the
// level index of CLASS variable i for its raw value (key: the 8 bytes of a numeric value, or
// the stored length of a character one), -1 when the value is no level, or -2 when the source
// does not know it (its formatted value is then read and looked up). note (optional) learns
// a looked-up index.
struct rgdsource {
    int (*find)(void* ctx, int i, const char* key);
    void (*note)(void* ctx, int i, const char* key, int index);
    void* ctx;
};
// zlevrgd with the level indexes found through src (null: by formatted value only). The flags
// and every value left behind are those of zlevrgd.
int32_t zlevrgdfrom(levctl* ctl, double* y, double* w, double* f, const rgdsource* src);

// Column of the observation's level combination in effect e (rows 0..nseen-1 of combs);
// nseen when the combination is not in the table, -1 for an effect without a table, 0 for an
// effect without CLASS variables.
int32_t zlevwel(const leveffect* e, const int32_t* levidx);
// Row k of the effect's combinations against the observation: nesting part first, then
// crossed; -1, 0 or 1.
int eCompare(const leveffect* e, int32_t k, const int32_t* levidx);
// keylen/4 signed 32-bit integers from keyoff, in order: -1, 0 or 1 (trees of combinations).
int Compare(const void* a, const void* b, int32_t keylen, int32_t keyoff);
// NUL-terminated blank-padded texts at off, compared ignoring trailing blanks: -1, 0 or 1.
int clcmp(const void* a, const void* b, int32_t len, int32_t off);
// 1 when the observation is usable with its responses (weight), else 0.
int FitGetY(levctl* ctl, double* y);
int FitGetW(levctl* ctl, double* w);
// The checks of the constructed effects named by effect: 1 passed, 0 failed (flags 2|32 set).
int zlevCheckEftEXMISS(int32_t* flags, levctl* ctl, levstate* ls, int32_t effect);

// The raw-value map of a model (levctl::rawmap): made by zlevrgi after the level pass, it lets
// zlevrgd read raw values and format only those it has not met. Null when the model's reader
// is not the default one (a caller's reader need not keep raw and formatted values in step).
levrawmap* zlevrawmapmake(levctl* ctl);

// The "_testthread" switches that override THREADS for the library (effects.h:
// zquerythreads; docs/threads.md).
// -1 the switch is absent or missing, 0 off, 1 on: the larger of "_testthread" and
// "_testthread" followed by the suffix.
int ztestthread(const char* suffix, int suffixlen);

// PERFORM statement settings (uncalled: the grammar has no PERFORM statement).
struct perfrec {
    const stmtrec* stmt;       // the last PERFORM statement, or null
    int32_t cpucount;
    int32_t hostcpus;
    uint8_t threads;
};
int zperform(const stmtrec* list, perfrec* result);

// The effect's name from its variables and constructed effects ("A*B(C)"), cut to namelen.
int zlevMakeEffectName(levstate* ls, leveffect* e);
// Names the n adjacent pieces of an expanded effect (the last constructed effect varies fastest).
int zlevSeparate(levstate* ls, leveffect* first, int n);
// nglmeff, glmsplit and neffect from the parsed effects.
int zlevNef(levstate* ls, const parsedeff* list, int32_t count, const int32_t* efstlist);

// The description of variable var of the data set, for a level record (effects pool); null
// when memory is short.
levvarinfo* levdescribevar(dshandle ds, int32_t var);
// Variable-list routines over n variable numbers (a variable counts as a CLASS variable
// when its number is the number of some classv record's variable).
int zlevIsOnClassList(const levstate* ls, int n, const int32_t* list);
int zlevMapClassVars(const levstate* ls, int n, int32_t* list);
int zlevValidateClassList(const levstate* ls, int n, int32_t* list, int32_t* index);
int zlevAddContVars(dshandle ds, levstate* ls, int n, int32_t* list, int32_t* index);

// Finds the records made from a parsed effect (uncalled by the procedure).
int zlevMatchGLMEfToEf(const parsedeff* p, const levstate* ls, int32_t* first, int32_t* count);
int zlevEqualGlmEfs(const parsedeff* a, const parsedeff* b);

// The EFFECT statements of the step (docs/effects.md gives their record layout): builds the
// constructed-effect records and efstlist. Without EFFECT statements: 0, nothing made.
int zlevProcessEffectStatements(levstate* ls, dshandle ds, int32_t** efstlist);
