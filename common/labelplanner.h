// The placement's working state, shared by its files: the indices of what the panel draws
// (labelgrids.cpp), the rules (labelrules.cpp), the places of one label and the rounds
// (labelplace.cpp), the columns (labelcolumns.cpp) and the moves that make room
// (labelmoves.cpp).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/labelplace.h"

namespace labelplace {

constexpr double kAscent = 0.76, kDescent = 0.22;   // of a text height, about the baseline
constexpr double kRise = 0.95;                      // the top of an accent on a capital
constexpr double kCapital = 0.7;                    // the letters' body: no capital is lower
constexpr double kOvershoot = 0.05;                 // round letters reach this far under the baseline
constexpr double kMiddle = 0.35;                   // a leader meets its text this far above the baseline
constexpr double kTouch = 0.15;                    // leaders nearer than this (of a text height) touch
constexpr double kReach = 3.0;                     // a led text stands within this many heights of its line
constexpr double kEnds = 0.5;                      // leaders end this far apart on their lines
constexpr double kBearing = 0.1;                   // a text's ink may stop this far short of its box's ends
constexpr double kBeside = 1.25;                   // a text this near a line (of a text height) stands beside it
constexpr double kSame = 0.03;                     // lines nearer than this (of a text height) are one to the eye

// Spans across a row sorted and merged where they meet; none stands for "known: nothing there"
// (one span at infinity), so that a cache kept empty means not yet found.
void mergespans(std::vector<std::pair<double, double>>& v);
// Whether the open span (x0, x1) meets none of spans so merged.
inline bool spanclear(const std::pair<double, double>* b, const std::pair<double, double>* e, double x0, double x1) {
    const auto it = std::upper_bound(b, e, x0, [](double u, const std::pair<double, double>& q) { return u < q.second; });
    return it == e || it->first >= x1;
}
inline bool spanclear(const std::vector<std::pair<double, double>>& v, double x0, double x1) {
    return spanclear(v.data(), v.data() + v.size(), x0, x1);
}

// cmp(hypot(dx, dy), r), as hypot gives it, without the call where the sum of the squares decides
// far beyond its rounding (hypot is asked millions of times on a crowded page); near the edge,
// with a NaN or far from a point's size, by hypot itself.
template <class Cmp>
inline bool hypotcmp(double dx, double dy, double r, Cmp cmp) {
    if (r > 1e-100 && r < 1e100) {
        const double s = dx * dx + dy * dy, rr = r * r;
        if (s < rr * (1 - 1e-12)) return cmp(0.5 * r, r);
        if (s > rr * (1 + 1e-12)) return cmp(2 * r, r);
    }
    return cmp(std::hypot(dx, dy), r);
}

// A leader of one segment from (x0, y0) to (x1, y1), written into v in the storage it has (a
// leader is set for every place tried).
inline void leadto(std::vector<double>& v, double x0, double y0, double x1, double y1) {
    v.resize(4);
    v[0] = x0, v[1] = y0, v[2] = x1, v[3] = y1;
}

// The box of a text's glyphs at a place (glyphbox), here where every place tried asks it.
inline Box glyphat(const Label& a, const Spot& at, double h) {
    const double x0 = at.end ? at.x - a.w : at.x;
    return {x0, at.y - kDescent * h, x0 + a.w, at.y + (a.rises ? kRise : kAscent) * h};
}

// Boxes or segments found by the cells of a grid over the room that their extents meet; built
// once.
class Cells {
public:
    // (segments: the items are segments, each filed in the cells it passes through only; else
    // each in every cell its extent meets)
    void build(const std::vector<Box>& items, const Box& over, double cell, bool segments = false);
    // Whether f holds for an item whose extent meets b (an item may be asked more than once); a
    // segment is asked only where it passes through b's cells, so f holds only of what meets b.
    template <class F>
    bool any(const Box& b, F&& f) const {
        if (items_ == nullptr || items_->empty()) return false;
        int i0, j0, i1, j1;
        span(b, &i0, &j0, &i1, &j1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                const size_t c = static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i);
                for (uint32_t k = start_[c]; k < start_[c + 1]; ++k)
                    if (f((*items_)[index_[k]])) return true;
            }
        return false;
    }

private:
    void span(const Box& b, int* i0, int* j0, int* i1, int* j1) const;
    const std::vector<Box>* items_ = nullptr;
    Box over_;
    double cell_ = 1;
    int nx_ = 1, ny_ = 1;
    std::vector<uint32_t> start_, index_;
};

