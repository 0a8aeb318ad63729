// Where the labels of a panel's reference lines, and of the values read off where they cross a
// fitted line, stand: one placement for both graphics roads, geometry only.
//
// A label is crossed by no other line, clear of every text, marker and leader and of the inset,
// its glyphs' middle on no other level line, in the order of the lines beside its neighbours'
// labels. It stands beside its own line (its glyphs nearer that line than any other reference
// line, and within a text height of it), or, joined to it by a leader, within three text
// heights of it (an upright line's label may stand further across at the end of a level leader
// from a column). Each label has its places, tried in the order they are preferred: beside its
// line where the drawing puts it, the other side, then further along the line; the same on a
// box of the background over the ends of lines; written on its own line on a box; off it with a
// short leader. The labels of lines too close for a label between them stand in columns with
// leaders, where columns keep more of them. A leader ends on its own line, half a text height
// from where any other ends (unless their lines lie closer), crosses no other, keeps inside the
// frame and a text height from the inset. The lines' own labels are placed before the values
// read off, and a label is left out only where none of its places keeps the rules among the
// labels placed (after one label in its way has tried to move): the labels left out are counted
// by the caller.
//
// Units: the same length across and up (points; or page percent with every x divided by the
// page's aspect), y upwards.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/box.h"

namespace labelplace {

// Where a text stands: its baseline at (x, y), the text starting at x (or ending there).
struct Spot {
    double x = 0, y = 0;
    bool end = false;
};

// One label: its own line, its text and the place the drawing gives it.
struct Label {
    Box line;                 // upright (x0 == x1, y0 < y1) or level (y0 == y1, x0 < x1), as drawn
    std::string text;         // the same text at the same line is written once
    double w = 0;             // the text's width
    bool descends = false;    // a character reaches below the baseline
    bool rises = false;       // a character reaches above the ascenders' height (an accent)
    bool inked = false;       // how far its ink starts after the text's start and stops before its
    double inkleft = 0, inkright = 0;   // end are told (below 0: it reaches past); else each may
                                        // be up to a side bearing
    double above = 0, below = 0;        // how far its ink reaches above and below the baseline
                                        // (0: not told)
    bool value = false;       // a value read off: placed after the lines' own labels
    Spot first;               // where the drawing puts it
    int from = 0;             // where the labels of its line start: upright 0 the top, 1 the foot;
                              // level 0 the left end, 1 the right end, 2 the middle
    bool given = false;       // a position the user gave: the label keeps to that half of its line
    bool online = false;      // written on its line: it has no other side
};

// What the labels keep clear of, and the road's measures.
struct Ground {
    Box room;                 // labels stay inside it
    Box inner;                // leaders stay inside it (none, x0 == x1: the room)
    double h = 1;             // the text height
    double gap = 0.5;         // between a line and the text beside it
    double pitch = 1;         // the rows of a column stand this far apart
    double toprow = 0;        // the baseline of a column's first row from the top
    double footrow = 0;       // and from the foot
    std::vector<Box> texts;   // texts of the panel (a legend's, the curves' labels)
    std::vector<Box> marks;   // markers
    std::vector<Box> ink;     // fitted lines, limits, curves: segments
    size_t framelines = 0;    // the last of ink: the frame's lines (a label's glyphs keep clear
                              // of them as of any line; a label left out at last may come nearer)
    std::vector<Box> refs;    // every reference and intersection line, labelled or not: segments
    bool inset = false;
    Box insetbox;
};

// Where a label stands.
struct Placed {
    Spot at;
    bool boxed = false;           // written on a box of the background colour
    Box cover;                    // the box, painted before the text; none (x0 == x1) where the
                                  // box of its column's first row holds it
    int column = -1;              // the column it stands in
    std::vector<double> leader;   // from the label to its own line: x, y, x, y, ...; empty: none
    bool omitted = false;         // left out: no room for it
    int same = -1;                // the label of the same text at the same line, written for both
};

// The labels placed, in the order given.
// (far: a label still without a place at the last tries as far off its line as the reach lets
// it stand; an inset's place is chosen without that, so that the labels it adds move no inset)
std::vector<Placed> place(const std::vector<Label>& labels, const Ground& ground, bool far = true);

// A place an inset without a position of its own may take, and what it would hide there of what
// the panel draws.
struct InsetPlace {
    Box box;
    bool clear = false;            // nothing the panel draws meets it
    std::vector<double> hides;     // what it hides there, compared in turn: the least first
};

// The place of such an inset, chosen with the labels, the data first: the first of `places`
// that is clear of what the panel draws and of the labels as they stand without it; else, of
// the places clear of what the panel draws, the one where the fewest labels lose their place for
// it, then that hides least; else (every place hides some of the data) the one that hides least,
// then where the fewest labels lose their place; then the first. Its number (-1: no places);
// *clear: whether it is clear of what the panel draws; *lost: the labels that lose their place
// for it. The ground's inset is used while asking and is as it was after.
int placeinset(const std::vector<Label>& labels, Ground& ground, const std::vector<InsetPlace>& places, bool* clear = nullptr,
               int* lost = nullptr);
// The same, the n places told one at a time by at(k), in order, as far as they are needed.
int placeinset(const std::vector<Label>& labels, Ground& ground, size_t n, const std::function<InsetPlace(size_t)>& at,
               bool* clear = nullptr, int* lost = nullptr);

// The box of a label's glyphs at `at`: a descender's depth below the baseline, an ascender's
// height above it.
Box glyphbox(const Label& a, const Spot& at, double h);

// Whether a text reaches below its baseline (a letter with a descender, a bracket, or a
// character that is not ASCII, which may).
bool descends(std::string_view text);

}  // namespace labelplace
