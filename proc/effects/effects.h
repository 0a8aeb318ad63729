// The public header of the effects library (what other folders may include of proc/effects).
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
