// Names of the option slots and flag bits of every statement record: the one place where
// their numbers are written. The grammar tables (grammar_*.cpp) store into these slots and
// flags; the option readers and the tests read them by the same names.
//
// Scheme: slot::FAMILY::KEYWORD is an option slot, flag::FAMILY::KEYWORD a flag bit (read with
// stmtslot/gparm and stmtflag), code::OPTION::VALUE a constant a value keyword stores. The
// name is the option's first keyword; its aliases are in the comment. Families:
//   head      slots filled by the statement heads (responses, class variables, label)
//   plot      the shared numbering of PROBPLOT, RELATIONPLOT, MCFPLOT and ANALYZE: PROBPLOT's
//             options, then RELATIONPLOT's own; MCFPLOT and ANALYZE take a subset of them
//   mcf       MCFPLOT's own options (their numbers overlap the plot numbering)
//   analyze   ANALYZE's own options (their numbers overlap the plot numbering)
//   model, logscale, proc, inset, fmode, make
// Slots the host's parser fills by itself (heads, MODEL RELATION= lists) are declared in
// host/grammar.h, which the runtime shares; the names here refer to them.
#pragma once
#include "host/grammar.h"
#include "proc/framework/fitcodes.h"

// ---- statement heads --------------------------------------------------------------------
namespace slot::head {
constexpr int RESP1 = GS_RESP1;            // time, lower end, events, MCF unit or interval start
constexpr int RESP2 = GS_RESP2;            // censoring variable, upper end, trials, MCF recurrence or interval end
constexpr int CENSVALS = GS_CENSVALS;      // censoring values (numbers); MCF recurrences variable
constexpr int RSPKIND = GS_RSPKIND;        // response kind: 0 time, 1 censored, 2 interval, 3 readout, 4 events
constexpr int CLASS = GS_CLASS;            // class variables, RELATIONPLOT stress variable, MODEL upper end
constexpr int MODEL_UPPER = GS_MODEL_UPPER;       // MODEL (lower upper): the upper end
constexpr int MODEL_EFFECTS = GS_MODELEFFECTS;    // MODEL effects
constexpr int LOGSCALE_EFFECTS = GS_LOGSCALE_EFFECTS;  // LOGSCALE effects
constexpr int LABEL = GS_LABEL;            // statement label "label: PROBPLOT ..." (8 characters)
constexpr int MCF_REMOVALS = GS_MCFREMOVALS;  // MCFPLOT interval form: the removals variable
}  // namespace slot::head

// ---- PROC VITALYX and the PROC-level statements -----------------------------------------
namespace slot::proc {
constexpr int HIGHEST = 14;
constexpr int BY = GS_PROC_BY;             // BY variables
constexpr int CONTINUOUS = GS_PROC_CONT;   // continuous variables of the MODEL effects
constexpr int CLASS = GS_PROC_CLASS;       // CLASS variables
constexpr int DATA = GS_PROC_DATA;         // DATA= input data set
constexpr int GOUT_LIB = GS_PROC_GOUTLIB;  // GOUT= library
constexpr int GOUT_CAT = GS_PROC_GOUTCAT;  // GOUT= catalog
constexpr int FREQ = GS_PROC_FREQ;         // FREQ (FREQUENCY) variable
constexpr int NENTER = GS_PROC_NENTER;     // NENTER variable
constexpr int EXPOSURE = GS_PROC_EXPOSURE; // EXPOSURE variable
constexpr int DIST = GS_PROC_DIST;         // DISTRIBUTION (DIST, D): a DIST_* code
constexpr int UNITID = GS_PROC_UNITID;     // UNITID variables
constexpr int NAMELEN = GS_PROC_NAMELEN;   // NAMELEN= (20 to 200)
constexpr int TRUNCATE = GS_PROC_TRUNCATE; // CLASS / TRUNCATE=n
}  // namespace slot::proc
namespace flag::proc {
constexpr int TRUNCATE = GF_PROC_TRUNCATE; // CLASS / TRUNCATE
}

