// The placement's rules, each on a small panel made by hand where only that rule decides:
// markers wall off the places a label must not take, so that each label has the few places the
// case needs. What is asserted is the rule (beside its own line or joined to it, which label
// gives way), not where along its line a label stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "common/labelplace.h"
#include "common/labelplanner.h"

namespace {

namespace lp = labelplace;

constexpr double kH = 2.2;          // text height
constexpr double kGap = 0.5 * kH;   // between a line and the text beside it
constexpr double kTop = 60 - kH;    // the baseline of the top row

struct Panel {
    std::vector<lp::Label> labels;
    lp::Ground g;
    Panel() {
        g.room = {0, 0, 100, 60};
        g.h = kH, g.gap = kGap, g.pitch = kH, g.toprow = kTop, g.footrow = 0.5 * kH;
    }
    // A label of the line (added to the panel's lines once), its text 0.6 text heights a
    // character wide, where the drawing puts it.
    size_t label(const lp::Box& line, const std::string& text, lp::Spot first, bool value = false, int from = 0) {
        if (std::none_of(g.refs.begin(), g.refs.end(), [&](const lp::Box& r) { return r.x0 == line.x0 && r.y0 == line.y0 && r.x1 == line.x1 && r.y1 == line.y1; }))
            g.refs.push_back(line);
        lp::Label a;
        a.line = line, a.text = text, a.w = 0.6 * kH * static_cast<double>(text.size());
        a.first = first, a.value = value, a.from = from;
        labels.push_back(a);
        return labels.size() - 1;
    }
    void wall(double x0, double y0, double x1, double y1) { g.marks.push_back({x0, y0, x1, y1}); }
    std::vector<lp::Placed> place() const { return lp::place(labels, g); }
};

lp::Box upright(double x, double y0 = 0, double y1 = 60) { return {x, y0, x, y1}; }
lp::Box level(double y, double x0 = 0, double x1 = 100) { return {x0, y, x1, y}; }

// The glyphs of a label where it stands: capitals' height above the baseline, nothing below it.
lp::Box glyphs(const lp::Label& a, const lp::Placed& p) {
    const double x0 = p.at.end ? p.at.x - a.w : p.at.x;
    return {x0, p.at.y, x0 + a.w, p.at.y + 0.72 * kH};
}
double gap(const lp::Box& b, const lp::Box& l) {
    return std::hypot(std::max({0.0, l.x0 - b.x1, b.x0 - l.x1}), std::max({0.0, l.y0 - b.y1, b.y0 - l.y1}));
}
// Where a label stands, told.
std::string where(const lp::Label& a, const lp::Placed& p) {
    if (p.omitted) return "'" + a.text + "' left out";
    std::string s = "'" + a.text + "' at (" + std::to_string(p.at.x) + ", " + std::to_string(p.at.y) + (p.at.end ? ", ending there)" : ")");
    if (!p.leader.empty()) s += " with a leader";
    return s;
}
// A label beside its own upright line with no leader: on the side asked (right: the text
// starts right of the line), within a text height of it.
void besideupright(const lp::Label& a, const lp::Placed& p, bool right) {
    SCOPED_TRACE(where(a, p));
    ASSERT_FALSE(p.omitted);
    EXPECT_TRUE(p.leader.empty());
    const lp::Box b = glyphs(a, p);
    EXPECT_TRUE(right ? b.x0 > a.line.x0 : b.x1 < a.line.x0) << (right ? "not right of its line" : "not left of its line");
    EXPECT_LE(gap(b, a.line), kH);
}
// A label joined by a leader that ends on its own line.
void ledtoline(const lp::Label& a, const lp::Placed& p) {
    SCOPED_TRACE(where(a, p));
    ASSERT_FALSE(p.omitted);
    ASSERT_GE(p.leader.size(), 4u);
    const size_t n = p.leader.size();
    EXPECT_LT(gap({p.leader[n - 2], p.leader[n - 1], p.leader[n - 2], p.leader[n - 1]}, a.line), 1e-9);
}

// Markers right of an upright line all along it: its label stands on the other side, beside
// it, with no leader (the places further out with a leader come after both sides); the same
// with the markers on its left.
TEST(LabelRules, AnUprightLinesLabelTakesTheOtherSide) {
    for (const bool right : {true, false}) {
        Panel p;
        const size_t i = p.label(upright(50), "Alpha", right ? lp::Spot{50 + kGap, kTop, false} : lp::Spot{50 - kGap, kTop, true});
        right ? p.wall(50.3, 0, 60, 60) : p.wall(40, 0, 49.7, 60);
        const std::vector<lp::Placed> at = p.place();
        besideupright(p.labels[i], at[i], !right);
    }
}

// Two lines' labels, a user's and one or two values read off (two groups' at one line), want
// one place: right of the user's line at the top, left of the values' line. The user's label has
// no other place beside its line (markers left of it, and right of it lower down); further out
// with a leader it would find one lower down. The lines' own labels are placed first: the
// user's label stands beside its line, the values beside theirs elsewhere.
TEST(LabelRules, AUsersLabelTakesItsPlaceBeforeTheValuesReadOff) {
    for (const int values : {1, 2}) {
        SCOPED_TRACE(std::to_string(values) + " value(s) read off");
        Panel p;
        std::vector<size_t> v;
        for (const char* t : {"12.5", "13.1"})
            if (static_cast<int>(v.size()) < values) v.push_back(p.label(upright(60), t, {60 - kGap, kTop, true}, true));
        const size_t user = p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
        p.wall(30, 0, 49.7, 60);
        p.wall(50.3, 0, 51.8, kTop - 0.8);
        const std::vector<lp::Placed> at = p.place();
        besideupright(p.labels[user], at[user], true);
        for (const size_t i : v) {
            SCOPED_TRACE(where(p.labels[i], at[i]));
            ASSERT_FALSE(at[i].omitted);
            EXPECT_TRUE(at[i].leader.empty());
            EXPECT_LE(gap(glyphs(p.labels[i], at[i]), p.labels[i].line), kH);
        }
    }
}

// A value read off whose line is short and ends inside the panel (where it meets the fitted
// line), markers along its line and past both its ends: it stands above the end, joined by a
// leader down to it.
TEST(LabelRules, AValueStandsAboveItsLinesEndWithALeaderToIt) {
    Panel p;
    const size_t i = p.label(level(30, 40, 50), "1689.40", {40.5, 30 + 0.25 * kH, false}, true);
    p.wall(0, 20, 39.2, 40);
    p.wall(39.2, 20, 48.5, 33.5);
    p.wall(50.5, 20, 100, 40);
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[i], at[i]);
    const size_t n = at[i].leader.size();
    EXPECT_NEAR(at[i].leader[n - 2], 50, 1e-9) << "the leader ends at its line's end";
    EXPECT_GT(at[i].at.y, 33.5) << "above the markers by the line's end";
}

