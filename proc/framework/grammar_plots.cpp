// PROBPLOT, RELATIONPLOT and MCFPLOT options. The three statements and ANALYZE share one
// numbering of slots and flags, so that shared drawing and table routines read any of them.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"

using namespace gb;

namespace {
constexpr goption linit[] = {F("LINIT", 31)};
constexpr goption scinit[] = {F("SCINIT", 42)};
constexpr goption shinit[] = {F("SHINIT", 43)};
constexpr goption hsect[] = {F("INTERSECT", 58)};
constexpr goption vsect[] = {F("INTERSECT", 59)};
constexpr goption nlast[] = {N("NLASTCENSOR", 98)};
constexpr gvalkw ppos[] = {K("EXPRANK", 92, 0), K("MEDRANK", 92, 1), K("MEDRANK1", 92, 2),
                           K("KM", 92, 3), K("MKM", 92, 4), K("NA|NELSONAALEN", 92, 5)};
constexpr gvalkw order1[] = {K("FREQ", 9, 1), K("DATA", 9, 2), K("INTERNAL", 9, 3), K("FORMATTED", 9, 4)};
constexpr gvalkw order2[] = {K("FREQ", 10, 1), K("DATA", 10, 2), K("INTERNAL", 10, 3), K("FORMATTED", 10, 4)};
constexpr goption wbconf80[] = {NR("CONF|CONFIDENCE", 80, 0, 1)};
constexpr gvalkw fittype[] = {K("MLE", 12, 1), K("LSYX", 12, 2), K("LSXY|LS", 12, 7), K("MODEL", 12, 8),
                              K("NONE", 12, 3), KS("WEIBAYES|WB", 12, 6, wbconf80)};
constexpr gvalkw fittype_rel[] = {K("MLE", 12, 1), K("LSYX", 12, 2), K("LSXY|LS", 12, 7), K("MODEL", 12, 8),
                                  K("NONE", 12, 3), K("REGRESSION", 12, 9), KS("WEIBAYES|WB", 12, 6, wbconf80)};
constexpr gvalkw none24[] = {KF("NONE", 24)};
constexpr gvalkw none39[] = {KF("NONE", 39)};
// NPINTERVALS=SIMULTANEOUS may give the bounds of the bands in parentheses: (lower, upper).
constexpr goption simbounds[] = {V("", GV_NUMBER2, 111, 112)};
constexpr gvalkw npint[] = {KS("SIMULTANEOUS|SIMUL", 109, 1, simbounds), K("POINTWISE|POINT", 109, 2)};
constexpr gvalkw pint[] = {K("PERCENTILES|PER", 110, 3), K("PROBABILITY|CDF", 110, 4), K("LIKELIHOOD|LRCI", 110, 5)};
constexpr gvalkw relation[] = {K("ARR|ARRHENIUS", 71, 1), K("LINEAR", 71, 2), K("POW|POWER|LOG", 71, 3),
                               K("ARR2|ARRHENIUS2|ARRACTIVATION", 71, 4), K("LOGISTIC", 71, 5)};
constexpr gvalkw plotdata[] = {K("DATA", 90, 1), K("BOXES", 90, 2), K("MEDIANS", 90, 3), K("NONE", 90, 4)};
constexpr gvalkw variance[] = {K("NELSON", 124, 1), K("INDINC", 124, 2), K("LAWLESS", 124, 3), K("POISSON", 124, 4)};
constexpr gvalkw joinyn[] = {K("YES", 127, 2), K("NO", 127, 1)};
constexpr goption join[] = {KW("JOIN", joinyn)};
constexpr gvalkw interp[] = {K("NONE", 125, 0), KS("STEP", 125, 1, join), K("JOIN", 125, 2)};
}  // namespace