// ---- the shared numbering: PROBPLOT options ---------------------------------------------
namespace slot::plot {
constexpr int HIGHEST = 130;               // PROBPLOT, RELATIONPLOT, MCFPLOT
constexpr int HIGHEST_ANALYZE = 110;       // ANALYZE
constexpr int LOCATION = 6;                // LOCATION, INTERCEPT
constexpr int SCALE = 7;
constexpr int SHAPE = 8;
constexpr int ORDER1 = 9;                  // code::order
constexpr int ORDER2 = 10;                 // code::order
constexpr int PCTLIST = 11;                // list
constexpr int FITTYPE = 12;                // FITTYPE, FIT: a FIT_* code
constexpr int MAXIT = 13;                  // MAXIT, MAXITER
constexpr int CONVERGE = 14;
constexpr int SINGULAR = 15;
constexpr int CONFIDENCE = 16;             // CONFIDENCE, CONF
constexpr int SURVTIME = 17;               // list
constexpr int THRESHOLD = 20;              // THRESHOLD, T
constexpr int DESCRIPTION = 26;            // DESCRIPTION, DES
constexpr int ANNOTATE = 27;               // ANNOTATE, ANNO: data set
constexpr int NAME = 28;
constexpr int PPLEGEND = 29;               // PPLEGEND, PPLOTLEGEND; MCFPLOT's MCFLEGEND, MLEGEND
constexpr int CFRAME = 30;
constexpr int CTEXT = 31;                  // CTEXT, CT
constexpr int HREF = 32;                   // list
constexpr int LHREF = 33;                  // LHREF, LH
constexpr int CHREF = 34;                  // CHREF, CH
constexpr int HREFLABELS = 35;             // HREFLABELS, HREFLABEL, HREFLAB: quoted string or list
constexpr int VREF = 36;                   // list
constexpr int LVREF = 37;                  // LVREF, LV
constexpr int CVREF = 38;                  // CVREF, CV
constexpr int VREFLABELS = 39;             // VREFLABELS, VREFLABEL, VREFLAB
constexpr int CFRAMENLEG = 40;
constexpr int CGRID = 41;
constexpr int CAXIS = 42;                  // CAXIS, CAXES, CA
constexpr int CFRAMETOP = 43;
constexpr int CFRAMESIDE = 44;
constexpr int PSTABLE = 45;
constexpr int LGRID = 48;
constexpr int WAXIS = 49;
constexpr int LAXIS = 50;                  // list; MCFPLOT's HAXIS
constexpr int PAXISLABEL = 51;             // MCFPLOT's VAXISLABEL
constexpr int VREFLABPOS = 52;
constexpr int HREFLABPOS = 53;
constexpr int NTICK = 56;
constexpr int PCTUPPER = 57;               // PCTUPPER, PUPPER
constexpr int PCTLOWER = 58;               // PCTLOWER, PLOWER
constexpr int LIFEUPPER = 59;              // LIFEUPPER, LUPPER
constexpr int LIFELOWER = 60;              // LIFELOWER, LLOWER
constexpr int HOFFSET = 61;
constexpr int VOFFSET = 62;
constexpr int INTERTILE = 63;
constexpr int LFIT = 64;                   // number or list
constexpr int CFIT = 65;                   // names
constexpr int WFIT = 66;
constexpr int NROWS = 67;                  // NROWS, NROW, DOWN
constexpr int NCOLS = 68;                  // NCOLS, NCOL, ACROSS
constexpr int FONT = 69;
constexpr int INFONT = 70;
constexpr int HEIGHT = 77;
constexpr int INHEIGHT = 78;
constexpr int CCENSOR = 79;
constexpr int WBCONF = 80;                 // FITTYPE=WEIBAYES(CONF=), CONFIDENCE
constexpr int JITTER = 91;
constexpr int PPOS = 92;                   // code::ppos
constexpr int NLASTCENSOR = 98;            // READOUT NLASTCENSOR=
constexpr int DEFPCTLIST = 99;             // list
constexpr int CENCOLOR = 101;              // names
constexpr int CENSYMBOL = 102;             // names
constexpr int MAXITEM = 103;               // MAXITEM, MAXITEREM: the first number
constexpr int TOLLIKE = 104;
constexpr int TOLPROB = 105;
constexpr int MAXITEM2 = 106;              // MAXITEM=(n1, n2): the second number
constexpr int PROBLIST = 107;              // list
constexpr int CONVH = 108;
constexpr int NPINTERVALS = 109;           // code::npintervals; PCONFPLT stores 2
constexpr int PINTERVALS = 110;            // code::pintervals
constexpr int SIMLOWER = 111;              // NPINTERVALS=SIMULTANEOUS(lower, upper)
constexpr int SIMUPPER = 112;
constexpr int SHOWMULTIPLES = 113;         // name
constexpr int PPOSSYMBOL = 121;            // names; MCFPLOT's PLOTSYMBOL
constexpr int PPOSCOLOR = 122;             // names; MCFPLOT's PLOTCOLOR, CFIT
constexpr int NPOINTS = 123;
constexpr int LREF = 125;                  // LREF, LIFEREF: list
constexpr int LREFLABELS = 126;            // LREFLABELS, LREFLABEL, LREFLAB
constexpr int PREF = 127;                  // PREF, PROBREF: list
constexpr int PREFLABELS = 128;            // PREFLABELS, PREFLABEL, PREFLAB

// RELATIONPLOT's own rows
constexpr int RELATION = 71;               // code::relation
constexpr int STRESSUPPER = 72;            // STRESSUPPER, SUPPER
constexpr int STRESSLOWER = 73;            // STRESSLOWER, SLOWER
constexpr int NSTRESSTICK = 74;            // NSTRESSTICK, NSTICK
constexpr int PLOTFIT = 75;                // list (a TO b)
constexpr int RPLEGEND = 76;               // RPLEGEND, RPLOTLEGEND
constexpr int BOXWIDTHSCALE = 81;
constexpr int BOXWIDTH = 82;
constexpr int CBOXES = 83;                 // CBOXES, CBOX, CB
constexpr int CBOXFILL = 84;
constexpr int LBOXES = 85;
constexpr int PLOTDATA = 90;               // PLOTDATA, TYPE: code::plotdata
constexpr int SREF = 93;                   // list
constexpr int LSREF = 94;
constexpr int CSREF = 95;                  // CSREF, CS
constexpr int SREFLABELS = 96;             // SREFLABELS, SREFLABEL, SREFLAB
constexpr int SREFLABPOS = 97;
constexpr int CPLOTFIT = 100;              // names
constexpr int RCENSYMBOL = 114;            // names
constexpr int RCENCOLOR = 115;             // names
constexpr int LPLOTFIT = 116;              // number or list
constexpr int STRESSVAR = 117;             // "variable = numbers": the variable
constexpr int STRESSVALUES = 118;          //   and its numbers
constexpr int PCNTLLOWER = 119;
constexpr int PCNTLUPPER = 120;
}  // namespace slot::plot

