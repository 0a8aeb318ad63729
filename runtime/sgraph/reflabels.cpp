// The labels of reference lines placed beside their own lines, clear of what the frame shows:
// the first place along the line that meets the rule, or a column with leaders where lines
// crowd.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "runtime/sgraph/curvelabels.h"
#include "runtime/sgraph/reflines.h"
#include "runtime/sgraph/render.h"

namespace rt::sgr {

namespace {

using Segment = std::array<double, 4>;

bool overlap(const Rect& a, const Rect& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }
bool meets(const Drawn::Mark& m, const Rect& r) {
    return m.x >= r.x0 - m.r && m.x <= r.x1 + m.r && m.y >= r.y0 - m.r && m.y <= r.y1 + m.r;
}
bool meets(const Segment& s, const Rect& r) {
    double a = s[0], b = s[1], c = s[2], d = s[3];
    return clipsegment(r, &a, &b, &c, &d);
}
Rect unite(const Rect& a, const Rect& b) { return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)}; }

double pointrect(double x, double y, const Rect& r) {
    return std::hypot(std::max({r.x0 - x, 0.0, x - r.x1}), std::max({r.y0 - y, 0.0, y - r.y1}));
}
double pointsegment(double x, double y, const Segment& s) {
    const double dx = s[2] - s[0], dy = s[3] - s[1], n = dx * dx + dy * dy;
    const double t = n > 0 ? std::clamp(((x - s[0]) * dx + (y - s[1]) * dy) / n, 0.0, 1.0) : 0;
    return std::hypot(x - s[0] - t * dx, y - s[1] - t * dy);
}
// The gap between a label's box and a line: 0 where the line crosses the box.
double gap(const Rect& r, const Segment& s) {
    if (meets(s, r)) return 0;
    return std::min({pointrect(s[0], s[1], r), pointrect(s[2], s[3], r), pointsegment(r.x0, r.y0, s), pointsegment(r.x1, r.y0, s),
                     pointsegment(r.x0, r.y1, s), pointsegment(r.x1, r.y1, s)});
}

// The box of a label of width w and text height h written from (x, y) (to it, with end), with a
// little room round it.
struct At {
    double x, y;
    bool end;
};
Rect labelbox(const At& p, double w, double h) {
    const double x0 = p.end ? p.x - w : p.x;
    return {x0 - 1.5, p.y - 0.25 * h, x0 + w + 1.5, p.y + 0.85 * h};
}
// The box of its glyphs as they are inked: a text without descenders (digits) sits on its
// baseline. Nearness is measured on it: the room below a row of digits is no part of the label.
Rect inkbox(const At& p, double w, double h, bool descends) {
    const double x0 = p.end ? p.x - w : p.x;
    return {x0, p.y - (descends ? 0.22 * h : 0.0), x0 + w, p.y + 0.76 * h};
}
bool descends(const std::string& t) {
    return std::any_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80 || (c && std::strchr("gjpqyQ,;()[]{}|_@$", c)); });
}
// The text of a box (without its room) inside the frame.
bool inside(const Rect& b, const Frame& f) { return b.x0 + 1.5 >= f.x0 && b.x1 - 1.5 <= f.x1 && b.y0 >= f.y0 && b.y1 <= f.y1; }

const gfx::Stroke& leaderstroke() {
    static const gfx::Stroke s{style().reference, 0.6, {}};
    return s;
}

void writeat(Canvas& c, const std::string& label, const At& p) {
    c.text(label, p.x, p.y, 0, p.end ? gfx::Anchor::End : gfx::Anchor::Start, textstyle(style().font, style().reference));
}
void backing(Canvas& c, const Rect& b) {
    const double xy[] = {b.x0, b.y0, b.x1, b.y0, b.x1, b.y1, b.x0, b.y1};
    c.fill(xy, 4, Rgb{1, 1, 1});
}

using Line = RefLabels::Line;

// A labelled line and the lines it shares its place with (a value's line drawn for several
// groups that stops at each one's curve): the label's own lines.
struct Label {
    size_t line;
    std::vector<size_t> own;
    double w;
    bool descends;
    bool vertical;
    double at;        // the lines' place across: x of a vertical line, y of a horizontal one
    double lo, hi;    // and along them (all own lines)
    bool whole;       // across the whole frame
};

// What the labels keep clear of: the frame's drawing, the labels and leaders written so far,
// and the reference lines.
class Scene {
public:
    Scene(Canvas* c, const std::vector<Line>& lines, Drawn& drawn, double h) : c_(c), lines_(lines), drawn_(drawn), h_(h) {}