// A label whose one place beside its line (markers hug the other side all along) ends a tenth
// of a text height short of the frame's right line: it keeps its margin from that line as from
// any other while it may, and at the last stands there rather than be left out; where the same
// segment is no frame's line, it is left out.
TEST(LabelRules, ALabelLeftOutAtLastStandsNearTheFramesLine) {
    for (const bool frame : {true, false}) {
        SCOPED_TRACE(frame ? "the frame's line" : "a fitted line where the frame's runs");
        Panel p;
        const double w = 0.6 * kH * 8, x = 100 - kGap - w - 0.1 * kH;
        const size_t i = p.label(upright(x), "Warranty", {x + kGap, kTop, false});
        p.wall(0, 0, x - 0.3, 60);
        const double e = 0.01 * kH;
        p.g.ink = {{-e, -e, -e, 60 + e}, {-e, -e, 100 + e, -e}, {100 + e, -e, 100 + e, 60 + e}, {-e, 60 + e, 100 + e, 60 + e}};
        p.g.framelines = frame ? 4 : 0;
        const std::vector<lp::Placed> at = p.place();
        if (!frame) {
            EXPECT_TRUE(at[i].omitted) << where(p.labels[i], at[i]);
            continue;
        }
        besideupright(p.labels[i], at[i], true);
        EXPECT_TRUE(glyphs(p.labels[i], at[i]).inside(p.g.room));
    }
}

// A label whose one place (right of its line, above a level line that starts there) ends a tenth
// of a text height short of the frame's right line, where the level line's label, asked first,
// stands: at the last that label moves below its line, and both stand.
TEST(LabelRules, ALabelInTheWayOfAPlaceNearTheFrameMovesAtTheLast) {
    Panel p;
    const double w = 0.6 * kH * 8, x = 100 - kGap - w - 0.1 * kH, y = 28.5;
    const size_t ab = p.label(level(y, x, 100), "Ab", {100 - 0.6 * kH * 2 - 0.5, y + 0.5 * kH, false});
    const size_t i = p.label(upright(x), "Warranty", {x + kGap, kTop, false});
    p.wall(0, 0, x - 0.3, 60);
    p.wall(x + 0.3, 0, 100, y - 2.5 * kH);
    p.wall(x + 0.3, 30 + 1.5 * kH, 100, 60);
    p.wall(x + 0.3, y - 2.5 * kH, x + 2, y - 0.3);   // (Warranty finds no place below the level line)
    const double e = 0.01 * kH;
    p.g.ink = {{-e, -e, -e, 60 + e}, {-e, -e, 100 + e, -e}, {100 + e, -e, 100 + e, 60 + e}, {-e, 60 + e, 100 + e, 60 + e}};
    p.g.framelines = 4;
    const std::vector<lp::Placed> at = p.place();
    SCOPED_TRACE(where(p.labels[ab], at[ab]));
    besideupright(p.labels[i], at[i], true);
    ASSERT_FALSE(at[ab].omitted);
    EXPECT_LT(at[ab].at.y, y);
}

