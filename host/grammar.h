// The statement grammar as data: what the procedure hands the host's parser (xsproc).
// The procedure carries these tables; the runtime's parser interprets them and builds
// the `stmtrec` list. Keywords are upper case, aliases separated by '|', and spelled
// without the dollar mark that some keywords carried in older tables.
#pragma once
#include <cstdint>

// ---- value forms of an option (what follows the keyword)
enum : uint8_t {
    GV_NONE = 0,      // keyword alone
    GV_NUMBER,        // one number                          -> slot (number, given 1)
    GV_NUMBER2,       // one or two numbers                  -> slot, slot2 (number each)
    GV_NUMORLIST,     // one number (given 1) or several (list, given 3); ranges a TO b [BY c]
    GV_NUMLIST,       // number list, ranges a TO b [BY c]   -> slot (list, given 3)
    GV_NAME,          // a name, at most 8 characters        -> slot (name)
    GV_NAMELIST,      // one or more names                   -> slot (name list, given 3)
    GV_TEXT,          // a name or a quoted string           -> slot (text, given 2)
    GV_QSTRING,       // a quoted string                     -> slot (quoted string, given 2)
    GV_QSORLIST,      // one quoted string (given 2) or several (list, given 3)
    GV_DATASET,       // input data set [lib.]member         -> slot (data-set handle)
    GV_OUTDATASET,    // output data set [lib.]member        -> slot (dsspec)
    GV_CATALOG,       // [lib.]catalog                       -> slot (library name), slot2 (text)
    GV_VARLIST,       // variables of the input data set     -> slot (variable list)
    GV_KEYWORD,       // one of the option's value keywords (required)
    GV_POSITION,      // a position keyword (name -> slot) or ( x , y ) -> slot2, slot2 + 1
    GV_RELATIONS,     // MODEL RELATION=: code, or ( code [( var )] , ... ) up to three
};

// ---- how the value is introduced
enum : uint8_t {
    GW_EQ = 0,        // keyword = value ('=' required)
    GW_OPTEQ,         // keyword [=] value, the value may also be absent (PLOTFIT, PLOTDATA)
    GW_PAREN,         // keyword ( value )
};

// ---- checks of a number when it is parsed
enum : uint8_t {
    GC_NONE = 0,
    GC_MIN,           // value >= lo (a single bound is inclusive: the readers refuse the bound
                      // itself with their own message where it matters, e.g. SCALE=0)
    GC_RANGE,         // lo <= value <= hi
    GC_INTRANGE,      // a whole number, lo <= value <= hi (NAMELEN=)
};

struct goption;

// A value keyword of an option (FITTYPE=MLE). It stores the constant value into slot (when
// slot >= 0), sets flag (when >= 0), and may take sub-options in parentheses
// (FITTYPE=WEIBAYES(CONF=0.9), INTERPOLATE=STEP(JOIN=YES)); a first sub-option without a name
// stands for positional values (NPINTERVALS=SIMULTANEOUS(0.05, 0.95)).
struct gvalkw {
    const char* names = nullptr;
    int16_t slot = -1;
    double value = 0;
    int16_t flag = -1;
    const goption* subopts = nullptr;
    int16_t nsubopts = 0;
};

// One option of a statement (after the slash), or one sub-option.
struct goption {
    const char* names = nullptr;  // "LOCATION|INTERCEPT"
    uint8_t value = GV_NONE;      // GV_*
    uint8_t way = GW_EQ;          // GW_*
    int16_t slot = -1;            // where the value goes (-1: none)
    int16_t slot2 = -1;           // second slot (GV_NUMBER2, GV_CATALOG, GV_POSITION)
    int16_t flag = -1;            // flag set whenever the option is given (-1: none)
    uint8_t check = GC_NONE;      // GC_*
    double lo = 0, hi = 0;
    const gvalkw* vals = nullptr; // value keywords: in place of the value
    int16_t nvals = 0;
    const goption* trail = nullptr;     // options allowed right after the value (LINIT, INTERSECT)
    int16_t ntrail = 0;
    const goption* subopts = nullptr;  // sub-options in parentheses after the keyword (OBSTATS)
    int16_t nsubopts = 0;
    int16_t constslot = -1;       // a constant stored whenever the option is given (-1: none)
    double constval = 0;
    int16_t maxlen = 0;           // longest text or quoted string (0: no limit)
    bool noby = false;            // number ranges take only a TO b (step 1), no BY
};

// A table of options, taken whole, or only some aliases of it, or all but some rows.
struct goptset {
    const goption* opts = nullptr;
    int16_t n = 0;
    const char* const* only = nullptr;    // null-terminated; when set only these keywords are taken
    const char* const* except = nullptr;  // null-terminated; rows whose first keyword is listed are not
};