const goption g_probplot_opts[] = {
    withtrail(N("LOCATION|INTERCEPT", 6), linit),
    withtrail(NMIN("SCALE", 7, 0), scinit),
    withtrail(NMIN("SHAPE", 8, 0), shinit),
    KW("PPOS", ppos),
    KW("ORDER1", order1),
    KW("ORDER2", order2),
    F("NOPPOS", 2),
    F("NOPOLISH", 13),
    F("OVERLAY", 14),
    F("MISSING1", 16),
    F("MISSING2", 17),
    F("INBORDER", 18),
    F("ROTATE", 19),
    F("NOFITLINE|NOFIT", 20),
    F("NOCONF|NOCL", 21),
    F("NOGRID", 22),
    F("NOFRAME", 23),
    F("NOPPLEGEND", 24),
    F("NOPTICK|NOPROBTICK", 25),
    F("NOPLABEL|NOPROBLABEL", 26),
    F("NOLLABEL|NOLIFELABEL", 27),
    F("TURNVLABEL|TURNVLABELS", 28),
    F("NOCENPLOT", 29),
    F("ITPRINT", 32),
    F("LRCL", 33),
    F("MPGRID", 34),
    F("MINORLOGGRID|MLGRID", 35),
    F("LRCLPER", 36),
    F("PPLOT", 38),
    F("NORPLEGEND", 39),
    F("NOPCTILE|NOPCTILES", 40),
    withtrail(F("READOUT", 41), nlast),
    F("NOINSET", 46),
    C("PCONFPLT", 109, 2, 48),
    F("PPOUT", 49),
    F("CORRB", 50),
    F("COVB", 51),
    F("CENBIN", 52),
    F("CCENBIN", 53),
    F("BOXPLOT", 54),
    F("NOLTICK|NOLIFETICK", 55),
    F("NOSTICK|NOSTRESSTICK", 56),
    F("NOSLABEL|NOSTRESSLABEL", 57),
    F("ITPRINTEM", 60),
    F("PRINTPROBS", 61),
    F("SQUARE", 62),
    F("NOEXCLUDE", 63),
    NL("PCTLIST", 11),
    KW("FITTYPE|FIT", fittype),
    NMIN("MAXIT|MAXITER", 13, 0),
    NMIN("CONVERGE", 14, 0),
    NMIN("SINGULAR", 15, 0),
    NR("CONFIDENCE|CONF", 16, 0, 1),
    NL("SURVTIME", 17),
    N("THRESHOLD|T", 20),
    TEXT("DESCRIPTION|DES", 26),
    V("ANNOTATE|ANNO", GV_DATASET, 27),
    TEXT("NAME", 28),
    withvals(NAME("PPLEGEND|PPLOTLEGEND", 29), none24),
    NAME("CFRAME", 30),
    NAME("CTEXT|CT", 31),
    withtrail(NL("HREF", 32), hsect),
    withtrail(NL("LREF|LIFEREF", 125), hsect),
    N("LHREF|LH", 33),
    NAME("CHREF|CH", 34),
    QSL("HREFLABELS|HREFLABEL|HREFLAB", 35),
    QSL("LREFLABELS|LREFLABEL|LREFLAB", 126),
    withtrail(NL("VREF", 36), vsect),
    withtrail(NL("PREF|PROBREF", 127), vsect),
    N("LVREF|LV", 37),
    NAME("CVREF|CV", 38),
    QSL("VREFLABELS|VREFLABEL|VREFLAB", 39),
    QSL("PREFLABELS|PREFLABEL|PREFLAB", 128),
    NAME("CFRAMENLEG", 40),
    NAME("CGRID", 41),
    NAME("CAXIS|CAXES|CA", 42),
    NAME("CFRAMETOP", 43),
    NAME("CFRAMESIDE", 44),
    NR("PSTABLE", 45, 0, 1),
    NMIN("LGRID", 48, 0),
    N("WAXIS", 49),
    NL("LAXIS", 50),
    TEXT("PAXISLABEL", 51),
    N("VREFLABPOS", 52),
    N("HREFLABPOS", 53),
    N("NTICK", 56),
    NR("PCTUPPER|PUPPER", 57, 0, 100),
    NR("PCTLOWER|PLOWER", 58, 0, 100),
    N("LIFEUPPER|LUPPER", 59),
    N("LIFELOWER|LLOWER", 60),
    N("HOFFSET", 61),
    N("VOFFSET", 62),
    NR("INTERTILE", 63, 0, 100),
    NOL("LFIT", 64),
    NAMES("CFIT", 65),
    N("WFIT", 66),
    N("NROWS|NROW|DOWN", 67),
    N("NCOLS|NCOL|ACROSS", 68),
    TEXT("FONT", 69),
    TEXT("INFONT", 70),
    N("HEIGHT", 77),
    N("INHEIGHT", 78),
    NAME("CCENSOR", 79),
    N("JITTER", 91),
    NL("DEFPCTLIST", 99),
    NAMES("CENSYMBOL", 102),
    NAMES("CENCOLOR", 101),
    bounded(V("MAXITEM|MAXITEREM", GV_NUMBER2, 103, 106), 0),
    NMIN("TOLLIKE", 104, 0),
    NMIN("TOLPROB", 105, 0),
    NL("PROBLIST", 107),
    NMIN("CONVH", 108, 0),
    KW("NPINTERVALS", npint),
    KW("PINTERVALS", pint),
    withflag(optional(NAME("SHOWMULTIPLES", 113)), 1),
    NAMES("PPOSSYMBOL", 121),
    NAMES("PPOSCOLOR", 122),
    NMIN("NPOINTS", 123, 0),
};
const int16_t g_probplot_nopts = sizeof g_probplot_opts / sizeof g_probplot_opts[0];