    // What lies where a label may go (the union of its places).
    struct Near {
        std::vector<Rect> texts;
        std::vector<Drawn::Mark> marks;
        std::vector<Segment> segments;
    };
    Near near(const Rect& r) const {
        Near n;
        for (const Rect& t : drawn_.texts)
            if (overlap(t, r)) n.texts.push_back(t);
        for (const Drawn::Mark& m : drawn_.marks)
            if (meets(m, r)) n.marks.push_back(m);
        for (const Segment& s : drawn_.segments)
            if (meets(s, r)) n.segments.push_back(s);
        return n;
    }
    static Segment segment(const Line& l) { return {l.x0, l.y0, l.vertical() ? l.x0 : l.x1, l.vertical() ? l.y1 : l.y0}; }
    // A drawn segment that lies along one of the lines (page points).
    bool along(const Segment& s, const std::vector<size_t>& which) const {
        for (size_t k : which) {
            const Line& l = lines_[k];
            if (l.vertical() ? s[0] == l.x0 && s[2] == l.x0 : s[1] == l.y0 && s[3] == l.y0) return true;
        }
        return false;
    }
    // A drawn segment that is a reference line: one through it would make it read as that line's.
    bool reference(const Segment& s) const {
        for (const Line& l : lines_) {
            const Segment r = segment(l);
            if (l.vertical() ? s[0] == r[0] && s[2] == r[0] : s[1] == r[1] && s[3] == r[1]) return true;
        }
        return false;
    }
    // The glyphs (ink: inkbox) stand by the label's own lines: within a text's height of them and
    // nearer them, by a quarter of a point at least, than any other reference line.
    bool nearest(const Label& lab, const Rect& b) const {
        double own = INFINITY;
        for (size_t k : lab.own) own = std::min(own, gap(b, segment(lines_[k])));
        if (own > 1.2 * h_) return false;
        for (size_t k = 0; k < lines_.size(); ++k)
            if (std::find(lab.own.begin(), lab.own.end(), k) == lab.own.end() && gap(b, segment(lines_[k])) < own + 0.25) return false;
        return true;
    }
    // What a box meets, weighed: a text over a text cannot be read, a label beside another on
    // its row reads as one with it, a marker under a text hides a point, a reference line
    // through it makes it read as that line's, another line strikes it out (the lines given
    // aside do not count: they lie under it).
    double cost(const Near& n, const Rect& b, const std::vector<size_t>& aside = {}) const {
        double c = 0;
        for (const Rect& t : n.texts) c += overlap(t, b) ? 1e6 : 0;
        // Two labels on one row closer than a text's height read as one.
        for (const Rect& l : labels_)
            c += b.y0 < l.y1 && l.y0 < b.y1 && std::max(l.x0 - b.x1, b.x0 - l.x1) < h_ && !overlap(l, b) ? 1e4 : 0;
        for (const Drawn::Mark& m : n.marks) c += meets(m, b) ? 1e3 : 0;
        for (const Segment& s : n.segments) c += meets(s, b) && !along(s, aside) ? (reference(s) ? 10 : 1) : 0;
        return c;
    }
    // What a leader meets, weighed as a label's box: it crosses no text, and a marker it runs
    // through reads as the point it names.
    double leadercost(const Segment& s) const {
        double c = 0;
        for (const Rect& t : drawn_.texts) c += meets(s, t) ? 1e6 : 0;
        for (const Drawn::Mark& m : drawn_.marks) c += pointsegment(m.x, m.y, s) <= m.r ? 1e3 : 0;
        return c;
    }
    // Writes a label (on a box of the frame's background, which hides what lies beneath, with
    // boxed); a trial (no canvas) only takes its room.
    void write(const std::string& text, const At& p, const Rect& b, bool boxed) {
        if (c_ && boxed) backing(*c_, b);
        if (c_) writeat(*c_, text, p);
        drawn_.texts.push_back(b);
        labels_.push_back(b);
    }
    // A box of the frame's background (under a whole column, or under a row whose text write
    // takes its room): it hides the lines beneath; later labels keep clear of a taken one.
    void cover(const Rect& b, bool taken = true) {
        if (c_) backing(*c_, b);
        if (!taken) return;
        drawn_.texts.push_back(b);
        labels_.push_back(b);
    }
    // A leader: a line through the points (x and y in turn) from a label to its line.
    void leader(const std::vector<double>& xy) {
        if (c_) c_->polyline(xy.data(), xy.size() / 2, leaderstroke());
        for (size_t k = 0; k + 3 < xy.size(); k += 2) drawn_.segments.push_back({xy[k], xy[k + 1], xy[k + 2], xy[k + 3]});
    }
    const std::vector<Line>& lines() const { return lines_; }
    double h() const { return h_; }

private:
    Canvas* c_;
    const std::vector<Line>& lines_;
    Drawn& drawn_;
    double h_;
    std::vector<Rect> labels_;   // written so far
};

