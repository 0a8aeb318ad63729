// PROBPLOT, RELATIONPLOT and MCFPLOT options. The three statements and ANALYZE share one
// numbering of slots and flags, so that shared drawing and table routines read any of them.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_shared.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {
namespace ps = slot::plot;
namespace pf = flag::plot;
namespace ms = slot::mcf;
namespace mf = flag::mcf;

constexpr goption hsect[] = {F("INTERSECT", pf::HINTERSECT)};
constexpr goption vsect[] = {F("INTERSECT", pf::VINTERSECT)};
constexpr gvalkw ppos[] = {K("EXPRANK", ps::PPOS, code::ppos::EXPRANK), K("MEDRANK", ps::PPOS, code::ppos::MEDRANK),
                           K("MEDRANK1", ps::PPOS, code::ppos::MEDRANK1), K("KM", ps::PPOS, code::ppos::KM),
                           K("MKM", ps::PPOS, code::ppos::MKM), K("NA|NELSONAALEN", ps::PPOS, code::ppos::NA)};
constexpr goption wbconf[] = {NR("CONF|CONFIDENCE", ps::WBCONF, 0, 1)};
constexpr gvalkw fittype[] = {K("MLE", ps::FITTYPE, FIT_MLE), K("LSYX", ps::FITTYPE, FIT_LSYX),
                              K("LSXY|LS", ps::FITTYPE, FIT_LSXY), K("MODEL", ps::FITTYPE, FIT_MODEL),
                              K("NONE", ps::FITTYPE, FIT_NONE), KS("WEIBAYES|WB", ps::FITTYPE, FIT_WEIBAYES, wbconf)};
constexpr gvalkw fittype_rel[] = {K("MLE", ps::FITTYPE, FIT_MLE), K("LSYX", ps::FITTYPE, FIT_LSYX),
                                  K("LSXY|LS", ps::FITTYPE, FIT_LSXY), K("MODEL", ps::FITTYPE, FIT_MODEL),
                                  K("NONE", ps::FITTYPE, FIT_NONE), K("REGRESSION", ps::FITTYPE, FIT_REGRESSION),
                                  KS("WEIBAYES|WB", ps::FITTYPE, FIT_WEIBAYES, wbconf)};
constexpr gvalkw nopplegend[] = {KF("NONE", pf::NOPPLEGEND)};
constexpr gvalkw norplegend[] = {KF("NONE", pf::NORPLEGEND)};
// NPINTERVALS=SIMULTANEOUS may give the bounds of the bands in parentheses: (lower, upper).
constexpr goption simbounds[] = {V("", GV_NUMBER2, ps::SIMLOWER, ps::SIMUPPER)};
constexpr gvalkw npint[] = {KS("SIMULTANEOUS|SIMUL", ps::NPINTERVALS, code::npintervals::SIMULTANEOUS, simbounds),
                            K("POINTWISE|POINT", ps::NPINTERVALS, code::npintervals::POINTWISE)};
constexpr gvalkw pint[] = {K("PERCENTILES|PER", ps::PINTERVALS, code::pintervals::PERCENTILES),
                           K("PROBABILITY|CDF", ps::PINTERVALS, code::pintervals::PROBABILITY),
                           K("LIKELIHOOD|LRCI", ps::PINTERVALS, code::pintervals::LIKELIHOOD)};
constexpr gvalkw relation[] = {K("ARR|ARRHENIUS", ps::RELATION, code::relation::ARRHENIUS),
                               K("LINEAR", ps::RELATION, code::relation::LINEAR),
                               K("POW|POWER|LOG", ps::RELATION, code::relation::POWER),
                               K("ARR2|ARRHENIUS2|ARRACTIVATION", ps::RELATION, code::relation::ARRHENIUS2),
                               K("LOGISTIC", ps::RELATION, code::relation::LOGISTIC)};
constexpr gvalkw plotdata[] = {K("DATA", ps::PLOTDATA, code::plotdata::DATA), K("BOXES", ps::PLOTDATA, code::plotdata::BOXES),
                               K("MEDIANS", ps::PLOTDATA, code::plotdata::MEDIANS),
                               K("NONE", ps::PLOTDATA, code::plotdata::NONE)};