namespace flag::plot {
constexpr int SHOWMULTIPLES = 1;
constexpr int NOPPOS = 2;
constexpr int NOPOLISH = 13;
constexpr int OVERLAY = 14;
constexpr int PLOTFIT = 14;                // RELATIONPLOT PLOTFIT (RELATIONPLOT takes no OVERLAY)
constexpr int MISSING1 = 16;
constexpr int MISSING2 = 17;
constexpr int INBORDER = 18;
constexpr int ROTATE = 19;
constexpr int NOFITLINE = 20;              // NOFITLINE, NOFIT
constexpr int NOCONF = 21;                 // NOCONF, NOCL
constexpr int NOGRID = 22;
constexpr int NOFRAME = 23;
constexpr int NOPPLEGEND = 24;             // also PPLEGEND=NONE, and MCFPLOT's NOLEGEND, MCFLEGEND=NONE
constexpr int NOPTICK = 25;                // NOPTICK, NOPROBTICK
constexpr int NOPLABEL = 26;               // NOPLABEL, NOPROBLABEL
constexpr int NOLLABEL = 27;               // NOLLABEL, NOLIFELABEL
constexpr int TURNVLABEL = 28;             // TURNVLABEL, TURNVLABELS
constexpr int NOCENPLOT = 29;
constexpr int LINIT = 31;                  // LOCATION= ... LINIT
constexpr int ITPRINT = 32;
constexpr int LRCL = 33;
constexpr int MPGRID = 34;
constexpr int MINORLOGGRID = 35;           // MINORLOGGRID, MLGRID
constexpr int LRCLPER = 36;
constexpr int PPLOT = 38;
constexpr int NORPLEGEND = 39;             // also RPLEGEND=NONE
constexpr int NOPCTILE = 40;               // NOPCTILE, NOPCTILES
constexpr int READOUT = 41;
constexpr int SCINIT = 42;                 // SCALE= ... SCINIT
constexpr int SHINIT = 43;                 // SHAPE= ... SHINIT
constexpr int NOINSET = 46;
constexpr int PCONFPLT = 48;
constexpr int PPOUT = 49;
constexpr int CORRB = 50;
constexpr int COVB = 51;
constexpr int CENBIN = 52;
constexpr int CCENBIN = 53;
constexpr int BOXPLOT = 54;
constexpr int NOLTICK = 55;                // NOLTICK, NOLIFETICK
constexpr int NOSTICK = 56;                // NOSTICK, NOSTRESSTICK
constexpr int NOSLABEL = 57;               // NOSLABEL, NOSTRESSLABEL
constexpr int HINTERSECT = 58;             // HREF=, LREF= ... INTERSECT
constexpr int VINTERSECT = 59;             // VREF=, PREF= ... INTERSECT
constexpr int ITPRINTEM = 60;
constexpr int PRINTPROBS = 61;
constexpr int SQUARE = 62;
constexpr int NOEXCLUDE = 63;
}  // namespace flag::plot