// The texts and leaders placed so far, each with the label it belongs to: a grid that labels
// join and leave.
class Grid {
public:
    struct Item {
        Box b;         // a box, or a segment from (x0, y0) to (x1, y1)
        int owner;
        bool alive;
    };
    void init(const Box& over, double cell);
    void add(const Box& b, int owner);
    void remove(int owner);
    // Whether f holds for a live item whose extent meets e.
    template <class F>
    bool any(const Box& e, F&& f) const {
        if (items_.empty()) return false;
        int i0, j0, i1, j1;
        span(e, &i0, &j0, &i1, &j1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i)
                for (uint32_t k : cells_[static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i)])
                    if (items_[k].alive && f(items_[k])) return true;
        return false;
    }

private:
    void span(const Box& b, int* i0, int* j0, int* i1, int* j1) const;
    Box over_;
    double cell_ = 1;
    int nx_ = 1, ny_ = 1;
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<Item> items_;
    std::vector<std::vector<uint32_t>> byowner_;
};

// The reference lines by direction, in the order of their place across.
class Lines {
public:
    void build(const std::vector<Box>& refs);
    // Whether f(k) holds for a level line k at a height in [lo, hi], or an upright one at an x in [lo, hi].
    template <class F>
    bool level(double lo, double hi, F&& f) const { return within(lv_, ly_, lo, hi, f); }
    template <class F>
    bool upright(double lo, double hi, F&& f) const { return within(up_, ux_, lo, hi, f); }

private:
    template <class F>
    static bool within(const std::vector<size_t>& v, const std::vector<double>& at, double lo, double hi, F& f) {
        for (size_t p = static_cast<size_t>(std::lower_bound(at.begin(), at.end(), lo) - at.begin()); p < v.size() && at[p] <= hi; ++p)
            if (f(v[p])) return true;
        return false;
    }
    std::vector<size_t> lv_, up_;
    std::vector<double> ly_, ux_;
};