constexpr gvalkw variance[] = {K("NELSON", ms::VARIANCE, code::variance::NELSON),
                               K("INDINC", ms::VARIANCE, code::variance::INDINC),
                               K("LAWLESS", ms::VARIANCE, code::variance::LAWLESS),
                               K("POISSON", ms::VARIANCE, code::variance::POISSON)};
constexpr gvalkw joinyn[] = {K("YES", ms::JOIN, code::join::YES), K("NO", ms::JOIN, code::join::NO)};
constexpr goption join[] = {KW("JOIN", joinyn)};
constexpr gvalkw interp[] = {K("NONE", ms::INTERPOLATE, code::interpolate::NONE),
                             KS("STEP", ms::INTERPOLATE, code::interpolate::STEP, join),
                             K("JOIN", ms::INTERPOLATE, code::interpolate::JOIN)};
}  // namespace

const goption g_probplot_opts[] = {
    withtrail(N("LOCATION|INTERCEPT", ps::LOCATION), shared::linit),
    withtrail(NMIN("SCALE", ps::SCALE, 0), shared::scinit),
    withtrail(NMIN("SHAPE", ps::SHAPE, 0), shared::shinit),
    KW("PPOS", ppos),
    KW("ORDER1", shared::order<ps::ORDER1>),
    KW("ORDER2", shared::order<ps::ORDER2>),
    F("NOPPOS", pf::NOPPOS),
    F("NOPOLISH", pf::NOPOLISH),
    F("OVERLAY", pf::OVERLAY),
    F("MISSING1", pf::MISSING1),
    F("MISSING2", pf::MISSING2),
    F("INBORDER", pf::INBORDER),
    F("ROTATE", pf::ROTATE),
    F("NOFITLINE|NOFIT", pf::NOFITLINE),
    F("NOCONF|NOCL", pf::NOCONF),
    F("NOGRID", pf::NOGRID),
    F("NOFRAME", pf::NOFRAME),
    F("NOPPLEGEND", pf::NOPPLEGEND),
    F("NOPTICK|NOPROBTICK", pf::NOPTICK),
    F("NOPLABEL|NOPROBLABEL", pf::NOPLABEL),
    F("NOLLABEL|NOLIFELABEL", pf::NOLLABEL),
    F("TURNVLABEL|TURNVLABELS", pf::TURNVLABEL),
    F("NOCENPLOT", pf::NOCENPLOT),
    F("ITPRINT", pf::ITPRINT),
    F("LRCL", pf::LRCL),
    F("MPGRID", pf::MPGRID),
    F("MINORLOGGRID|MLGRID", pf::MINORLOGGRID),
    F("LRCLPER", pf::LRCLPER),
    F("PPLOT", pf::PPLOT),
    F("NORPLEGEND", pf::NORPLEGEND),
    F("NOPCTILE|NOPCTILES", pf::NOPCTILE),
    withtrail(F("READOUT", pf::READOUT), shared::nlast),
    F("NOINSET", pf::NOINSET),
    C("PCONFPLT", ps::NPINTERVALS, code::npintervals::POINTWISE, pf::PCONFPLT),
    F("PPOUT", pf::PPOUT),
    F("CORRB", pf::CORRB),
    F("COVB", pf::COVB),
    F("CENBIN", pf::CENBIN),
    F("CCENBIN", pf::CCENBIN),
    F("BOXPLOT", pf::BOXPLOT),
    F("NOLTICK|NOLIFETICK", pf::NOLTICK),
    F("NOSTICK|NOSTRESSTICK", pf::NOSTICK),
    F("NOSLABEL|NOSTRESSLABEL", pf::NOSLABEL),
    F("ITPRINTEM", pf::ITPRINTEM),
    F("PRINTPROBS", pf::PRINTPROBS),
    F("SQUARE", pf::SQUARE),
    F("NOEXCLUDE", pf::NOEXCLUDE),
    NL("PCTLIST", ps::PCTLIST),
    KW("FITTYPE|FIT", fittype),
    NMIN("MAXIT|MAXITER", ps::MAXIT, 0),
    NMIN("CONVERGE", ps::CONVERGE, 0),
    NMIN("SINGULAR", ps::SINGULAR, 0),
    NR("CONFIDENCE|CONF", ps::CONFIDENCE, 0, 1),
    NL("SURVTIME", ps::SURVTIME),
    N("THRESHOLD|T", ps::THRESHOLD),
    TEXT("DESCRIPTION|DES", ps::DESCRIPTION),
    V("ANNOTATE|ANNO", GV_DATASET, ps::ANNOTATE),
    TEXT("NAME", ps::NAME),
    withvals(NAME("PPLEGEND|PPLOTLEGEND", ps::PPLEGEND), nopplegend),
    NAME("CFRAME", ps::CFRAME),
    NAME("CTEXT|CT", ps::CTEXT),
    withtrail(NL("HREF", ps::HREF), hsect),
    withtrail(NL("LREF|LIFEREF", ps::LREF), hsect),
    N("LHREF|LH", ps::LHREF),
    NAME("CHREF|CH", ps::CHREF),
    QSL("HREFLABELS|HREFLABEL|HREFLAB", ps::HREFLABELS),
    QSL("LREFLABELS|LREFLABEL|LREFLAB", ps::LREFLABELS),
    withtrail(NL("VREF", ps::VREF), vsect),
    withtrail(NL("PREF|PROBREF", ps::PREF), vsect),
    N("LVREF|LV", ps::LVREF),
    NAME("CVREF|CV", ps::CVREF),
    QSL("VREFLABELS|VREFLABEL|VREFLAB", ps::VREFLABELS),
    QSL("PREFLABELS|PREFLABEL|PREFLAB", ps::PREFLABELS),
    NAME("CFRAMENLEG", ps::CFRAMENLEG),
    NAME("CGRID", ps::CGRID),
    NAME("CAXIS|CAXES|CA", ps::CAXIS),
    NAME("CFRAMETOP", ps::CFRAMETOP),
    NAME("CFRAMESIDE", ps::CFRAMESIDE),
    NR("PSTABLE", ps::PSTABLE, 0, 1),
    NMIN("LGRID", ps::LGRID, 0),
    N("WAXIS", ps::WAXIS),
    NL("LAXIS", ps::LAXIS),
    TEXT("PAXISLABEL", ps::PAXISLABEL),
    N("VREFLABPOS", ps::VREFLABPOS),
    N("HREFLABPOS", ps::HREFLABPOS),
    N("NTICK", ps::NTICK),
    NR("PCTUPPER|PUPPER", ps::PCTUPPER, 0, 100),
    NR("PCTLOWER|PLOWER", ps::PCTLOWER, 0, 100),
    N("LIFEUPPER|LUPPER", ps::LIFEUPPER),
    N("LIFELOWER|LLOWER", ps::LIFELOWER),
    N("HOFFSET", ps::HOFFSET),
    N("VOFFSET", ps::VOFFSET),
    NR("INTERTILE", ps::INTERTILE, 0, 100),
    NOL("LFIT", ps::LFIT),
    NAMES("CFIT", ps::CFIT),
    N("WFIT", ps::WFIT),
    N("NROWS|NROW|DOWN", ps::NROWS),
    N("NCOLS|NCOL|ACROSS", ps::NCOLS),
    TEXT("FONT", ps::FONT),
    TEXT("INFONT", ps::INFONT),
    N("HEIGHT", ps::HEIGHT),
    N("INHEIGHT", ps::INHEIGHT),
    NAME("CCENSOR", ps::CCENSOR),
    N("JITTER", ps::JITTER),
    NL("DEFPCTLIST", ps::DEFPCTLIST),
    NAMES("CENSYMBOL", ps::CENSYMBOL),
    NAMES("CENCOLOR", ps::CENCOLOR),
    bounded(V("MAXITEM|MAXITEREM", GV_NUMBER2, ps::MAXITEM, ps::MAXITEM2), 0),
    NMIN("TOLLIKE", ps::TOLLIKE, 0),
    NMIN("TOLPROB", ps::TOLPROB, 0),
    NL("PROBLIST", ps::PROBLIST),
    NMIN("CONVH", ps::CONVH, 0),
    KW("NPINTERVALS", npint),
    KW("PINTERVALS", pint),
    withflag(optional(NAME("SHOWMULTIPLES", ps::SHOWMULTIPLES)), pf::SHOWMULTIPLES),
    NAMES("PPOSSYMBOL", ps::PPOSSYMBOL),
    NAMES("PPOSCOLOR", ps::PPOSCOLOR),
    NMIN("NPOINTS", ps::NPOINTS, 0),
};
const int16_t g_probplot_nopts = sizeof g_probplot_opts / sizeof g_probplot_opts[0];

