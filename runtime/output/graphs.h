// What the statistical graphics hand over: phantom data (rows of a phantom object, kept
// column by column, runtime/output/phantom.h) and graph requests with their dynamic
// variables, which the renderer draws when the request comes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
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

// Pages of device graphics handed over at the end of a plot statement (method 4966):
// per destination the segment records, valid while the plot statement runs.
struct PageSet {
    std::string segname, seglabel;
    std::vector<std::pair<std::string, std::vector<void*>>> dests;
};

}  // namespace rt::out