// What the rules of what the panel draws said of each of a label's places or rows: 0 not asked,
// 1 keeps, 2 fails; four to a byte (kept for every place of every label of a crowded page, and
// lent). A place beyond those kept was not asked.
class Verdicts {
public:
    char operator[](size_t n) const {
        return n < n_ ? static_cast<char>((bytes_[n >> 2] >> ((n & 3) * 2)) & 3) : 0;
    }
    void set(size_t n, char v) {
        if (n >= n_) grow(n + 1);
        const int shift = static_cast<int>((n & 3) * 2);
        uint8_t& b = bytes_[n >> 2];
        b = static_cast<uint8_t>((b & ~(3 << shift)) | ((v & 3) << shift));
    }
    // Room for n places at once (none is forgotten).
    void grow(size_t n) {
        if (n <= n_) return;
        n_ = n;
        bytes_.resize((n + 3) / 4, 0);
    }
    size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    // The first place from n on (before end) whose verdict is not v; end where there is none. (A
    // crowded label's places are mostly ruled out: passed by 32 at a time.)
    size_t skip(size_t n, char v, size_t end) const {
        const uint8_t all = static_cast<uint8_t>(0x55 * (v & 3));
        const size_t stop = std::min(end, n_);
        while (n < stop) {
            if ((n & 31) == 0 && n + 32 <= stop) {
                uint64_t word;
                std::memcpy(&word, bytes_.data() + (n >> 2), 8);
                if (word == 0x0101010101010101ULL * all) {
                    n += 32;
                    continue;
                }
            }
            if ((n & 3) == 0 && n + 4 <= stop && bytes_[n >> 2] == all) {
                n += 4;
                continue;
            }
            if ((*this)[n] != v) return n;
            ++n;
        }
        // (past the verdicts kept: none asked)
        return n >= end || v == 0 ? end : n;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t n_ = 0;
};

// A place for one label: where its text stands, the box of the background it stands on (none:
// x0 == x1) and its leader (x, y, x, y, ...; empty: none).
struct Site {
    Spot at;
    Box cover;
    std::vector<double> lead;
    bool boxed() const { return cover.x1 > cover.x0; }
};

struct Planner {
    const std::vector<Label>& L;
    const Ground& g;
    const double h, d;
    Cells marks, ink, texts;
    Lines lines;
    std::vector<int> refat, labat;   // the place of each reference line and each label's line:
                                     // lines of one direction at one place across share it
    std::vector<double> places;      // each place across, and whether its lines are upright
    std::vector<bool> placeup;
    std::vector<int> twin;           // the label of the same text at the same line, or -1
    std::vector<std::pair<double, int>> whole;   // the upright lines that run the room's whole height: where, their place
    std::vector<double> wholex;                  // (where, alone: looked up many times on a page of many lines)
    std::vector<size_t> order;       // the lines' own labels, then the values
    mutable std::vector<size_t> bydirection[2];   // the labels of level, of upright lines, across
    // The runs of close lines' labels (what cluster gives), found once for each direction: each
    // run's labels in the order across, by the place of their lines (upright: from the left),
    // and its key (its first label from the left, or its first label); for each label, its run.
    struct Cluster {
        std::vector<size_t> m, byx;
        size_t key = 0;
    };
    mutable std::vector<Cluster> clusters;
    mutable std::vector<int> clusterat;
    const Cluster& clusterof(size_t f) const;

    // What is placed.
    std::vector<Placed> out;
    std::vector<bool> on;            // placed
    std::vector<Box> inkat;          // the inked box of each label placed
    Grid taken;                      // the texts placed (widened across) and the boxes they stand on
    Grid leads;                      // the leaders' segments
    std::vector<size_t> shown;       // the labels placed, in the order placed (some may have left)
    std::vector<size_t> shownby[2];  // the same, of level lines and of upright ones
    // The labels taken away so far: where their texts, boxes and leaders stood, and whether
    // their lines are upright. A label that found no place of any kind finds none until a label
    // leaves from where its places lie, or one of its direction leaves (the order of labels).
    // Counted by direction, and by the cells of a coarse grid over the room their places met.
    long liftsof[2] = {0, 0};
    std::vector<long> liftcells;     // kGridCells x kGridCells
    static constexpr int kGridCells = 32;
    struct Tried {
        long dir = -1, zone = -1;    // the lifts of its direction and about its line then; -1: never
    };
    std::vector<Tried> tried;        // for each label, when it last found no place of any kind
    Box zoneof(size_t i) const;
    Box takes(size_t i) const;       // where label i, placed, stands
    long liftsin(const Box& zone) const;
    bool stillnone(size_t i) const;
    mutable long work = 0;           // places tried (every rule asked)
    long budget = 0;                 // the work the moves may still do

    // What a planner of the same labels and panel without the inset found, run before this one
    // (an inset's places tried in turn, or the one chosen): its answers of the rules of what the
    // panel draws hold here but where the inset reaches (the inset only adds a rule), and are
    // taken from it, counted as the work of asking (none: every rule is asked). One that lends
    // keeps too what its columns at level lines found, by run.
    struct Found;
    const Found* prior = nullptr;
    bool lends = false;

