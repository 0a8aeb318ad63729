// The runtime's renderer of statistical graphs: for every template path the procedure can
// request, a layout that binds the phantom columns by name and reads the dynamic variables
// (docs/statistical-graphics.md lists them). A graph is drawn on a canvas; drawgraph makes
// its page in graphics/ (SVG and PNG) and gives it to the report.
#pragma once
#include <functional>
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

struct Graph {
    const rt::out::GraphRequest* req = nullptr;
    std::vector<const rt::out::PhantomData*> data;   // in the request's reference order
    std::string byline;                               // the BY group's line ("plant=A"), empty without BY
    // The first phantom of that name, or null.
    const rt::out::PhantomData* named(std::string_view name) const;
};

// Draws the graph on the canvas (begun with the page size here, ended by the caller).
// False with the reason when the template is unknown or the data do not fit it.
bool render(const Graph& g, gfx::Canvas& c, std::string& why);

// Tests watch the graphs as they are requested (request and phantom data, before drawing);
// an empty function watches nothing.
std::function<void(const Graph&)>& graphwatch();

// Page size of every graph, points.
constexpr double kPageWidth = 576, kPageHeight = 432;

// ---- the layouts of the three families
bool probplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);
bool mcfplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);
bool relplot(const Graph& g, const TemplateSpec& t, gfx::Canvas& c, std::string& why);

}  // namespace rt::sgr