// RELATIONPLOT takes every PROBPLOT option but these.
const char* const g_relplot_except[] = {"ORDER1", "ORDER2", "OVERLAY", "MISSING1", "MISSING2", "NOINSET",
                                        "CENBIN", "MAXITEM", "TOLLIKE", "TOLPROB", "PROBLIST", nullptr};

// RELATIONPLOT's own rows; searched before the shared ones, so its FITTYPE wins.
const goption g_relplot_opts[] = {
    KW("FITTYPE|FIT", fittype_rel),
    KW("RELATION", relation),
    N("STRESSUPPER|SUPPER", ps::STRESSUPPER),
    N("STRESSLOWER|SLOWER", ps::STRESSLOWER),
    N("NSTRESSTICK|NSTICK", ps::NSTRESSTICK),
    withvals(NAME("RPLEGEND|RPLOTLEGEND", ps::RPLEGEND), norplegend),
    N("BOXWIDTHSCALE", ps::BOXWIDTHSCALE),
    N("BOXWIDTH", ps::BOXWIDTH),
    NAME("CBOXES|CBOX|CB", ps::CBOXES),
    NAME("CBOXFILL", ps::CBOXFILL),
    N("LBOXES", ps::LBOXES),
    withconst(withvals(optional(V("PLOTDATA|TYPE", GV_KEYWORD, -1)), plotdata), ps::PLOTDATA, code::plotdata::DATA),
    withflag(optional(noby(V("PLOTFIT", GV_NUMLIST, ps::PLOTFIT))), pf::PLOTFIT),
    NAMES("CPLOTFIT", ps::CPLOTFIT),
    NL("SREF", ps::SREF),
    N("LSREF", ps::LSREF),
    NAME("CSREF|CS", ps::CSREF),
    QSL("SREFLABELS|SREFLABEL|SREFLAB", ps::SREFLABELS),
    NR("SREFLABPOS", ps::SREFLABPOS, 1, 4),
    NAMES("RCENSYMBOL", ps::RCENSYMBOL),
    NAMES("RCENCOLOR", ps::RCENCOLOR),
    NOL("LPLOTFIT", ps::LPLOTFIT),
    NR("PCNTLLOWER", ps::PCNTLLOWER, 0, 100),
    NR("PCNTLUPPER", ps::PCNTLUPPER, 0, 100),
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
    F("LOGLOG|LLOG", mf::LOGLOG),
    F("NOVARIANCE|NOVAR", mf::NOVARIANCE),
    F("VARMETHOD2", mf::VARMETHOD2),
    F("NOLEGEND", mf::NOLEGEND),
    F("NOVTICK", mf::NOVTICK),
    F("NOVLABEL", mf::NOVLABEL),
    F("NOHLABEL", mf::NOHLABEL),
    F("MCFDIFF|MCFDIFFS", mf::MCFDIFF),
    F("INDINC", mf::INDINC),
    F("LOGINTERVALS", mf::LOGINTERVALS),
    F("NOHTICK", mf::NOHTICK),
    F("NOCENPRINT", mf::NOCENPRINT),
    NR("CONFIDENCE|CONF", ms::CONFIDENCE, 0, 1),
    N("HLOWER|HLO", ms::HLOWER),
    N("HUPPER|HUP", ms::HUPPER),
    N("NHTICK", ms::NHTICK),
    N("NVTICK", ms::NVTICK),
    withvals(NAME("MCFLEGEND|MLEGEND", ms::MCFLEGEND), nopplegend),
    N("VLOWER|VLO", ms::VLOWER),
    N("VUPPER|VUP", ms::VUPPER),
    NL("VAXIS", ms::VAXIS),
    NL("HAXIS", ms::HAXIS),
    TEXT("VAXISLABEL", ms::VAXISLABEL),
    NAMES("PLOTSYMBOL", ms::PLOTSYMBOL),
    NAMES("PLOTCOLOR|CFIT", ms::PLOTCOLOR),
    KW("VARIANCE", variance),
    KW("INTERPOLATE|I", interp),
    NOL("NRISK", ms::NRISK),
};
const int16_t g_mcfplot_nopts = sizeof g_mcfplot_opts / sizeof g_mcfplot_opts[0];
