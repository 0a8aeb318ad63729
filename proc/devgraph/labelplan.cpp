// Where the labels of a panel's reference lines and intersection values stand.
//
// Each label first tries the place the drawing gives it, then the other side of its line, then
// places further along its line (a quarter text height at a time beside an upright line, half a
// text height across beside a level one), both sides each time. A place must keep the text
// nearer its own line than any other reference or intersection line (the distance being the
// gap between the text's box and the line), crossed by no fitted line, confidence limit or
// curve, clear of every other text, of the markers and of the inset, and on the same side of a
// neighbouring line's label as its line lies of that line. Where no place does, it may stand on
// a box of the background colour that hides the lines under it, then the markers too.
//
// A label that finds no place at all stands, with the labels of the lines that lie too close
// to its own for a label between them, in a column beside them: at the end of the lines where
// the drawing puts the labels, in the order of the lines, each joined to its own line by a
// short leader. Beside upright lines the column stands right of the rightmost (or left of the
// leftmost) and its leaders run straight across to the lines; at level lines the column stands
// on the lines themselves, on one box of the background colour, and each leader runs from its
// text out of the box to its line. A column moves along the lines as a label does. The texts are then placed
// again, the columns first, until every label has a place. A column stays inside the room: it
// holds as many rows as the room's height has, and the labels of its last lines are left out.
// Where it fits on neither side of upright lines, it stands on its box against the room's edge,
// over the lines there; a line that runs under its own label's text needs no leader.
#include "proc/devgraph/labelplan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace labelplan {

namespace {

constexpr double kAscent = 0.76, kDescent = 0.22;   // of a text height, about the baseline
constexpr double kMiddle = 0.35;                   // a leader meets its text this far above the baseline
constexpr int kRounds = 4;                         // placings after the first, each with more columns

bool upright(const PageBox& l) { return l.x0 == l.x1; }
double across(const PageBox& l) { return upright(l) ? l.x0 : l.y0; }
bool sameline(const PageBox& a, const PageBox& b) { return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1; }

struct Planner {
    const std::vector<Label>& L;
    const Ground& g;
    const double h, d, padx, mx, my, margin;
    std::vector<PageBox> taken;       // the texts placed (widened by padx) and the columns' boxes
    std::vector<PageBox> leaders;     // the leaders' segments
    std::vector<Placed> out;
    std::vector<bool> single;         // placed beside its own line
    std::vector<bool> dropped;        // left out: no row of its column inside the room
    std::vector<int> column;          // the column of each label, or -1
    std::vector<std::vector<size_t>> columns;
    std::vector<std::pair<size_t, size_t>> pairs;   // labels of neighbouring lines of one direction
    std::vector<size_t> order;        // the lines' own labels, then the values

    Planner(const std::vector<Label>& labels, const Ground& ground)
        : L(labels), g(ground), h(ground.h), d(0.5 * ground.h * ground.chdiv), padx(0.5 * ground.h * ground.chdiv),
          mx(0.15 * ground.h * ground.chdiv), my(0.05 * ground.h), margin(0.1 * ground.h), column(labels.size(), -1) {
        for (const bool values : {false, true})
            for (size_t i = 0; i < L.size(); ++i)
                if (L[i].value == values) order.push_back(i);
        for (const bool up : {true, false}) {
            const std::vector<size_t> v = sorted(up);
            for (size_t k = 1; k < v.size(); ++k) pairs.emplace_back(v[k - 1], v[k]);
        }
    }

    // The labels of lines of one direction, by their lines' places across.
    std::vector<size_t> sorted(bool up) const {
        std::vector<size_t> v;
        for (size_t i = 0; i < L.size(); ++i)
            if (upright(L[i].line) == up) v.push_back(i);
        std::stable_sort(v.begin(), v.end(), [&](size_t a, size_t b) { return across(L[a].line) < across(L[b].line); });
        return v;
    }

