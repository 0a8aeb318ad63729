// The layout of a graph page: the BY line and the title, a grid of panel frames sharing their
// axes, the axis titles along the outer edges, a legend under the panels; and a page's
// drawing target.
#pragma once
#include <string>
#include <vector>

#include "runtime/sgraph/frame.h"

namespace rt::sgr {

struct PageSpec {
    double width = 576, height = 432;   // points: the device's page of 8 x 6 inches
    std::string byline;                 // the BY group's line, above the title
    std::string title;
    int rows = 1, cols = 1;
    bool strips = false;                // a text strip above each panel
    double above = 0;                   // room above each frame (censored-mark strip)
    double beside = 0;                  // room right of each frame (the strip of a turned plot)
    double legend = 0;                  // height of the legend under the panels
    double right = 0;                   // room right of the panels (a side panel, labels)
    Axis x, y;                          // measured for the tick labels
    std::vector<std::string> xtitles;   // one bottom title per column, in place of x.title
    int used = 0;                       // the panels drawn, from the top left (0: all); the
                                        // axis titles stand at them
};

struct PageLayout {
    std::vector<Frame> frames;          // row by row from the top left
    double legendtop = 0, left = 0, right = 0;
    double areatop = 0, areabottom = 0; // the panels' span, for the axis titles
};

// Where everything goes, drawing nothing. The last label of the bottom axis, centred on its
// tick at the frame's right end, stays inside the page.
PageLayout pagegeometry(const PageSpec& plan);
// Draws the BY line, the title and the axis titles (on the last page of panels, where fewer
// are drawn, at the panels drawn: under the lowest row of them, beside their height); returns
// the frames (each with the axes its page plan gives).
PageLayout pagelayout(Canvas& c, const PageSpec& plan);

}  // namespace rt::sgr