    Planner(const std::vector<Label>& labels, const Ground& ground, const Found* prior = nullptr);
    std::vector<Placed> run();
    // What it found, taken out once it has run.
    std::unique_ptr<Found> lend();

    // ---- geometry
    static bool upright(const Box& l) { return l.x0 == l.x1 && l.y0 != l.y1; }
    static double across(const Box& l) { return upright(l) ? l.x0 : l.y0; }
    int placeof(const Box& l);
    bool ownref(size_t i, size_t k) const { return refat[k] == labat[i]; }
    Box glyph(size_t i, const Spot& s) const { return glyphat(L[i], s, h); }
    Box inked(size_t i, const Spot& s) const;
    static double gap(const Box& b, const Box& l);
    static bool touches(const Box& a, const Box& b, double gap, bool ends = true);
    // The box of the background a text stands on: as high as its glyphs' box, so that a row above
    // or below it may touch it, a little wider.
    Box boxof(const Box& glyph) const { return glyph.grown(0.15 * h, 0); }
    std::vector<size_t> sorted(bool up) const;
    long weight(size_t i) const { return L[i].value ? 1 : 1000; }

    // ---- the rules (labelrules.cpp). The static ones look at what the panel draws; the others
    // at the labels placed, and with `who` they gather the labels in the way instead of failing.
    bool staticfree(size_t i, const Site& s, bool row = false) const;
    bool placedfree(size_t i, const Site& s, std::vector<int>* who = nullptr, bool row = false) const;
    template <class F>
    static bool nonein(const Grid& grid, const Box& probe, F&& meets, std::vector<int>* who);
    bool textclear(const Box& b) const;
    bool textfree(const Box& b, std::vector<int>* who = nullptr) const;
    bool leaderfree(const Box& b, std::vector<int>* who = nullptr) const;
    bool leadclear(size_t i, const Box& seg) const;
    bool leadfree(size_t i, const Box& seg, std::vector<int>* who = nullptr) const;
    bool endsfree(size_t i, double x, double y, std::vector<int>* who = nullptr) const;
    bool nearest(size_t i, const Box& box) const;
    bool reach(size_t i, const Box& glyph, const std::vector<double>& lead, bool row = false) const;
    bool leaves(size_t i, const Box& glyph, const std::vector<double>& lead) const;
    bool rowfree(size_t i, const Box& ink, double x0, double x1) const;
    bool refsfree(size_t i, const Box& b, const Box* under) const;
    bool drawnfree(const Box& b, const Box* under) const;
    bool edgefree(size_t i, const Box& cover) const;
    bool blockedacross(size_t i, double x0, double x1) const;
    bool shareband(size_t i, const Box& ink, size_t o, const Box& b) const;
    bool inorder(size_t i, const Box& ink, bool led, std::vector<int>* who = nullptr) const;
    // row: a row of a column, which its column's leader joins to its line.
    bool fits(size_t i, const Site& s, std::vector<int>* who = nullptr, bool row = false) const;
    // Whether the inset stands within a text height of a text's ink or box b, or of a leader's
    // segment s: the rules of the inset, and where it may change what the prior planner found.
    bool insetby(const Box& b) const { return g.inset && b.grown(h, h).overlaps(g.insetbox); }
    bool insetacross(const Box& s) const { return g.inset && g.insetbox.grown(h, h).meets(s); }
    bool insetreaches(size_t i, const Site& s) const;
    // The rules of what the panel draws at s (1 keeps, 2 fails) where the prior planner found
    // `was` there (0: not asked): a place that failed without the inset fails with it, one that
    // kept keeps where the inset does not reach it; else asked. Counted as the work of asking.
    char staticnow(char was, size_t i, const Site& s, bool row = false) const {
        if (was == 2 || (was == 1 && !insetreaches(i, s))) return ++work, was;
        return staticfree(i, s, row) ? 1 : 2;
    }
    bool fitsroom(const Box& b) const { return b.inside(g.room); }