// ---- ANALYZE's own options (the rest is the shared numbering) ----------------------------
namespace slot::analyze {
constexpr int COUNT2 = 21;                 // COUNT=n1 n2: the second number
constexpr int EXPOSURE = 22;
constexpr int PREDICT = 23;                // PREDICT(n)
constexpr int COUNT = 24;                  // COUNT=n1 [n2]: the first number
constexpr int TOLERANCE = 26;              // TOLERANCE(n)
constexpr int WBCONF = 27;                 // FITTYPE=WEIBAYES(CONF=)
constexpr int PPOS = 28;                   // code::ppos
}  // namespace slot::analyze
namespace flag::analyze {
constexpr int ONESIDED = 47;               // one-sided limits of the binomial and Poisson analysis (no keyword of the grammar sets it)
}

// ---- MCFPLOT's own options (the shared keywords use slot::plot, flag::plot) ---------------
namespace slot::mcf {
constexpr int CONFIDENCE = 6;              // CONFIDENCE, CONF
constexpr int HLOWER = 7;                  // HLOWER, HLO
constexpr int HUPPER = 8;                  // HUPPER, HUP
constexpr int NHTICK = 11;
constexpr int NVTICK = 12;
constexpr int MCFLEGEND = slot::plot::PPLEGEND;  // MCFLEGEND, MLEGEND
constexpr int VLOWER = 45;                 // VLOWER, VLO
constexpr int VUPPER = 46;                 // VUPPER, VUP
constexpr int VAXIS = 47;                  // list
constexpr int HAXIS = slot::plot::LAXIS;   // list
constexpr int VAXISLABEL = slot::plot::PAXISLABEL;
constexpr int PLOTSYMBOL = slot::plot::PPOSSYMBOL;  // names
constexpr int PLOTCOLOR = slot::plot::PPOSCOLOR;    // PLOTCOLOR, CFIT: names
constexpr int VARIANCE = 124;              // code::variance
constexpr int INTERPOLATE = 125;           // INTERPOLATE, I: code::interpolate
constexpr int NRISK = 126;                 // number or list
constexpr int JOIN = 127;                  // INTERPOLATE=STEP(JOIN=): code::join
}  // namespace slot::mcf
namespace flag::mcf {
constexpr int LOGLOG = 1;                  // LOGLOG, LLOG
constexpr int NOVARIANCE = 2;              // NOVARIANCE, NOVAR
constexpr int VARMETHOD2 = 3;
constexpr int NOLEGEND = flag::plot::NOPPLEGEND;   // also MCFLEGEND=NONE
constexpr int NOVTICK = flag::plot::NOPTICK;
constexpr int NOVLABEL = flag::plot::NOPLABEL;
constexpr int NOHLABEL = flag::plot::NOLLABEL;
constexpr int MCFDIFF = 30;                // MCFDIFF, MCFDIFFS
constexpr int INDINC = 36;
constexpr int LOGINTERVALS = 37;
constexpr int NOHTICK = flag::plot::NOLTICK;
constexpr int NOCENPRINT = 56;
}  // namespace flag::mcf