// The moves that make room. A user's label whose one place another user's label took first
// (right of its line at the top, where that label stood left of its own line): that label moves
// to the other side of its line, and both stand beside their lines.
TEST(LabelRules, ALabelInTheWayMovesToAnotherPlaceOfItsOwn) {
    Panel p;
    const size_t first = p.label(upright(60), "Beta", {60 - kGap, kTop, true});
    const size_t later = p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
    p.wall(30, 0, 49.7, 60);
    p.wall(50.3, 0, 59.7, kTop - 0.8);
    const std::vector<lp::Placed> at = p.place();
    besideupright(p.labels[later], at[later], true);
    besideupright(p.labels[first], at[first], true);
}

// A long label above its level line whose one room is a stretch between two upright lines, whose
// labels' one places (beside their lines' feet, facing each other) lie at the two ends of that
// stretch: asked first, it takes the stretch. It has no other place, so no move makes room for
// either: it leaves, and the two stand.
TEST(LabelRules, ALongLabelLeavesItsRoomToTwoShortOnes) {
    Panel p;
    const double y = 30 + 0.5 * kH;
    const size_t lon = p.label(level(30), "Long long long", {41, y, false});
    const size_t ab = p.label(upright(38, 31, 60), "Ab", {38 + kGap, y, false});
    const size_t cd = p.label(upright(62, 31, 60), "Cd", {62 - kGap, y, true});
    p.wall(0, 0, 100, 29.7);
    p.wall(0, 30.3, 37.7, 33.2);
    p.wall(62.3, 30.3, 100, 33.2);
    p.wall(0, 33.4, 100, 60);
    const std::vector<lp::Placed> at = p.place();
    EXPECT_TRUE(at[lon].omitted) << where(p.labels[lon], at[lon]);
    besideupright(p.labels[ab], at[ab], true);
    besideupright(p.labels[cd], at[cd], false);
}

// A user's label with no place beside its line (markers hug both sides) but further out at the
// top, with a leader, where a value read off stands beside its own line, and the value has no
// other place: the value gives way and is left out.
TEST(LabelRules, AValueWithNoOtherPlaceGivesWayToAUsersLabel) {
    Panel p;
    const double xv = 53.8 + 0.6 * kH * 6;   // the value's text starts 2.7 right of the user's line
    const size_t value = p.label(upright(xv), "123.45", {xv - kGap, kTop, true}, true);
    const size_t user = p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
    p.wall(30, 0, 49.7, 60);
    p.wall(50.3, 0, 51.8, 60);
    p.wall(50.3, 0, 70, kTop - 0.8);
    p.wall(xv + 0.3, 0, 80, 60);
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[user], at[user]);
    EXPECT_TRUE(at[value].omitted) << where(p.labels[value], at[value]);
}

// The same user's label, where two values read off stand in a column on one box of the
// background across its places at the top (the rows of such a box stay together): every row of
// the box is a value, so they give way together, and the user's label takes its place there.
TEST(LabelRules, AColumnOfValuesOnOneBoxGivesWayToAUsersLabel) {
    Panel p;
    const double top = kTop - 3 * kH;   // where the values' lines end
    const size_t user = p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
    const size_t v1 = p.label(upright(62, 0, top), "12.34", {62 + kGap, top, false}, true);
    const size_t v2 = p.label(upright(63, 0, top), "56.78", {63 + kGap, top, false}, true);
    p.wall(30, 0, 49.7, 60);
    p.wall(50.3, 0, 51.8, 60);
    p.wall(50.3, 0, 80, kTop - 0.8);
    lp::Planner q(p.labels, p.g, nullptr);
    q.tried.assign(p.labels.size(), {});
    q.liftcells.assign(static_cast<size_t>(lp::Planner::kGridCells) * lp::Planner::kGridCells, 0);
    q.rowless.assign(p.labels.size(), -1), q.rowsacross.assign(p.labels.size(), {});
    q.columnless.assign(p.labels.size(), -1), q.rowsknown.assign(p.labels.size(), 0);
    q.runkey.assign(p.labels.size(), 0), q.rowstatic.assign(p.labels.size(), {}), q.rowsof.assign(p.labels.size(), {});
    // the column at the top, over the user's places, both rows on the first one's box
    const double x = 52.5, w = 0.6 * kH * 5;
    lp::Placed as;
    as.boxed = true, as.column = 0;
    as.cover = {x - 0.15 * kH, kTop - kH - 0.22 * kH, x + w + 0.15 * kH, kTop + 0.76 * kH};
    lp::Site s1{{x, kTop, false}, as.cover, {}};
    lp::leadto(s1.lead, x + w + 0.25 * kGap, kTop + 0.35 * kH, 62, top);
    q.put(v1, s1, &as);
    lp::Placed as2 = as;
    as2.cover = {};
    lp::Site s2{{x, kTop - kH, false}, {}, {}};
    lp::leadto(s2.lead, x + w + 0.25 * kGap, kTop - 0.65 * kH, 63, top);
    q.put(v2, s2, &as2);
    ASSERT_TRUE(q.sharesbox(v1) && q.sharesbox(v2));
    q.budget = 100000;
    EXPECT_TRUE(q.makeroom(user, false));
    EXPECT_TRUE(q.on[user]);
}

