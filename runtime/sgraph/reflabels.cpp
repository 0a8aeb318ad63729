// The labels of a frame's reference lines, placed by the one placement of both roads
// (common/labelplace.h) once everything inside the frame is drawn, and written there.
#include <algorithm>
#include <cmath>

#include "common/labelplace.h"
#include "runtime/sgraph/reflines.h"
#include "runtime/sgraph/render.h"

namespace rt::sgr {

namespace {

namespace lp = labelplace;

constexpr double kGap = 3;   // points between a line and the text beside it

const gfx::Stroke& leaderstroke() {
    static const gfx::Stroke s{style().reference, 0.6, {}};
    return s;
}

void backing(Canvas& c, const lp::Box& b) {
    const double xy[] = {b.x0, b.y0, b.x1, b.y0, b.x1, b.y1, b.x0, b.y1};
    c.fill(xy, 4, Rgb{1, 1, 1});
}

using Line = RefLabels::Line;

// Where the drawing puts a label: a vertical line's right of it (left when it would leave the
// frame), at its foot when the line stops at a curve and near the top when whole, a row further
// from that end for each line before it; a horizontal line's at its left end, below it in the
// upper half of the frame and above it in the lower.
lp::Spot first(const Line& l, const Frame& f, double w, double h) {
    if (l.vertical()) {
        const bool right = l.x0 + kGap + w < f.x1;
        const int row = l.slot % 4;
        const double y = l.stop ? f.y0 + kGap + h * 1.1 * row : f.y1 - h * (1.1 + 1.1 * row);
        return {right ? l.x0 + kGap : l.x0 - kGap, y, !right};
    }
    const bool below = l.y0 - h - 2 > f.y0 && l.y0 > (f.y0 + f.y1) / 2;
    return {f.x0 + 4, below ? l.y0 - h : l.y0 + kGap, false};
}

}  // namespace

void RefLabels::add(double x0, double y0, double x1, double y1, const std::string& text, bool stop, int slot, bool value) {
    lines_.push_back({x0, y0, x1, y1, text, stop, slot, value});
}

void RefLabels::place(Canvas& c, const Frame& f, Drawn& drawn, const InsetBox* box, InsetSpot* chosen) {
    const double h = style().font;
    lp::Ground g;
    g.room = {f.x0, f.y0, f.x1, f.y1};
    g.h = h;
    g.gap = kGap;
    g.pitch = 1.1 * h;
    g.toprow = f.y1 - 1.1 * h;
    g.footrow = f.y0 + kGap;
    for (const Line& l : lines_) g.refs.push_back({l.x0, l.y0, l.vertical() ? l.x0 : l.x1, l.vertical() ? l.y1 : l.y0});
    // The labels, each with the extent of the lines at its value (a value's line drawn for
    // several groups stops at each one's curve).
    std::vector<lp::Label> labels;
    std::vector<size_t> of;
    for (size_t k = 0; k < lines_.size(); ++k) {
        const Line& l = lines_[k];
        if (l.text.empty()) continue;
        lp::Label a;
        a.line = g.refs[k];
        for (const lp::Box& o : g.refs)
            if (l.vertical() ? o.x0 == o.x1 && o.x0 == l.x0 : o.y0 == o.y1 && o.y0 == l.y0) a.line = a.line.with(o);
        a.text = l.text;
        a.w = textwidth(l.text, h);
        a.descends = descends(l.text, h);
        a.rises = rises(l.text, h);
        a.inked = true;
        inkextent(l.text, h, &a.inkleft, &a.inkright, &a.above, &a.below);
        a.first = first(l, f, a.w, h);
        a.from = l.vertical() && l.stop ? 1 : 0;
        a.value = l.value;
        labels.push_back(std::move(a));
        of.push_back(k);
    }
    g.texts.reserve(drawn.texts.size());
    for (const Rect& t : drawn.texts) g.texts.push_back({t.x0, t.y0, t.x1, t.y1});
    g.marks.reserve(drawn.marks.size());
    for (const Drawn::Mark& m : drawn.marks) g.marks.push_back({m.x - m.r, m.y - m.r, m.x + m.r, m.y + m.r});
    // The lines drawn in the frame but the reference lines.
    auto reference = [&](const std::array<double, 4>& s) {
        return std::any_of(lines_.begin(), lines_.end(), [&](const Line& l) {
            return l.vertical() ? s[0] == l.x0 && s[2] == l.x0 : s[1] == l.y0 && s[3] == l.y0;
        });
    };
    std::vector<bool> refsegs(drawn.segments.size());
    for (size_t k = 0; k < drawn.segments.size(); ++k) {
        const auto& s = drawn.segments[k];
        refsegs[k] = reference(s);
        if (!refsegs[k]) g.ink.push_back({s[0], s[1], s[2], s[3]});
    }
    // The frame's lines: a label's glyphs keep clear of them as of any line. They are told a hair
    // outside the frame, so that a column's box of the background may still reach its edge.
    const double e = 0.01 * h;
    g.ink.push_back({f.x0 - e, f.y0 - e, f.x0 - e, f.y1 + e});
    g.ink.push_back({f.x1 + e, f.y0 - e, f.x1 + e, f.y1 + e});
    g.ink.push_back({f.x0 - e, f.y0 - e, f.x1 + e, f.y0 - e});
    g.ink.push_back({f.x0 - e, f.y1 + e, f.x1 + e, f.y1 + e});
    g.framelines = 4;
    // The inset and the labels together (labelplace::placeinset), the data first: of the places
    // that hide none of it, the first clear of the labels, else the one where the fewest labels
    // lose their place; only where every place hides some, the one that hides the fewest
    // markers, then the least length of the lines. The reference lines are no data: the labels
    // they cost count instead. A smaller size is asked only where no place of a larger one is
    // clear of the data, or each such place costs labels: it is no place to leave a label be.
    const std::vector<InsetSpot> spots = box ? insetspots(f, *box) : std::vector<InsetSpot>{};
    if (!spots.empty()) {
        size_t pick = 0;
        std::vector<Drawn::Hidden> hides(spots.size());
        if (!spots.front().given && spots.size() > 1) {
            // What each place hides is counted once, and only as far as the places are looked at.
            std::vector<bool> asked(spots.size());
            auto at = [&](size_t k) {
                const InsetSpot& o = spots[k];
                if (!asked[k]) hides[k] = o.under(drawn, refsegs), asked[k] = true;
                const Drawn::Hidden& c = hides[k];
                return lp::InsetPlace{{o.x, o.y, o.x + o.w, o.y + o.h},
                                      c.none(),
                                      {static_cast<double>(c.centres), c.length, static_cast<double>(c.touched),
                                       static_cast<double>(c.areas), static_cast<double>(c.texts)}};
            };
            int fewest = -1;
            for (size_t a = 0, b = 0; a < spots.size() && fewest != 0; a = b) {
                while (b < spots.size() && spots[b].size == spots[a].size) ++b;
                bool some = false;
                for (size_t k = a; k < b && !some; ++k) some = at(k).clear;
                if (!some) continue;
                int lost = 0;
                const int k = lp::placeinset(labels, g, b - a, [&](size_t i) { return at(a + i); }, nullptr, &lost);
                if (k >= 0 && (fewest < 0 || lost < fewest)) pick = a + static_cast<size_t>(k), fewest = lost;
            }
            if (fewest < 0) pick = static_cast<size_t>(std::max(0, lp::placeinset(labels, g, spots.size(), at)));
        }
        const InsetSpot& o = spots[pick];
        g.inset = true;
        g.insetbox = {o.x, o.y, o.x + o.w, o.y + o.h};
        if (chosen) *chosen = o, chosen->hides = hides[pick];
    }
    if (labels.empty()) {
        lines_.clear();
        return;
    }
    const std::vector<lp::Placed> at = lp::place(labels, g);
    int leftout = 0;
    for (size_t k = 0; k < at.size(); ++k) {
        const lp::Placed& p = at[k];
        if (p.same >= 0) continue;
        if (p.omitted) {
            ++leftout;
            continue;
        }
        // Its box of the background (a column's once), then the leader and the text.
        if (p.boxed && p.cover.x1 > p.cover.x0) {
            backing(c, p.cover);
            drawn.texts.push_back({p.cover.x0, p.cover.y0, p.cover.x1, p.cover.y1});
        }
        if (!p.leader.empty()) {
            c.polyline(p.leader.data(), p.leader.size() / 2, leaderstroke());
            for (size_t j = 0; j + 3 < p.leader.size(); j += 2) {
                const std::array<double, 4> piece{p.leader[j], p.leader[j + 1], p.leader[j + 2], p.leader[j + 3]};
                drawn.segments.push_back(piece);
                drawn.leaders.push_back(piece);
            }
        }
        const std::string& text = lines_[of[k]].text;
        c.text(text, p.at.x, p.at.y, 0, p.at.end ? gfx::Anchor::End : gfx::Anchor::Start, textstyle(style().font, style().reference));
        const lp::Box b = lp::glyphbox(labels[k], p.at, h);
        drawn.texts.push_back({b.x0, b.y0, b.x1, b.y1});
    }
    lines_.clear();
    if (leftout > 0) labelsleftout(leftout);
}

}  // namespace rt::sgr