    // ---- one label (labelplace.cpp)
    // (ENDS, above or below a level line's end with a leader to that end, and FAR, as far off its
    // line as the reach lets its text stand, are asked last, apart)
    enum Kinds { BESIDE = 1, BOXED = 2, ONLINE = 4, LED = 8, ALL = 15, ENDS = 16, FAR = 32 };
    static size_t kindat(int kind) { return kind == BESIDE ? 0 : kind == BOXED ? 1 : kind == ONLINE ? 2 : kind == LED ? 3 : kind == ENDS ? 4 : 5; }
    // Calls f with each place of label i of the kinds asked, in the order they are preferred,
    // until f returns true; whether it did (a place that staticat ruled out is not offered: f
    // asks staticat first).
    // f(place, its kind, its number among the places of that kind).
    bool eachplace(size_t i, int kinds, const std::function<bool(const Site&, int, size_t)>& f) const;
    // The same; NearOnly: only the places whose text comes within its margin of the frame's
    // lines, every one (none passed by for a rule asked before), numbered as eachplace numbers them.
    template <bool NearOnly>
    bool placesof(size_t i, int kinds, const std::function<bool(const Site&, int, size_t)>& f) const;
    // Whether label i at place number n of its kind keeps the rules of what the panel draws
    // (asked once a place).
    bool staticat(size_t i, int kind, size_t n, const Site& s);
    std::vector<std::vector<Verdicts>> live;   // label, kind
    template <class F>
    bool eachspot(size_t i, F&& f) const;
    // What a label's places are made from, found once a label: its spots, a grid of a few sides
    // by many places along (an upright line's: the heights, each at the first spot's side and the
    // other; a level line's: each place across with its end, above and below the line), spot n
    // at place n / sides and side n % sides; the places along its line they take (once each),
    // and every other of those.
    struct Enumerated {
        bool known = false;
        bool up = false;
        int sides = 1;
        Spot side[2];                   // upright: x and end of each side; level: y of each
        std::vector<double> at;         // upright: the heights; level: the places across
        std::vector<char> ends;         // level: whether the text ends at each place across
        std::vector<double> along, every;
        size_t spots() const { return at.size() * static_cast<size_t>(sides); }
        Spot spot(size_t n) const {
            const size_t k = n / static_cast<size_t>(sides);
            const Spot& q = side[n % static_cast<size_t>(sides)];
            return up ? Spot{q.x, at[k], q.end} : Spot{at[k], q.y, ends[k] != 0};
        }
    };
    mutable std::vector<Enumerated> enumerated;
    const Enumerated& enumerate(size_t i) const;
    bool placeone(size_t i, int kinds);
    // Label i at the first of its own places (beside, led, at its line's end) that only a frame's
    // line kept it from, now that its glyphs may come nearer those lines; whether it found one.
    bool placenearframe(size_t i);
    mutable bool nearframe = false;        // (while so: drawnfree passes over the frame's lines)
    bool far = true;                       // (the last places, at the reach's end, asked: place's far)
    std::vector<Placed> finish();
    std::vector<Placed> resume(const std::vector<Placed>& was);
    // Whether drawnfree kept each box of the background asked (while nearframe was not so, and
    // was).
    template <class V>
    using ByBox = std::unordered_map<uint64_t, std::vector<std::pair<Box, V>>>;
    mutable ByBox<char> boxesclear[2];
    // What is known of box b in `by`, found by find(V&) the first time it is asked.
    template <class V, class F>
    static V& known(ByBox<V>& by, const Box& b, F&& find) {
        uint64_t key = 0;
        for (double v : {b.x0, b.y0, b.x1, b.y1}) {
            uint64_t u;
            std::memcpy(&u, &v, sizeof u);
            key = (key ^ u) * 0x9e3779b97f4a7c15ULL;
            key ^= key >> 29;
        }
        auto& at = by[key];
        for (auto& [box, v] : at)
            if (box.x0 == b.x0 && box.y0 == b.y0 && box.x1 == b.x1 && box.y1 == b.y1) return v;
        at.push_back({b, V{}});
        find(at.back().second);
        return at.back().second;
    }
    // A label's places whose text comes within its margin of the frame's lines, each with its
    // kind and number: where they stand, the same whatever is placed; found once.
    struct NearPlace {
        int kind;
        size_t n;
        Site s;
    };
    struct NearFrame {
        bool known = false;
        std::vector<NearPlace> places;
    };
    mutable std::vector<NearFrame> nearby;
    const NearFrame& nearplaces(size_t i) const;
    bool framed(const Box& s) const {      // s, an item of g.ink, is a frame's line
        const size_t k = static_cast<size_t>(&s - g.ink.data());
        return k < g.ink.size() && k + g.framelines >= g.ink.size();
    }
    // Label i placed at s (as: the box and column it stands in, where a column says so).
    void put(size_t i, const Site& s, const Placed* as = nullptr);
    void lift(size_t i);

