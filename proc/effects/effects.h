// The public header of the effects library (what other folders may include of proc/effects):
// its records, then levelization and its driver, the design rows, the thread options and the
// parsing of effects, each with its own comment.
//
// Records of the effects library: the level-state block of one model, the level record of
// each CLASS and continuous variable, the effect record of each model effect, the
// constructed-effect records, and the control and data blocks of a model's data pass.
//
// Parse time (zlevmod, zlevglm) takes its blocks from the host anchor's effect pool; data
// time (zlevrgi and after) from the model's data pool `levdata::ldpool`. Nothing is freed
// singly: the pools are deleted whole.
#pragma once
#include <cstdint>
#include "host/effects.h"
#include "host/pool.h"
#include "host/vec203_datasets.h"
#include <cstddef>
#include "host/vec10_trees.h"
#include "host/stmtrec.h"

struct levctl;
struct levstate;
struct kfmthandle;

// ---------------------------------------------------------------- variables and levels

// The host's variable information as the library keeps it: what xvname tells, the variable's
// number (written by the library), whether a format is attached, and the format handle a
// worker thread formats with.
struct levvarinfo {
    vardesc d;                 // name, type (1 numeric, 2 character), stored length, format width, label
    int32_t varnum;            // number of the variable in the data set
    int16_t fmtnamelen[2];     // either nonzero: a format is attached (never in this runtime)
    int16_t fmtw, fmtd;        // format width and decimals
    kfmthandle* fmth;          // resolved format handle (worker formatting), else null
};

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

// Level record of one CLASS variable; continuous variables use the same record (varinfo,
// status, cloc, cscale).
struct levclass {
    levvarinfo* varinfo;       // null: no variable (the record takes no place)
    int32_t nlev;              // number of levels
    char** levels;             // level texts in final order, fmtlen characters each
    char** srtlev;             // level texts sorted by byte value
    int32_t* srtidx;           // for each sorted text its index in levels
    int32_t fmtlen;            // length of one formatted value
    int32_t namew;             // width of the level part in parameter names
    int32_t labw;              // longest raw value
    int32_t fmtoff;            // offset in the concatenated formatted values
    char ordkey;               // ORDER key: 'M','I','D','F','X','Y','Z' ('U' at parse time)
    int32_t keepjst;           // nonzero keeps the justification of the formatted values
    int32_t ordchg;            // internal and formatted order differ
    int32_t wwarned;           // the width warning was given
    int32_t wmsggrp;           // its own message group and number (0: 172/14)
    int32_t wmsgnum;
    int32_t coding;            // CODE_*
    int32_t lvoptb;            // a missing value forms a level (with lvmiss clear)
    int32_t lvmiss;            // missing values are passed over
    const char* refval;        // reference level as text (REF_VALUE), NUL-terminated
    int32_t reflev;            // level index, or REF_*
    int32_t refsave;           // the statement's reference code, restored for each BY group
    int32_t refsaved;          // refsave holds the code
    int32_t descflag;          // DESCENDING
    int32_t cprefix;           // leading characters of the name used in parameter names
    int32_t lprefix;           // leading characters of the label used in parameter labels
    int32_t nolabel;           // the level text is left out of parameter labels
    double* codemat;           // matrix codings: nlev rows of nlev - 1 doubles
    levvalue* levval;          // per level its raw value
    // continuous variables
    int32_t status;            // CONT_*
    double cloc, cscale;       // centre and half-range
};

// ---------------------------------------------------------------- effects

// Per effect the current observation's cell: product of its continuous values and the index
// of its level combination.
struct effcell {
    double value;
    int32_t col;
};

struct efrec;

struct leveffect {
    char* effname;             // NUL-terminated ("Intercept" for the intercept)
    char* glmname;             // the name as parsed
    int32_t firstcol;          // first design column
    int32_t ncol;              // design columns: ncomb x the columns of each constructed effect named
    int32_t ncomb;             // columns of the CLASS and continuous part
    int32_t ncont;
    int32_t* contix;           // continuous variables (indexes into contv)
    int32_t ncls;
    int32_t* clsix;            // crossed CLASS variables (= clsall)
    int32_t nnest;
    int32_t* nestix;           // nesting CLASS variables (= clsall + ncls)
    int32_t nefref;
    int32_t* efref;            // constructed effects named (indexes into efstmt)
    int32_t nclsall;
    int32_t* clsall;           // crossed then nesting
    int32_t nseen;             // level combinations met in the data
    int32_t combw;             // level indexes per entry of usecombs
    int32_t* combs;            // nseen rows of nclsall level indexes, sorted (crossed first)
    int32_t* nscombs;          // nonsingular combinations (coded design)
    int32_t* usecombs;         // the list that orders and names the parameters
    int32_t* clswork;          // per CLASS variable the stride of the first guess of zlevwel
    int32_t* nefstptr;         // the owning block's nefstmt when constructed effects are named
    levstate* levback;         // the owning level-state
    uint8_t exmhit;            // an all-missing member set was accepted
    uint8_t piececopy;         // second and later pieces of an expanded model effect
    const parsedeff* parsedef; // the parsed effect the record came from
    // Level lists of least-squares means by level (filled by their caller; see lsmeans.h):
    // the effect's extra values, and the list zlevPrepLevList builds from them and from
    // the value lists of its constructed effects.
    int32_t nextra;
    int32_t* extra;
    int32_t nlevlist;          // used slots of levlist
    int32_t* levlist;
};

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