// ---- statement heads (what stands between the keyword and the slash)
enum : uint8_t {
    GH_PROC = 0,      // PROC VITALYX options;
    GH_BY,            // [DESCENDING] var ... [NOTSORTED]            -> PROC slot 0
    GH_VARS,          // var ...                                     -> PROC slot (procslot)
    GH_ONEVAR,        // exactly one numeric variable                -> PROC slot (procslot)
    GH_CLASS,         // var ... [/ TRUNCATE[=n]]                    -> PROC slot 2, flag 2, slot 14
    GH_DIST,          // [=] keyword                                 -> PROC slot 9
    GH_RESPONSE,      // response [= class variables (at most two)] / options
    GH_STRESS,        // response = stress variable / options
    GH_MCF,           // time * count ( values ) | ( INTERVAL= ... ) [= class] / options
    GH_MODEL,         // response [= effects] / options
    GH_EFFECTS,       // effects / options                           (LOGSCALE)
    GH_INSET,         // items / options
    GH_FMODE,         // ELIMINATE|KEEP|COMBINE var = ( 'value' ... ) / options
    GH_MAKE,          // 'table' OUT= data set [NOPRINT]
};

// Response forms a statement accepts (bits).
enum : uint16_t {
    GR_TIME = 1,      // time                     kind 0: slot 1
    GR_CENSOR = 2,    // time * cens ( values )   kind 1: slots 1, 2, 3
    GR_INTERVAL = 4,  // ( lower [,] upper )      kind 2: slot 1 and slot ivslot
    GR_EVENTS = 8,    // events ( trials )        kind 4: slots 1, 2
    GR_NONE = 16,     // no response at all (ANALYZE of counts)
};

// Fixed slots of the statement heads and of the values the parser places by itself. The
// procedure names every slot and flag in proc/framework/optslots.h, from these for the ones here.
enum : int {
    GS_RESP1 = 1, GS_RESP2 = 2, GS_CENSVALS = 3, GS_RSPKIND = 4, GS_CLASS = 5,
    GS_MODEL_UPPER = 5, GS_MODELEFFECTS = 15, GS_LABEL = 25, GS_MCFREMOVALS = 123,
    // MODEL RELATION=: the codes of up to three relations and their variables
    GS_MODEL_RELCODE1 = 26, GS_MODEL_RELCODE2 = 30, GS_MODEL_RELCODE3 = 35,
    GS_MODEL_RELVAR1 = 32, GS_MODEL_RELVAR2 = 33, GS_MODEL_RELVAR3 = 34,
    GS_PROC_BY = 0, GS_PROC_CONT = 1, GS_PROC_CLASS = 2, GS_PROC_DATA = 3, GS_PROC_GOUTLIB = 4,
    GS_PROC_GOUTCAT = 5, GS_PROC_FREQ = 6, GS_PROC_NENTER = 7, GS_PROC_EXPOSURE = 8,
    GS_PROC_DIST = 9, GS_PROC_UNITID = 10, GS_PROC_NAMELEN = 13, GS_PROC_TRUNCATE = 14,
    GF_PROC_TRUNCATE = 2,
    GS_INSET_ITEMS = 1, GS_INSET_LABELS = 10,
    GS_FMODE_VAR = 11, GS_FMODE_VALUES = 12,
    GS_MAKE_TABLE = 1, GS_MAKE_OUT = 2, GF_MAKE_NOPRINT = 1,
    GS_LOGSCALE_EFFECTS = 1,
};

// INSET items: codes appended to the slot-1 list; a label appends code 100, the list ends with 300.
enum : int { INSET_LABEL = 100, INSET_END = 300, INSET_LABELMAX = 24 };
struct ginsetitem {
    const char* names = nullptr;
    int16_t code = 0;
};
// A distribution group of INSET: its code and its parameter items.
struct ginsetdist {
    const char* names = nullptr;
    int16_t code = 0;
    const ginsetitem* params = nullptr;
    int16_t nparams = 0;
};

// A keyword whose constant goes into a slot (DISTRIBUTION names, MODEL RELATION codes).
struct gconst {
    const char* names = nullptr;
    double value = 0;
};

struct gstatement {
    const char* names = nullptr;  // "PROBPLOT|PPLOT": keyword and aliases
    int16_t highest = -1;         // highest slot index of its record (-1: PROC-level statement)
    uint8_t head = GH_PROC;       // GH_*
    uint16_t responses = 0;       // GR_* (GH_RESPONSE, GH_STRESS, GH_MODEL)
    int16_t ivslot = GS_RESP2;    // slot of the upper end of an interval (GS_RESP2, or GS_MODEL_UPPER)
    int16_t procslot = -1;        // GH_VARS, GH_ONEVAR: PROC slot of the variables
    bool labelled = false;        // may carry a statement label (slot 25): "label: keyword ..."
    bool noslash = false;         // options follow the head without a slash (PROC, MAKE)
    const goptset* sets = nullptr;// options (after the slash unless noslash)
    int16_t nsets = 0;
    int16_t varslot = -1;         // RELATIONPLOT: "variable = numbers" puts the variable here
    int16_t varvalslot = -1;      //   and the numbers here
    const char* help = nullptr;   // one line for the reference
};

struct grammar {
    const char* procname;         // "VITALYX"
    const gstatement* stmts;
    int16_t nstmts;
    const gconst* dists;          // DISTRIBUTION keywords -> PROC slot 9
    int16_t ndists;
    const gconst* relations;      // MODEL RELATION= codes
    int16_t nrelations;
    const ginsetitem* insetitems;
    int16_t ninsetitems;
    const ginsetdist* insetdists;
    int16_t ninsetdists;
    int16_t classmax;             // most class variables a statement takes (2)
    int16_t namelendefault;       // effect-name limit without NAMELEN= (20)
};