    // ---- columns (labelcolumns.cpp)
    // A row of a column: its label, its place, and the box and column it is drawn with (the
    // column's one box goes with its first row).
    struct Row {
        size_t label;
        Site s;
        Placed as;
    };
    using Places = std::vector<std::pair<size_t, Placed>>;
    Places placesof(const std::vector<size_t>& who) const;
    void putback(const Places& v);
    std::vector<size_t> cluster(size_t f) const;
    void columns(const std::vector<size_t>& failed);
    void columnfor(const std::vector<size_t>& m, int* id);
    long columnsof(const std::vector<size_t>& m, int id, std::vector<Row>* rows);
    // The columns of a run of level lines' labels: the rows' slots (baselines on one grid),
    // the places across, and what the panel's drawing lets each row take at each place.
    struct LevelSet {
        struct Anchor {
            double x0;   // the texts' span across [x0, x0 + wmax]
            int dir;     // the leaders run right (1) or left (-1)
        };
        std::vector<size_t> m;              // from the highest line
        size_t n = 0;
        double wmax = 0, q = 0, zlo = 0;    // the slots: zlo + s q
        int S = 0, P = 0;                   // slots, and slots between rows
        std::vector<int> slo, shi;          // each row's slots
        // The slots some place may give: row k's slot s at first[k] + s - slo[k] (each row's
        // slots after the row before's; so too in a place's cache), entries in all.
        std::vector<char> all;
        std::vector<size_t> first;
        size_t entries = 0;
        std::vector<Anchor> anchors;
        std::vector<char> pending;          // rows still to stand in a column
        std::vector<Verdicts> cache;        // place: row, slot
        const std::vector<Verdicts>* before = nullptr;   // the same, the prior planner's
        std::vector<float> wide;            // place x slot: how wide a row's box there may be that
                                            // nothing the panel draws crosses; -1 not asked
        LevelSet(const Planner& p, const std::vector<size_t>& m);
    };
    // What the rules of what the panel draws said of the rows of the columns of each run of level
    // lines' labels (LevelSet::cache, by the run's labels from the highest line), for a planner
    // that lends.
    std::map<std::vector<size_t>, std::vector<Verdicts>> levelstatic;
    void keeplevel(LevelSet& c);
    // The rows of a column of the labels (a level set's rows still to stand in one) that keeps
    // the most of them (by weight); that weight.
    long levelcolumn(LevelSet& c, std::vector<Row>* rows) const;
    long uprightcolumn(const std::vector<size_t>& m, std::vector<Row>* rows) const;
    // A place of a column beside upright lines: the texts start at x (or end there, left of the
    // lines); against the room's edge, over the lines there, on one box.
    struct ColumnPlace {
        double x;
        bool end;
        bool edge = false;
    };
    std::vector<ColumnPlace> uprightplaces(const std::vector<size_t>& m) const;
    Site uprightrow(size_t i, const ColumnPlace& p, double y, bool fromtop, double wmax) const;
    void uprightrow(size_t i, const ColumnPlace& p, double y, bool fromtop, double wmax, Site* s) const;
    bool rowreads(size_t i, const Site& s, bool edge) const;