    PageBox glyph(size_t i, const Spot& s) const { return glyphbox(L[i], s, h); }
    // The box of the glyphs as they are inked: a text without descenders sits on its baseline.
    PageBox inked(size_t i, const Spot& s) const {
        PageBox b = glyph(i, s);
        if (!L[i].descends) b.y0 = s.y;
        return b;
    }
    PageBox padded(const PageBox& b) const { return {b.x0 - padx, b.y0, b.x1 + padx, b.y1}; }
    PageBox covering(const PageBox& b) const { return {b.x0 - mx, b.y0 - my, b.x1 + mx, b.y1 + my}; }

    // The gap between a box and a line, in text heights' units of length (y percent).
    double gap(const PageBox& b, const PageBox& l) const {
        const double lx0 = std::min(l.x0, l.x1), lx1 = std::max(l.x0, l.x1), ly0 = std::min(l.y0, l.y1), ly1 = std::max(l.y0, l.y1);
        const double dx = std::max({0.0, lx0 - b.x1, b.x0 - lx1}) / g.chdiv, dy = std::max({0.0, ly0 - b.y1, b.y0 - ly1});
        return std::hypot(dx, dy);
    }
    static bool meets(const PageBox& b, const PageBox& seg) { return b.meets(seg.x0, seg.y0, seg.x1, seg.y1); }

    // Clear of the texts placed; of the panel's own texts (a legend's) by two text heights
    // across, so that a label does not read as a word of theirs; of the inset's box by a text
    // height, so that it does not read as a row of the inset.
    bool textfree(const PageBox& b) const {
        const PageBox p = padded(b), wide{b.x0 - 2 * h * g.chdiv, b.y0, b.x1 + 2 * h * g.chdiv, b.y1};
        const PageBox clear{b.x0 - h * g.chdiv, b.y0 - h, b.x1 + h * g.chdiv, b.y1 + h};
        return std::none_of(taken.begin(), taken.end(), [&](const PageBox& o) { return p.overlaps(o); }) &&
               std::none_of(g.texts.begin(), g.texts.end(), [&](const PageBox& o) { return wide.overlaps(o); }) &&
               !(g.inset && clear.overlaps(g.insetbox));
    }
    bool leaderfree(const PageBox& b) const {
        return std::none_of(leaders.begin(), leaders.end(), [&](const PageBox& l) { return meets(b, l); });
    }
    // Nearer its own line than any other reference or intersection line.
    bool nearest(size_t i, const PageBox& ink) const {
        const double own = gap(ink, L[i].line);
        return std::none_of(g.refs.begin(), g.refs.end(), [&](const PageBox& r) { return !sameline(r, L[i].line) && gap(ink, r) <= own + margin; });
    }
    // Tier 0: nothing under it or at its edge; 1 (on a box): lines under it; 2 (on a box):
    // markers too. A box stays inside the room, clear of the frame's lines.
    // A box of the background colour may touch a line: `edge` leaves no room about it for lines.
    bool inkfree(const PageBox& text, int tier, bool edge = false) const {
        const PageBox b{text.x0 - 0.25 * h * g.chdiv, text.y0 - 0.1 * h, text.x1 + 0.25 * h * g.chdiv, text.y1 + 0.1 * h};
        const PageBox& lb = edge ? text : b;
        if (tier == 0 && std::any_of(g.ink.begin(), g.ink.end(), [&](const PageBox& l) { return meets(lb, l); })) return false;
        return tier > 1 || std::none_of(g.marks.begin(), g.marks.end(), [&](const PageBox& m) { return b.overlaps(m); });
    }
    bool boxfits(const PageBox& cover) const {
        const double ex = 0.1 * h * g.chdiv, ey = 0.1 * h;
        return cover.inside({g.room.x0 + ex, g.room.y0 + ey, g.room.x1 - ex, g.room.y1 - ey});
    }
    // On the same side of a neighbouring line's label (beside its line) as its line lies of that line.
    bool inorder(size_t i, const PageBox& b) const {
        for (const auto& [a, c] : pairs) {
            if (a != i && c != i) continue;
            const size_t j = a == i ? c : a;
            if (!single[j]) continue;
            const double li = across(L[i].line), lj = across(L[j].line);
            if (li == lj) continue;
            const PageBox o = glyph(j, out[j].at);
            const bool up = upright(L[i].line);
            const double ci = up ? b.x0 + b.x1 : b.y0 + b.y1, cj = up ? o.x0 + o.x1 : o.y0 + o.y1;
            if ((ci - cj) * (li - lj) <= 0) return false;
        }
        return true;
    }

