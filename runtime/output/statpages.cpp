// Graphs of the statistical graphics: the renderer draws the request's template from the
// phantom data it names onto a page of the device state (so the page is named, written to
// graphics/ and recorded for the tests exactly as device pages are), and the page goes into
// the report where the request came.
#include <algorithm>
#include <cstring>

#include "runtime/graphics/devstate.h"
#include "runtime/output/embed.h"
#include "runtime/output/program.h"
#include "runtime/supervisor/supervisor.h"

namespace rt::out {

namespace {

// What a page's insets hide, added to the procedure's tally of its plot statement.
void addinsets(const GraphLog::Insets& from, obinsethidden* to) {
    if (!to || from.count == 0) return;
    if (to->insets == 0)
        for (int k = 0; k < 2; ++k) {
            const size_t n = std::min(from.first[k].size(), sizeof to->first[k] - 1);
            std::memcpy(to->first[k], from.first[k].data(), n);
            to->first[k][n] = '\0';
        }
    to->insets += from.count;
    to->points += from.points;
    to->lines |= from.lines ? 1 : 0;
    to->marker |= from.marker ? 1 : 0;
    to->band |= from.band ? 1 : 0;
}

}  // namespace

int Program::statgraph(const GraphRequest& g, obinsethidden* insets) {
    Graph G;
    G.req = &g;
    // A page of a BY group says which group it shows, as the report does above the figure.
    G.byline = bylinetext(currentby(sess));
    for (uint32_t ref : g.refs) {
        const PhantomData* found = nullptr;
        for (const auto& p : phantoms)
            if (p->ref == ref) found = p.get();
        G.data.push_back(found);
    }
    if (const auto& watch = graphwatch()) watch(G);
    gfx::DeviceState& d = gfx::devstate(sess);
    auto page = std::make_unique<gfx::Page>();
    gfx::Page* p = page.get();
    p->id = static_cast<uint32_t>(d.pages.size() + 1);
    p->name = d.uniquename(g.name);
    p->description = g.description.empty() ? g.label : g.description;
    p->wpt = kGraphWidth;
    p->hpt = kGraphHeight;
    if (d.filesready()) {
        std::string stem = p->name;
        for (char& c : stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        p->svgpath = d.dir + "/" + stem + ".svg";
        p->pngpath = d.dir + "/" + stem + ".png";
        p->cairo = std::make_unique<gfx::CairoCanvas>(p->svgpath, p->pngpath, d.dev().dpi);
        p->tee.to.push_back(p->cairo.get());
    }
    if (d.record) {
        p->rec = std::make_unique<gfx::RecordingCanvas>();
        p->tee.to.push_back(p->rec.get());
    }
    d.pages.push_back(std::move(page));
    p->tee.begin(p->wpt, p->hpt, gfx::Rgb{1, 1, 1});
    std::string why;
    GraphLog log;
    const GraphRenderer render = graphrenderer();
    if (!render) why = "no renderer of statistical graphs is registered";
    const bool drawn = render && render(G, p->tee, why, log);
    for (const std::string& w : log.warnings) sup::logline(sess, 'W', w);
    if (drawn) addinsets(log.insets, insets);
    const bool ok = d.endpage(*p);
    if (!drawn) sup::logline(sess, 'W', "The graph " + g.name + " is not drawn: " + why + ".");
    if (!ok) sup::logstatementerror(sess, "The graphics page " + p->name + " could not be written: " + p->tee.error() + ".");
    if (why.empty()) why = d.unusable();

    sectionfor();
    interrupt();
    heading(std::string());
    std::string h = "<figure class=\"plot\" data-graph=\"" + htmlescape(g.name) + "\" data-template=\"" + htmlescape(g.templ) + "\">\n";
    std::string svg = drawn && p->written ? slurp(p->svgpath) : std::string();
    if (!svg.empty() && svg.size() <= kInlineSvgLimit) {
        h += "<div class=\"page\" id=\"" + htmlescape(p->name) + "\" title=\"" + htmlescape(p->description) + "\">\n" +
             inlinesvg(svg, "vxp" + std::to_string(p->id) + "-") + "</div>\n";
    } else if (std::string png = drawn && p->written ? slurp(p->pngpath) : std::string(); !png.empty()) {
        h += "<img id=\"" + htmlescape(p->name) + "\" alt=\"" + htmlescape(p->description) + "\" src=\"data:image/png;base64," +
             base64(png) + "\">\n";
    } else {
        h += "<p>The graph could not be drawn" + (why.empty() ? std::string() : ": " + htmlescape(why)) + ".</p>\n";
    }
    h += "<figcaption>" + htmlescape(g.label.empty() ? g.name : g.label) + "</figcaption>\n</figure>\n";
    html.write(h);
    return drawn ? log.labelsleft : 0;
}

}  // namespace rt::out
