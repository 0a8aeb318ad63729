// What the statistical graphics hand over: phantom data (rows of a phantom object, kept
// column by column, runtime/output/phantom.h) and graph requests with their dynamic
// variables, which the renderer draws when the request comes. The renderer
// (runtime/sgraph) lies above the output: the host registers it here, so that the output
// reaches it without including it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "runtime/graphics/canvas.h"
#include "runtime/output/phantom.h"

namespace rt::out {

struct GraphValue {
    enum Kind { Text, Int, Double } kind = Text;
    std::string s;
    int32_t i = 0;
    double d = 0;
};

struct GraphRequest {
    std::string name, label, description, templ;
    std::vector<uint32_t> refs;                 // phantom data references, in order
    std::vector<std::pair<std::string, GraphValue>> vars;       // dynamic variables
    std::vector<std::pair<std::string, GraphValue>> extravars;  // the inset's (item list)
    int step = 0;
};

// A graph as the renderer draws it: the request and the phantom data it names.
struct Graph {
    const GraphRequest* req = nullptr;
    std::vector<const PhantomData*> data;   // in the request's reference order
    std::string byline;                     // the BY group's line ("plant=A"), empty without BY
    // The first phantom of that name, or null.
    const PhantomData* named(std::string_view name) const;
};

// Page size of every graph, points.
constexpr double kGraphWidth = 576, kGraphHeight = 432;

// What the drawing of a graph left out, for the log: warnings (each text once), and the number
// of reference labels their columns had no room for (the procedure names the count of its
// statement once, as the device road does).
struct GraphLog {
    std::vector<std::string> warnings;
    int labelsleft = 0;
    // The insets placed over the data, no place of theirs being clear of it: how many, the
    // markers whose centres they hold, whether part of a line, of a marker or of a band lies
    // under one, and the class values of the first one's panel (none: a plot of one panel).
    struct Insets {
        int count = 0, points = 0;
        bool lines = false, marker = false, band = false;
        std::string first[2];
    } insets;
};

// Draws the graph on the canvas (begun with the page size, ended by the caller). False with
// the reason when the graph cannot be drawn (the template is unknown or the data do not fit
// it); log gets what the drawing left out.
using GraphRenderer = bool (*)(const Graph& g, gfx::Canvas& c, std::string& why, GraphLog& log);
// The renderer of statistical graphs; null until the host registers one (a graph is then
// not drawn, and says so).
void setgraphrenderer(GraphRenderer r);
GraphRenderer graphrenderer();

// Tests watch the graphs as they are requested (request and phantom data, before drawing);
// an empty function watches nothing.
std::function<void(const Graph&)>& graphwatch();

// Pages of device graphics handed over at the end of a plot statement (method 4966):
// per destination the segment records, valid while the plot statement runs.
struct PageSet {
    std::string segname, seglabel;
    std::vector<std::pair<std::string, std::vector<void*>>> dests;
};

}  // namespace rt::out
