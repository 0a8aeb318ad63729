// The pages of device-graphics plots in report.html: each page of the report's destination
// inlined as SVG (ids prefixed by the page) or, when too large, as a PNG data URI.

#include "host/vec116_graphics.h"
#include "runtime/graphics/devstate.h"
#include "runtime/output/embed.h"
#include "runtime/output/program.h"

namespace rt::out {

void Program::devicepages(const PageSet& ps) {
    sectionfor();
    interrupt();
    heading(std::string());
    // The report is the destination named HTML; with none of that name, the first one.
    const std::vector<void*>* segs = nullptr;
    for (const auto& d : ps.dests)
        if (d.first == "HTML") segs = &d.second;
    if (!segs && !ps.dests.empty()) segs = &ps.dests.front().second;
    std::string html = "<figure class=\"pages\" data-graph=\"" + htmlescape(ps.segname) + "\" data-template=\"device graphics\">\n";
    if (const rt::gfx::DeviceState* d = rt::gfx::begundevstate(); d && !d->unusable().empty())
        html += "<p>The plot could not be drawn: " + htmlescape(d->unusable()) + ".</p>\n";
    if (segs)
        for (void* r : *segs) {
            const auto* rec = static_cast<const segrec*>(r);
            const rt::gfx::Page* page = rec ? rt::gfx::findpage(rec->cathandles[0]) : nullptr;
            if (!page || !page->written) continue;
            std::string svg = slurp(page->svgpath);
            std::string id = "vxp" + std::to_string(page->id) + "-";
            if (!svg.empty() && svg.size() <= kInlineSvgLimit) {
                html += "<div class=\"page\" id=\"" + htmlescape(page->name) + "\" title=\"" + htmlescape(page->description) + "\">\n" +
                        inlinesvg(svg, id) + "</div>\n";
            } else if (std::string png = slurp(page->pngpath); !png.empty()) {
                html += "<img id=\"" + htmlescape(page->name) + "\" alt=\"" + htmlescape(page->description) +
                        "\" src=\"data:image/png;base64," + base64(png) + "\">\n";
            }
        }
    html += "<figcaption>" + htmlescape(ps.seglabel.empty() ? ps.segname : ps.seglabel) + "</figcaption>\n</figure>\n";
    this->html.write(html);
}

}  // namespace rt::out
