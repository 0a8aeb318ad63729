// The template paths of the statistical graphs and the family layout that draws each.
#include "runtime/sgraph/render.h"

#include <algorithm>
#include "runtime/util/strings.h"

namespace rt::sgr {

namespace {

using F = Family;

// Every template path of the statistical graphics and what it asks for.
constexpr TemplateSpec kSpecs[] = {
    // path                                                      family          cls perlim rotate fm  mcf rel
    {"KV.Vitalyx.Graphics.ProbabilityPlot",                      F::Probability, 0, false, false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotRotate",                F::Probability, 0, false, true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotPerLim",                F::Probability, 0, true,  false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotPerLimRotate",          F::Probability, 0, true,  true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotOneClass",              F::Probability, 1, false, false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotOneClassRotate",        F::Probability, 1, false, true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotOneClassPerLim",        F::Probability, 1, true,  false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotOneClassPerLimRotate",  F::Probability, 1, true,  true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotTwoClass",              F::Probability, 2, false, false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotTwoClassRotate",        F::Probability, 2, false, true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotTwoClassPerLim",        F::Probability, 2, true,  false, false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotTwoClassPerLimRotate",  F::Probability, 2, true,  true,  false, -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotFM",                    F::Probability, 0, false, false, true,  -1, 0},
    {"KV.Vitalyx.Graphics.ProbabilityPlotFMRotate",              F::Probability, 0, false, true,  true,  -1, 0},
    {"KV.Vitalyx.Graphics.MCFNoClass0",                          F::MCF,         0, false, false, false, 0,  0},
    {"KV.Vitalyx.Graphics.MCFNoClass1",                          F::MCF,         0, false, false, false, 1,  0},
    {"KV.Vitalyx.Graphics.MCFNoClass2",                          F::MCF,         0, false, false, false, 2,  0},
    {"KV.Vitalyx.Graphics.MCFOverlay",                           F::MCF,         -1, false, false, false, -1, 0},
    {"KV.Vitalyx.Graphics.MCFOneClassPanelNone",                 F::MCF,         1, false, false, false, 0,  0},
    {"KV.Vitalyx.Graphics.MCFOneClassPanelStep",                 F::MCF,         1, false, false, false, 1,  0},
    {"KV.Vitalyx.Graphics.MCFOneClassPanelJoin",                 F::MCF,         1, false, false, false, 2,  0},
    {"KV.Vitalyx.Graphics.MCFTwoClassPanelNone",                 F::MCF,         2, false, false, false, 0,  0},
    {"KV.Vitalyx.Graphics.MCFTwoClassPanelStep",                 F::MCF,         2, false, false, false, 1,  0},
    {"KV.Vitalyx.Graphics.MCFTwoClassPanelJoin",                 F::MCF,         2, false, false, false, 2,  0},
    {"KV.Vitalyx.Graphics.RegPercentiles1",                      F::Relation,    0, false, false, false, -1, 1},
    {"KV.Vitalyx.Graphics.RegPercentiles2",                      F::Relation,    0, false, false, false, -1, 2},
    {"KV.Vitalyx.Graphics.RegPercentiles3",                      F::Relation,    0, false, false, false, -1, 3},
};

}  // namespace

const TemplateSpec* findspec(std::string_view path) {
    for (const TemplateSpec& t : kSpecs)
        if (util::iequal(t.path, path)) return &t;
    return nullptr;
}

std::vector<std::string> specpaths() {
    std::vector<std::string> v;
    for (const TemplateSpec& t : kSpecs) v.emplace_back(t.path);
    return v;
}

namespace {
thread_local out::GraphLog* g_log = nullptr;
}  // namespace

void warn(const std::string& text) {
    if (!g_log) return;
    std::vector<std::string>& w = g_log->warnings;
    if (std::find(w.begin(), w.end(), text) == w.end()) w.push_back(text);
}

void labelsleftout(int n) {
    if (g_log) g_log->labelsleft += n;
}

void insetover(int points, bool lines, bool marker, bool band, const std::string& a, const std::string& b) {
    if (!g_log) return;
    out::GraphLog::Insets& i = g_log->insets;
    if (i.count++ == 0) i.first[0] = a, i.first[1] = b;
    i.points += points;
    i.lines = i.lines || lines;
    i.marker = i.marker || marker;
    i.band = i.band || band;
}

bool render(const Graph& g, gfx::Canvas& c, std::string& why, out::GraphLog& log) {
    // The layouts report through warn(), labelsleftout() and insetover() while this graph is
    // drawn.
    struct Scope {
        explicit Scope(out::GraphLog* l) { g_log = l; }
        ~Scope() { g_log = nullptr; }
    } scope(&log);
    const TemplateSpec* t = findspec(g.req->templ);
    if (!t) {
        why = "the runtime has no layout for the graph template \"" + g.req->templ + "\"";
        return false;
    }
    switch (t->family) {
    case Family::Probability: return probplot(g, *t, c, why);
    case Family::MCF: return mcfplot(g, *t, c, why);
    case Family::Relation: return relplot(g, *t, c, why);
    }
    return false;
}

}  // namespace rt::sgr