// Two leaders (from a label to its line: x and y in turn, straight pieces) that cross.
bool crosses(const std::vector<double>& a, const std::vector<double>& b) {
    auto side = [](double ax, double ay, double bx, double by, double px, double py) { return (bx - ax) * (py - ay) - (by - ay) * (px - ax); };
    for (size_t i = 0; i + 3 < a.size(); i += 2)
        for (size_t j = 0; j + 3 < b.size(); j += 2) {
            const double* p = &a[i];
            const double* q = &b[j];
            if (side(p[0], p[1], p[2], p[3], q[0], q[1]) * side(p[0], p[1], p[2], p[3], q[2], q[3]) < 0 &&
                side(q[0], q[1], q[2], q[3], p[0], p[1]) * side(q[0], q[1], q[2], q[3], p[2], p[3]) < 0)
                return true;
        }
    return false;
}
// A label placed, for the order of neighbouring labels: its box and its glyphs' box.
struct Beside {
    const Label* label;
    Rect box, ink;
};
// What labels of widths wa and wb need between two parallel lines (closer lines are close): a
// text's width and room on both sides between upright lines, a text line and more across level
// ones.
double need(bool vertical, double wa, double wb, double h) { return vertical ? std::max({wa, wb, 1.1 * h}) + 6.5 : 1.7 * h; }
bool close(const Label& a, const Label& b, double h) { return std::fabs(a.at - b.at) < need(a.vertical, a.w, b.w, h); }
// Labels of neighbouring parallel lines, side by side, stand in the order of their lines; and
// two labels of close lines do not share the band between them (labels of level lines one row,
// of upright ones one column): which line each belongs to would be a guess.
bool inorder(const Label& lab, const Rect& b, const Rect& ink, const std::vector<Beside>& placed, double h) {
    for (const Beside& p : placed) {
        const Label& o = *p.label;
        if (o.vertical != lab.vertical || o.at == lab.at) continue;
        const bool band = lab.vertical ? ink.x0 < p.ink.x1 && p.ink.x0 < ink.x1 : ink.y0 < p.ink.y1 && p.ink.y0 < ink.y1;
        if (band && close(lab, o, h)) return false;
        const bool side = lab.vertical ? b.y0 < p.box.y1 && p.box.y0 < b.y1 : b.x0 < p.box.x1 && p.box.x0 < b.x1;
        if (!side) continue;
        const double mine = lab.vertical ? b.x0 + b.x1 : b.y0 + b.y1, theirs = lab.vertical ? p.box.x0 + p.box.x1 : p.box.y0 + p.box.y1;
        if ((lab.at < o.at) != (mine < theirs)) return false;
    }
    return true;
}

// A label's places beside its own line, in order: its first place, the other side of the line,
// then further along the line.
std::vector<At> places(const Label& lab, const Line& l, const Frame& f, double h) {
    const double w = lab.w;
    std::vector<At> at;
    if (lab.vertical) {
        const double x = lab.at;
        const bool right = x + 3 + w < f.x1;
        auto sides = [&](double y) {
            at.push_back({right ? x + 3 : x - 3, y, !right});
            at.push_back({right ? x - 3 : x + 3, y, right});
        };
        // A line that stops at the curve has its label at its foot, a whole line near the top,
        // a row further from that end for each line before it.
        const int row = l.slot % 4;
        const double first = l.stop ? f.y0 + 3 + h * 1.1 * row : f.y1 - h * (1.1 + 1.1 * row);
        sides(first);
        // Then along the line (a line that stops: up to that point, or over the first rows),
        // nearest that place first.
        std::vector<double> ys;
        if (l.stop)
            for (double y = f.y0 + 3; y + 0.85 * h <= std::max(lab.hi, f.y0 + 3 + 4.3 * h); y += 0.5 * h) ys.push_back(y);
        else
            for (double y = f.y1 - 1.1 * h; y - 0.25 * h >= f.y0; y -= 0.5 * h) ys.push_back(y);
        std::stable_sort(ys.begin(), ys.end(), [&](double a, double b) { return std::fabs(a - first) < std::fabs(b - first); });
        for (double y : ys)
            if (std::fabs(y - first) > 1e-9) sides(y);
    } else {
        const double y = lab.at;
        const bool below = y - h - 2 > f.y0 && y > (f.y0 + f.y1) / 2;
        const double first = below ? y - h : y + 3, second = below ? y + 3 : y - h;
        at = {{f.x0 + 4, first, false}, {f.x0 + 4, second, false}};
        if (lab.whole) at.insert(at.end(), {{f.x1 - 4, first, true}, {f.x1 - 4, second, true}});
        // Then along the line, up to the point where it stops.
        for (double x = f.x0 + 4 + h; x + w <= lab.hi - 2; x += h) at.insert(at.end(), {{x, first, false}, {x, second, false}});
    }
    return at;
}