// A user's label with no place beside its line (markers hug both sides), whose places further
// out with a leader lie in one band at the top, where another user's label ("Beta", which has
// the other side of its line free) and two values read off above the ends of their short lines
// stand: every one of those places has "Beta" and a value in the way. The values give way, and
// "Beta" moves to its other side, at once: the user's label is led to its line there.
TEST(LabelRules, TheValuesAndOneLabelMoveForAUsersLabel) {
    Panel p;
    const size_t user = p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
    const size_t beta = p.label(upright(66.38), "Beta", {66.38 - kGap, kTop, true});
    p.label(upright(53.06, 0, 56.5), "7", {52.4, kTop, false}, true);
    p.label(upright(56.86, 0, 56.5), "9", {56.2, kTop, false}, true);
    p.wall(30, 0, 49.7, 60);
    p.wall(50.3, 0, 51.8, 60);
    p.wall(51.8, 0, 80, kTop - 0.8);
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[user], at[user]);
    besideupright(p.labels[beta], at[beta], true);
}

// A line that stops at y = 20, its label from its foot: markers beside it up to a text height
// above its end, so that no place beside it is free. The label does not stand a text height or
// more past the line's end without a leader: a leader joins it to the line.
TEST(LabelRules, ALabelWithoutALeaderStandsWithinATextHeightOfItsLine) {
    Panel p;
    const size_t i = p.label(upright(50, 0, 20), "Alpha", {50 + kGap, 0.5 * kH, false}, false, 1);
    p.wall(50.3, 0, 70, 20 + 1.1 * kH);
    p.wall(30, 0, 49.7, 20 + 1.1 * kH);
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[i], at[i]);
}

// A label with an accent on a small letter (its box as high as an accent on a capital) below
// its level line, an unlabelled upright line beside the stretch it may take: wherever it stands
// without a leader, its letters (up to the capitals' height) are nearer its own line than the
// upright one by a twentieth of a text height.
TEST(LabelRules, AnAccentedLabelIsNearerItsOwnLineByItsLetters) {
    Panel p;
    p.g.refs.push_back(upright(50));
    const size_t i = p.label(level(30), "Nino", {51, 30 - kGap - 0.72 * kH, false});
    p.labels[i].rises = true;
    p.wall(0, 0, 49.7, 60);
    p.wall(50 + 4 * kH, 0, 100, 60);
    const std::vector<lp::Placed> at = p.place();
    const lp::Label& a = p.labels[i];
    SCOPED_TRACE(where(a, at[i]));
    if (at[i].omitted || !at[i].leader.empty()) return;
    const lp::Box b = glyphs(a, at[i]);
    EXPECT_LE(gap(b, a.line) + 0.05 * kH, gap(b, upright(50)));
}

// Two upright lines 0.1 text heights apart past the axis' end: in the gap between the data's
// frame (the ground's inner box, which keeps the leaders in) and the room's edge, too close for
// a label between them and with no room right of them. Each label is led to its own line: a
// leader leaves the frame to reach its own line.
TEST(LabelRules, LeadersReachTheirLinesPastTheAxisEnd) {
    Panel p;
    p.g.inner = {0, 0, 90, 60};
    const size_t a = p.label(upright(95), "Stop limit", {95 - kGap, kTop, true});
    const size_t b = p.label(upright(95 + 0.1 * kH), "Burn-in end", {95 + 0.1 * kH - kGap, kTop, true});
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[a], at[a]);
    ledtoline(p.labels[b], at[b]);
}

// The inset's place, chosen with the labels. A label right of its line at the top, walled in
// there by markers. Two places clear of what the panel draws: the first over the label, so the
// second is taken. Two places that each hide one marker: the first costs the label its place, so
// the second is taken, and neither is clear. The data before the labels: a place that hides a
// marker and meets no label, and one clear of the data over the label: the clear one is taken,
// whether the label finds another place (lower down, where the markers leave room) or is lost.
// Every place hides data: the one that hides fewer markers is taken though it costs the label.
TEST(LabelRules, TheInsetTakesAPlaceThatLeavesTheLabelsTheirs) {
    const lp::Box overlabel{45, 52, 75, 60}, away{5, 2, 35, 10};
    for (const bool room : {false, true}) {
        SCOPED_TRACE(room ? "the label has another place" : "the label has no other place");
        Panel p;
        p.label(upright(50), "Alpha", {50 + kGap, kTop, false});
        p.wall(30, 0, 49.7, 60);
        p.wall(50.3, 0, 70, room ? 30 : kTop - 0.8);
        p.g.inset = true, p.g.insetbox = overlabel;
        ASSERT_EQ(p.place()[0].omitted, !room) << "the label with the inset over its place";
        p.g.inset = false;
        bool clear = false;
        if (!room) {
            EXPECT_EQ(lp::placeinset(p.labels, p.g, {{overlabel, true, {0}}, {away, true, {0}}}, &clear), 1);
            EXPECT_TRUE(clear);
            EXPECT_FALSE(p.g.inset) << "the ground's inset as it was";
            EXPECT_EQ(lp::placeinset(p.labels, p.g, {{overlabel, false, {1}}, {away, false, {1}}}, &clear), 1);
            EXPECT_FALSE(clear);
            EXPECT_EQ(lp::placeinset(p.labels, p.g, {{overlabel, false, {1}}, {away, false, {2}}}, &clear), 0);
            EXPECT_FALSE(clear);
        }
        clear = false;
        EXPECT_EQ(lp::placeinset(p.labels, p.g, {{away, false, {1}}, {overlabel, true, {0}}}, &clear), 1);
        EXPECT_TRUE(clear);
    }
}