    // The places of label i: where the drawing puts it, the other side, then further along
    // its line, both sides each time (nearest first, away from the line's end first).
    std::vector<Spot> spots(size_t i) const {
        const Label& a = L[i];
        std::vector<Spot> v{a.part};
        const PageBox& r = g.room;
        if (upright(a.line)) {
            const double X = a.line.x0, dd = std::fabs(a.part.x - X);
            const Spot other{a.part.align == 1 ? X - dd : X + dd, a.part.y, a.part.align == 1 ? 2 : 1};
            v.push_back(other);
            const double step = 0.25 * h, mid = 0.5 * (r.y0 + r.y1), centre = 0.5 * (kAscent - kDescent) * h;
            const int away = a.end == 0 ? -1 : 1;
            for (int k = 1; k * step <= r.y1 - r.y0; ++k)
                for (const int dir : {away, -away}) {
                    const double y = a.part.y + dir * k * step;
                    if (y + kAscent * h > r.y1 || y - kDescent * h < r.y0) continue;
                    if (a.given && (a.end == 0 ? y + centre < mid : y + centre > mid)) continue;
                    v.push_back({a.part.x, y, a.part.align});
                    v.push_back({other.x, y, other.align});
                }
        } else {
            const double Y = a.line.y0;
            std::vector<double> sides{a.part.y};
            if (!a.online) sides.push_back(a.part.y < Y ? Y + 0.5 * h : Y - h);
            if (sides.size() > 1) v.push_back({a.part.x, sides[1], a.part.align});
            // The line's other end (where VREFLABPOS= would put it), unless the user gave its end.
            if (!a.given && a.end != 2) {
                const Spot far{a.end == 0 ? r.x1 - d : r.x0 + d, 0, a.end == 0 ? 2 : 1};
                for (const double y : sides) v.push_back({far.x, y, far.align});
            }
            const double step = 0.5 * h * g.chdiv, width = r.x1 - r.x0;
            std::vector<int> dirs{a.end == 1 ? -1 : 1};
            if (a.end == 2) dirs.push_back(-1);
            for (int k = 1; k * step <= width; ++k)
                for (const int dir : dirs) {
                    const Spot s{a.part.x + dir * k * step, 0, a.part.align};
                    const PageBox b = glyph(i, s);
                    if (b.x0 < r.x0 || b.x1 > r.x1) continue;
                    const double c = 0.5 * (b.x0 + b.x1);
                    if (a.given && (a.end == 0 ? c > r.x0 + 0.5 * width : a.end == 1 ? c < r.x0 + 0.5 * width
                                                                                    : std::fabs(c - r.x0 - 0.5 * width) > 0.25 * width))
                        continue;
                    for (const double y : sides) v.push_back({s.x, y, s.align});
                }
        }
        return v;
    }

    void putsingle(size_t i, const Spot& s, bool boxed) {
        const PageBox b = glyph(i, s);
        out[i] = Placed{s, boxed, boxed ? covering(b) : PageBox{}, -1, {}};
        single[i] = true;
        taken.push_back(padded(b));
    }