// ---- MODEL --------------------------------------------------------------------------------
namespace slot::model {
constexpr int HIGHEST = 35;
constexpr int CONVERGE = 7;
constexpr int MAXIT = 8;                   // MAXIT, MAXITER
constexpr int SINGULAR = 9;
constexpr int INTERCEPT = 11;              // INTERCEPT, LOCATION
constexpr int SCALE = 12;
constexpr int THRESHOLD = 13;              // THRESHOLD, T
constexpr int ORDER = 14;                  // code::modelorder
constexpr int CONFIDENCE = 19;             // CONFIDENCE, CONF
constexpr int SHAPE = 20;
constexpr int RESIDADJ = 21;               // OBSTATS(RESIDADJ=)
constexpr int RESIDALPHA = 22;             // OBSTATS(RESIDALPHA=, RALPHA=)
constexpr int CONTROL = 23;                // OBSTATS(CONTROL=): variable list
constexpr int QUANTILES = 24;              // OBSTATS(Q=, QUANTILE=, QUANTILES=): list
constexpr int INITIAL = 25;                // list
constexpr int RELATION = GS_MODEL_RELCODE1;     // RELATION=: the first code, code::relation
constexpr int PSTABLE = 27;
constexpr int CONVH = 28;
constexpr int RELATION2 = GS_MODEL_RELCODE2;    // the second code
constexpr int RELVAR = GS_MODEL_RELVAR1;        // the variable of the first code
constexpr int RELVAR2 = GS_MODEL_RELVAR2;
constexpr int RELVAR3 = GS_MODEL_RELVAR3;
constexpr int RELATION3 = GS_MODEL_RELCODE3;    // the third code
}  // namespace slot::model
namespace flag::model {
constexpr int LINIT = 1;                   // INTERCEPT= ... LINIT
constexpr int SCINIT = 3;                  // SCALE= ... SCINIT
constexpr int COVB = 4;
constexpr int CORRB = 5;
constexpr int DEBUG = 6;
constexpr int LRCL = 7;                    // LRCL, PLCL
constexpr int WALDCL = 8;                  // WALDCL, NORMALCL
constexpr int ITPRINT = 9;
constexpr int SHINIT = 10;                 // SHAPE= ... SHINIT
constexpr int OBSTATS = 12;
constexpr int CENSOR = 13;                 // OBSTATS(CENSOR, CEN)
constexpr int XBETA = 15;                  // OBSTATS(XBETA)
constexpr int SURVIVAL = 16;               // OBSTATS(SURVIVAL, SURV)
constexpr int RESID = 18;                  // OBSTATS(RESID)
constexpr int SRESID = 19;                 // OBSTATS(SRESID)
constexpr int GRESID = 20;                 // OBSTATS(GRESID)
constexpr int DRESID = 21;                 // OBSTATS(DRESID)
constexpr int ADJRESID = 22;               // OBSTATS(ADJRESID)
constexpr int READOUT = 41;
constexpr int NOCS = 42;
constexpr int XCENTER = 43;
constexpr int NOINT = 44;
}  // namespace flag::model

// ---- LOGSCALE -----------------------------------------------------------------------------
namespace slot::logscale {
constexpr int HIGHEST = 5;
constexpr int EFFECTS = slot::head::LOGSCALE_EFFECTS;
constexpr int INTERCEPT = 2;
constexpr int INITIAL = 3;                 // list
}  // namespace slot::logscale
namespace flag::logscale {
constexpr int INTINIT = 1;
constexpr int NOINT = 2;
}  // namespace flag::logscale

// ---- INSET --------------------------------------------------------------------------------
namespace slot::inset {
constexpr int HIGHEST = 17;
constexpr int ITEMS = GS_INSET_ITEMS;      // item codes, INSET_LABEL after a labelled item, INSET_END
constexpr int POSITION = 2;                // POSITION, POS: a position name
constexpr int HEADER = 3;                  // quoted string (40 characters)
constexpr int FONT = 4;
constexpr int HEIGHT = 5;
constexpr int CFRAME = 6;                  // CFRAME, CFR
constexpr int CTEXT = 7;                   // CTEXT, CT
constexpr int CFILL = 8;
constexpr int CHEADER = 9;                 // CHEADER, CH
constexpr int LABELS = GS_INSET_LABELS;    // the item labels, quoted strings
constexpr int CFILLH = 12;
constexpr int POSITION_X = 15;             // POSITION=(x, y)
constexpr int POSITION_Y = 16;
constexpr int REFPOINT = 17;               // REFPOINT, RP
}  // namespace slot::inset
namespace flag::inset {
constexpr int NOFRAME = 1;
constexpr int POSDATA = 2;                 // POSITION=(x, y) DATA
constexpr int POSPERCENT = 3;              // POSITION=(x, y) PERCENT
}  // namespace flag::inset

