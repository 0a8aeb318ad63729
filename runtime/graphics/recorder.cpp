// The recording canvas.
#include "runtime/graphics/recorder.h"

namespace rt::gfx {

std::vector<const Prim*> RecordingCanvas::of(Prim::Kind k) const {
    std::vector<const Prim*> v;
    for (const Prim& p : prims)
        if (p.kind == k) v.push_back(&p);
    return v;
}

std::vector<std::string> RecordingCanvas::texts() const {
    std::vector<std::string> v;
    for (const Prim& p : prims)
        if (p.kind == Prim::Text) v.push_back(p.text);
    return v;
}

void RecordingCanvas::begin(double w, double h, const Rgb& background) {
    prims.clear();
    width = w;
    height = h;
    Prim p(Prim::Begin);
    p.xy = {w, h};
    p.color = background;
    prims.push_back(std::move(p));
}

void RecordingCanvas::line(double x0, double y0, double x1, double y1, const Stroke& s) {
    Prim p(Prim::Line);
    p.xy = {x0, y0, x1, y1};
    p.stroke = s;
    prims.push_back(std::move(p));
}

void RecordingCanvas::polyline(const double* xy, size_t n, const Stroke& s) {
    Prim p(Prim::Polyline);
    p.xy.assign(xy, xy + 2 * n);
    p.stroke = s;
    prims.push_back(std::move(p));
}

void RecordingCanvas::fill(const double* xy, size_t n, const Rgb& c, double opacity) {
    Prim p(Prim::Fill);
    p.xy.assign(xy, xy + 2 * n);
    p.color = c;
    p.opacity = opacity;
    prims.push_back(std::move(p));
}

void RecordingCanvas::hatch(const double* xy, size_t n, const Stroke& s, double angle, double spacing) {
    Prim p(Prim::Hatch);
    p.xy.assign(xy, xy + 2 * n);
    p.stroke = s;
    p.angle = angle;
    p.size = spacing;
    prims.push_back(std::move(p));
}

void RecordingCanvas::markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t n) {
    Prim p(Prim::Markers);
    p.xy.assign(xy, xy + 2 * n);
    p.stroke = s;
    p.text = m.name;
    p.size = size;
    prims.push_back(std::move(p));
}

void RecordingCanvas::text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) {
    Prim p(Prim::Text);
    p.xy = {x, y};
    p.text = std::string(utf8);
    p.style = t;
    p.angle = angle;
    p.anchor = a;
    prims.push_back(std::move(p));
}

void RecordingCanvas::pushclip(double x0, double y0, double x1, double y1) {
    Prim p(Prim::PushClip);
    p.xy = {x0, y0, x1, y1};
    prims.push_back(std::move(p));
}

void RecordingCanvas::popclip() { prims.push_back(Prim(Prim::PopClip)); }

bool RecordingCanvas::end() {
    prims.push_back(Prim(Prim::End));
    return true;
}

}  // namespace rt::gfx