// lsflags
enum : uint8_t {
    LS_NONAMES = 0x01,         // skip level and parameter names
    LS_ACROSSBY = 0x02,        // data readers run across BY groups
    LS_NOORDCHG = 0x04,        // ordering records no order change
    LS_CALLERRESP = 0x08,      // the caller supplies response, weight and frequency
    LS_CODED = 0x10,           // full-rank coded design: no combination pass
    LS_NOSTD = 0x20,           // continuous values are not centred and scaled
    LS_NOINT = 0x40,           // no intercept record
};
// lsflags2
enum : uint8_t {
    LS2_ZEROWT = 0x10,         // zero weight or frequency accepted
    LS2_SPLITSPL = 0x20,       // constructed spline effects split into pieces
    LS2_KEEPINC = 0x40,        // incomplete observations kept in the combination pass
    LS2_RENAMED = 0x80,        // a parameter name was changed by UniqDups
};

struct levstate {
    int32_t ncols;
    uint8_t lsflags;
    uint8_t lsflags2;
    int32_t nclassv;
    levclass* classv;
    int32_t ncontv;
    levclass* contv;
    levclass* freqvar;
    double freqval;
    int32_t nefstmt;
    efrec* efstmt;             // constructed-effect records
    int32_t nglmeff;
    int32_t* glmsplit;
    int32_t* efstlist;         // per EFFECT statement {first constructed effect, pieces}
    int32_t neffect;
    leveffect* effects;        // the intercept record first
    effcell* effcols;
    char ordcode;              // ORDER code: 'M' at parse time; 'D','M','F','I' at data time
    int32_t codingdef;
    int32_t lvdefb;
    int32_t refdef;
    char levsep;
    int32_t descdef;
    char** pnames;             // per parameter its output-variable name
    char** plabels;            // per parameter its label
    int32_t truncln;           // TRUNCATE=: -1 not given, 0 means 16
    int32_t fmtmax;
    int32_t fmttot;
    int32_t namelen;           // longest effect name kept
    uint8_t labelmode;
    uint8_t numnames;
    const char* numpfx;
    int32_t numpfxlen;
    const char* labsep;
    int32_t labseplen;
    levxvarsrc* xvarsrc;
    levmoments* usedcont;      // moments by frequency
    levmoments* usedcls;       // moments by frequency x weight
    int32_t rdfarg;
    int32_t lsrc;              // return code of the library
};

// ---------------------------------------------------------------- data time

// levdata: the data block of a model.
struct levdata {
    dshandle dsh;              // the input data set
    hgetlist* glcls;           // get list with the formatted CLASS values
    hgetlist* glraw;           // get list without them
    char* bufcls;
    char* bufraw;
    poolobj* ldpool;           // the model's pool (the BY-group pool)
};

struct levfitrec;
// Fit-interface block (zlevfx).
struct levfitblk {
    int32_t rows;              // rows accumulated by the last crossproduct pass
    levfitrec* cache;          // first cache record
    double* yvals;             // nresp response values of the current observation
    int32_t nresp;
    int32_t* colmap;           // per design column its position, or null for the identity
    int32_t npos;              // P
};

typedef int (*levrdfn)(levctl* ctl);
typedef int (*levvalsfn)(levctl* ctl, const char* roles, ...);
typedef int (*levfiltfn)(levctl* ctl, int32_t* active, int32_t word);
typedef int (*levgetfn)(levctl* ctl, double* out);
typedef void* (*levfitfn)(levctl* ctl, ...);

struct levthreads;
struct levrawmap;
struct levthrhook;
struct levrdlayout;

// levctl: one per model.
struct levctl {
    levdata* ldata;
    int32_t nresp;
    levclass* respv;           // nresp records (only varinfo is used)
    levclass* haswgt;          // nwgt weight records, or null
    levclass* hasfreq;         // the frequency record, or null
    int32_t nwgt;
    levstate* lstate;
    levthreads* thrctl;        // worker threads (null until first set up)
    int32_t nscratch;
    int32_t* levidx;           // level index per CLASS variable of the current observation
    double* contval;           // continuous values of the current observation
    double* scratch;
    levfitblk fitblk;
    levgetfn fitgety, fitgetw;
    void* fitslots[6];         // GetXpX, GetR, GetBeta, GetSSE, GetSST, Test
    char** fmtbuf;             // per CLASS variable a buffer of fmtlen bytes
    int32_t thrflag;           // worker threads wanted
    uint8_t wantcls;           // the values reader also fetches the formatted CLASS values
    levrdfn rdrewind;
    levrdfn rdnext;
    levvalsfn rdvals;
    levfiltfn rdfilter;
    // Our own: per CLASS variable a map from raw value to level index, filled as the design
    // rows meet raw values (zlevrgd reads a formatted value only for a raw value it has not
    // met), and the test hook of the worker threads (null outside tests).
    levrawmap* rawmap;
    levthrhook* thrhook;
    int32_t rdfail;            // a read of the default reader failed (logged once)
    int64_t lastobs[2];        // observation last read into bufraw / bufcls (0: none)
    levrdlayout* rdlay[2];     // places of the values in bufraw / bufcls
};

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