// Whether two segments cross or come within 0.1 text heights of each other.
bool meet(const lp::Box& a, const lp::Box& b) {
    auto side = [](const lp::Box& s, double x, double y) { return (s.x1 - s.x0) * (y - s.y0) - (s.y1 - s.y0) * (x - s.x0); };
    if (side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 && side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0) return true;
    auto to = [](const lp::Box& s, double x, double y) {
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0, n = dx * dx + dy * dy;
        const double t = n > 0 ? std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / n, 0.0, 1.0) : 0;
        return std::hypot(x - s.x0 - t * dx, y - s.y0 - t * dy);
    };
    return std::min({to(a, b.x0, b.y0), to(a, b.x1, b.y1), to(b, a.x0, a.y0), to(b, a.x1, a.y1)}) < 0.1 * kH;
}

// A run of six upright lines 0.3 apart near the room's right edge (no room right of them);
// left of them, three steep segments of fitted lines (or three files of markers) fill the places
// of a column within reach of its lines but the furthest, whose rows stand more than three text
// heights from their lines and whose leaders would cross them; further out the column does not
// stand. No label stands more than three text heights from its line unless its leader is level
// and crosses no fitted line and no marker.
TEST(LabelRules, AFarRowsLeaderCrossesNoData) {
    for (const bool markers : {false, true}) {
        SCOPED_TRACE(markers ? "markers" : "fitted lines");
        Panel p;
        for (int k = 0; k < 6; ++k) {
            const double x = 95.5 + 0.3 * k;
            p.label(upright(x), "L" + std::to_string(k + 1), {x - kGap, kTop, true});
        }
        for (const double x : {89.0, 91.0, 93.0}) markers ? p.wall(x - 0.3, 0, x + 0.3, 60) : p.g.ink.push_back(upright(x));
        const std::vector<lp::Placed> at = p.place();
        for (size_t i = 0; i < at.size(); ++i) {
            const lp::Label& a = p.labels[i];
            if (at[i].omitted || gap(glyphs(a, at[i]), a.line) <= 3 * kH) continue;
            SCOPED_TRACE(where(a, at[i]));
            const std::vector<double>& l = at[i].leader;
            ASSERT_EQ(l.size(), 4u);
            ASSERT_EQ(l[1], l[3]) << "a leader that is not level";
            const lp::Box seg{std::min(l[0], l[2]), l[1], std::max(l[0], l[2]), l[1]};
            std::string crossed;
            for (const lp::Box& s : p.g.ink)
                if (meet(seg, s)) crossed += " the fitted line at x = " + std::to_string(s.x0);
            for (const lp::Box& m : p.g.marks)
                if (seg.meets(m)) crossed += " the markers at x = " + std::to_string(m.x0);
            EXPECT_TRUE(crossed.empty()) << "the leader crosses" << crossed;
        }
    }
}

// The columns. Five level lines 0.8 apart, too close for a label between them: their labels
// stand in a column with leaders. The top line stops at x = 5, a little past the column's
// texts at the lines' left ends, so that its leader there would be short and steep and cross
// the next one's: every label is shown, each leader ends on its own line, and none meets
// another.
TEST(LabelRules, TheLeadersOfALevelColumnMeetNoOther) {
    Panel p;
    for (int k = 0; k < 5; ++k) {
        const double y = 30 - 0.8 * k;
        p.label(level(y, 0, k == 0 ? 5 : 100), "L" + std::to_string(k + 1), {kGap, y - kH, false});
    }
    const std::vector<lp::Placed> at = p.place();
    for (size_t i = 0; i < at.size(); ++i) {
        ledtoline(p.labels[i], at[i]);
        for (size_t j = 0; j < i; ++j)
            if (at[i].leader.size() == 4 && at[j].leader.size() == 4) {
                const std::vector<double>&u = at[i].leader, &v = at[j].leader;
                EXPECT_FALSE(meet({u[0], u[1], u[2], u[3]}, {v[0], v[1], v[2], v[3]}))
                    << "the leaders of " << where(p.labels[i], at[i]) << " and " << where(p.labels[j], at[j]);
            }
    }
}