// Places a label beside its own line: the first place that meets the rule; without one (fail
// null), the place beside its line that meets the fewest things, on a box; with fail, nothing
// is written and *fail says whether a place was found.
void besideline(const Frame& f, Scene& sc, const Label& lab, std::vector<Beside>& placed, bool* fail) {
    const double h = sc.h();
    const Line& l = sc.lines()[lab.line];
    const std::vector<At> at = places(lab, l, f, h);
    std::vector<Rect> boxes, inks;
    Rect all{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const At& a : at) {
        boxes.push_back(labelbox(a, lab.w, h)), all = unite(all, boxes.back());
        inks.push_back(inkbox(a, lab.w, h, lab.descends));
    }
    const Scene::Near near = sc.near(all);
    size_t pick = SIZE_MAX;
    for (size_t k = 0; k < at.size() && pick == SIZE_MAX; ++k)
        if (inside(boxes[k], f) && sc.cost(near, boxes[k]) == 0 && sc.nearest(lab, inks[k]) && inorder(lab, boxes[k], inks[k], placed, h)) pick = k;
    if (fail) {
        *fail = pick == SIZE_MAX;
        if (pick != SIZE_MAX) placed.push_back({&lab, boxes[pick], inks[pick]}), sc.write(l.text, at[pick], boxes[pick], false);
        return;
    }
    bool boxed = false;
    if (pick == SIZE_MAX) {
        // No place meets the rule: the one nearer its own line that meets the fewest.
        double best = INFINITY;
        for (int pass = 0; pass < 2 && pick == SIZE_MAX; ++pass)
            for (size_t k = 0; k < at.size(); ++k) {
                if (!inside(boxes[k], f) || (pass == 0 && !sc.nearest(lab, inks[k]))) continue;
                const double cost = sc.cost(near, boxes[k]);
                if (cost < best) best = cost, pick = k;
            }
        if (pick == SIZE_MAX) pick = 0;
        boxed = true;
    }
    placed.push_back({&lab, boxes[pick], inks[pick]});
    sc.write(l.text, at[pick], boxes[pick], boxed);
}

// A column tried: each row's label, place, box and leader (x and y in turn); boxed: written on
// boxes of the background; cover: on one box over the whole column, which hides the lines
// under it (a label whose own line runs under its text needs no leader there).
struct Try {
    std::vector<At> at;
    std::vector<Rect> boxes;
    std::vector<std::vector<double>> leaders;
    bool boxed;
    std::vector<const Label*> who;   // the label of each row
    double centred = 0;              // rows on another label's line (or leaders that cross), weighed
    bool cover = false;
    bool boxesfirst = false;         // every row's box painted before the texts
};

