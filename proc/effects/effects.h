// The public header of the effects library (what other folders may include of proc/effects):
// its records, then the data-time driver, the design rows, the thread options and the
// parsing of effects, each with its own comment; what only the library's own files use (the
// level work block, the readers, the constructed effects' records) is in effects_internal.h.
//
// Records of the effects library: the level-state block of one model, the level record of
// each CLASS and continuous variable, the effect record of each model effect, and the
// control and data blocks of a model's data pass.
//
// Parse time (zlevmod, zlevglm) takes its blocks from the host anchor's effect pool; data
// time (zlevrgi and after) from the model's data pool `levdata::ldpool`. Nothing is freed
// singly: the pools are deleted whole.
#pragma once
#include <cstdint>
#include "host/effects.h"
#include "host/pool.h"
#include "host/vec203_datasets.h"
#include "host/stmtrec.h"

struct levctl;
struct levstate;
struct kfmthandle;
// The library's own records that the records below point to (effects_internal.h).
struct levvalue;
struct efrec;
struct levmoments;
struct levxvarsrc;

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

// The data-time driver of the effects library.
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

// Whether a read of this model failed (GetVals returned 0 at least once).
bool zlevreadfailed(const levctl* ctl);

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

// Warns (172/398) of every CLASS variable with exactly one level; returns 0.
int zlevchk(levctl* ctl);

// Thread options of the effects library: THREADS and CPUCOUNT (docs/threads.md).
// THREADS into *on (a missing value counts as on) and CPUCOUNT, truncated, into *cpucount. An
// option that cannot be read ends the step with 1012 after a debug-log line.
void zquerythreads(uint8_t* on, int32_t* cpucount);

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
