// The statements of the procedure: keywords, heads, highest slots and option tables.
#include "proc/framework/grammar_build.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/optslots.h"

using namespace gb;

namespace {

const goptset procsets[] = {{g_proc_opts, g_proc_nopts, nullptr, nullptr}};
const goptset classsets[] = {{g_class_opts, g_class_nopts, nullptr, nullptr}};
const goptset analyzesets[] = {{g_analyze_opts, g_analyze_nopts, nullptr, nullptr}};
const goptset probsets[] = {{g_probplot_opts, g_probplot_nopts, nullptr, nullptr}};
const goptset relsets[] = {{g_relplot_opts, g_relplot_nopts, nullptr, nullptr},
                           {g_probplot_opts, g_probplot_nopts, nullptr, g_relplot_except}};
const goptset mcfsets[] = {{g_mcfplot_opts, g_mcfplot_nopts, nullptr, nullptr},
                           {g_probplot_opts, g_probplot_nopts, g_mcfplot_shared, nullptr}};
const goptset modelsets[] = {{g_model_opts, g_model_nopts, nullptr, nullptr}};
const goptset logsets[] = {{g_logscale_opts, g_logscale_nopts, nullptr, nullptr}};
const goptset insetsets[] = {{g_inset_opts, g_inset_nopts, nullptr, nullptr}};
const goptset fmodesets[] = {{g_fmode_opts, g_fmode_nopts, nullptr, nullptr}};
const goptset makesets[] = {{g_make_opts, g_make_nopts, nullptr, nullptr}};

gstatement st(const char* names, int highest, uint8_t head) {
    gstatement s{};
    s.names = names;
    s.highest = static_cast<int16_t>(highest);
    s.head = head;
    return s;
}
template <std::size_t M>
gstatement with(gstatement s, const goptset (&sets)[M]) {
    s.sets = sets;
    s.nsets = static_cast<int16_t>(M);
    return s;
}
gstatement analysis(gstatement s, uint16_t responses, int ivslot = slot::head::RESP2) {
    s.responses = responses;
    s.ivslot = static_cast<int16_t>(ivslot);
    return s;
}
gstatement procvar(const char* names, uint8_t head, int slot) {
    gstatement s = st(names, -1, head);
    s.procslot = static_cast<int16_t>(slot);
    return s;
}
gstatement labelled(gstatement s) {
    s.labelled = true;
    return s;
}
gstatement noslash(gstatement s) {
    s.noslash = true;
    return s;
}

const gstatement statements[] = {
    noslash(with(st("VITALYX", slot::proc::HIGHEST, GH_PROC), procsets)),
    st("BY", -1, GH_BY),
    with(st("CLASS|CLASSES", -1, GH_CLASS), classsets),
    procvar("FREQ|FREQUENCY", GH_ONEVAR, slot::proc::FREQ),
    procvar("NENTER", GH_ONEVAR, slot::proc::NENTER),
    procvar("EXPOSURE", GH_ONEVAR, slot::proc::EXPOSURE),
    st("DISTRIBUTION|DIST|D", -1, GH_DIST),
    procvar("UNITID", GH_VARS, slot::proc::UNITID),
    labelled(with(analysis(st("ANALYZE", slot::plot::HIGHEST_ANALYZE, GH_RESPONSE), GR_TIME | GR_CENSOR | GR_INTERVAL | GR_EVENTS | GR_NONE),
                  analyzesets)),
    labelled(with(analysis(st("PROBPLOT|PPLOT", slot::plot::HIGHEST, GH_RESPONSE), GR_TIME | GR_CENSOR | GR_INTERVAL | GR_EVENTS),
                  probsets)),
    [] {
        gstatement s = labelled(with(analysis(st("RELATIONPLOT|RPLOT", slot::plot::HIGHEST, GH_STRESS), GR_TIME | GR_CENSOR | GR_INTERVAL),
                                     relsets));
        s.varslot = slot::plot::STRESSVAR;
        s.varvalslot = slot::plot::STRESSVALUES;
        return s;
    }(),
    labelled(with(st("MCFPLOT|MPLOT", slot::plot::HIGHEST, GH_MCF), mcfsets)),
    with(analysis(st("MODEL", slot::model::HIGHEST, GH_MODEL), GR_TIME | GR_CENSOR | GR_INTERVAL,
                  slot::head::MODEL_UPPER),
         modelsets),
    with(st("LOGSCALE", slot::logscale::HIGHEST, GH_EFFECTS), logsets),
    with(st("INSET", slot::inset::HIGHEST, GH_INSET), insetsets),
    with(st("FMODE|FMODES", slot::fmode::HIGHEST, GH_FMODE), fmodesets),
    noslash(with(st("MAKE", slot::make::HIGHEST, GH_MAKE), makesets)),
};

const grammar vitalyx_grammar = [] {
    grammar g{};
    g.procname = "VITALYX";
    g.stmts = statements;
    g.nstmts = sizeof statements / sizeof statements[0];
    g.dists = g_distributions;
    g.ndists = g_ndistributions;
    g.relations = g_relations;
    g.nrelations = g_nrelations;
    g.insetitems = g_inset_items;
    g.ninsetitems = g_inset_nitems;
    g.insetdists = g_inset_dists;
    g.ninsetdists = g_inset_ndists;
    g.classmax = 2;
    g.namelendefault = 20;
    return g;
}();

}  // namespace

const grammar* vyxgrammar() { return &vitalyx_grammar; }