// The column of a run of upright lines that the places beside it do not hold (more rows than
// the frame's height, rows far above the ends of short lines, labels too wide for either side),
// as the device draws it: as many rows as the frame's height holds from the end, the labels of
// the lines from the left (those of the last lines are left out); right of the run or left of
// it, there or a text height further out at a time (clear of the points beside the run, its
// leaders longer), or in a gap between its lines; else against the frame's edge over the
// lines there (the side with fewer lines under it first) on one box of the background, where
// a label whose own line runs under its text needs no leader. A row above the end of a short
// line has its leader to that end (leaders that cross weigh as a text met). Adds the columns
// tried, in both orders of the rows, to tries, and gives the number of labels they hold.
size_t wholecolumn(const Frame& f, Scene& sc, const std::vector<const Label*>& run, bool foot, double xlo, double xhi,
                   const std::vector<double>& across, std::vector<Try>& tries) {
    const double h = sc.h(), rowh = 1.1 * h;
    auto rowy = [&](size_t i, double off) {
        const double k = static_cast<double>(i) + off;
        return foot ? f.y0 + 3 + rowh * k : f.y1 - rowh * (1 + k);
    };
    size_t m = 0;
    while (m < run.size() && rowy(m, 0) - 0.25 * h >= f.y0 - 1e-9 && rowy(m, 0) + 0.85 * h <= f.y1 + 1e-9) ++m;
    if (m == 0) return 0;
    const std::vector<const Label*> kept(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(m));
    double wide = 0;
    for (const Label* l : kept) wide = std::max(wide, l->w);
    // A column: x of its texts' start (their end, with end), and on which side of the lines it
    // stands (the label of the line farthest from it nearest the end).
    struct Place {
        double x;
        bool end, right, edge;
    };
    auto build = [&](const Place& p, double off, bool nearfirst, Try& tr) {
        tr.boxed = tr.cover = p.edge;
        tr.boxesfirst = true;
        const double cx0 = p.end ? p.x - wide - 1.5 : p.x - 1.5, cx1 = p.end ? p.x + 1.5 : p.x + wide + 1.5;
        for (size_t i = 0; i < m; ++i) {
            const Label& l = *kept[p.right != nearfirst ? i : m - 1 - i];
            const double y = rowy(i, off), mid = y + 0.3 * h;
            double to = std::clamp(mid, l.lo, l.hi);
            const At a{p.x, y, p.end};
            // The row takes the column's width: on a box of the background it hides all that
            // lies under the column there, so that nothing shows through beside a short text.
            const Rect b = labelbox(a, l.w, h), row{cx0, b.y0, cx1, b.y1};
            if (!inside(row, f)) return false;
            tr.who.push_back(&l);
            tr.at.push_back(a);
            tr.boxes.push_back(row);
            if (l.at > b.x0 + 1.5 && l.at < b.x1 - 1.5) {
                // Its own line under its text (against the frame's edge): a leader down to the
                // line's end where it stops below the row.
                if (to != mid) tr.leaders.push_back({l.at, to > mid ? b.y1 : b.y0, l.at, to});
                continue;
            }
            // On the box against the edge the lines beside a text are hidden: a leader always.
            if (!p.edge && to == mid && sc.nearest(l, inkbox(a, l.w, h, l.descends))) continue;
            // From the text along its row to the column's edge, then to its line.
            const bool rightof = l.at >= b.x1 - 1.5;
            const double from = rightof ? b.x1 : b.x0, edge = rightof ? cx1 : cx0;
            // A leader straight along a level reference line would read as part of it: it meets
            // its own line a text height off its row instead.
            if (to == mid)
                for (const Line& o : sc.lines())
                    if (!o.vertical() && std::fabs(o.y0 - mid) < 0.3 * h && std::min(o.x1, std::max(from, l.at)) - std::max(o.x0, std::min(from, l.at)) > h) {
                        const double away = o.y0 > mid ? mid - h : mid + h;
                        to = away >= l.lo && away <= l.hi ? away : std::clamp(o.y0 > mid ? mid + h : mid - h, l.lo, l.hi);
                        break;
                    }
            if ((rightof ? l.at > edge : l.at < edge) && std::fabs(edge - from) > 0.01)
                tr.leaders.push_back({from, mid, edge, mid, l.at, to});
            else
                tr.leaders.push_back({from, mid, l.at, to});
        }
        for (size_t i = 0; i < tr.leaders.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (crosses(tr.leaders[i], tr.leaders[j])) tr.centred += 1e6;
        return true;
    };
    auto tryat = [&](const Place& p) {
        const size_t before = tries.size();
        for (double off = 0; off <= 8; off += 0.5)
            for (const bool nearfirst : {false, true}) {
                Try tr{{}, {}, {}, false, {}};
                if (build(p, off, nearfirst, tr)) tries.push_back(std::move(tr));
            }
        return tries.size() > before;
    };
    // Beside the run, then a text height further out at a time.
    bool beside = false;
    for (double x = xhi + 3; tryat({x, false, true, false}); x += h) beside = true;
    for (double x = xlo - 3; tryat({x, true, false, false}); x -= h) beside = true;
    for (size_t k = across.size(); k-- > 1;)
        if (across[k] - across[k - 1] >= wide + 4.5) beside = tryat({across[k - 1] + 3, false, true, false}) || beside;
    if (!beside) {
        // Against the frame's edge: the side with fewer upright lines under the column first.
        auto under = [&](double x0, double x1) {
            return std::count_if(sc.lines().begin(), sc.lines().end(), [&](const Line& l) { return l.vertical() && l.x0 >= x0 && l.x0 <= x1; });
        };
        const Place right{f.x1 - 3, true, true, true}, left{f.x0 + 3, false, false, true};
        const bool rightfirst = under(f.x1 - 4.5 - wide, f.x1) <= under(f.x0, f.x0 + 4.5 + wide);
        tryat(rightfirst ? right : left);
        tryat(rightfirst ? left : right);
    }
    return m;
}

// The labels of a run of lines that lie closer together than their text needs, in a column in
// the order of the lines, each joined to its own line by a leader. Horizontal lines: at their
// end (the left one, else a whole line's right end, else further along them), centred on the
// lines, on boxes over the lines' ends; vertical lines: beside the run (right, else left, else
// in a gap between its lines), at the foot of lines that stop at a curve and near the top of
// whole ones, rows further along the lines when that place is taken. The first column that
// meets no other text, marker or line (the run's own lines under its boxes aside), whose
// leaders meet no text or marker and none of whose rows stands on another line; else the one
// that meets the fewest.
void column(const Frame& f, Scene& sc, std::vector<const Label*> run, const std::vector<size_t>& lines, std::vector<Beside>& placed,
            int* leftout) {
    const double h = sc.h(), rowh = 1.1 * h;
    std::stable_sort(run.begin(), run.end(), [](const Label* a, const Label* b) { return a->at < b->at; });
    const std::vector<Line>& ls = sc.lines();
    std::vector<Try> tries;
    size_t n = run.size();
    if (!run.front()->vertical) {
        // As many rows as the frame's height holds: the labels of the highest lines.
        const size_t held = static_cast<size_t>(std::max(0.0, std::floor((f.y1 - f.y0 - 1.1 * h) / rowh + 1e-9))) + 1;
        if (n > held) {
            if (leftout) *leftout += static_cast<int>(n - held);
            run.erase(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(n - held));
            n = held;
        }
        double wide = 0, reach = INFINITY;
        bool whole = true;
        for (const Label* l : run) wide = std::max(wide, l->w), reach = std::min(reach, l->hi), whole = whole && l->whole;
        std::vector<double> target;
        for (const Label* l : run) target.push_back(l->at - 0.3 * h);
        // Where the column stands along the lines: x of its texts' start, or end (right).
        std::vector<std::pair<double, bool>> xs = {{f.x0 + 4, false}};
        if (whole) xs.push_back({f.x1 - 4, true});
        for (double x = f.x0 + 4 + h; x + wide + 10 <= reach; x += h) xs.push_back({x, false});
        // Leaders as short as they can be, then a text height longer (past a marker at the
        // lines' ends).
        for (const double longer : {0.0, h})
        for (const auto& [x, end] : xs)
            for (double shift : {0.0, 0.5, -0.5, 1.0, -1.0, 1.5, -1.5, 2.0, -2.0}) {
                std::vector<double> t = target;
                for (double& v : t) v += shift * h;
                const std::vector<double> y = spread(t, rowh, f.y0 + 0.25 * h, f.y1 - 0.85 * h);
                Try tr{{}, {}, {}, true, run};
                const double x0 = end ? x - wide : x;
                bool ok = true;
                // The leaders all reach their lines as far from the column, so that none crosses another.
                double len = 6;
                for (size_t k = 0; k < n; ++k) len = std::max(len, 0.6 * std::fabs(y[k] + 0.3 * h - run[k]->at));
                len += longer;
                for (size_t k = 0; k < n; ++k) {
                    tr.at.push_back({x0, y[k], false});
                    tr.boxes.push_back({x0 - 1.5, y[k] - 0.25 * h, x0 + wide + 1.5, y[k] + 0.85 * h});
                    // From the text along its row to the column's edge, then to the line: the box
                    // hides the lines beside its own.
                    const double mid = y[k] + 0.3 * h;
                    const double from = end ? x0 - 1.5 : x0 + run[k]->w + 1.5, edge = end ? x0 - 1.5 : x0 + wide + 1.5;
                    const double to = end ? edge - len : edge + len;
                    if (std::fabs(from - edge) > 0.01)
                        tr.leaders.push_back({from, mid, edge, mid, to, run[k]->at});
                    else
                        tr.leaders.push_back({from, mid, to, run[k]->at});
                    ok = ok && to >= run[k]->lo && to <= run[k]->hi;   // the leader ends on its line
                    // A row whose middle another line meets where the column hides its end (and
                    // its own line does not) reads as that line's label, as a reference line
                    // through it would.
                    const double middle = y[k] + 0.35 * h;
                    if (std::fabs(run[k]->at - middle) >= 0.3 * h)
                        for (size_t j = 0; j < ls.size(); ++j)
                            if (!ls[j].vertical() && ls[j].y0 != run[k]->at && ls[j].x0 < x0 + wide + 1.5 && ls[j].x1 > x0 - 1.5 &&
                                std::fabs(ls[j].y0 - middle) < 0.3 * h)
                                tr.centred += 10;
                }
                if (ok) tries.push_back(std::move(tr));
            }
    } else {
        bool foot = false;
        for (const Label* l : run) foot = foot || ls[l->line].stop;
        double xlo = INFINITY, xhi = -INFINITY;
        for (size_t k : lines) xlo = std::min(xlo, ls[k].x0), xhi = std::max(xhi, ls[k].x0);
        double wide = 0;
        for (const Label* l : run) wide = std::max(wide, l->w);
        // The column beside the line at col (right of it, or left), its rows from the end: the
        // lines in their order across, the label of the line farthest from the column nearest
        // the end (or, where leaders to the ends of short lines would cross so, the nearest);
        // false where a row cannot stand there.
        auto build = [&](bool right, double col, double off, bool nearfirst, Try& tr) {
            for (size_t i = 0; i < n; ++i) {
                const Label& l = *run[right != nearfirst ? i : n - 1 - i];
                const double y = foot ? f.y0 + 3 + rowh * (static_cast<double>(i) + off) : f.y1 - rowh * (1 + static_cast<double>(i) + off);
                const At a{right ? col + 3 : col - 3, y, !right};
                const Rect b = labelbox(a, l.w, h);
                const double mid = y + 0.3 * h;
                // A row beyond the end of a short line (it stops at a curve near the foot), over
                // the first four rows: its leader runs to that end.
                if (!inside(b, f) || mid < l.lo || (mid > l.hi && !(ls[l.line].stop && y + 0.85 * h <= f.y0 + 3 + 4.3 * h))) return false;
                tr.who.push_back(&l);
                tr.at.push_back(a);
                tr.boxes.push_back(b);
                // A line beyond the column (it stands between the lines): the leader from the
                // column's far edge.
                const bool beyond = right ? l.at > col : l.at < col;
                const double from = beyond ? (right ? col + 3 + wide + 1.5 : col - 3 - wide - 1.5) : (right ? b.x0 : b.x1);
                if (beyond && std::fabs(from - (right ? b.x1 : b.x0)) > 0.01) {
                    const double edge = right ? b.x1 : b.x0;
                    tr.leaders.push_back({edge, mid, from, mid, l.at, std::min(mid, l.hi)});
                } else if (beyond || !sc.nearest(l, inkbox(a, l.w, h, l.descends)))
                    tr.leaders.push_back({from, mid, l.at, std::min(mid, l.hi)});
            }
            for (size_t i = 0; i < tr.leaders.size(); ++i)
                for (size_t j = 0; j < i; ++j)
                    if (crosses(tr.leaders[i], tr.leaders[j])) return false;
            return true;
        };
        // Right of the rightmost line, left of the leftmost, then (where neither is free) in a
        // gap between the lines, right of the line before it.
        std::vector<std::pair<bool, double>> cols = {{true, xhi}, {false, xlo}};
        std::vector<double> across;
        for (size_t k : lines) across.push_back(ls[k].x0);
        std::sort(across.begin(), across.end());
        for (size_t k = across.size(); k-- > 1;)
            if (across[k] - across[k - 1] >= wide + 4.5) cols.push_back({true, across[k - 1]});
        for (const auto& [right, col] : cols)
            for (double off = 0; off <= 8; off += 0.5)
                for (const bool nearfirst : {false, true}) {
                    Try tr{{}, {}, {}, false, {}};
                    if (build(right, col, off, nearfirst, tr)) {
                        tries.push_back(std::move(tr));
                        break;
                    }
                }
        if (tries.empty()) {
            n = wholecolumn(f, sc, run, foot, xlo, xhi, across, tries);
            if (leftout && !tries.empty()) *leftout += static_cast<int>(run.size() - n);
        }
    }
    if (tries.empty()) {
        for (const Label* l : run) besideline(f, sc, *l, placed, nullptr);
        return;
    }
    Rect all{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const Try& t : tries)
        for (const Rect& b : t.boxes) all = unite(all, b);
    const Scene::Near near = sc.near(all);
    size_t pick = SIZE_MAX;
    double best = INFINITY;
    for (size_t k = 0; k < tries.size() && best > 0; ++k) {
        const Try& t = tries[k];
        double cost = t.centred;
        for (size_t i = 0; i < t.boxes.size(); ++i) cost += sc.cost(near, t.boxes[i], t.boxed ? lines : std::vector<size_t>{});
        for (const auto& xy : t.leaders)
            for (size_t k = 0; k + 3 < xy.size(); k += 2) cost += sc.leadercost({xy[k], xy[k + 1], xy[k + 2], xy[k + 3]});
        if (cost < best) best = cost, pick = k;
    }
    // A column over the lines' ends is written on boxes of the background, which hide them.
    const Try& t = tries[pick];
    const bool boxed = t.boxed || best > 0;
    if (t.cover) {
        Rect all{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const Rect& b : t.boxes) all = unite(all, b);
        sc.cover(all);
    } else if (boxed && t.boxesfirst) {
        // The rows' boxes before their texts: a box hides what lies under its row, and no text
        // beside it.
        for (const Rect& b : t.boxes) sc.cover(b, false);
    }
    for (size_t i = 0; i < t.boxes.size(); ++i) {
        const Label& l = *t.who[i];
        sc.write(ls[l.line].text, t.at[i], t.boxes[i], boxed && !t.cover && !t.boxesfirst);
        placed.push_back({&l, t.boxes[i], inkbox(t.at[i], l.w, h, l.descends)});
    }
    for (const auto& xy : t.leaders) sc.leader(xy);
}

}  // namespace