    bool placesingle(size_t i) {
        const std::vector<Spot> v = spots(i);
        for (int tier = 0; tier < 3; ++tier)
            for (size_t k = 0; k < v.size(); ++k) {
                const PageBox b = glyph(i, v[k]);
                if (k > 0 && !b.inside(g.room)) continue;
                if (!textfree(b) || !leaderfree(b) || !nearest(i, inked(i, v[k])) || !inkfree(b, tier) || !inorder(i, b)) continue;
                if (tier > 0 && !boxfits(covering(b))) continue;
                putsingle(i, v[k], tier > 0);
                return true;
            }
        return false;
    }

    // Where nothing keeps the rule: the first place that meets no text, on a box; the drawing's
    // place when every place meets one.
    void lastresort(size_t i) {
        const std::vector<Spot> v = spots(i);
        for (size_t k = 0; k < v.size(); ++k) {
            const PageBox b = glyph(i, v[k]);
            if ((k == 0 || b.inside(g.room)) && textfree(b) && leaderfree(b)) return putsingle(i, v[k], true);
        }
        putsingle(i, v[0], true);
    }

    bool member(size_t c, const PageBox& r) const {
        return std::any_of(columns[c].begin(), columns[c].end(), [&](size_t i) { return sameline(L[i].line, r); });
    }
    bool othersfree(size_t c, const PageBox& b) const {
        return std::none_of(g.refs.begin(), g.refs.end(), [&](const PageBox& r) { return !member(c, r) && meets(b, r); });
    }
    bool leadsfree(const std::vector<PageBox>& segs) const {
        for (const PageBox& s : segs) {
            if (std::any_of(taken.begin(), taken.end(), [&](const PageBox& o) { return meets(o, s); })) return false;
            if (std::any_of(g.texts.begin(), g.texts.end(), [&](const PageBox& o) { return meets(o, s); })) return false;
            if (g.inset && meets(g.insetbox, s)) return false;
        }
        return true;
    }
    void putcolumn(size_t c, const std::vector<Spot>& rows, const std::vector<std::vector<double>>& lead, bool boxed, const PageBox& cover) {
        const std::vector<size_t>& m = columns[c];
        for (size_t k = 0; k < rows.size(); ++k) {
            out[m[k]] = Placed{rows[k], boxed, cover, static_cast<int>(c), lead[k]};
            const std::vector<double>& p = lead[k];
            for (size_t j = 2; j + 1 < p.size(); j += 2) leaders.push_back({p[j - 2], p[j - 1], p[j], p[j + 1]});
            if (!boxed) taken.push_back(padded(glyph(m[k], rows[k])));
        }
        if (boxed) taken.push_back(cover);
    }

    // The rows column c keeps inside the room, its labels in their order (`span`: the height its
    // rows' baselines may take below the first); the labels past them are left out.
    size_t keep(size_t c, double span) {
        const std::vector<size_t>& m = columns[c];
        const size_t n = span < 0 ? 0 : std::min(m.size(), static_cast<size_t>(std::floor(span / h + 1e-9)) + 1);
        for (size_t k = n; k < m.size(); ++k) dropped[m[k]] = true;
        return n;
    }