// Two upright lines half a text height apart from the foot, one 20 high, the other 2 (it stops
// at a curve), their labels from the foot; markers wall off the left side, and right of the
// long line above the short one's end. The labels stand in a column right of the lines, each
// row beside its own line: the short line's at the foot, at its height; the leaders level.
TEST(LabelRules, TheRowsOfAnUprightColumnStandBesideTheirLines) {
    Panel p;
    const size_t tall = p.label(upright(50, 0, 20), "Beta", {50 + kGap, 0.5 * kH, false}, false, 1);
    const size_t low = p.label(upright(50.5, 0, 2), "Alpha", {50.5 + kGap, 0.5 * kH, false}, false, 1);
    p.wall(30, 0, 49.7, 60);
    p.wall(50.8, 2.9, 51.2, 60);
    const std::vector<lp::Placed> at = p.place();
    for (const size_t i : {tall, low}) {
        SCOPED_TRACE(where(p.labels[i], at[i]));
        ASSERT_FALSE(at[i].omitted);
        const std::vector<double>& l = at[i].leader;
        if (!l.empty()) {
            EXPECT_EQ(l[1], l.back()) << "a leader that is not level";
        }
    }
    EXPECT_LT(glyphs(p.labels[low], at[low]).y0, 2) << where(p.labels[low], at[low]) << " stands above its line's end";
}

// A value read off at a probability reference: the upright line up to the fitted line and the
// level one across to it, meeting there at (50, 30). Markers leave each label one pocket: the
// upright line's right of it just below the corner, the level line's above it just left of the
// corner, so that both are led to their lines, and the nearest ends of their leaders would lie
// at the corner. The ends keep half a text height apart: which leader is whose is not a guess.
TEST(LabelRules, LeadersEndApartAtLinesThatCross) {
    Panel p;
    const size_t up = p.label(upright(50, 0, 30), "Up", {50 + kGap, 0.5 * kH, false}, false, 1);
    const size_t across = p.label(level(30, 0, 50), "Lvl", {44.3, 30 + 0.5 * kH, false});
    p.wall(0, 0, 100, 27);
    p.wall(0, 27, 49.7, 30.8);
    p.wall(0, 30.8, 42, 34);
    p.wall(0, 34, 51.8, 60);
    p.wall(50.3, 27, 51.8, 34);
    p.wall(51.8, 31.5, 100, 60);
    p.wall(60, 27, 100, 31.5);
    const std::vector<lp::Placed> at = p.place();
    ledtoline(p.labels[up], at[up]);
    ledtoline(p.labels[across], at[across]);
    const std::vector<double>&u = at[up].leader, &v = at[across].leader;
    EXPECT_GE(std::hypot(u[u.size() - 2] - v[v.size() - 2], u.back() - v.back()), 0.5 * kH)
        << where(p.labels[up], at[up]) << " and " << where(p.labels[across], at[across]) << ": their leaders end at (" << u[u.size() - 2]
        << ", " << u.back() << ") and (" << v[v.size() - 2] << ", " << v.back() << ")";
}

// A value read off whose upright line stops at y = 20 (at a fitted line), an unlabelled line
// from foot to top a text height and a half to its right; markers wall off the left of the
// value's line, and between the two lines up to two text heights above the short one's end.
// Right of the long line, its text's middle a little above the short line's end, the value's
// leader would rise to that end across the long line, beside its text at its height: the
// value would read as the long line's. It stands elsewhere or is left out.
TEST(LabelRules, ALeaderLeavesNoTextBesideAnotherLineItCrosses) {
    Panel p;
    const size_t v = p.label(upright(50, 0, 20), "1234.5", {50 + kGap, 0.5 * kH, false}, true, 1);
    p.g.refs.push_back(upright(50 + 1.5 * kH));
    p.wall(30, 0, 49.7, 60);
    p.wall(50.3, 0, 50 + 1.5 * kH - 0.3, 20 + 2 * kH);
    const std::vector<lp::Placed> at = p.place();
    SCOPED_TRACE(where(p.labels[v], at[v]));
    if (at[v].omitted || at[v].leader.empty()) return;
    const lp::Box b = glyphs(p.labels[v], at[v]);
    const std::vector<double>& l = at[v].leader;
    const double x = 50 + 1.5 * kH;
    for (size_t j = 2; j + 1 < l.size(); j += 2) {
        if ((l[j - 2] - x) * (l[j] - x) >= 0) continue;
        const double y = l[j - 1] + (l[j + 1] - l[j - 1]) * (x - l[j - 2]) / (l[j] - l[j - 2]);
        EXPECT_FALSE(y >= b.y0 && y <= b.y1 && gap(b, upright(x)) < 1.25 * kH) << "its leader crosses the long line beside its text at y = " << y;
    }
}

// A row of a column without a leader reads as its own line's: no such row has its line through
// its text (unless on the column's box), and no two such rows of close lines share the band
// between them.
void rowsread(const Panel& p, const std::vector<lp::Placed>& at) {
    for (size_t i = 0; i < at.size(); ++i) {
        const lp::Label& a = p.labels[i];
        if (at[i].omitted || !at[i].leader.empty()) continue;
        const lp::Box b = glyphs(a, at[i]);
        EXPECT_FALSE(b.x0 < a.line.x0 && a.line.x0 < b.x1 && a.line.y0 < b.y1 && b.y0 < a.line.y1 && !at[i].boxed)
            << where(a, at[i]) << " with its line through its text";
        for (size_t j = 0; j < i; ++j) {
            const lp::Label& o = p.labels[j];
            if (at[j].omitted || !at[j].leader.empty()) continue;
            const lp::Box c = glyphs(o, at[j]);
            const double lo = std::min(a.line.x0, o.line.x0), hi = std::max(a.line.x0, o.line.x0);
            EXPECT_FALSE(std::min(b.x0, c.x0) >= lo && std::max(b.x1, c.x1) <= hi && std::min(b.x1, c.x1) > std::max(b.x0, c.x0))
                << where(a, at[i]) << " and " << where(o, at[j]) << " share the band between their lines";
        }
    }
}

