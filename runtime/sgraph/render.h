// The runtime's renderer of statistical graphs: for every template path the procedure can
// request, a layout that binds the phantom columns by name and reads the dynamic variables
// (docs/statistical-graphics.md lists them). A graph is drawn on a canvas; the output makes
// its page in graphics/ (SVG and PNG) and gives it to the report.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "runtime/graphics/canvas.h"
#include "runtime/output/graphs.h"

namespace rt::sgr {

enum class Family { Probability, MCF, Relation };

// What a template path asks for.
struct TemplateSpec {
    const char* path;
    Family family;
    int classes;        // 0, 1 or 2 class variables laid out in panels; -1 overlay (MCF)
    bool perlim;        // the band of the fitted line is a band of times (percentile limits)
    bool rotate;        // the time on the vertical axis
    bool fm;            // failure modes combined
    int mcftype;        // MCF: 0 points, 1 steps, 2 joined; -1 from _IType
    int relation;       // RegPercentiles1, 2 or 3
};

// The page description of a template path (case-blind), or null.
const TemplateSpec* findspec(std::string_view path);
// Every path the renderer knows, in the order of the table.
std::vector<std::string> specpaths();

// The output's graph: its request and phantom data.
using Graph = out::Graph;

// Draws the graph on the canvas (begun with the page size, ended by the caller). False
// with the reason when the template is unknown or the data do not fit it; log gets, each
// once, what the page leaves out (a reference line off its axis), and the number of reference
// labels left out of their columns. The host registers it with the output
// (out::setgraphrenderer).
bool render(const Graph& g, gfx::Canvas& c, std::string& why, out::GraphLog& log);

// While a graph is drawn, a warning for the log of the run (the same text once a graph).
void warn(const std::string& text);
// While a graph is drawn, n more reference labels left out for want of room in their columns.
void labelsleftout(int n);
// While a graph is drawn, an inset placed over some of the data, no place of its own being
// clear of it: the markers whose centres it holds, whether part of a line, of a marker or of a
// band lies under it, and the class values of its panel (empty: a plot of one panel).
void insetover(int points, bool lines, bool marker, bool band, const std::string& a, const std::string& b);

// Page size of every graph, points.
constexpr double kPageWidth = out::kGraphWidth, kPageHeight = out::kGraphHeight;

// ---- the layouts of the three families
bool probplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);
bool mcfplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);
bool relplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);

}  // namespace rt::sgr