void RefLabels::add(double x0, double y0, double x1, double y1, const std::string& text, bool stop, int slot) {
    lines_.push_back({x0, y0, x1, y1, text, stop, slot});
}

void RefLabels::place(Canvas& c, const Frame& f, Drawn& drawn) {
    const double h = style().font;
    int leftout = 0;
    // The labels, each with its own lines.
    std::vector<Label> labels;
    for (size_t k = 0; k < lines_.size(); ++k) {
        const Line& l = lines_[k];
        if (l.text.empty()) continue;
        Label lab{k, {}, textwidth(l.text, h), descends(l.text), l.vertical(), l.vertical() ? l.x0 : l.y0, INFINITY, -INFINITY, false};
        for (size_t j = 0; j < lines_.size(); ++j) {
            const Line& o = lines_[j];
            if (o.vertical() != lab.vertical || (lab.vertical ? o.x0 : o.y0) != lab.at) continue;
            lab.own.push_back(j);
            lab.lo = std::min(lab.lo, lab.vertical ? o.y0 : o.x0);
            lab.hi = std::max(lab.hi, lab.vertical ? o.y1 : o.x1);
            lab.whole = lab.whole || (lab.vertical ? o.y1 >= f.y1 : o.x1 >= f.x1);
        }
        labels.push_back(std::move(lab));
    }
    if (labels.empty()) {
        lines_.clear();
        return;
    }
    // The runs of parallel lines closer together than their labels need (a text's width and a
    // little room between upright lines, a text line and more across level ones), each with the
    // labels in it that stand in a column.
    std::vector<int> runof(labels.size(), -1);
    std::vector<std::vector<size_t>> runlines;   // the lines of each run
    // The labels of the runs in a column, then each other label beside its own line: on a trial
    // (no canvas), the labels that find no place.
    auto attempt = [&](Scene& sc, bool trial) {
        std::vector<Beside> placed;
        for (size_t r = 0; r < runlines.size(); ++r) {
            std::vector<const Label*> run;
            for (size_t i = 0; i < labels.size(); ++i)
                if (runof[i] == static_cast<int>(r)) run.push_back(&labels[i]);
            if (!run.empty()) column(f, sc, run, runlines[r], placed, trial ? nullptr : &leftout);
        }
        std::vector<size_t> failed;
        for (size_t i = 0; i < labels.size(); ++i) {
            if (runof[i] >= 0) continue;
            bool fail = false;
            besideline(f, sc, labels[i], placed, trial ? &fail : nullptr);
            if (fail) failed.push_back(i);
        }
        return failed;
    };
    // A label that finds no place joins a run with the labels of the lines close to its own (and
    // the runs those are in), and all are placed again, until each finds a place.
    for (int round = 0; round < 4; ++round) {
        Drawn trial = drawn;
        Scene sc(nullptr, lines_, trial, h);
        const std::vector<size_t> failed = attempt(sc, true);
        if (failed.empty()) break;
        for (size_t i : failed) {
            const Label& lab = labels[i];
            // The places across of the parallel lines, each with the widest label there.
            std::vector<std::pair<double, double>> at;
            for (const Line& l : lines_) {
                if (l.vertical() != lab.vertical) continue;
                const double p = lab.vertical ? l.x0 : l.y0, w = l.text.empty() ? 0 : textwidth(l.text, h);
                auto it = std::find_if(at.begin(), at.end(), [&](const auto& e) { return e.first == p; });
                if (it == at.end()) at.push_back({p, w});
                else it->second = std::max(it->second, w);
            }
            std::sort(at.begin(), at.end());
            auto near = [&](size_t a, size_t b) { return at[b].first - at[a].first < need(lab.vertical, at[a].second, at[b].second, h); };
            size_t a = 0;
            while (at[a].first != lab.at) ++a;
            size_t b = a;
            while (a > 0 && near(a - 1, a)) --a;
            while (b + 1 < at.size() && near(b, b + 1)) ++b;
            double lo = at[a].first, hi = at[b].first;
            // The runs it meets join it.
            std::vector<int> joined;
            for (size_t j = 0; j < labels.size(); ++j)
                if (labels[j].vertical == lab.vertical && labels[j].at >= lo && labels[j].at <= hi && runof[j] >= 0 &&
                    std::find(joined.begin(), joined.end(), runof[j]) == joined.end())
                    joined.push_back(runof[j]);
            for (int r : joined)
                for (size_t j = 0; j < labels.size(); ++j)
                    if (runof[j] == r) lo = std::min(lo, labels[j].at), hi = std::max(hi, labels[j].at), runof[j] = -1;
            std::vector<size_t> members;
            for (size_t j = 0; j < lines_.size(); ++j) {
                const Line& l = lines_[j];
                const double p = lab.vertical ? l.x0 : l.y0;
                if (l.vertical() == lab.vertical && p >= lo && p <= hi) members.push_back(j);
            }
            const int r = static_cast<int>(runlines.size());
            runlines.push_back(members);
            for (size_t j = 0; j < labels.size(); ++j)
                if (labels[j].vertical == lab.vertical && labels[j].at >= lo && labels[j].at <= hi) runof[j] = r;
        }
    }
    Scene sc(&c, lines_, drawn, h);
    attempt(sc, false);
    lines_.clear();
    if (leftout > 0) labelsleftout(leftout);
}

}  // namespace rt::sgr