// The rows of upright columns without leaders. Lines from the foot up to a fitted line, as at
// the values read off at probability references on a turned plot: three close ones, a text's
// width to their right a value's line, just beyond it the next value's (whose label has its
// place right of it at the foot); markers everywhere else. The first four labels find no place
// beside their lines: in a column right of the close lines the third's row and the value's, both
// without leaders, would stand one over the other between their lines. Then two close
// full-height lines and, a long text's width to their right, a third line: in the gap between
// them the long text's row would stand with its line through its text.
TEST(LabelRules, TheRowsWithoutLeadersReadAsTheirLines) {
    {
        Panel p;
        const double xs[] = {40, 41.7, 43.15, 51.65, 53.25}, tops[] = {18.5, 20.2, 21.65, 30.15, 31.75};
        const char* texts[] = {"B10", "B12", "B14", "28.65", "33.33"};
        for (int k = 0; k < 5; ++k) {
            p.label(upright(xs[k], 0, tops[k]), texts[k], {xs[k] + kGap, 0.5 * kH, false}, k >= 3, 1);
            p.g.refs.push_back(level(tops[k], 0, xs[k]));
        }
        p.g.ink.push_back({21.5, 0, 81.5, 60});
        p.wall(0, 0, 39.7, 60);
        p.wall(39.7, 23, 53.55, 60);
        p.wall(53.55, 2.9, 61.5, 60);
        p.wall(61.5, 0, 100, 60);
        rowsread(p, p.place());
    }
    {
        Panel p;
        p.label(upright(40), "A1", {40 + kGap, kTop, false});
        p.label(upright(40.5), "A2", {40.5 + kGap, kTop, false});
        p.label(upright(48), "Longer", {48 + kGap, kTop, false});
        p.wall(0, 0, 39.7, 60);
        p.wall(49.9, 0, 100, 60);
        rowsread(p, p.place());
    }
}

// A text's ground: a line runs along its top just outside it within kSame text heights of the
// letters (its stroke would lie on them), or along its foot where a letter descends to it. The
// letters stand inside the ground by as much as their ink falls short of the ascent (digits:
// 0.742 of a height against 0.76) and descent the road tells; untold, they reach it. Lines
// further off, beside the box, or through it, do not.
TEST(LabelRules, ALineAlongTheTopOfATextsGroundLiesOnItsLetters) {
    struct Ink { double above, below; bool descends; };
    for (const Ink ink : {Ink{0, 0, false}, Ink{0, 0, true}, Ink{0.742, 0.014, false}, Ink{0.76, 0.205, true}}) {
        // the letters' gap inside the ground's top and foot
        const double intop = ink.above > 0 ? 0.76 - ink.above : 0, infoot = ink.below > 0 ? 0.22 - ink.below : 0;
        for (const double off : {0.005, 0.02, 0.04}) {
            for (const int where : {0, 1, 2}) {   // above the top, under the foot, beside the box
                Panel p;
                const size_t i = p.label(level(30), "Kappa", {kGap, 30 - 0.35 * kH, false});
                p.labels[i].descends = ink.descends;
                p.labels[i].above = ink.above * kH, p.labels[i].below = ink.below * kH;
                const lp::Box cover{10, 30 - 0.57 * kH, 25, 30 + 0.41 * kH};
                const double y = where == 1 ? cover.y0 - off * kH : cover.y1 + off * kH;
                p.g.refs.push_back(where == 2 ? level(y, 40, 100) : level(y, 0, 100));
                p.g.refs.push_back(level(30 + 0.2 * kH, 12, 20));   // through the box: asked by the other rules
                const lp::Planner planner(p.labels, p.g, nullptr);
                const bool foot = ink.below > 0 ? ink.below > 0.1 : ink.descends;
                const bool touches = (where == 0 && off + intop < 0.03) || (where == 1 && foot && off + infoot < 0.03);
                EXPECT_EQ(planner.edgefree(i, cover), !touches)
                    << "a line " << off << " text heights " << (where == 1 ? "under the foot" : "above the top")
                    << (where == 2 ? ", beside the box" : "") << ", ink " << ink.above << "/" << ink.below;
            }
        }
    }
}

// A text on its ground led to its line (as a column's row stands) is held to that rule: a place
// the rules take loses it when another line runs a hair above its ground, and keeps it when the
// line runs clear of the letters.
TEST(LabelRules, ALeaderFreesNoTextFromALineAlongItsGround) {
    Panel p;
    const size_t i = p.label(level(30), "Kappa", {kGap, 30 - 0.35 * kH, false});
    lp::Site s;
    s.at = {40, 30 + kH, false};
    for (const double off : {-1.0, 0.01, 0.06}) {   // (-1: no other line)
        Panel q = p;
        if (off >= 0) q.g.refs.push_back(level(s.at.y + 0.76 * kH + off * kH, 0, 100));
        const lp::Planner planner(q.labels, q.g, nullptr);
        s.cover = planner.boxof(planner.glyph(i, s.at));
        lp::leadto(s.lead, s.at.x - 0.25 * kGap, s.at.y + 0.35 * kH, s.at.x - 0.25 * kGap - 0.6 * kH, 30);
        EXPECT_EQ(planner.staticfree(i, s), off < 0 || off > 0.03) << "a line " << off << " text heights above its ground";
    }
}