    // ---- a row of its own beside other lines (labelrows.cpp)
    bool placerow(size_t i);
    // A place across of such a row: where the text starts (right of the line), or ends (left of it).
    struct Across {
        double near;
        bool end;
    };
    // The places across of a label's row of its own, in the order tried; each side's (0: left of
    // its line, 1: right), in that order; whether each side's run outward.
    struct RowPlaces {
        bool known = false;
        std::vector<Across> xs;
        std::vector<uint32_t> side[2];
        bool outward = true;
    };
    mutable std::vector<RowPlaces> rowsacross;
    const RowPlaces& rowplaces(size_t i) const;
    // A row of its own at a place of the column of its run.
    bool columnrows(size_t i, bool movable, const std::function<bool(const Site&, const Placed&)>& f) const;
    double coverwide(double y, double x, bool end) const;
    // A run of upright lines' column: its places, its widest text, its heights, how wide a text
    // may stand at each row there (by place, end, height; without a descender or with) that no
    // label changes (-1: not asked), and how many rows on a box at the room's edge no fitted line
    // or marker meets (by place and end; -1: not asked). By the run's first label from the left.
    struct Run {
        size_t first = 0;
        std::vector<ColumnPlace> places;
        double wmax = 0;
        size_t heights = 0;
        std::vector<float> wide[2];
        std::vector<int> edge;
        std::vector<char> edgeclear[2];     // by place and end: every row's box there met nothing
                                            // (for a text without an accent on a capital, with)
    };
    mutable std::unordered_map<size_t, Run> runs;
    bool placecolumnrow(size_t i);
    bool placeanywhere(size_t i);
    std::vector<long> columnless;    // for each label, the lifts when it last found no such row; -1: never
    // For each label, whether its column's rows that keep the rules of what the panel draws are
    // known, and those rows (by number, in the order they are preferred).
    mutable std::vector<char> rowsknown;
    mutable std::vector<size_t> runkey;   // for each label, the key of its run's column (once its rows are known)
    // (a label's rows by number, as runs of consecutive numbers: first, count)
    struct RowRuns {
        std::vector<std::pair<uint32_t, uint32_t>> runs;
        void add(uint32_t at) {
            if (!runs.empty() && runs.back().first + runs.back().second == at) ++runs.back().second;
            else runs.push_back({at, 1});
        }
        bool empty() const { return runs.empty(); }
        size_t end() const {   // past the highest number
            size_t e = 0;
            for (const auto& [from, count] : runs) e = std::max(e, size_t{from} + count);
            return e;
        }
    };
    mutable std::vector<RowRuns> rowsof;
    mutable std::vector<Verdicts> rowstatic;   // label, row
    void knowrows(size_t i) const;
    mutable std::unordered_map<size_t, LevelSet> levelsets;   // the runs of level lines, by their first label
    double rowwide(double y, double x, bool end, bool descends) const;
    bool takenclear(double y, double x0, double x1) const;
    void takenin(const Box& band, double wide, std::vector<std::pair<double, double>>* v) const;
    double rowroom(double y) const;
    mutable std::unordered_map<int64_t, double> rowsroom;
    mutable long roomat = -1;
    const std::vector<std::pair<double, double>>& rowcrossed(double y) const;
    mutable std::unordered_map<int64_t, std::vector<std::pair<double, double>>> rowscrossed;
    // (the rows of the room in one array, each with when it was found and where its spans lie in
    // one pool of those found since; rows asked together lie together. Any other row by its key.)
    struct TakenRow {
        long at = -1;
        uint32_t from = 0, count = 0;
    };
    mutable std::vector<TakenRow> roomtaken;
    mutable int64_t roomtakenfrom = 0;
    mutable std::vector<std::pair<double, double>> takenpool, takenscratch;
    mutable long poolat = -1;
    mutable std::unordered_map<int64_t, std::vector<std::pair<double, double>>> rowstaken;
    mutable long takenat = -1;
    // What a text on the row at baseline y keeps clear of across (the texts placed, the lines,
    // fitted lines and markers), kept while nothing is placed or taken away; where a level leader
    // at the row's middle is stopped, kept the same way; where the upright lines that reach that
    // middle stand; what its ink keeps clear of that no label changes (the panel's texts, the
    // inset). Each row by its baseline.
    static int64_t rowkey(double y, double h) { return rounded(y / (0.01 * h)); }
    // v rounded to the nearest whole number, halves away from zero (as llround, without the call:
    // asked millions of times on a crowded page).
    static int64_t rounded(double v) {
        if (!(std::fabs(v) < 4e18)) return std::llround(v);
        const int64_t k = static_cast<int64_t>(v);   // toward zero; v - k is exact
        const double f = v - static_cast<double>(k);
        return k + (f >= 0.5) - (f <= -0.5);
    }
    int64_t rowkey(double y) const { return rowkey(y, h); }
    const std::vector<std::pair<double, double>>& rowbusy(double y) const;
    const std::vector<std::pair<double, double>>& rowfixed(double y) const;
    const std::vector<std::pair<double, double>>& rowstops(double y) const;
    const std::vector<double>& rowlines(double y) const;
    const std::vector<std::pair<double, double>>& rowtexts(double y, bool descends) const;
    bool rowclear(size_t i, double y, double x0, double x1) const;
    mutable std::unordered_map<int64_t, std::vector<std::pair<double, double>>> rowsbusy, rowsfixed, rowsstops, rowspanel;
    mutable std::unordered_map<int64_t, std::vector<double>> rowsupright;
    long changes = 0;                       // labels placed or taken away so far
    mutable long rowsat = -1, stopsat = -1;   // when the rows were known
    std::vector<long> rowless;       // for each label, the lifts when it last found no row; -1: never