// The data-time driver of the effects library and the observation readers of a model.
// Once per model and BY group, after zlevmod (and, for LOGSCALE, after its effect table):
// installs the default readers into empty slots, finds the levels of every CLASS variable and
// the range of every continuous variable (on worker threads when thrflag or "_testthread"
// asks for them), orders and codes the levels, collects each effect's level combinations,
// runs the effect-information pass, counts the design columns (firstcol, ncol, ncols), names
// the parameters (pnames, plabels) and installs the least-squares interface.
// Returns 0; 1 a CLASS variable without level or a continuous variable without value; 2 a
// reference level given by value is not a level (172/394 logged); RC_INPUT when the data
// could not be read (message logged, exit code 1008 set); RC_NOMEM after xmemmsg; any other
// value is the effect-information pass's. The caller reports a nonzero result (510/80).
int zlevrgi(levctl* ctl);

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
// Whether a read of this model failed (GetVals returned 0 at least once).
bool zlevreadfailed(const levctl* ctl);

// Design columns of effect k: its combinations (or the coded product) times the columns of
// the constructed effects it names; sets ncomb.
int32_t zlevedf(levstate* ls, int32_t k);

// Forwarding readers of the level pass (installed into the level work block by zlevrgi).
int LevGetInit(levwork* w, levstate* ls);
int LevGetNext(levwork* w, levstate* ls);
int LevGetVals(levwork* w, levstate* ls);
int LevGetLevIndex(levwork* w);

// The design row of one observation: level indexes, standardised continuous values, one cell
// per effect (product of its continuous values, column of its level combination), and flags
// that say whether and why the observation cannot be used.
// Flags of zlevrgd.
enum : int32_t {
    LEVF_WEIGHT = 1,           // weight or frequency unusable
    LEVF_UNUSABLE = 2,         // the observation cannot be used for the design (callers drop it)
    LEVF_RESPONSE = 4,         // a response value missing
    LEVF_NOLEVEL = 8,          // a CLASS value is no level
    LEVF_CONTMISS = 16,        // a continuous value missing
    LEVF_EFFECT = 32,          // an effect unusable
    LEVF_ALLMISS = 64,         // an all-missing member set accepted
    LEVF_READFAIL = 256,       // our own: the values could not be read (with 2; the reader has
                               // logged the failure and set the step's exit code 1008)
};

// Reads the current observation (positioned by rdnext) and fills levidx, contval and effcols.
// y receives nresp responses, w the weight, f the frequency; each may be null (that value is
// then neither read nor checked). Returns the flags; the caller drops an observation with 2.
int32_t zlevrgd(levctl* ctl, double* y, double* w, double* f);

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
// Warns (172/398) of every CLASS variable with exactly one level; returns 0.
int zlevchk(levctl* ctl);
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

// Thread options of the effects library: THREADS and CPUCOUNT, and the "_testthread" switches
// that override THREADS for the library (docs/threads.md).
// THREADS into *on (a missing value counts as on) and CPUCOUNT, truncated, into *cpucount. An
// option that cannot be read ends the step with 1012 after a debug-log line.
void zquerythreads(uint8_t* on, int32_t* cpucount);
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

// The effect list of a model from its parsed statements: one level record per CLASS and
// continuous variable, one effect record per model effect (the intercept first).
// Fills ls from the step's statements. contslot and classslot are option slots of the PROC
// record (the head of the step's statements) holding the continuous and CLASS variable
// lists (negative: none); effslot the slot of stmt holding the parsed effects (negative: no
// effect records at all). The caller sets truncln and the lsflags bits it owns first; this
// sets 0x40 from nointercept and 0x10 from nonsingular. Returns 0, the status of the
// EFFECT-statement branch, or RC_NOMEM after xmemmsg when the effect pool is exhausted.
int zlevmod(levstate* ls, dshandle ds, int32_t contslot, int32_t classslot, stmtrec* stmt, int32_t effslot,
            int32_t nointercept, int32_t nonsingular);

// Fills one effect record from one parsed effect (lists copied from the effect pool); the
// LOGSCALE table builder calls it once per effect. Returns 0, or RC_NOMEM.
int zlevglm(leveffect* e, const parsedeff* p);

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