// A text over the end of its upright line, its leader straight down along the line: a level line
// the leader crosses within 1.25 text heights of the text puts the text where that line's labels
// stand; one farther, or one that only meets the leader where it ends on its line (a value read
// off there starts from that point), does not.
TEST(LabelRules, ALeaderAlongItsLineLeavesNoTextOverALevelLine) {
    Panel p;
    const size_t i = p.label(upright(50, 0, 20), "Gamma", {50 + kGap, 0.5 * kH, false}, false, 1);
    struct Case { double texty, liney, x0, x1; bool free; };
    const Case cases[] = {{20 + 2.5 * kH, 20 + 1.78 * kH, 0, 100, false},   // just under the text
                          {20 + 2.5 * kH, 20 + 0.2 * kH, 0, 100, true},     // two heights under it
                          {20 + 0.9 * kH, 20, 0, 50, true}};                // starting where the leader ends
    for (const Case& c : cases) {
        Panel q = p;
        q.g.refs.push_back(level(c.liney, c.x0, c.x1));
        const lp::Planner planner(q.labels, q.g, nullptr);
        lp::Site s;
        s.at = {50 - 0.5 * q.labels[i].w, c.texty, false};
        lp::leadto(s.lead, 50, c.texty - (lp::kDescent + 0.1) * kH, 50, 20);
        EXPECT_EQ(planner.staticfree(i, s), c.free) << "a level line at " << c.liney << " under a text at " << c.texty;
    }
}

// A text led level to its upright line across another upright line right beside it: the other
// line a hair from its own (the two read as one, and the leader ends on both) leaves it free; a
// fifth of a text height from it, the text reads as that line's.
TEST(LabelRules, ALeaderEndsOnBothOfTwoLinesAHairApart) {
    Panel p;
    const size_t i = p.label(upright(50), "1413", {50 + kGap, 30, false}, true);
    for (const double off : {-1.0, 0.03, 0.2}) {   // (-1: no other line)
        Panel q = p;
        if (off >= 0) q.g.refs.push_back(upright(50 - off * kH));
        const lp::Planner planner(q.labels, q.g, nullptr);
        lp::Site s;
        s.at = {50 - kH, 30, true};   // the text ends a text height left of its line
        lp::leadto(s.lead, s.at.x + 0.25 * kGap, 30 + lp::kMiddle * kH, 50, 30 + lp::kMiddle * kH);
        EXPECT_EQ(planner.staticfree(i, s), off < 0.05) << "another line " << off << " text heights left of its own";
    }
}

}  // namespace

// Markers fill the panel but for a strip just inside the reach, right of an upright line, and
// a lane for a leader across to it: its label stands there, its letters within three text
// heights of the line, past the last place of the steps of half a height (they pass over it).
// Asked after the same placement without those places (as an inset's place is chosen), the
// placement only adds it: the same as asked afresh (another thread keeps no placement before).
TEST(LabelRules, ALabelStandsAtTheEndOfTheReachWhereTheStepsPassOver) {
    Panel p;
    const size_t i = p.label(upright(50), "Zeta", {50 + kGap, 30, false});
    p.label(upright(85), "Eta", {85 + kGap, 20, false});
    p.label(level(8, 72, 100), "Beta", {75, 8 + 0.25 * kH, false});
    const double far = 50 + (lp::kReach - lp::kBearing) * kH, mid = 30 + lp::kMiddle * kH;   // (the body's side bearing in)
    p.wall(0, 0, far - 0.45, mid - 0.2 * kH);
    p.wall(0, mid + 0.2 * kH, far - 0.45, 60);
    p.wall(far + 0.6 * kH * 4 + 0.45, 0, 70, 60);
    std::vector<lp::Placed> fresh;
    std::thread([&] { fresh = p.place(); }).join();
    const std::vector<lp::Placed> without = lp::place(p.labels, p.g, false), at = p.place();
    ledtoline(p.labels[i], at[i]);
    EXPECT_GT(at[i].at.x, far - 0.45);
    EXPECT_LE(gap(glyphs(p.labels[i], at[i]), p.labels[i].line), lp::kReach * kH);
    EXPECT_TRUE(without[i].omitted);
    for (size_t k = 0; k < at.size(); ++k) {
        SCOPED_TRACE(where(p.labels[k], at[k]));
        EXPECT_FALSE(at[k].omitted);
        EXPECT_TRUE(at[k].at.x == fresh[k].at.x && at[k].at.y == fresh[k].at.y && at[k].leader == fresh[k].leader && at[k].omitted == fresh[k].omitted);
    }
}