    // ---- moves (labelmoves.cpp)
    bool makeroom(size_t i, bool wide);
    bool wider = false;              // the moves asked are the wider ones
    bool roomfor(size_t i, int depth, long stop);
    // What put and lift change while a move is tried, to be undone: each label as it was.
    struct Change {
        size_t label;
        bool was;        // placed before
        Placed at;       // where
    };
    std::vector<Change> journal;
    bool journaling = false;
    void undo(size_t mark);
    // A label left out where up to `most` labels placed stand in the way, and more labels stand
    // (by weight) once those leave: they leave, the others stand; whether it did.
    void exchanges(long allowed);
    bool exchange(size_t i, long stop, size_t most);
    // A label left out where only the rows of one or two columns (and at most one label of no
    // column) stand in the way of a place of its own: it stands there and those labels are laid
    // out again around it (their columns, then any place of their own), kept where more stands
    // then (by weight); whether it did. Each group of columns is tried once a label.
    bool besidecolumn(size_t i, long stop);
    std::vector<Box> freed;          // where the labels of columns laid out again so stood
    void rowsfreed();
    bool sharesbox(size_t j) const { return out[j].column >= 0 && out[j].boxed && upright(L[j].line); }
};

struct Planner::Found {
    std::vector<std::vector<Verdicts>> live;
    std::vector<Verdicts> rowstatic;
    std::map<std::vector<size_t>, std::vector<Verdicts>> levelstatic;
    std::vector<Enumerated> enumerated;      // (the same with the inset or without)
    std::vector<RowPlaces> rowsacross;
    std::vector<NearFrame> nearby;
};

}  // namespace labelplace