// RELATIONPLOT takes every PROBPLOT option but these.
const char* const g_relplot_except[] = {"ORDER1", "ORDER2", "OVERLAY", "MISSING1", "MISSING2", "NOINSET",
                                        "CENBIN", "MAXITEM", "TOLLIKE", "TOLPROB", "PROBLIST", nullptr};

// RELATIONPLOT's own rows; searched before the shared ones, so its FITTYPE wins.
const goption g_relplot_opts[] = {
    KW("FITTYPE|FIT", fittype_rel),
    KW("RELATION", relation),
    N("STRESSUPPER|SUPPER", 72),
    N("STRESSLOWER|SLOWER", 73),
    N("NSTRESSTICK|NSTICK", 74),
    withvals(NAME("RPLEGEND|RPLOTLEGEND", 76), none39),
    N("BOXWIDTHSCALE", 81),
    N("BOXWIDTH", 82),
    NAME("CBOXES|CBOX|CB", 83),
    NAME("CBOXFILL", 84),
    N("LBOXES", 85),
    withconst(withvals(optional(V("PLOTDATA|TYPE", GV_KEYWORD, -1)), plotdata), 90, 1),
    withflag(optional(noby(V("PLOTFIT", GV_NUMLIST, 75))), 14),
    NAMES("CPLOTFIT", 100),
    NL("SREF", 93),
    N("LSREF", 94),
    NAME("CSREF|CS", 95),
    QSL("SREFLABELS|SREFLABEL|SREFLAB", 96),
    NR("SREFLABPOS", 97, 1, 4),
    NAMES("RCENSYMBOL", 114),
    NAMES("RCENCOLOR", 115),
    NOL("LPLOTFIT", 116),
    NR("PCNTLLOWER", 119, 0, 100),
    NR("PCNTLUPPER", 120, 0, 100),
};
const int16_t g_relplot_nopts = sizeof g_relplot_opts / sizeof g_relplot_opts[0];

// The PROBPLOT keywords MCFPLOT accepts, with the same slot or flag.
const char* const g_mcfplot_shared[] = {
    "OVERLAY", "MISSING1", "MISSING2", "INBORDER", "NOCONF", "NOCL", "NOGRID", "NOFRAME", "TURNVLABEL",
    "TURNVLABELS", "NOCENPLOT", "MINORLOGGRID", "MLGRID", "NOINSET", "CENBIN", "CCENBIN", "SQUARE", "ORDER1",
    "ORDER2", "DESCRIPTION", "DES", "ANNOTATE", "ANNO", "NAME", "CFRAME", "CTEXT", "CT", "HREF", "LHREF", "LH",
    "CHREF", "CH", "HREFLABELS", "HREFLABEL", "HREFLAB", "VREF", "LVREF", "LV", "CVREF", "CV", "VREFLABELS",
    "VREFLABEL", "VREFLAB", "CGRID", "CAXIS", "CAXES", "CA", "CFRAMETOP", "CFRAMESIDE", "LGRID", "WAXIS",
    "VREFLABPOS", "HREFLABPOS", "HOFFSET", "VOFFSET", "INTERTILE", "LFIT", "NROWS", "NROW", "DOWN", "NCOLS",
    "NCOL", "ACROSS", "FONT", "INFONT", "HEIGHT", "INHEIGHT", "CCENSOR", "JITTER", "CENSYMBOL", "CENCOLOR",
    nullptr};

const goption g_mcfplot_opts[] = {
    F("LOGLOG|LLOG", 1),
    F("NOVARIANCE|NOVAR", 2),
    F("VARMETHOD2", 3),
    F("NOLEGEND", 24),
    F("NOVTICK", 25),
    F("NOVLABEL", 26),
    F("NOHLABEL", 27),
    F("MCFDIFF|MCFDIFFS", 30),
    F("INDINC", 36),
    F("LOGINTERVALS", 37),
    F("NOHTICK", 55),
    F("NOCENPRINT", 56),
    NR("CONFIDENCE|CONF", 6, 0, 1),
    N("HLOWER|HLO", 7),
    N("HUPPER|HUP", 8),
    N("NHTICK", 11),
    N("NVTICK", 12),
    withvals(NAME("MCFLEGEND|MLEGEND", 29), none24),
    N("VLOWER|VLO", 45),
    N("VUPPER|VUP", 46),
    NL("VAXIS", 47),
    NL("HAXIS", 50),
    TEXT("VAXISLABEL", 51),
    NAMES("PLOTSYMBOL", 121),
    NAMES("PLOTCOLOR|CFIT", 122),
    KW("VARIANCE", variance),
    KW("INTERPOLATE|I", interp),
    NOL("NRISK", 126),
};
const int16_t g_mcfplot_nopts = sizeof g_mcfplot_opts / sizeof g_mcfplot_opts[0];