    // A column beside upright lines: right of the rightmost (left of the leftmost), from the
    // end where their labels start, a text line a row; each leader straight across. Where
    // neither side has room for its widest label, against the room's edge on its box.
    bool uprightcolumn(size_t c, bool force) {
        std::vector<size_t>& m = columns[c];
        std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return L[a].line.x0 < L[b].line.x0; });
        const bool top = L[m.front()].end == 0;
        const size_t n = keep(c, top ? g.room.y1 - h - kDescent * h - g.room.y0 : g.room.y1 - kAscent * h - g.fbottom - 0.5 * h);
        if (n == 0) return true;
        double wmax = 0;
        for (size_t k = 0; k < n; ++k) wmax = std::max(wmax, L[m[k]].w);
        const double xmin = L[m.front()].line.x0, xmax = L[m[n - 1]].line.x0;
        const bool rightfits = xmax + d + wmax <= g.room.x1, leftfits = xmin - d - wmax >= g.room.x0;
        // Against the room's edge (where neither side has room): the side with fewer lines under it.
        const double edge = mx + 0.1 * h * g.chdiv;
        auto under = [&](bool right) {
            const double a = right ? g.room.x1 - edge - wmax : g.room.x0, b = right ? g.room.x1 : g.room.x0 + edge + wmax;
            return std::count_if(g.refs.begin(), g.refs.end(), [&](const PageBox& r) { return upright(r) && r.x0 >= a && r.x0 <= b; });
        };
        const bool rightfirst = rightfits || (!leftfits && under(true) <= under(false));
        std::vector<Spot> rows(n);
        std::vector<std::vector<double>> lead(n);
        std::vector<PageBox> boxes(n), segs;
        auto layout = [&](double shift, bool right, bool clamp) {
            double x = right ? xmax + d : xmin - d;
            if (clamp) x = right ? std::min(x, g.room.x1 - edge - wmax) : std::max(x, g.room.x0 + edge + wmax);
            segs.clear();
            for (size_t k = 0; k < n; ++k) {
                const double y = top ? g.room.y1 - h - static_cast<double>(k) * h - shift : g.fbottom + 0.5 * h + static_cast<double>(n - 1 - k) * h + shift;
                rows[k] = {x, y, right ? 1 : 2};
                boxes[k] = glyph(m[k], rows[k]);
                // Straight across from the line to the nearer end of the text; none where the
                // line runs under the text.
                const double X = L[m[k]].line.x0, ly = y + kMiddle * h;
                const double lx = X < boxes[k].x0 - 0.25 * d ? boxes[k].x0 - 0.25 * d : X > boxes[k].x1 + 0.25 * d ? boxes[k].x1 + 0.25 * d : X;
                lead[k].clear();
                if (lx == X) continue;
                lead[k] = {X, ly, lx, ly};
                segs.push_back({X, ly, lx, ly});
            }
        };
        auto cover = [&] {
            PageBox b = boxes[0];
            for (const PageBox& o : boxes) b = {std::min(b.x0, o.x0), std::min(b.y0, o.y0), std::max(b.x1, o.x1), std::max(b.y1, o.y1)};
            return covering(b);
        };
        if (force) {
            layout(0, rightfirst, !(rightfirst ? rightfits : leftfits));
            putcolumn(c, rows, lead, true, cover());
            return true;
        }
        for (int tier = 0; tier < 3; ++tier)
            for (double shift = 0; shift <= g.room.y1 - g.room.y0; shift += 0.25 * h)
                for (const bool right : {rightfirst, !rightfirst}) {
                    layout(shift, right, tier == 2);
                    bool ok = leadsfree(segs);
                    for (size_t k = 0; k < n && ok; ++k)
                        ok = boxes[k].inside(g.room) && textfree(boxes[k]) && leaderfree(boxes[k]) && (tier == 2 || othersfree(c, boxes[k])) &&
                             inkfree(boxes[k], tier);
                    if (!ok || (tier > 0 && !boxfits(cover()))) continue;
                    putcolumn(c, rows, lead, tier > 0, tier > 0 ? cover() : PageBox{});
                    return true;
                }
        return false;
    }

    // A column at level lines: on the lines at the end where their labels stand, centred on
    // them, on one box of the background colour; each leader from the box to its line.
    bool levelcolumn(size_t c, bool force) {
        std::vector<size_t>& m = columns[c];
        std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return L[a].line.y0 > L[b].line.y0; });
        const PageBox& r = g.room;
        const size_t n = keep(c, r.y1 - r.y0 - 0.3 * h - (kAscent + kDescent) * h - 2 * my);
        if (n == 0) return true;
        double wmax = 0;
        for (size_t k = 0; k < n; ++k) wmax = std::max(wmax, L[m[k]].w);
        const int end = L[m.front()].end;
        // Baselines centred on the lines, kept inside the room.
        const double mid = 0.5 * (L[m.front()].line.y0 + L[m[n - 1]].line.y0);
        double first = mid + (0.5 * static_cast<double>(n - 1)) * h - 0.5 * (kAscent - kDescent) * h;
        const double last = first - static_cast<double>(n - 1) * h;
        const double lo = r.y0 + 0.15 * h, hi = r.y1 - 0.15 * h;   // the box clear of the frame's lines
        if (last - kDescent * h - my < lo) first += lo - (last - kDescent * h - my);
        if (first + kAscent * h + my > hi) first -= first + kAscent * h + my - hi;
        const double reach = 1.5 * h * g.chdiv, step = 0.5 * h * g.chdiv;
        const bool leftward = end == 1;
        std::vector<Spot> rows(n);
        std::vector<std::vector<double>> lead(n);
        std::vector<PageBox> segs;
        PageBox box{};
        auto layout = [&](double x) {   // x: where the texts start (end where they end, at the right)
            const double x0 = leftward ? x - wmax : x;
            box = covering({x0, first - static_cast<double>(n - 1) * h - kDescent * h, x0 + wmax, first + kAscent * h});
            segs.clear();
            const double sgn = leftward ? -1 : 1;
            for (size_t k = 0; k < n; ++k) rows[k] = {x, first - static_cast<double>(k) * h, leftward ? 2 : 1};
            for (size_t k = 0; k < n; ++k) {
                // One straight leader from the text's end to its line, beyond the box, and far
                // enough out to pass the longer texts of the rows it runs past.
                const double ly = rows[k].y + kMiddle * h, Y = L[m[k]].line.y0;
                const double from = x + sgn * (L[m[k]].w + 0.25 * d);
                double to = (leftward ? box.x0 : box.x1) + sgn * reach;
                for (size_t j = 0; j < n; ++j) {
                    const double lo = rows[j].y - kDescent * h - my, hi = rows[j].y + kAscent * h + my;
                    const double enter = Y < ly ? hi : lo;   // where the leader reaches row j's band
                    if (j == k || std::fabs(Y - ly) < 1e-12 || (Y < ly ? !(enter < ly && lo > Y - h) : !(enter > ly && hi < Y + h))) continue;
                    const double t = std::clamp((enter - ly) / (Y - ly), 1e-3, 1.0), past = x + sgn * (L[m[j]].w + 0.25 * d);
                    if (sgn * (past - from) > 0) to = sgn * std::max(sgn * to, sgn * (from + (past - from) / t));
                }
                lead[k] = {from, ly, to, Y};
                segs.push_back({from, ly, to, Y});
            }
        };
        auto startat = [&](double shift, int dir) {
            if (end == 0) return r.x0 + d + shift;
            if (end == 1) return r.x1 - d - shift;
            return 0.5 * (r.x0 + r.x1) - 0.5 * wmax + dir * shift;
        };
        if (force) {
            layout(startat(0, 1));
            putcolumn(c, rows, lead, true, box);
            return true;
        }
        for (int tier = 0; tier < 3; ++tier)
            for (double shift = 0; shift <= r.x1 - r.x0; shift += step)
                for (const int dir : {1, -1}) {
                    if (dir < 0 && (end != 2 || shift == 0)) continue;
                    layout(startat(shift, dir));
                    if (!boxfits(box) || std::any_of(segs.begin(), segs.end(), [&](const PageBox& l) { return l.x1 < r.x0 || l.x1 > r.x1; })) continue;
                    if (!textfree(box) || !leaderfree(box) || !leadsfree(segs) || !inkfree(box, tier, true)) continue;
                    if (tier < 2 && !othersfree(c, box)) continue;
                    putcolumn(c, rows, lead, true, box);
                    return true;
                }
        return false;
    }

    bool placecolumn(size_t c, bool force) { return upright(L[columns[c].front()].line) ? uprightcolumn(c, force) : levelcolumn(c, force); }

    // The labels of the lines of label f's direction that lie closer to f's line, and to each
    // other, than a label between two of them needs.
    std::vector<size_t> cluster(size_t f) const {
        const bool up = upright(L[f].line);
        const std::vector<size_t> v = sorted(up);
        auto close = [&](size_t a, size_t b) {
            const double need = up ? std::max(L[a].w, L[b].w) + 2 * d + margin * g.chdiv : 1.7 * h;
            return std::fabs(across(L[b].line) - across(L[a].line)) < need;
        };
        size_t at = static_cast<size_t>(std::find(v.begin(), v.end(), f) - v.begin()), lo = at, hi = at;
        while (lo > 0 && close(v[lo - 1], v[lo])) --lo;
        while (hi + 1 < v.size() && close(v[hi], v[hi + 1])) ++hi;
        return {v.begin() + static_cast<std::ptrdiff_t>(lo), v.begin() + static_cast<std::ptrdiff_t>(hi) + 1};
    }

    // The labels that found no place join columns with their close neighbours.
    void grow(const std::vector<size_t>& failed) {
        for (const size_t f : failed) {
            std::vector<size_t> members = cluster(f);
            std::vector<int> joined;
            for (size_t i : members)
                if (column[i] >= 0 && std::find(joined.begin(), joined.end(), column[i]) == joined.end()) joined.push_back(column[i]);
            for (int c : joined) {
                for (size_t i : columns[static_cast<size_t>(c)])
                    if (std::find(members.begin(), members.end(), i) == members.end()) members.push_back(i);
                columns[static_cast<size_t>(c)].clear();
            }
            columns.push_back(members);
            for (size_t i : members) column[i] = static_cast<int>(columns.size() - 1);
        }
        std::vector<std::vector<size_t>> kept;
        for (auto& c : columns)
            if (!c.empty()) kept.push_back(std::move(c));
        columns = std::move(kept);
        for (size_t c = 0; c < columns.size(); ++c)
            for (size_t i : columns[c]) column[i] = static_cast<int>(c);
    }

    std::vector<Placed> finish() {
        for (size_t i = 0; i < L.size(); ++i)
            if (dropped[i]) out[i] = Placed{L[i].part, false, {}, column[i], {}, true};
        return out;
    }

    std::vector<Placed> run() {
        for (int round = 0;; ++round) {
            taken.clear();
            leaders.clear();
            out.assign(L.size(), Placed{});
            single.assign(L.size(), false);
            dropped.assign(L.size(), false);
            // The columns first, by their first label in the order of placing.
            std::vector<size_t> rank(L.size());
            for (size_t k = 0; k < order.size(); ++k) rank[order[k]] = k;
            std::vector<size_t> cs(columns.size());
            std::iota(cs.begin(), cs.end(), size_t{0});
            auto firstof = [&](size_t c) {
                size_t best = L.size();
                for (size_t i : columns[c]) best = std::min(best, rank[i]);
                return best;
            };
            std::stable_sort(cs.begin(), cs.end(), [&](size_t a, size_t b) { return firstof(a) < firstof(b); });
            for (size_t c : cs)
                if (!placecolumn(c, false)) placecolumn(c, true);
            std::vector<size_t> failed;
            for (size_t i : order)
                if (column[i] < 0 && !placesingle(i)) failed.push_back(i);
            if (failed.empty()) return finish();
            if (round == kRounds) {
                for (size_t i : failed) lastresort(i);
                return finish();
            }
            grow(failed);
        }
    }
};

}  // namespace

PageBox glyphbox(const Label& a, const Spot& at, double h) {
    const double x0 = at.align == 2 ? at.x - a.w : at.align == 3 ? at.x - 0.5 * a.w : at.x;
    return {x0, at.y - kDescent * h, x0 + a.w, at.y + kAscent * h};
}

std::vector<Placed> place(const std::vector<Label>& labels, const Ground& ground) {
    if (labels.empty()) return {};
    Planner p(labels, ground);
    return p.run();
}

}  // namespace labelplan