// ---- FMODE --------------------------------------------------------------------------------
namespace slot::fmode {
constexpr int HIGHEST = 15;
constexpr int LEGEND = 3;                  // name
constexpr int VAR = GS_FMODE_VAR;          // the failure-mode variable
constexpr int VALUES = GS_FMODE_VALUES;    // its listed values, quoted strings
}  // namespace slot::fmode
namespace flag::fmode {
constexpr int ELIMINATE = 1;
constexpr int KEEP = 2;
constexpr int COMBINE = 3;
constexpr int PLOTMODES = 4;
constexpr int NOLEGEND = 5;                // also LEGEND=NONE
constexpr int PARM = 6;
constexpr int COV = 7;
}  // namespace flag::fmode

// ---- MAKE ---------------------------------------------------------------------------------
namespace slot::make {
constexpr int HIGHEST = 3;
constexpr int TABLE = GS_MAKE_TABLE;       // the table name
constexpr int OUT = GS_MAKE_OUT;           // OUT= data set
}  // namespace slot::make
namespace flag::make {
constexpr int NOPRINT = GF_MAKE_NOPRINT;
}

// ---- constants that value keywords store -------------------------------------------------
// DISTRIBUTION= and FITTYPE= store the codes of proc/framework/fitcodes.h (DIST_*, FIT_*).
namespace code::ppos {                     // PPOS=
constexpr int EXPRANK = 0, MEDRANK = 1, MEDRANK1 = 2, KM = 3, MKM = 4, NA = 5;
}
namespace code::order {                    // ORDER1=, ORDER2=
constexpr int FREQ = 1, DATA = 2, INTERNAL = 3, FORMATTED = 4;
}
namespace code::modelorder {               // MODEL ORDER=
constexpr int DATA = 1, FORMATTED = 2, FREQ = 3, INTERNAL = 4;
}
namespace code::npintervals {              // NPINTERVALS=
constexpr int SIMULTANEOUS = 1, POINTWISE = 2;
}
namespace code::pintervals {               // PINTERVALS=
constexpr int PERCENTILES = 3, PROBABILITY = 4, LIKELIHOOD = 5;
}
namespace code::relation {                 // RELATIONPLOT and MODEL RELATION=
constexpr int ARRHENIUS = 1, LINEAR = 2, POWER = 3, ARRHENIUS2 = 4, LOGISTIC = 5;
}
namespace code::plotdata {                 // PLOTDATA=
constexpr int DATA = 1, BOXES = 2, MEDIANS = 3, NONE = 4;
}
namespace code::variance {                 // MCFPLOT VARIANCE=
constexpr int NELSON = 1, INDINC = 2, LAWLESS = 3, POISSON = 4;
}
namespace code::interpolate {              // MCFPLOT INTERPOLATE=
constexpr int NONE = 0, STEP = 1, JOIN = 2;
}
namespace code::join {                     // MCFPLOT INTERPOLATE=STEP(JOIN=)
constexpr int NO = 1, YES = 2;
}
namespace code::insetitem {                // INSET items: codes in slot::inset::ITEMS
constexpr int UNCENSORED = 0, RIGHT = 1, CONFIDENCE = 2, NUNITS = 3, NEVENTS = 4, NUNITS1 = 5, NEVENTS1 = 6,
              NUNITS2 = 7, NEVENTS2 = 8, FIT = 9, RSQUARE = 10, LEFT = 11, INTERVAL = 12, N = 13;
constexpr int LABEL = INSET_LABEL;         // follows an item that carries a label
constexpr int END = INSET_END;             // closes the list
}  // namespace code::insetitem
namespace code::insetdist {                // INSET distribution groups: code, parameters, code again
constexpr int EXPONENTIAL = 50, EXTREME = 51, NORMAL = 52, LOGNORMAL = 53, WEIBULL = 54, LOGISTIC = 56,
              LOGLOGISTIC = 57, LOGNORMAL10 = 58;
}
namespace code::insetparm {                // INSET parameter items of a distribution group
constexpr int LOCATION = 0, SCALE = 1, WEIBULL_SCALE = 2, SHAPE = 3, THRESHOLD = 4, MEAN = 5;
}
