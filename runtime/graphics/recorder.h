// A canvas that keeps every primitive with its arguments, for tests: what was drawn, where,
// in which colour, line type and font, in order. Positions are kept in points as drawn;
// pctx and pcty give them back in percent of the page.
#pragma once
#include <string>
#include <vector>
#include "runtime/graphics/canvas.h"

namespace rt::gfx {

struct Prim {
    enum Kind { Begin, Line, Polyline, Fill, Hatch, Markers, Text, PushClip, PopClip, End } kind;
    explicit Prim(Kind k) : kind(k) {}
    std::vector<double> xy;         // points, x and y in turn (PushClip: x0, y0, x1, y1)
    Stroke stroke;                  // Line, Polyline, Hatch, Markers
    Rgb color;                      // Fill, Begin (background)
    double opacity = 1;             // Fill
    std::string text;               // Text; Markers: the shape's name
    TextStyle style;                // Text
    double angle = 0;               // Text, Hatch
    double size = 0;                // Markers: size; Hatch: spacing
    Anchor anchor = Anchor::Start;  // Text
};

class RecordingCanvas : public Canvas {
public:
    std::vector<Prim> prims;
    double width = 0, height = 0;

    double pctx(double x) const { return width > 0 ? x / width * 100.0 : 0; }
    double pcty(double y) const { return height > 0 ? y / height * 100.0 : 0; }
    // The primitives of one kind, in order.
    std::vector<const Prim*> of(Prim::Kind k) const;
    // The texts drawn, in order.
    std::vector<std::string> texts() const;

    void begin(double w, double h, const Rgb& background) override;
    void line(double x0, double y0, double x1, double y1, const Stroke& s) override;
    void polyline(const double* xy, size_t n, const Stroke& s) override;
    void fill(const double* xy, size_t n, const Rgb& c, double opacity = 1.0) override;
    void hatch(const double* xy, size_t n, const Stroke& s, double angle, double spacing) override;
    void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t n) override;
    void text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) override;
    void pushclip(double x0, double y0, double x1, double y1) override;
    void popclip() override;
    bool end() override;
};

// Hands every call to each of its canvases; ends them all.
class TeeCanvas : public Canvas {
public:
    std::vector<Canvas*> to;
    void begin(double w, double h, const Rgb& b) override { for (auto* c : to) c->begin(w, h, b); }
    void line(double x0, double y0, double x1, double y1, const Stroke& s) override { for (auto* c : to) c->line(x0, y0, x1, y1, s); }
    void polyline(const double* xy, size_t n, const Stroke& s) override { for (auto* c : to) c->polyline(xy, n, s); }
    void fill(const double* xy, size_t n, const Rgb& col, double opacity = 1.0) override {
        for (auto* c : to) c->fill(xy, n, col, opacity);
    }
    void hatch(const double* xy, size_t n, const Stroke& s, double a, double sp) override { for (auto* c : to) c->hatch(xy, n, s, a, sp); }
    void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t n) override {
        for (auto* c : to) c->markers(m, size, s, xy, n);
    }
    void text(std::string_view t, double x, double y, double a, Anchor an, const TextStyle& st) override {
        for (auto* c : to) c->text(t, x, y, a, an, st);
    }
    void pushclip(double x0, double y0, double x1, double y1) override { for (auto* c : to) c->pushclip(x0, y0, x1, y1); }
    void popclip() override { for (auto* c : to) c->popclip(); }
    bool end() override {
        bool ok = true;
        for (auto* c : to) ok = c->end() && ok;
        return ok;
    }
    std::string error() const override {
        for (auto* c : to)
            if (!c->error().empty()) return c->error();
        return {};
    }
};

}  // namespace rt::gfx
