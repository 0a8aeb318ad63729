#!/usr/bin/env python3
"""Values that stand beside another line than their own, and insets that hide more points than they must:
an SVG of cairo read back (the reader of overprint.py), without the drawing code's placements.

Read from the page:
- the axes: ticks (short solid strokes of one base) and the numbers beside them (a number labels the nearest
  tick beside it, on the tick's side of every frame's side); a value maps to its place by interpolating, in the
  axis' own transform (linear, log, reciprocal or a probability scale, whichever the ticks fit best), between the
  neighbouring labelled ticks (one that stands off the line the others fit is left out);
- the panels: the rectangles of solid frame strokes with ticks on an edge (sides that run the rectangle's whole
  length: an inset's side within a panel is none of its); insets and legends: rectangles that hold two texts or
  more, not all of them labels (a box of labels only is a column of labels on a ground of its own, and its
  labels are read as any other);
- the reference and intersection lines: single axis-parallel strokes that are no grid line (the style of most
  strokes at tick places) and no side of the frame (a dashed stroke along the axis is a line at its end), that
  start at a side of their panel (a curve's or a limit's step does not), at a place that reads a value the
  program gives (LREF=, PREF=, HREF=, VREF=, SREF=; a dashed one just inside a side where the value reads is the
  line at the axis's end, drawn clear of the frame's border) or that a number in the panel shows; a label owns the
  lines at its value: a number those where its value reads (a relation plot's percentile label, a PLOTFIT= value as
  written, and a legend's number, with its line's sample beside it, are none), a text those of the values the
  program gives it (xREFLABELS=: of every label it shows, whole or cut to 16 bytes); the axes of panels side by
  side are told apart where their values turn back or a frame's side runs between, those of panels one above the
  other share their ticks out by panel;
- the fitted lines and confidence limits: the other strokes of more than one segment or not axis-parallel;
- a leader: a solid stroke from a label's box to one of its own lines (to its line's end for a percentile label),
  not along it (an MCF limit's dash on the line is none, nor one of the two dashes of a point's limits, a marker
  centred between them), nor from it to another line where it starts on the label's own line above or below the
  text (a fitted line or limit that ends there: a leader leaves its text from a side), nor a level one that ends
  over or under the text (an upright one beside it: it passes the text), nor one its panel's clip cuts where it
  meets the line (it runs on there), nor one from the label's own line beside its text to another label's box,
  ending off the line there (that label's leader); one longer than 200 points
  only when straight or bent at most twice; a solid one is a leader, not a line, though it stands where a value
  reads; also a solid stroke, straight or bent at most twice, from a label's box
  out of its panel's frame or to the page's edge, whatever it ends on;
- the labels the program asks for, panel by panel: each text of an xREFLABELS= list (none for an empty text)
  where its line is drawn (HREF= and SREF= upright, SREF= not on a probability plot, VREF= level, PREF= at the
  panel's probability axis and LREF= at the other, level on a panel without one); a value off its axis draws no
  line and asks for none (a line is the one of the statement's values whose place is nearest it); and the values read off where an intersection line (a line of no list that crosses a labelled line of a list with
  INTERSECT where a fitted line crosses it) can be told and its own INTERSECT line (the one it stops at, else the
  one drawn last before it) has a label, written as the page writes the values it shows (two
  decimals, else four significant digits) from the place its axis reads. The same text at the same line is
  asked for once; a program's statement asks on the pages that show most of its labels (else draw most of its
  lines, else write most of their characters as they are). A label shows where a text of its panel reads as it
  (its first 16 bytes, cut back to a whole character when it is UTF-8, drawn as the page draws bytes that are no
  UTF-8; a character not read back or not ASCII as any), each text one label (one it writes whole before one
  whose start it shows, the nearest of their lines first, the one its leader ends on nearest), a value where a
  number reads within READ_OFF points of its line; a text that opaque boxes painted after it cover (every
  glyph's centre) does not show, and is no label;
- the road that drew a page: the one its program's OPTIONS GRAPHICS= names, else by its name NAME-ROAD[-K].svg or
  its folder (the device road where none tells):
  its gap g between a line and the text beside it is GAP_DEVICE text heights (device) or GAP_STATISTICAL points
  (statistical); a text's box at a size by the glyph sheet's outlines (the advances of a page's texts where they
  show them); a label's text height h is its font size, read off its glyphs' scale against the sheet's.

What fails (each page with the lines that tell why), by rule:
- near: a reference or intersection label not nearer its own line than any other such line by EPS (the
  distance is the gap between the label's box and the line, 0 where it crosses the box), unless a leader joins
  it to its own line (even then, no other line within ON_LETTERS of its letters, outside them, over half a text
  height of them, and no other line its leader runs straight across within FAR text heights of it: a line across
  its own too, unless it only meets the leader where that ends on its own line, or lies within ONE_LINE text
  heights of the line the leader ends on, parallel to it); a leader that joins it to
  another line;
- far: such a label farther from its own line than FAR times its height, with no leader (a label moves along
  its own line, or stands in a column joined to it);
- order: two labels of one panel stacked across their parallel lines in the other order than their lines (those
  of upright lines on one row, sharing more than ROW_SHARE of their height);
- join: labels of two lines on one row, closer than a text's height: they read as one;
- band: labels of two close parallel lines (level lines nearer than BAND text heights, upright ones nearer than the
  wider label and one height) that share the band between them, both without a leader: one row between level
  lines, one column between upright ones (labels of one panel); which line each belongs to is a guess (unless
  both write one text);
- cross: another reference or intersection line, a fitted line or a confidence limit through a label's box;
  where an opaque box painted after the line (the label's ground) hides it there, it counts only when it passes
  through: it comes out from under the boxes on both sides, however far from the text, and shows there for SHOWS
  points (a line that ends under the ground does not);
- row: a level (horizontal on the page) reference or intersection line other than the label's own (its own:
  every line at its value) at the height of the middle half of the label's box, that runs under the box or ends
  within a text's height of it on its left or right: the label reads as that line's, whatever its leader says;
- leaders: two labels' leaders that cross, or touch (come within CROSS_GAP points); where the lines they end on
  lie closer than ENDS_APART text heights they may touch within FAN points of where both end (leaders that run
  into one place) (leaders of two labels of one line may: neither label can be taken for the other's);
  a leader that runs more than FRAME_OUT points out of its label's panel's frame or ends at the page's edge; a
  leader that runs within ALONG points of an inset's or legend's border for more than the label's text height;
- end: a relation plot's percentile label (a number of the PLOTFIT= list in the panel or just beyond it) not
  nearer its own line's end than any other's, unless a leader joins them; the lines are told apart by where
  they stand (a higher percentile has the longer life);
- inset: an inset (a box of texts at a corner of a panel, or on the statistical road in the middle of a side)
  that holds more markers than a box of its size, as far from the frame, would hold at another of those places,
  whatever labels stand there; or as many, and more of the fitted lines and confidence limits, the dashes of
  points' limits among them (INSET_LINE points more of their length);
- panel: a reference or intersection label not inside the panel of its lines: across the panel's edge, or outside
  every panel (over the axes' tick labels and titles, or in the gap to another panel; a number there is a value
  read off only where written as the page writes one);
- missing: a label the program asks for that the page leaves out, where a place near its own line keeps every
  rule: beside an upright line at X the text starting at X + g or ending at X - g, its baseline at every
  STEP_UPRIGHT text heights down the panel; beside a level line at Y the baseline a text height below it or g
  above it (ABOVE_DEVICE text heights on the device road), the text starting at every STEP_LEVEL text heights
  along the panel. The place's box, grown by GROW_UPRIGHT text heights up and down (upright lines) or GROW_LEVEL
  left and right (level lines), so that a drawing stepping twice as finely from another start has a place inside
  it, and by SLACK on every side, keeps every rule: inside the panel; no marker and no stroke but its own lines
  and the grid (no other reference or intersection line, fitted line, limit, curve or leader) within
  LINES_ACROSS text heights beside it and LINES_UPDOWN above and below;
  clear of the other labels and a text height from them on a row, of the panel's other texts (a legend's, an
  inset's, a curve's) by TEXT_ACROSS text heights beside them and TEXT_UPDOWN above and below; INSET_APART
  text heights from an inset's or a legend's box; the rules row, near (nearer its own line than any other
  reference or intersection line by EPS, one along a frame's side too, or one read off at an INTERSECT line
  without a label, both the text's own box and the grown one), far, order and band against the labels on the
  page; a label the program writes is also missing where such a place (beside its line or led to it, not a row of
  a column, whose rows the drawing weighs itself) is found once the values read off on the page are taken away
  (the values give way to the labels the program writes);
- reach: a label at the end of a leader to its own line more than REACH text heights from the line across it
  (a level line's label above or below its height; an upright line's beside it, unless its leader is level: a
  row of a column beside upright lines stands at the end of a level leader); such a row farther than that whose
  leader crosses a marker, a fitted line or a limit, or that stands farther than REACH text heights and the gap
  beside a line from any upright line its leader runs across (or lying under its text): it is not beside the run
  of lines it labels;
- ends: a leader that ends more than ENDS_ON points off its own line, or less than ENDS_APART text heights from
  where another label's leader ends, unless their lines run side by side closer to each other than that (lines
  that cross meet: their leaders' ends keep apart);
- thin: a leader drawn as wide as the fitted lines of its label's panel or wider (straight strokes across the
  panel that are no reference line and no leader), or in another colour than the reference and intersection
  lines of the panel: it could be taken for a fitted line;
- strip: a line across the whole panel drawn past its axis's end, in the strip between the panel's side and the
  frame's (a solid stroke as long, at most STRIP points past the side, the frame's sides running on to it: the
  censored marks' strip beside a turned frame or above an upright one): it runs through the marks, where no
  value reads.

  placement.py --source ROOT (--glyphsheet TOOL | --glyphs SHEET.svg) [--rules all|RULE,...] [--program CASE=PROG]...
               [--jobs N] [--counts FILE] [--verbose] PAGE.svg...
ROOT is the source tree: the programs of the gallery's pages are read from ROOT/scripts/gallery and
ROOT/tests/data/crowded (a page NAME-ROAD[-K].svg is drawn by the program of case NAME). --program reads the
pages of another case with the program in file PROG (a page CASE-ROAD[-K].svg, or any page in a folder CASE-ROAD
or CASE). --rules: the rules that fail (all by default); --jobs: the pages checked N at a time; --verbose tells
what was read on each page; --counts writes FILE, a line for each page:
PAGE<TAB>ASKED<TAB>SHOWN<TAB>RULES (the labels its program asks for on it, how many of them it shows, and the rules
it fails, comma-separated, or -; a page that cannot be read or judged: 0, 0 and 'unread'). Exits 1
when a page fails, 2 when a page cannot be read or when the programs draw reference labels, percentile labels or
insets and none is read back on any page."""
import bisect
import math
import os
import re
import subprocess
import sys
import tempfile
from statistics import NormalDist

sys.dont_write_bytecode = True   # the tools import each other from the source tree: leave no cache there
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import overprint  # noqa: E402

EPS = 0.25            # points: a label nearer its own line by less than this is as near another
ON_LETTERS = 0.028    # text heights: a line nearer a label's letters than this lies on them (its stroke; the
                      # drawing keeps 0.03 from the ink its road measures)
TICK = (1.5, 8.0)     # points: the length of a tick
FAR = 1.25            # a label farther from its own line than this many times its height needs a leader
LEADER_GAP = 3.0      # points: a leader's end this near a label's box (or its line) touches it
BAND = 2.5            # text heights: level lines closer than this hold one label between them
SHOWS = 1.5           # points: a line hidden under a box that shows this long on both sides passes through it
FRAME_OUT = 1.0       # points: a leader that runs farther than this out of its panel's frame leaves it
ALONG = 1.0           # points: a leader this near an inset's border for more than a text's height runs along it
CROSS_GAP = 1.0       # points: leaders this near each other touch (unless both end there)
FAN = 3.0             # points: leaders of close lines that meet this near both their ends run into one place
ROW_SHARE = 0.25      # text heights: labels beside upright lines on one row share more of their height than this
                      # (the rows of a column share the marks over capitals and the descenders, a fifth at most)
PROB_AXES = ('weibull', 'normal', 'logistic', 'largest', 'exponential')   # the transforms of a probability axis
GAP_DEVICE = 0.5      # text heights: the gap between a line and the text beside it on the device road
GAP_STATISTICAL = 3.0  # points: the same on the statistical road
ABOVE_DEVICE = 0.5    # text heights: a baseline above a level line stands this far from it (device road)
STEP_UPRIGHT = 0.5    # text heights: the places beside an upright line, one above the other
STEP_LEVEL = 1.0      # text heights: the places beside a level line, one beside the other
GROW_UPRIGHT = 0.25   # text heights: a place beside an upright line, grown up and down
GROW_LEVEL = 0.5      # text heights: a place beside a level line, grown left and right
SLACK = 0.05          # text heights: a place grown on every side for measures that differ
LINES_ACROSS = 0.4    # text heights: a place for a label left out keeps lines and markers this far from its ink across
LINES_UPDOWN = 0.05   # text heights: and this far up and down
TEXT_ACROSS = 2.0     # text heights: a label keeps this far beside the panel's other texts
TEXT_UPDOWN = 0.5     # text heights: and this far above and below them
INSET_APART = 1.0     # text heights: a label keeps this far from an inset's or a legend's box
APART_SLACK = 0.3     # points: the drawing measures that from its text's ink as the road tells it
ASCENT, DESCENT = 0.76, 0.22   # text heights: the drawing keeps labels' lines of text, this far about their
                               # baselines, apart where their advances stand within a text height across
REACH = 3.0           # text heights: a label at the end of its leader stands this near its line
REACH_SLACK = 0.2     # text heights: the drawing measures that on its letters' body, this reads the ink
ENDS_ON = 0.5         # points: a leader ends on its line within this
ONE_LINE = 0.05       # text heights: a parallel line this near the one a leader ends on is that line to the eye
                      # (and GRID more: the drawing's coordinates are rounded to its grid at both lines)
GRID = 1 / 128        # points: twice the step of the grid the drawing rounds coordinates to
ENDS_APART = 0.5      # text heights: leaders of lines this far apart or more end this far apart
FROM_SIDE = 2.0      # points: a reference line starts this near a side of its panel
BEYOND_SIDE = 3.0    # points: a line drawn this far past a side of its panel (in the strip beside a turned frame) is named by it
STRIP = 30.0         # points: a strip past an axis's end (the censored marks') inside a frame is this wide at most
INSIDE_SIDE = 2.0    # points: a dashed line this near inside a side where its value reads is the line at the axis's end
NEAR_BY = 0.05        # text heights: a place for a label left out is nearer its own line than any other by this
LED_STEP = 0.5        # text heights: the places with a leader step this far out from the line, and along it
LED_ALONG = 1.0       # text heights: the places with a leader along a level line, one beside the other
ROW_STEP = 0.5        # text heights: a column's rows one above the other (the drawing steps half as far)
ROW_OUT = 3           # whole text heights: a column stands this far out from the gap beside a line at most
INSIDE = 1.6          # points: the statistical road draws a line on a side of the frame this far inside
READ_OFF = 0.6        # points: a number shows a value read off where its value reads this near the line
ROOM_CELL = 16.0      # points: the cells of the grid the place search looks things up in
SHEET_SIZE = 10.0     # points: the size the glyph sheet draws its characters at
SPACE = 0.318         # of the size: the advance of a space (the sheet's faces alike)
VERBOSE = [False]     # --verbose: what the reader found on each page
NUMBER = re.compile(r'^[-+−]?(?:\d+\.?\d*|\.\d+)(?:[Ee][-+−]?\d+)?%?$')


# ---- geometry

def _pt_rect(p, r):
    dx = max(r[0] - p[0], 0.0, p[0] - r[2])
    dy = max(r[1] - p[1], 0.0, p[1] - r[3])
    return math.hypot(dx, dy)


def _pt_seg(p, a, b):
    vx, vy = b[0] - a[0], b[1] - a[1]
    n = vx * vx + vy * vy
    t = 0.0 if n == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * vx + (p[1] - a[1]) * vy) / n))
    return math.hypot(p[0] - a[0] - t * vx, p[1] - a[1] - t * vy)


def _clip(a, b, r):
    """The part of segment ab inside rectangle r (Liang-Barsky), or None."""
    t0, t1 = 0.0, 1.0
    dx, dy = b[0] - a[0], b[1] - a[1]
    for p, q in ((-dx, a[0] - r[0]), (dx, r[2] - a[0]), (-dy, a[1] - r[1]), (dy, r[3] - a[1])):
        if p == 0:
            if q < 0:
                return None
        else:
            t = q / p
            if p < 0:
                t0 = max(t0, t)
            else:
                t1 = min(t1, t)
    if t0 > t1:
        return None
    return (a[0] + t0 * dx, a[1] + t0 * dy), (a[0] + t1 * dx, a[1] + t1 * dy)


def _rect_gap(a, b):
    """The gap between two rectangles: 0 where they overlap."""
    return math.hypot(max(a[0] - b[2], 0.0, b[0] - a[2]), max(a[1] - b[3], 0.0, b[1] - a[3]))


def _seg_rect(a, b, r):
    """The gap between segment ab and rectangle r: 0 where the segment enters it."""
    if _clip(a, b, r):
        return 0.0
    corners = ((r[0], r[1]), (r[2], r[1]), (r[0], r[3]), (r[2], r[3]))
    return min([_pt_rect(a, r), _pt_rect(b, r)] + [_pt_seg(c, a, b) for c in corners])


def _inside(p, r, slack=0.0):
    return r[0] - slack <= p[0] <= r[2] + slack and r[1] - slack <= p[1] <= r[3] + slack


def _centre(r):
    return ((r[0] + r[2]) / 2, (r[1] + r[3]) / 2)


def _clip_poly(pts, r):
    """The pieces of a polyline inside rectangle r."""
    out, cur = [], []
    for a, b in zip(pts, pts[1:]):
        c = _clip(a, b, r)
        if not c:
            if len(cur) >= 2:
                out.append(cur)
            cur = []
            continue
        if cur and math.hypot(cur[-1][0] - c[0][0], cur[-1][1] - c[0][1]) < 1e-6:
            cur.append(c[1])
        else:
            if len(cur) >= 2:
                out.append(cur)
            cur = [c[0], c[1]]
    if len(cur) >= 2:
        out.append(cur)
    return out


def _length(pts):
    return sum(math.hypot(b[0] - a[0], b[1] - a[1]) for a, b in zip(pts, pts[1:]))


def _shows(pts, k, q, step, over, reach):
    """Whether polyline pts, followed from point q of its segment k towards its start (step -1) or its end (+1),
    comes out from under the boxes over (painted over it) within reach points and shows for SHOWS points."""
    seen = walked = 0.0
    k = k if step < 0 else k + 1   # the next point of the polyline on the way
    while 0 <= k < len(pts):
        to = pts[k]
        d = math.hypot(to[0] - q[0], to[1] - q[1])
        n = max(1, int(d / 0.25))
        for m in range(1, n + 1):
            u = (q[0] + (to[0] - q[0]) * m / n, q[1] + (to[1] - q[1]) * m / n)
            walked += d / n
            if any(_inside(u, r) for r in over):
                if walked > reach:
                    return False
                seen = 0.0
            else:
                seen += d / n
                if seen >= SHOWS:
                    return True
        q, k = to, k + step
    return False


# ---- glyph measures: a text's box at any size from the glyph sheet's outlines

class Metrics:
    """The outline box of every character of the glyph sheet, face by face (the faces in the sheet's order, its
    characters drawn at SHEET_SIZE points), and the face and size of a page's glyph by its outline. A character's
    advance is taken as its outline's right edge plus its left bearing (the bearings of a face's characters are
    near alike on both sides); a space, which has no outline, advances SPACE of the size."""

    def __init__(self, page, text):
        runs = [x[2] for x in page.items if x[0] == 'text']
        self.faces = []      # per face: {character: (box, advance)} at SHEET_SIZE
        self.shapes = {}     # outline commands -> [(coordinates, face, character)]
        for k, r in enumerate(runs):
            face, ch = k // len(text), text[k % len(text)]
            while len(self.faces) <= face:
                self.faces.append({})
            if r[0].endswith('-0'):
                continue
            cmds, v = page.outline.get(r[0], ('', []))
            if len(v) < 2:
                continue
            b = overprint._box(v[0::2], v[1::2])
            self.faces[face][ch] = (b, b[0] + b[2])
            self.shapes.setdefault(cmds, []).append((v, face, ch))
        self.seen = {}

    def size_of(self, outline):
        """(face, size in points) of an upright glyph outline of a page, or None."""
        cmds, v = outline
        key = (cmds, tuple(v))
        if key not in self.seen:
            best = None
            for ref, face, ch in self.shapes.get(cmds, ()):
                e = overprint.Glyphs._err(v, ref)
                if e < 0.02 and (best is None or e < best[0]):
                    rr = sum(r * r for r in ref)
                    best = (e, face, SHEET_SIZE * sum(a * b for a, b in zip(v, ref)) / rr)
            self.seen[key] = best and best[1:]
        return self.seen[key]

    def box(self, text, face, size, advances=None):
        """The box of text drawn at size from pen (0, 0) on its baseline, and its advance: (box, advance).
        advances: {(face, character): advance at SHEET_SIZE} read off a page, where it shows them."""
        advances = advances or {}
        chars = self.faces[face] if 0 <= face < len(self.faces) else self.faces[0]
        plain = [chars[c][1] for c in 'nx' if c in chars]
        wide = sum(plain) / len(plain) if plain else 0.6 * SHEET_SIZE
        mono = face >= 8     # the sheet's last four faces are of one width
        x, x0, y0, x1, y1 = 0.0, math.inf, 0.0, 0.0, 0.0
        for c in text:
            if c in chars:
                b, adv = chars[c]
                adv = advances.get((face, c), adv)
                x0, x1 = min(x0, x + b[0]), max(x1, x + b[2])
                y0, y1 = min(y0, b[1]), max(y1, b[3])
            elif c == ' ':
                adv = wide if mono else SPACE * SHEET_SIZE
            else:   # a character the sheet lacks: of a plain letter's width, as high as a digit
                adv = wide
                x0, x1 = min(x0, x), max(x1, x + adv)
                d = chars.get('0', ((0, -0.73 * SHEET_SIZE, 0, 0), 0))[0]
                y0, y1 = min(y0, d[1]), max(y1, d[3])
            x += adv
        if x0 == math.inf:
            x0 = x1 = 0.0
        k = size / SHEET_SIZE
        return (x0 * k, y0 * k, x1 * k, y1 * k), x * k


# ---- axis transforms: value -> a scale on which the ticks stand evenly

def _prob(f):
    def g(v):
        p = v / 100.0
        return f(p) if 0 < p < 1 else None
    return g


_ND = NormalDist()
TRANSFORMS = [
    ('linear', lambda v: v, lambda s: s),
    ('log', lambda v: math.log10(v) if v > 0 else None, lambda s: 10 ** s),
    ('reciprocal', lambda v: -1.0 / (v + 273.15) if v > -273.15 else None, lambda s: -1.0 / s - 273.15),
    ('weibull', _prob(lambda p: math.log(-math.log1p(-p))), lambda s: 100 * -math.expm1(-math.exp(s))),
    ('normal', _prob(_ND.inv_cdf), lambda s: 100 * _ND.cdf(s)),
    ('logistic', _prob(lambda p: math.log(p / (1 - p))), lambda s: 100 / (1 + math.exp(-s))),
    ('largest', _prob(lambda p: -math.log(-math.log(p))), lambda s: 100 * math.exp(-math.exp(-s))),
    ('exponential', _prob(lambda p: -math.log1p(-p)), lambda s: 100 * -math.expm1(-s)),
]


class Axis:
    """An axis: its ticks' direction ('x': a horizontal axis, its ticks vertical), base coordinate, the span of
    its ticks and the (place, value) of its labelled ticks."""

    def __init__(self, kind, base, ticks, labelled):
        self.kind, self.base = kind, base
        self.lo, self.hi = min(ticks), max(ticks)
        self.ticks = sorted(ticks)
        self.pairs = sorted(labelled)
        self.f = self.inv = self.name = None
        self.fits = []   # (misfit, transform) of every transform the labelled ticks allow, the best first
        if len(self.pairs) >= 2:
            self.fits = self._fits(self.pairs)
            # a tick that stands off the line the others fit (its number read beside the wrong one of two close
            # ticks at a probability scale's far end, or rounded where the scale is steep): leave it out
            if len(self.pairs) >= 4 and self.fits and self.fits[0][0] > 0.25:
                for k in range(len(self.pairs)):
                    rest = self.pairs[:k] + self.pairs[k + 1:]
                    fits = self._fits(rest)
                    if fits and fits[0][0] < 0.05:
                        self.pairs, self.fits = rest, fits
                        break
            if self.fits:
                # the first of the transforms that fit as well as the best (linear before log before the rest)
                good = {n for e, n in self.fits if e < self.fits[0][0] + 0.05}
                self.use(next(n for n, _, _ in TRANSFORMS if n in good))

    @classmethod
    def _fits(cls, pairs):
        out = []
        for name, f, inv in TRANSFORMS:
            try:
                s = [f(v) for _, v in pairs]
            except (ValueError, OverflowError, ZeroDivisionError):
                continue
            if any(x is None for x in s):
                continue
            err = cls._misfit([p for p, _ in pairs], s)
            if err is not None:
                out.append((err, name))
        return sorted(out, key=lambda q: q[0])

    def use(self, name):
        for n, f, inv in TRANSFORMS:
            if n == name:
                self.name, self.f, self.inv = n, f, inv
                self.s = [(p, f(v)) for p, v in self.pairs]

    def roundness(self, name):
        """How far the unlabelled ticks fall from round values (one significant digit) on a transform."""
        keep = self.name
        self.use(name)
        err = 0.0
        for t in self.ticks:
            if any(abs(t - p) < 0.1 for p, _ in self.pairs):
                continue
            v = self.value(t)
            if v is None or v == 0:
                err += 1
                continue
            e = 10 ** math.floor(math.log10(abs(v)))
            err += abs(v / e - round(v / e)) / 0.5
        self.use(keep)
        return err

    @staticmethod
    def _misfit(ps, ss):
        n = len(ps)
        ms, mp = sum(ss) / n, sum(ps) / n
        sxx = sum((s - ms) ** 2 for s in ss)
        if sxx == 0:
            return None
        b = sum((s - ms) * (p - mp) for s, p in zip(ss, ps)) / sxx
        if b == 0:
            return None
        return max(abs(mp + b * (s - ms) - p) for s, p in zip(ss, ps))

    def _bracket(self, key, x):
        pts = self.s
        k = 1
        while k < len(pts) - 1 and key(pts[k]) < x:
            k += 1
        return pts[k - 1], pts[k]

    def place(self, v):
        """The place of value v, or None."""
        if not self.f:
            return None
        try:
            s = self.f(v)
        except (ValueError, OverflowError, ZeroDivisionError):
            return None
        if s is None:
            return None
        inc = self.s[-1][1] > self.s[0][1]
        (p0, s0), (p1, s1) = self._bracket(lambda q: q[1] if inc else -q[1], s if inc else -s)
        return p0 + (s - s0) * (p1 - p0) / (s1 - s0) if s1 != s0 else None

    def value(self, p):
        if not self.f:
            return None
        (p0, s0), (p1, s1) = self._bracket(lambda q: q[0], p)
        try:
            return self.inv(s0 + (p - p0) * (s1 - s0) / (p1 - p0))
        except (ValueError, OverflowError, ZeroDivisionError):
            return None


def _number(t):
    t = t.strip().replace('−', '-')
    if not NUMBER.match(t):
        return None
    return float(t.rstrip('%'))


def _half_unit(t):
    """Half the last digit's unit of a number as written."""
    t = t.strip().replace('−', '-').rstrip('%')
    m = re.match(r'^[-+]?(\d*)(?:\.(\d*))?(?:[Ee]([-+]?\d+))?$', t)
    if not m:
        return 0.0
    d = len(m.group(2) or '')
    e = int(m.group(3) or 0)
    return 0.5 * 10.0 ** (e - d)


# ---- the gallery's programs

def gallery_programs(root):
    """{case name: program text} of scripts/gallery's cases and the crowded cases it draws."""
    out = {}
    try:
        s = open(os.path.join(root, 'scripts', 'gallery'), encoding='utf-8').read()
    except OSError:
        return out
    for m in re.finditer(r'^case_ (\S+) "(.*?)"\s*$', s, re.S | re.M):
        out[m.group(1)] = m.group(2)
    for m in re.finditer(r'^crowded_ (\S+)\s*$', s, re.M):
        try:
            out[m.group(1)] = open(os.path.join(root, 'tests', 'data', 'crowded', m.group(1) + '.vx'),
                                   encoding='utf-8').read()
        except OSError:
            pass
    return out


def _values(text):
    """The numbers of a value list: 'a b c', 'a to b by c'."""
    out = []
    tok = text.split()
    k = 0
    while k < len(tok):
        try:
            v = float(tok[k])
        except ValueError:
            k += 1
            continue
        if k + 2 < len(tok) and tok[k + 1].lower() == 'to':
            try:
                hi = float(tok[k + 2])
                by = float(tok[k + 4]) if k + 4 < len(tok) and tok[k + 3].lower() == 'by' else 1.0
            except ValueError:
                out.append(v)
                k += 1
                continue
            n = 0
            while by > 0 and v + n * by <= hi + 1e-9 * max(1.0, abs(hi)) and n < 1000:
                out.append(round(v + n * by, 12))
                n += 1
            k += 5 if k + 3 < len(tok) and tok[k + 3].lower() == 'by' else 3
            continue
        out.append(v)
        k += 1
    return out


LABEL_BYTES = 16      # a reference label shows the first 16 bytes of its text (cut back to a whole character)
KEYWORDS = ('lref', 'pref', 'href', 'vref', 'sref')
SYNONYMS = {'liferef': 'lref', 'probref': 'pref'}


def _bytes(label):
    """A label's bytes as the program holds them (a program that is no UTF-8 is read with its other bytes kept)."""
    return label.encode('utf-8', 'surrogateescape')


def _drawn(b):
    """Bytes as a page draws them: a character of UTF-8 that a font draws as itself; any other byte (of Latin-1
    text, a noncharacter, a surrogate) as the Latin-1 character of its value, the next byte looked at anew; a
    control character as a blank."""
    out, k = [], 0
    while k < len(b):
        c = b[k]
        if c < 0x20:
            out.append(' ')
            k += 1
            continue
        n = 1 if c < 0x80 else 2 if 0xC2 <= c < 0xE0 else 3 if 0xE0 <= c < 0xF0 else 4 if 0xF0 <= c < 0xF5 else 0
        try:
            ch = b[k:k + n].decode('utf-8') if n else None
        except UnicodeDecodeError:
            ch = None
        if ch and len(ch) == 1 and not (0xFDD0 <= ord(ch) <= 0xFDEF or ord(ch) & 0xFFFE == 0xFFFE):
            out.append(ch)
            k += n
        else:
            out.append(chr(c))
            k += 1
    return ''.join(out)


def _cut(label):
    """A label as a page shows it: its first LABEL_BYTES bytes, cut back to a whole character when the label is
    UTF-8 (a label that is not keeps them all), drawn."""
    b = _bytes(label)
    k = LABEL_BYTES
    if len(b) > k:
        try:
            b.decode('utf-8')
            while k > 0 and b[k] & 0xC0 == 0x80:
                k -= 1
        except UnicodeDecodeError:
            pass
    return _drawn(b[:k])


class Program:
    """What a page's program says of its reference lines and percentile lines, over all its steps:
    refs {label text: [(keyword, value)]}, values [(keyword, value)], plotfit {percent}; and, statement by
    statement, statements [{keyword: ([(value, label text as shown, '' for none)], intersect)}]."""

    def __init__(self, text):
        text = re.sub(r'/\*.*?\*/', ' ', text, flags=re.S)
        self.refs, self.values, self.plotfit, self.statements = {}, [], set(), []
        self.cuts = {}   # {label text as a page shows it, cut: [(keyword, value)]}
        self.labpos = {}   # {vreflabpos, hreflabpos, sreflabpos: the number given (the last statement's)}
        # (a probability plot draws an inset unless NOINSET says not)
        self.probplot = bool(re.search(r'\bprobplot\b', text, re.I)) and not re.search(r'\bnoinset\b', text, re.I)
        self.inset_given = bool(re.search(r'\binset\b[^;]*\bposition\s*=', text, re.I))
        # the road its OPTIONS statements name (they overrule --graphics), where they name one alone
        roads = {m.lower() for m in re.findall(r'\boptions\b[^;]*?\bgraphics\s*=\s*(device|statistical)\b', text, re.I)}
        self.road = roads.pop() if len(roads) == 1 else None
        for st in text.split(';'):
            low = st.lower()
            opts = {}
            for m in re.finditer(r"\b([a-z]+)\s*=\s*((?:'[^']*'|\"[^\"]*\"|[^=/;])*?)(?=\s+[a-z]+\s*=|\s*$|/)", st,
                                 re.I | re.S):
                name = m.group(1).lower()
                name = SYNONYMS.get(name, name)
                for kw in KEYWORDS:   # HREFLABEL=, HREFLAB= for HREFLABELS=
                    if name in (kw + 'label', kw + 'lab'):
                        name = kw + 'labels'
                opts[name] = m.group(2).strip()
            lists = {}
            # the lists a road does not draw where PREF= or LREF= stand in their place (a WARNING says so): the
            # device road draws neither HREF= nor VREF= then, the statistical road (unturned) LREF= for HREF= and
            # PREF= for VREF=
            dropped = set()
            if re.search(r'\b(probplot|relationplot)\b', low):
                if self.road == 'device' and ('pref' in opts or 'lref' in opts):
                    dropped = {'href', 'vref'}
                elif self.road == 'statistical' and not re.search(r'\brotate\b', low):
                    dropped = {kw for kw, by in (('href', 'lref'), ('vref', 'pref')) if by in opts}
            for kw in KEYWORDS:
                if kw not in opts or kw in dropped:
                    continue
                vals = _values(opts[kw])
                labels = re.findall(r"'([^']*)'|\"([^\"]*)\"", opts.get(kw + 'labels', ''))
                if kw + 'labels' in opts and len(labels) != len(vals):
                    continue   # a label list of another length than its values: the lines are not drawn
                self.values += [(kw, v) for v in vals]
                for (a, b), v in zip(labels, vals):
                    self.refs.setdefault(_drawn(_bytes(a or b)), []).append((kw, v))
                    self.cuts.setdefault(_cut(a or b).strip(), []).append((kw, v))
                shown = [_cut(a or b).rstrip(' ') for a, b in labels]   # (the blanks at its end show nothing)
                lists[kw] = ([(v, shown[k] if k < len(shown) else '') for k, v in enumerate(vals)],
                             bool(re.search(r'\bintersect\b', opts[kw], re.I)))
            if lists:
                self.statements.append(lists)
                for kw in ('vreflabpos', 'hreflabpos', 'sreflabpos'):
                    if kw in opts and re.match(r'^\s*\d+\s*$', opts[kw]):
                        self.labpos[kw] = int(opts[kw])
            if 'relationplot' in low and 'plotfit' in opts:
                self.plotfit.update(_values(opts['plotfit']))

    def given(self, text):
        """The (keyword, value)s whose label a page's text shows (a long label cut to the room it has shows
        its start)."""
        # a label shows as the text whole, or cut: a long label may show as another's whole text, and names both
        exact = self.refs.get(text, [])
        exact = exact + [q for q in self.cuts.get(text, []) if q not in exact]
        if exact:
            return exact
        # a label's spaces at its ends do not show
        bare = [q for label, qs in self.refs.items() if label.strip() == text for q in qs]
        if bare:
            return bare
        # a character not read back or not ASCII reads as any; a long label cut shows its start
        return [q for label, qs in self.refs.items() if _reads_as(text, label) for q in qs]


# ---- a page read back

def road_of(path):
    """The graphics road that drew a page, by its name NAME-ROAD[-K].svg or a folder of it; None."""
    parts = [os.path.basename(path)] + list(reversed(os.path.dirname(os.path.abspath(path)).split(os.sep)))
    for part in parts:
        m = re.search(r'-(device|statistical)(?:-\d+)?(?=\.|$)', part)
        if m:
            return m.group(1)
    return None


class Sheet:
    def __init__(self, page, glyphs):
        self.page = page
        self.road = road_of(page.path)
        self.metrics = getattr(glyphs, 'metrics', None)
        self.advances = {}   # (face, character) -> advance at SHEET_SIZE, as the page's texts show them
        with open(page.path, encoding='utf-8') as f:
            head = f.read(1000)
        vb = re.search(r'viewBox="(' + overprint.NUM + r') (' + overprint.NUM + r') (' + overprint.NUM + r') (' +
                       overprint.NUM + r')"', head)
        self.size = (float(vb.group(1)), float(vb.group(2)), float(vb.group(1)) + float(vb.group(3)),
                     float(vb.group(2)) + float(vb.group(4))) if vb else None
        cache = {}
        self.texts, self.marks, self.covers, self.paths = [], [], [], []
        for k, it in enumerate(page.items):
            if it[0] == 'text':
                gl = it[1]
                box = (min(a[0] for a in gl), min(a[1] for a in gl), max(a[2] for a in gl), max(a[3] for a in gl))
                s = ''.join(cache.setdefault(g, glyphs.char(g, page.outline.get(g, ('', [])))) for g in it[2])
                self.texts.append({'i': k, 'box': box, 'text': s.strip()})
                if self.metrics:
                    self._measure(self.texts[-1], it, cache)
            elif it[0] == 'mark':
                self.marks.append((k, it[1]))
            elif it[0] == 'cover':
                self.covers.append((k, it[1]))
            elif it[0] == 'line':
                st, clip = it[2], it[3]
                polys = []
                for p in it[1]:
                    polys += _clip_poly(p, clip) if clip else [p]
                # the ends where the clip cuts the stroke: it runs on there, out of sight (a stroke that ends a
                # hair past the clip, a leader to a line's end on the frame's side, ends where it is cut)
                drawn = {v for p in it[1] for v in p}
                cut = [q for pts in polys for q in (pts[0], pts[-1])
                       if q not in drawn and min(math.hypot(q[0] - v[0], q[1] - v[1]) for v in drawn) > ENDS_ON]
                if not polys:
                    continue
                dash = re.search(r'stroke-dasharray:([^;]+)', st)
                col = re.search(r'stroke:rgb\(([\d.]+)%,([\d.]+)%,([\d.]+)%\)', st)
                wid = re.search(r'stroke-width:([\d.]+)', st)
                rgb = [float(c) for c in col.groups()] if col else [0.0, 0.0, 0.0]
                lum = sum(rgb) / 300
                self.paths.append({'i': k, 'polys': polys, 'dash': dash.group(1) if dash else None, 'lum': lum,
                                   'grey': max(rgb) - min(rgb) < 5,
                                   'style': (dash.group(1) if dash else '', col.group(0) if col else '',
                                             wid.group(1) if wid else ''),
                                   'len': sum(_length(p) for p in polys), 'cut': cut})
        self._unseen()
        for p in self.paths:
            p['single'] = len(p['polys']) == 1 and len(p['polys'][0]) == 2
            a, b = p['polys'][0][0], p['polys'][0][-1]
            p['vert'] = p['single'] and abs(a[0] - b[0]) < 0.01
            p['horiz'] = p['single'] and abs(a[1] - b[1]) < 0.01
            p['rect'] = len(p['polys']) == 1 and self._is_rect(p['polys'][0])
        self._axes()
        self._panels()
        self._ticks_by_panel()
        self._boxes()

    def _unseen(self):
        """Leaves out the texts that opaque boxes painted after them hide (a label under an inset): every glyph's
        centre under one. They are kept in self.hidden."""
        self.hidden = []
        if not self.covers:
            return
        shown = []
        for t in self.texts:
            over = [c for k, c in self.covers if k > t['i']]
            if over and all(any(overprint._inside(g, c) for c in over) for g in self.page.items[t['i']][1]):
                self.hidden.append(t)
            else:
                shown.append(t)
        self.texts = shown

    def _measure(self, t, it, chars):
        """A text's face and font size (t['face'], t['size']) by its glyphs' outlines against the sheet's, and the
        advances of its characters where two glyphs on one baseline follow each other."""
        boxes = iter(it[1])
        pens = []
        for g in it[2]:
            o = self.page.outline.get(g, ('', []))
            if len(o[1]) < 2:
                pens.append(None)
                continue
            b = next(boxes, None)
            r = self.metrics.size_of(o)
            if b is None or not r:
                pens.append(None)
                continue
            ob = overprint._box(o[1][0::2], o[1][1::2])
            pens.append((b[0] - ob[0], b[1] - ob[1], r, chars.get(g)))
        found = [q[2] for q in pens if q]
        if not found:
            return
        faces = [f for f, _ in found]
        t['face'] = max(set(faces), key=faces.count)
        t['size'] = sorted(z for _, z in found)[len(found) // 2]
        for a, b in zip(pens, pens[1:]):
            if a and b and a[3] and abs(a[1] - b[1]) < 0.01 and a[2][0] == b[2][0] and b[0] > a[0]:
                self.advances[(a[2][0], a[3])] = (b[0] - a[0]) * SHEET_SIZE / a[2][1]

    @staticmethod
    def _is_rect(pts):
        if len(pts) not in (5, 6) or math.hypot(pts[0][0] - pts[4][0], pts[0][1] - pts[4][1]) > 0.01:
            return False
        return all(abs(a[0] - b[0]) < 0.01 or abs(a[1] - b[1]) < 0.01 for a, b in zip(pts[:5], pts[1:5]))

    # -- axes
    def _axes(self):
        groups, widths = {}, {}
        for p in self.paths:
            if not (p['vert'] or p['horiz']) or p['dash'] or p['lum'] > 0.5 or not TICK[0] <= p['len'] <= TICK[1]:
                continue
            a, b = p['polys'][0]
            kind = 'x' if p['vert'] else 'y'   # 'x': a tick of a horizontal axis
            at = a[0] if kind == 'x' else a[1]
            w = float(p['style'][2] or 1.0)
            for end, other in ((a, b), (b, a)):
                base = round(end[1] if kind == 'x' else end[0], 1)
                outer = other[1] if kind == 'x' else other[0]
                groups.setdefault((kind, base), {})[round(at, 2)] = outer
                widths[(kind, base)] = max(widths.get((kind, base), 0.0), w)
        # a group of ticks sharing their other end too is the same axis: keep the larger group of each tick set
        # (panels stacked or side by side repeat the ticks at another base, a tick's length or more away: those
        # are axes of their own)
        keys = sorted(groups, key=lambda g: -len(groups[g]))
        kept = []
        # an axis's ticks are drawn wider than the hairline leaders: short leaders that end together on one line
        # (values read off in a column) are no axis, nor the numbers beside them its values
        wide = max((widths[g] for g in keys if len(groups[g]) >= 3), default=0.0)
        for g in keys:
            if len(groups[g]) < 3 or widths[g] < wide:
                continue
            if any(g[0] == h[0] and set(groups[g]) <= set(groups[h]) and abs(g[1] - h[1]) <= TICK[1] + 0.5 for h in kept):
                continue
            kept.append(g)
        self.axes = []
        self.tickpaths = set()
        used = set()
        hs, vs = self._edges()
        for kind, base in kept:
            ticks = groups[(kind, base)]
            pairs = []
            for at, outer in ticks.items():
                for n, t in enumerate(self.texts):
                    v = _number(t['text'])
                    if v is None:
                        continue
                    b = t['box']
                    c = _centre(b)
                    if kind == 'x':
                        gap = b[1] - outer if outer > base else outer - b[3]
                        d = abs(c[0] - at)
                        ok = d <= 2.0 and -1 <= gap <= 14
                        near = b[1] if outer > base else b[3]
                        sides = [(y, x0, x1) for y, x0, x1 in hs if x0 <= c[0] <= x1]
                    else:
                        gap = b[0] - outer if outer > base else outer - b[2]
                        d = abs(c[1] - at)
                        ok = d <= 3.0 and -1 <= gap <= 14
                        near = b[0] if outer > base else b[2]
                        sides = [(x, y0, y1) for x, y0, y1 in vs if y0 <= c[1] <= y1]
                    # a number across a frame's side from the tick's end stands in another panel (a value read off
                    # beside the side of the panel next to it)
                    if ok and any(min(near, outer) + 0.5 < e < max(near, outer) - 0.5 for e, _, _ in sides):
                        ok = False
                    if ok:
                        pairs.append((d, at, n, v))
            # a number labels the nearest of the ticks beside it
            labelled, held = [], set()
            for d, at, n, v in sorted(pairs):
                if at not in held and n not in used:
                    labelled.append((at, v))
                    held.add(at)
                    used.add(n)
            # panels side by side repeat an axis: a new axis starts where the values turn back, or across a frame's
            # side (a relation plot's stresses beside its probability plot's percents)
            labelled.sort()
            runs, cur = [], []
            for q in labelled:
                if cur and (q[1] == cur[-1][1] or
                            len(cur) >= 2 and (q[1] - cur[-1][1]) * (cur[-1][1] - cur[-2][1]) < 0 or
                            any(cur[-1][0] + 0.5 < at < q[0] - 0.5 and lo - 0.5 <= base <= hi + 0.5
                                for at, lo, hi in (vs if kind == 'x' else hs))):
                    runs.append(cur)
                    cur = []
                cur.append(q)
            runs.append(cur)
            ats = sorted(ticks)
            for n, run in enumerate(runs):
                lo = run[0][0] if n else -1e9
                hi = runs[n + 1][0][0] if n + 1 < len(runs) else 1e9
                mine = [a for a in ats if lo - 1e-6 <= a < hi] or ats
                self.axes.append(Axis(kind, base, mine, run))
        # two labelled ticks fit any transform: take that of an axis of the page that shows the same values on
        # more ticks, else the one that puts the other ticks at round values
        for ax in self.axes:
            if not ax.f or len(ax.pairs) >= 3:
                continue
            vals = {v for _, v in ax.pairs}
            peer = [b for b in self.axes if b.kind == ax.kind and len(b.pairs) >= 3 and vals & {v for _, v in b.pairs}]
            if peer and any(n == peer[0].name for _, n in ax.fits):
                ax.use(peer[0].name)
            elif len(ax.ticks) > len(ax.pairs):
                ax.use(min((n for _, n in ax.fits), key=ax.roundness))
        self.ticklabels = used

    def axis_for(self, line):
        """The labelled axis that reads a reference line's place: the nearest one across whose ticks' span
        (or a quarter of it beyond) the line stands."""
        a, b = line['polys'][0]
        kind = 'x' if line['vert'] else 'y'
        at = a[0] if kind == 'x' else a[1]
        ends = (min(a[1], b[1]), max(a[1], b[1])) if kind == 'x' else (min(a[0], b[0]), max(a[0], b[0]))
        best = None
        panel = self.panel_of(((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)) if hasattr(self, 'panels') else None
        for ax in self.axes:
            if ax.kind != kind or not ax.f:
                continue
            slack = 0.25 * (ax.hi - ax.lo)
            if not ax.lo - slack <= at <= ax.hi + slack:
                continue
            d = max(ends[0] - ax.base, ax.base - ends[1], 0.0)
            # of axes as near, the one of the line's panel, then the one whose ticks span the line (panels side by
            # side share a base)
            span = (panel[0], panel[2]) if panel and kind == 'x' else (panel[1], panel[3]) if panel else None
            other = 0 if span is None or span[0] - 0.5 <= ax.lo and ax.hi <= span[1] + 0.5 else 1
            key = (d, other, max(ax.lo - at, at - ax.hi, 0.0))
            if best is None or key < best[0]:
                best = (key, ax)
        return best[1] if best else None

    # -- panels: solid frame rectangles with ticks on an edge
    def _edges(self):
        hs, vs = [], []
        for p in self.paths:
            if p['dash'] or p['lum'] > 0.5 or not p['grey']:
                continue
            if p['single'] or p['rect']:
                pts = p['polys'][0]
                for a, b in zip(pts, pts[1:]):
                    if abs(a[1] - b[1]) < 0.01 and abs(a[0] - b[0]) >= 40:
                        hs.append((a[1], min(a[0], b[0]), max(a[0], b[0])))
                    elif abs(a[0] - b[0]) < 0.01 and abs(a[1] - b[1]) >= 40:
                        vs.append((a[0], min(a[1], b[1]), max(a[1], b[1])))
        return hs, vs

    def enclosure(self, box):
        """The rectangle of the nearest solid strokes round a box, or None."""
        hs, vs = self._edges_cache
        x0, y0, x1, y1 = box

        def sides(x0, y0, x1, y1):
            top = max((y for y, a, b in hs if y <= y0 + 0.5 and a <= x0 + 0.5 and b >= x1 - 0.5), default=None)
            bot = min((y for y, a, b in hs if y >= y1 - 0.5 and a <= x0 + 0.5 and b >= x1 - 0.5), default=None)
            lft = max((x for x, a, b in vs if x <= x0 + 0.5 and a <= y0 + 0.5 and b >= y1 - 0.5), default=None)
            rgt = min((x for x, a, b in vs if x >= x1 - 0.5 and a <= y0 + 0.5 and b >= y1 - 0.5), default=None)
            return None if None in (top, bot, lft, rgt) else (lft, top, rgt, bot)
        r = sides(x0, y0, x1, y1)
        # a frame's sides run its whole length: a box's side inside it (an inset's) is passed over
        for _ in range(3):
            across = r and sides(x0, r[1], x1, r[3])    # upright sides that run from its top to its bottom
            along = r and sides(r[0], y0, r[2], y1)     # level sides that run from its left to its right
            if not (across and along) or (across[0], along[1], across[2], along[3]) == r:
                break
            r = (across[0], along[1], across[2], along[3])
        return r

    def _panels(self):
        self._edges_cache = self._edges()
        self.panels = []
        for ax in self.axes:
            mid = (ax.lo + ax.hi) / 2
            for side in (-6.0, 6.0):
                if ax.kind == 'x':
                    box = (mid - 0.5, ax.base + side - 0.5, mid + 0.5, ax.base + side + 0.5)
                else:
                    box = (ax.base + side - 0.5, mid - 0.5, ax.base + side + 0.5, mid + 0.5)
                r = self.enclosure(box)
                if not r or r in self.panels:
                    continue
                edges = (r[1], r[3]) if ax.kind == 'x' else (r[0], r[2])
                if any(abs(e - ax.base) <= 1.0 for e in edges) and r[2] - r[0] > 60 and r[3] - r[1] > 60:
                    self.panels.append(r)
        # a panel's probability axis may end below its frame (the strip above the top tick): keep the largest
        # rectangle of nested ones
        self.panels = [r for r in self.panels
                       if not any(q != r and q[0] <= r[0] + 0.5 and q[1] <= r[1] + 0.5 and q[2] >= r[2] - 0.5 and
                                  q[3] >= r[3] - 0.5 for q in self.panels)]
        # a panel of a grid without ticks of its own: a frame of the size of one with ticks
        sizes = [(r[2] - r[0], r[3] - r[1]) for r in self.panels]
        probes = [t['box'] for t in self.texts] + [c for _, c in self.covers] + [b for _, b in self.marks]
        for b in probes:
            c = _centre(b)
            if not sizes or self.panel_of(c):
                continue
            r = self.enclosure((c[0] - 0.5, c[1] - 0.5, c[0] + 0.5, c[1] + 0.5))
            if r and any(abs(r[2] - r[0] - w) < 2 and abs(r[3] - r[1] - h) < 2 for w, h in sizes):
                self.panels.append(r)

    def _ticks_by_panel(self):
        """The ticks of panels stacked along one axis line (turned panels one above the other) shared out by the
        panels: a panel whose first tick is not labelled (its number left out for the one of the panel beside it)
        would else lend that tick, and the lines beside it, to its neighbour's axis."""
        shared = {}
        for ax in self.axes:
            shared.setdefault((ax.kind, ax.base), []).append(ax)
        for (kind, base), axes in shared.items():
            if len(axes) < 2:
                continue
            ticks = sorted({t for ax in axes for t in ax.ticks})
            for ax in axes:
                if not ax.pairs:
                    continue
                at = ax.pairs[0][0]
                for r in self.panels:
                    lo, hi = (r[0], r[2]) if kind == 'x' else (r[1], r[3])
                    edges = (r[1], r[3]) if kind == 'x' else (r[0], r[2])
                    if lo - 0.5 <= at <= hi + 0.5 and any(abs(e - base) <= 1.0 for e in edges):
                        mine = [t for t in ticks if lo - 0.5 <= t <= hi + 0.5]
                        if mine:
                            ax.ticks, ax.lo, ax.hi = mine, mine[0], mine[-1]
                        break

    def panel_of(self, p):
        for r in self.panels:
            if _inside(p, r, 0.5):
                return r
        return None

    # -- insets and legends: rectangles of two texts or more
    def _boxes(self):
        rects = [c for _, c in self.covers]
        for p in self.paths:
            if p['rect']:
                pts = p['polys'][0]
                rects.append((min(q[0] for q in pts), min(q[1] for q in pts), max(q[0] for q in pts),
                              max(q[1] for q in pts)))
        self.boxes = []
        for r in rects:
            if any(abs(r[0] - q[0]) < 1 and abs(r[1] - q[1]) < 1 and abs(r[2] - q[2]) < 1 and abs(r[3] - q[3]) < 1
                   for q in self.panels):
                continue
            inside = [t for t in self.texts if _inside(_centre(t['box']), r)]
            if len(inside) >= 2:
                self.boxes.append(r)
        # a box drawn in two parts (a title row above the table): their union
        merged = []
        for r in sorted(self.boxes, key=lambda q: -(q[2] - q[0]) * (q[3] - q[1])):
            for n, q in enumerate(merged):
                if r[0] < q[2] and q[0] < r[2] and r[1] < q[3] + 0.5 and q[1] < r[3] + 0.5:
                    merged[n] = (min(q[0], r[0]), min(q[1], r[1]), max(q[2], r[2]), max(q[3], r[3]))
                    break
            else:
                merged.append(r)
        self.boxes = merged

    def legend_entry(self, t):
        """Whether a text outside the panels is an entry of a legend drawn without a box: a short level stroke
        outside every panel (the sample of a line; a leader runs to its line in a panel) ends just left of it on its
        row."""
        b = t['box']
        h = b[3] - b[1]
        mid = (b[1] + b[3]) / 2
        for p in self.paths:
            if not p['horiz'] or not 4 <= p['len'] <= 80:
                continue
            a, c = p['polys'][0]
            if abs(a[1] - mid) <= h / 2 and -0.5 <= b[0] - max(a[0], c[0]) <= 1.5 * h and \
                    not any(_clip(a, c, r) for r in self.panels):
                return True
        return False

    def in_box(self, t):
        c = _centre(t['box'])
        return any(_inside(c, r) for r in self.boxes)


# ---- the checks

def _grid_styles(sh):
    """The styles of the grid: those of strokes across the panel at half the labelled ticks or more."""
    places = {(ax.kind, round(p, 1)) for ax in sh.axes for p, _ in ax.pairs}
    seen = {}
    for p in sh.paths:
        if not (p['vert'] or p['horiz']) or p['len'] < 40:
            continue
        kind = 'x' if p['vert'] else 'y'
        at = round(p['polys'][0][0][0 if kind == 'x' else 1], 1)
        if (kind, at) in places:
            seen.setdefault(p['style'], set()).add((kind, at))
    return {s for s, n in seen.items() if len(n) >= 3 and len(n) >= 0.5 * len(places)}


def _value(p):
    """The value of a line: the one the program or a label gives it, else as its axis reads it."""
    return f'{p["value"]:g}' if 'value' in p else _describe(p['axis'].value(p['at']))


def _describe(v):
    if v is None:
        return '?'
    return f'{v:.4g}'


def _not_a_value(sh, prog, t, v):
    """Whether a number is no value read off: a relation plot's percentile label (a PLOTFIT= value written as
    given, where a value read off has two decimals or four digits) or a legend's entry."""
    if prog and v in prog.plotfit and t['text'].strip() == f'{v:g}':
        return True
    return not sh.panel_of(_centre(t['box'])) and sh.legend_entry(t)


def _sides_at(sh, panel, kinds, v):
    """The sides of a panel's frame where value v reads (a line there is hidden by the frame), or just past them
    (within BEYOND_SIDE points: a line drawn in the strip beside a turned frame), as lines."""
    if not hasattr(sh, 'sides'):
        sh.sides = {}
    out = []
    for kind in kinds:
        for at in ((panel[0], panel[2]) if kind == 'x' else (panel[1], panel[3])):
            line = {'i': -1, 'polys': [[(at, panel[1]), (at, panel[3])] if kind == 'x' else
                                       [(panel[0], at), (panel[2], at)]], 'dash': None, 'style': ('', '', ''),
                    'single': True, 'vert': kind == 'x', 'horiz': kind == 'y', 'rect': False, 'kind': kind,
                    'at': at, 'panel': panel, 'len': panel[3] - panel[1] if kind == 'x' else panel[2] - panel[0],
                    'edge': True}
            line['axis'] = sh.axis_for(line)
            place = line['axis'] and line['axis'].place(v)
            lo, hi = (panel[0], panel[2]) if kind == 'x' else (panel[1], panel[3])
            beyond = place is not None and (lo - BEYOND_SIDE <= place < lo if at == lo else hi < place <= hi + BEYOND_SIDE)
            if place is not None and (abs(place - at) <= 0.3 or beyond):
                out.append(sh.sides.setdefault((panel, kind, at), line))
    return out


def _stands_for(p):
    """The places a line stands for: its own first, and a side of its panel it stands within INSIDE_SIDE points
    inside of, where it is dashed (the statistical road draws a line at an axis's end inside the frame, clear of
    the border)."""
    at = [p['at']]
    if p['dash']:
        panel = p['panel']
        a, b = (panel[0], panel[2]) if p['kind'] == 'x' else (panel[1], panel[3])
        at += [side for side, inward in ((a, 1), (b, -1)) if 0 < (p['at'] - side) * inward <= INSIDE_SIDE]
    return at


def _inside_side(p, lo, hi):
    """Whether a dashed line stands within INSIDE_SIDE points inside a side of its panel where the value's place
    [lo, hi] reads."""
    return any(min(lo, hi) - 0.3 <= side <= max(lo, hi) + 0.3 for side in _stands_for(p)[1:])


def read_labels(sh, prog):
    """The grid's styles, the candidate reference and intersection lines, and the labels of such lines with
    their own lines: (grid, candidates, [(text, [line])])."""
    grid = _grid_styles(sh)
    bases = [(ax.kind, ax.base) for ax in sh.axes]
    # candidate reference and intersection lines
    cands = []
    for p in sh.paths:
        # (a short solid stroke is a tick or a mark; a dashed one is a line, however short: an intersection line
        # from the axis to a fitted line that crosses near it)
        if not (p['vert'] or p['horiz']) or p['len'] < (1 if p['dash'] else 12) or p['style'] in grid:
            continue
        a, b = p['polys'][0]
        kind = 'x' if p['vert'] else 'y'
        at = a[0] if kind == 'x' else a[1]
        # the frame's own strokes lie along an axis (a dashed line there is a reference line at the axis's end)
        if not p['dash'] and any(k != kind and abs(base - at) < 0.3 for k, base in bases):
            continue
        panel = sh.panel_of(_centre((min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1]))))
        if not panel:
            continue
        # a solid stroke on a side of its panel is the frame's (the side without ticks), though a value reads there
        if not p['dash'] and any(abs(at - e) < 0.3 for e in ((panel[0], panel[2]) if kind == 'x' else
                                                            (panel[1], panel[3]))):
            continue
        # a reference or intersection line runs from a side of its panel (across it, or to the fitted line): a
        # stroke of a curve or its limits (an MCF limit's step) at a value a list gives stands clear of both
        lo, hi = (min(a[1], b[1]), max(a[1], b[1])) if kind == 'x' else (min(a[0], b[0]), max(a[0], b[0]))
        ends = (panel[1], panel[3]) if kind == 'x' else (panel[0], panel[2])
        if lo > ends[0] + FROM_SIDE and hi < ends[1] - FROM_SIDE:
            continue
        ax = sh.axis_for(p)
        if not ax:
            continue
        p['kind'], p['at'], p['axis'], p['panel'] = kind, at, ax, panel
        cands.append(p)

    def matching(kinds, v, half=0.0):
        hit = []
        for p in cands:
            if p['kind'] not in kinds:
                continue
            ax = p['axis']
            lo, hi = ax.place(v - half), ax.place(v + half)
            if lo is None or hi is None:
                continue
            if min(lo, hi) - 0.3 <= p['at'] <= max(lo, hi) + 0.3 or p['dash'] and _inside_side(p, lo, hi):
                hit.append(p)
        return hit

    orient = {'href': ('x',), 'vref': ('y',)}
    draws = _orient(sh)
    found = []
    for t in sh.texts:
        if not t['text'] or not sh.panel_of(_centre(t['box'])):
            continue
        own = []
        given = prog.given(t['text']) if prog else []
        panel = sh.panel_of(_centre(t['box']))
        if given:
            for kw, v in given:
                # (of the lines at the value, those its list draws: PREF= at a probability axis, not the value
                # read on the other axis)
                lines = [p for p in matching(orient.get(kw, ('x', 'y')), v) if draws(kw, p)]
                if not any(p['panel'] == panel for p in lines):
                    # a line at the value where the frame's side stands is hidden by it: the label names that side
                    lines = lines + [p for p in _sides_at(sh, panel, orient.get(kw, ('x', 'y')), v) if draws(kw, p)]
                for p in lines:
                    own.append(p)
                    p.setdefault('value', v)
                    if p['panel'] == panel:
                        t.setdefault('value', v)
        else:
            v = _number(t['text'])
            if v is not None and not _not_a_value(sh, prog, t, v):
                own = matching(('x', 'y'), v, _half_unit(t['text']))
                t['value'] = v
                for p in own:
                    p.setdefault('value', v)
        # a label names the lines of its own panel (panels repeat the lists)
        own = [p for p in own if p['panel'] == panel]
        found.append((t, own, given))
    # a box of labels only is a column of labels on a ground of its own, not an inset or a legend: its texts are
    # labels like any other
    sh.columns = [r for r in sh.boxes
                  if all(own or given for t, own, given in found if _inside(_centre(t['box']), r))]
    labels = []
    for t, own, given in found:
        c = _centre(t['box'])
        if any(_inside(c, r) for r in sh.boxes if r not in sh.columns):
            continue
        if own:
            labels.append((t, own))
        elif given and VERBOSE[0]:
            print(f'  unmatched {t["text"]!r}')
    if VERBOSE[0]:
        for ax in sh.axes:
            print('  axis', ax.kind, round(ax.base, 1), round(ax.lo), round(ax.hi), len(ax.pairs),
                  ax.f and [n for n, f, _ in TRANSFORMS if f is ax.f])
        print('  panels', [tuple(round(v) for v in r) for r in sh.panels], 'boxes',
              [tuple(round(v) for v in r) for r in sh.boxes], 'columns',
              [tuple(round(v) for v in r) for r in sh.columns])
        for t, own in labels:
            print('  label', repr(t['text']), [(p['kind'], round(p['at'], 2)) for p in own])
        print('  texts in panels', [t['text'] for t in sh.texts if sh.panel_of(_centre(t['box']))])
        if sh.hidden:
            print('  hidden under boxes', [t['text'] for t in sh.hidden])
    return grid, cands, labels, matching, orient


def check(sh, prog, seen=None):
    """[(rule, message)] of a page; seen counts the labels, percentile labels and insets read."""
    out = []
    seen = {'labels': 0, 'percentiles': 0, 'insets': 0} if seen is None else seen
    if prog and prog.road:
        sh.road = prog.road   # (the program's own OPTIONS drew it, whatever the page's name says)
    sh.labpos = prog.labpos if prog else {}
    grid, cands, labels, matching, orient = read_labels(sh, prog)
    # a solid stroke from a label's box to one of its own lines is its leader, though it stands where a value
    # reads (a leader drawn at the height of another label's line, or along its own line to that line's end,
    # drawn otherwise than the line)
    drawn = set()
    for t, own in labels:
        for p in cands:
            if p['dash']:
                continue
            ends = [q for q in own if q is not p and (p not in own or q['style'] != p['style'])]
            a, b = p['polys'][0]
            if ends and any(_pt_rect(u, t['box']) <= LEADER_GAP < 0.5 + _pt_rect(w, t['box']) and
                            min(_pt_seg(w, *q['polys'][0]) for q in ends) <= LEADER_GAP / 2
                            for u, w in ((a, b), (b, a))):
                drawn.add(id(p))
    labels = [(t, own) for t, own in ((t, [p for p in own if id(p) not in drawn]) for t, own in labels) if own]
    seen['labels'] += len(labels)
    refl = {id(p) for _, own in labels for p in own}
    if prog:
        draws = _orient(sh)
        for kw, v in prog.values:
            for p in matching(orient.get(kw, ('x', 'y')), v):
                if id(p) not in drawn and draws(kw, p):
                    refl.add(id(p))
                    p.setdefault('value', v)
    # and the lines drawn as those are that no label names: a value read off left out still has its line, and a
    # label beside it reads as its
    styles = {p['style'] for p in cands if id(p) in refl}
    refs = [p for p in cands if id(p) in refl or (p['style'] in styles and id(p) not in drawn)]
    name = {}
    for t, own in labels:
        for p in own:
            name.setdefault(id(p), f'the {t["text"]} line')
    for p in refs:
        name.setdefault(id(p), f'the line at {_value(p)}')

    def valued(p):
        """A line's name with its value, where the name is a label's text that is no number."""
        n = name[id(p)]
        return n if n.startswith('the line at') or _number(n[4:-5]) is not None else f'{n} (at {_value(p)})'

    # other strokes: leaders, fitted lines and confidence limits
    others = [p for p in sh.paths if id(p) not in refl and p['style'] not in grid and not p['rect']]
    dashes = _limit_dashes(sh)

    def leader(box, target, own=None, lines=()):
        """A stroke from the box to the target (a point distance function, to the lines given); None. A stroke that
        starts on one of those lines and runs along it is none (one that leaves the text across a line of its own
        right beside it is one). own: the distance to the label's own lines: a stroke that starts on one of them
        above or below the text runs from that line, not from the text, which a leader leaves from a side (a fitted
        line or limit that ends on the label's line over it); one from one of them to one of them (along its line,
        the text written over it) joins it to no other. A stroke between two labels' boxes whose end at this box
        lies nearer the target than its other end is the other label's leader, ending on the line beside this
        one's text; one that its panel's clip cuts where it
        meets the target runs on there (a fitted line cut at the frame's side where an intersection line ends); a
        level stroke that ends over or under the text (an upright one beside it) runs along it, and leaves it from
        no side (a curve's step that ends over a label's first letter)."""
        def along(p, u):
            # a level stroke from over or under the text (an upright one from beside it) passes it by
            return p['horiz'] and box[0] <= u[0] <= box[2] and not box[1] <= u[1] <= box[3] or \
                p['vert'] and box[1] <= u[1] <= box[3] and not box[0] <= u[0] <= box[2]

        def runs_along(p, u, lines):
            return any(_pt_seg(u, *q['polys'][0]) <= LEADER_GAP / 2 and (q['kind'] == 'y' and p['horiz'] or
                                                                         q['kind'] == 'x' and p['vert'])
                       for q in lines)

        def theirs(u, w):
            return target(u) < target(w) and any(t['box'] is not box and _pt_rect(w, t['box']) <= LEADER_GAP
                                                 for t, _ in labels)
        for p in others:
            if id(p) in dashes:
                continue
            # a long stroke is a leader only when straight or bent at most twice (a column that stands
            # away from its lines, clear of the points, has long leaders), never a fitted curve; a leader is
            # solid (a dashed stroke is a grid line, a fitted line or a limit)
            if p['len'] < 1 or p['len'] > 200 and any(len(pts) > 4 for pts in p['polys']) or p['dash']:
                continue
            for pts in p['polys']:
                a, b = pts[0], pts[-1]
                for u, w in ((a, b), (b, a)):
                    # it leads from the box to the line: a straight stroke along the line (an MCF limit's dash on
                    # it) is none
                    if _pt_rect(u, box) <= LEADER_GAP and target(w) <= LEADER_GAP / 2 and _pt_rect(w, box) > 0.5 \
                            and not (target(u) <= LEADER_GAP / 2 and runs_along(p, u, lines)) and \
                            not (own and own(u) <= LEADER_GAP / 2 and (not box[1] <= u[1] <= box[3] or
                                                                       own(w) <= ENDS_ON)) and \
                            not theirs(u, w) and w not in p.get('cut', ()) and not along(p, u):
                        return p
        return None

    def dist_lines(box, lines):
        return min((_seg_rect(p['polys'][0][0], p['polys'][0][1], box) for p in lines), default=math.inf)

    def at(t):
        return f'"{t["text"]}" ({t["box"][0]:.0f},{t["box"][1]:.0f})'

    sides = []   # the sides of panels and boxes: (x0, y0, x1, y1) of a line, and whether a panel's
    for r in list(sh.panels) + list(sh.boxes):
        sides += [(sd, r in sh.panels) for sd in ((r[0], r[1], r[0], r[3]), (r[2], r[1], r[2], r[3]),
                                                  (r[0], r[1], r[2], r[1]), (r[0], r[3], r[2], r[3]))]

    def on_side(a, b):
        """Whether segment ab lies along a side: within it, or (a panel's frame, whose side may run on past the
        panel up to a strip above it) over the whole of it."""
        for sd, frame in sides:
            k = 0 if sd[0] == sd[2] else 1      # the coordinate that is fixed along the side
            if any(abs(q[k] - sd[k]) > 0.5 for q in (a, b)):
                continue
            lo, hi = min(a[1 - k], b[1 - k]), max(a[1 - k], b[1 - k])
            if sd[1 - k] - 0.5 <= lo and hi <= sd[3 - k] + 0.5 or frame and lo <= sd[1 - k] + 0.5 and \
                    hi >= sd[3 - k] - 0.5:
                return True
        return False
    for p in sh.paths:
        p['edge'] = all(on_side(a, b) for pts in p['polys'] for a, b in zip(pts, pts[1:]))
    leaders = set()
    led = set()   # the labels joined to their own lines by a leader
    lead = {}     # label -> the stroke that joins it to a line (its own or another)
    for t, own in labels:
        box = t['box']
        ownpos = {(p['kind'], round(p['at'], 1)) for p in own}
        rest = [p for p in refs if id(p) not in {id(q) for q in own} and (p['kind'], round(p['at'], 1)) not in ownpos]
        restid = {id(p) for p in rest}
        d_own = dist_lines(box, own)
        j = leader(box, lambda w: min(_pt_seg(w, *p['polys'][0]) for p in own), lines=own)
        if j:
            leaders.add(id(j))
            led.add(id(t))
            lead[id(t)] = j
            # a leader across another line of its own line's direction, right beside its text, starts at that
            # line: the label reads as that line's
            # (the direction of the own line the leader ends on: a text may be given to lines of both)
            w = _far_end(t, j['polys'][0])
            mine = min(own, key=lambda p: _pt_seg(w, *p['polys'][0]))
            kind = mine['kind']
            segs = [(a, b) for pts in j['polys'] for a, b in zip(pts, pts[1:])]

            def beside(p, a, b):
                """Segment ab crosses line p straight across it, or (the leader of an upright line's label that
                rises a hair) where the text stands along the line. A line of the other direction than the
                label's own counts too (a leader along its own line, from under a text over a level line: the
                text stands where that line's labels stand), but not one that only meets the leader where it
                ends on its own line (a value read off there starts from that point)."""
                if _seg_gap(*p['polys'][0], a, b) != 0:
                    return False
                if p['kind'] == kind and abs(p['at'] - mine['at']) <= ONE_LINE * _height(t) + GRID:
                    return False   # a hair from the line it ends on: the leader reads as ending on both
                k = 1 if p['kind'] == 'x' else 0   # the coordinate along the line
                if p['kind'] != kind:
                    return abs(a[k] - b[k]) < 0.01 and _pt_seg(w, *p['polys'][0]) > ENDS_ON
                if abs(a[k] - b[k]) < 0.01:
                    return True
                if kind != 'x' or a[0] == b[0]:
                    return False   # a level line's leader runs from the text's side across the lines between
                c = a[1] + (p['at'] - a[0]) * (b[1] - a[1]) / (b[0] - a[0])
                return box[1] <= c <= box[3]
            near = sorted({name[id(p)] for p in rest if p['panel'] == mine['panel'] and
                           dist_lines(box, [p]) < FAR * _height(t) and any(beside(p, a, b) for a, b in segs)})
            if near:
                out.append(('near', f'{at(t)}: its leader crosses {", ".join(near)} right beside its text: it reads '
                                    f'as that line\'s label'))
            # a leader does not free its text from another line that runs along its letters (the stroke on them)
            touch = {}
            for p in rest:
                (x0, y0), (x1, y1) = p['polys'][0][0], p['polys'][0][-1]
                k = 0 if abs(y1 - y0) < abs(x1 - x0) else 1   # the coordinate along the line
                over = min(max(x0, x1) if k == 0 else max(y0, y1), box[2 + k]) - \
                    max(min(x0, x1) if k == 0 else min(y0, y1), box[k])
                d = dist_lines(box, [p])
                if not (0 < d < ON_LETTERS * _height(t) and over > 0.5 * _height(t)):   # (one that ends beside it
                    continue                                                    # runs along no letter)
                # where it runs along them, out from under the grounds painted after it
                m = (box[0] + box[2]) / 2 if k == 0 else (box[1] + box[3]) / 2
                c = (m, y0 + (m - x0) * (y1 - y0) / (x1 - x0)) if k == 0 else \
                    (x0 + (m - y0) * (x1 - x0) / (y1 - y0), m)
                if not any(_inside(c, r) for q, r in sh.covers if q > p['i']):
                    touch[name[id(p)]] = min(d, touch.get(name[id(p)], math.inf))
            for n, d in sorted(touch.items()):
                out.append(('near', f'{at(t)}: {n} runs along its letters, {d:.2f} pt from them'))
        else:
            wrong = leader(box, lambda w: min((_pt_seg(w, *p['polys'][0]) for p in rest), default=math.inf),
                           lambda u: min(_pt_seg(u, *p['polys'][0]) for p in own), rest)
            if wrong:
                leaders.add(id(wrong))
                lead[id(t)] = wrong
                out.append(('near', f'{at(t)}: a leader joins it to another line'))
                continue
            if d_own > FAR * (box[3] - box[1]):
                out.append(('far', f'{at(t)}: {d_own:.1f} pt from its own line, with no leader'))
            near = {}
            for p in rest:
                d = _seg_rect(p['polys'][0][0], p['polys'][0][1], box)
                if d < d_own + EPS:
                    near[name[id(p)]] = min(d, near.get(name[id(p)], math.inf))
            if near:
                told = ', '.join(f'{d:.1f} pt from {n}' for n, d in sorted(near.items(), key=lambda q: q[1]))
                out.append(('near', f'{at(t)}: {told}; {d_own:.1f} pt from its own'))
        # lines through its text
        crossed = []
        for p in rest + [q for q in others if id(q) not in leaders]:
            if id(p) in restid:
                kind = name[id(p)]
            else:
                if p['len'] < 15 or p['edge']:
                    continue   # ticks, limit marks, the strokes of frames and boxes
                if not sh.panel_of(p['polys'][0][0]) and not sh.panel_of(p['polys'][0][-1]):
                    continue
                kind = 'a fitted line or confidence limit'
            for pts in p['polys']:
                hit = False
                for n, (a, b) in enumerate(zip(pts, pts[1:])):
                    c = _clip(a, b, box)
                    if not c or math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1]) < 0.5:
                        continue
                    over = [r for k, r in sh.covers if k > p['i']]
                    if any(_inside(c[0], r, 0.01) and _inside(c[1], r, 0.01) for r in over):
                        if not (_shows(pts, n, c[0], -1, over, math.inf) and _shows(pts, n, c[1], 1, over, math.inf)):
                            continue   # hidden under a box, and it ends there: the box stands over its end
                        hit = ' (under its ground, showing on both sides)'
                    else:
                        hit = ''
                    break
                if hit is not False:
                    crossed.append(kind + hit)
                    break
        for kind in sorted(set(crossed)):
            out.append(('cross', f'{at(t)}: crossed by {kind}'))
    # order of labels stacked across parallel lines (a text the program gives lines at two values names neither)
    def one_place(own):
        return max(p['at'] for p in own) - min(p['at'] for p in own) < 0.3
    for n, (t, own) in enumerate(labels):
        for u, own2 in labels[n + 1:]:
            k1, k2 = own[0]['kind'], own2[0]['kind']
            if k1 != k2 or not one_place(own) or not one_place(own2) or own[0]['panel'] != own2[0]['panel']:
                continue
            if _order_pair(t['box'], u['box'], k1, own[0]['at'], own2[0]['at'], max(_height(t), _height(u))):
                out.append(('order', f'{at(t)} and {at(u)} stand in the other order than their lines'))
    # labels of two lines on one row, closer than a text's height, read as one label
    for n, (t, own) in enumerate(labels):
        for u, own2 in labels[n + 1:]:
            if {(p['kind'], round(p['at'], 1)) for p in own} & {(p['kind'], round(p['at'], 1)) for p in own2}:
                continue
            a, b = t['box'], u['box']
            h = max(a[3] - a[1], b[3] - b[1])
            rows = min(a[3], b[3]) - max(a[1], b[1]) >= 0.5 * min(a[3] - a[1], b[3] - b[1])
            gap = max(a[0], b[0]) - min(a[2], b[2])
            if rows and 0 <= gap < h:
                first, second = (t, u) if a[0] < b[0] else (u, t)
                out.append(('join', f'{at(first)} and {at(second)} stand {gap:.1f} pt apart on one row: they read '
                                    f'as one label'))

    out += _rows(labels, refs, valued, at)
    out += _leaders(sh, labels, lead, others, at, refs)
    out += _joined(sh, labels, lead, led, refs, others, grid, at)
    out += _bands(labels, led, at)
    out += _apart(sh, labels, at)
    out += _ends(sh, prog, others, seen)
    if not (prog and prog.inset_given):   # an inset where the user puts it stays there
        out += _insets(sh, seen)
    out += _outside(sh, prog, labels, matching, orient)
    out += _missing(sh, prog, labels, led, [p for p in cands if id(p) not in leaders and id(p) not in drawn], refs,
                    matching, grid, lead)
    out += _in_strips(sh)
    return out


def _in_strips(sh):
    """Lines drawn past a panel's axis's end, in the strip between its side and the frame's (the censored marks'
    strip beside a turned frame or above an upright one): strokes across the whole panel, at least half a point
    past its side, short of a solid stroke as long STRIP points out at most (the frame's side)."""
    out = []
    for k in (0, 1):                         # the coordinate that is fixed along the strokes across
        # the solid strokes that may be a frame's sides meeting a panel's side: (where, from, to)
        along = [(a[1 - k], min(a[k], b[k]), max(a[k], b[k])) for p in sh.paths
                 if not p['dash'] and p['single'] and (p['horiz'] if k == 0 else p['vert'])
                 for a, b in [p['polys'][0]]]
        for r in sh.panels:
            lo, hi = (r[1], r[3]) if k == 0 else (r[0], r[2])
            across = []
            for p in sh.paths:
                if not p['single'] or not (p['vert'] if k == 0 else p['horiz']):
                    continue
                a, b = p['polys'][0]
                if abs(min(a[1 - k], b[1 - k]) - lo) <= FROM_SIDE and abs(max(a[1 - k], b[1 - k]) - hi) <= FROM_SIDE:
                    across.append((a[k], p))

            def framed(side, wall):
                """The frame's sides run on from the panel's side to the wall (one frame round panel and strip)."""
                return all(any(abs(e - f) <= 0.5 and u <= min(side, wall) + 0.5 and w >= max(side, wall) - 0.5
                               for f, u, w in along) for e in (lo, hi))
            for side, outward in ((r[k], -1), (r[k + 2], 1)):
                walls = [at for at, p in across if not p['dash'] and 2.0 <= (at - side) * outward <= STRIP and
                         framed(side, at)]
                if not walls:
                    continue
                wall = min(walls, key=lambda at: abs(at - side))
                for at, p in across:
                    if 0.5 < (at - side) * outward < abs(wall - side) - 0.5:
                        out.append(('strip', f'a line at ({at:.1f}) is drawn {abs(at - side):.1f} pt past its '
                                             f'axis\'s end at {side:.1f}, in the strip short of the frame\'s side at '
                                             f'{wall:.1f}'))
    return out


def _limit_dashes(sh):
    """The ids of the dashes of points' limits (an MCF plot's): short axis-parallel strokes, two alike (one style,
    one span along) one across from the other in one panel, with a marker centred between them, or one alone whose
    other lies past the panel's side. Such a dash may end by a label and on a line: it is no leader."""
    groups = {}
    for p in sh.paths:
        if not p['single'] or not (p['horiz'] or p['vert']) or p['len'] > 3 * TICK[1]:
            continue
        a, b = p['polys'][0]
        k = 0 if p['horiz'] else 1     # the coordinate along the dash
        groups.setdefault((k, round(min(a[k], b[k]), 2), round(max(a[k], b[k]), 2), p['style']), []).append(
            (a[1 - k], p))
    centres = {}
    for _, b in sh.marks:
        c = _centre(b)
        for k in (0, 1):
            centres.setdefault((k, round(c[k])), []).append((c, b[2 + k] - b[k]))
    out, lone = set(), []
    for (k, lo, hi, _), dashes in groups.items():
        mid = (lo + hi) / 2
        # (a limit's dash is about as wide as its point's marker, at most a quarter wider: two alike leaders of
        # a stack of labels, a marker between them, are longer)
        near = [c[1 - k] for r in (-1, 0, 1) for c, wide in centres.get((k, round(mid) + r), ())
                if abs(c[k] - mid) <= 0.5 and hi - lo <= 1.25 * wide]
        dashes.sort(key=lambda q: q[0])
        for (u, p), (w, q) in zip(dashes, dashes[1:]):
            panel = sh.panel_of(p['polys'][0][0])
            if panel and panel == sh.panel_of(q['polys'][0][0]) and any(u < c < w for c in near):
                out |= {id(p), id(q)}
        # one dash alone, the other's place across the marker past its panel's side (drawn out of sight), where
        # the page's limits have dashes of its style and length
        for u, p in dashes:
            panel = sh.panel_of(p['polys'][0][0])
            if id(p) not in out and panel:
                first, last = (panel[1], panel[3]) if k == 0 else (panel[0], panel[2])
                if any(not first <= 2 * c - u <= last for c in near):
                    lone.append(p)
    kinds = {(p['style'], round(p['len'], 1)) for p in sh.paths if id(p) in out}
    out |= {id(p) for p in lone if (p['style'], round(p['len'], 1)) in kinds}
    return out


def _rows(labels, refs, valued, at):
    """Labels on the row of a level line not their own: the line at the height of the middle half of the label's
    text, under it or ending within a text's height of it on its left or right."""
    out = []
    for t, own in labels:
        box = t['box']
        h = box[3] - box[1]
        mine = {id(p) for p in own} | {id(p) for p in refs if (p['kind'], round(p['at'], 1)) in
                                        {(q['kind'], round(q['at'], 1)) for q in own}}
        hits = []
        for p in refs:
            if p['kind'] != 'y' or id(p) in mine or not box[1] + h / 4 <= p['at'] <= box[3] - h / 4:
                continue
            a, b = p['polys'][0]
            gap = max(min(a[0], b[0]) - box[2], box[0] - max(a[0], b[0]), 0.0)
            if gap <= h:
                hits.append((abs(p['at'] - (box[1] + box[3]) / 2), gap, valued(p)))
        told = set()
        for d, gap, n in sorted(hits):
            if n in told:
                continue   # a line drawn twice (in two strokes)
            told.add(n)
            how = 'runs under it' if gap == 0 else f'ends {gap:.1f} pt beside it'
            out.append(('row', f'{at(t)} (its line at {t["value"]:g}) stands on the row of {n}: the line '
                               f'{how}, {d:.1f} pt from the middle of its text'))
    return out


def _height(t):
    """A label's text height: its font size, where its glyphs tell it, else its box's height."""
    return t.get('size') or t['box'][3] - t['box'][1]


def _far_end(t, pts):
    """The end of a leader away from its label."""
    return max((pts[0], pts[-1]), key=lambda q: _pt_rect(q, t['box']))


def _line_at(w, lines):
    """The reference or intersection line a leader's end w lies on (within LEADER_GAP / 2): the nearest; None."""
    best = min(((_pt_seg(w, *p['polys'][0]), n) for n, p in enumerate(lines)), default=None)
    return lines[best[1]] if best and best[0] <= LEADER_GAP / 2 else None


def _leader_line(w, own, lines):
    """The line a label's leader ends on at w: its own, where one is there (its end where its own line meets
    another, or another's end), else the nearest."""
    return _line_at(w, list(own)) or _line_at(w, lines)


def _leaders(sh, labels, lead, others, at, refs=()):
    """Leaders that cross, that leave their panel's frame or end at the page's edge, or run along an inset's
    border."""
    out = []
    # a solid stroke from a label's box that leaves its panel's frame is that label's leader, whatever it ends on
    taken = {id(p) for p in lead.values()}
    for p in others:
        if id(p) in taken or p['dash'] or p['edge'] or p['len'] <= TICK[1] or len(p['polys']) != 1 or \
                len(p['polys'][0]) > 4:
            continue
        pts = p['polys'][0]
        for u, w in ((pts[0], pts[-1]), (pts[-1], pts[0])):
            d, t = min(((_pt_rect(u, t['box']), t) for t, _ in labels), key=lambda q: q[0], default=(math.inf, None))
            if d > LEADER_GAP or _pt_rect(w, t['box']) <= 0.5 or id(t) in lead:
                continue
            frame = sh.panel_of(_centre(t['box']))
            if max(_pt_rect(q, frame) for q in pts) > FRAME_OUT or _at_edge(w, sh.size):
                lead[id(t)] = p
                break
    joined = [(t, lead[id(t)]['polys'][0]) for t, _ in labels if id(t) in lead]

    def whose(t):
        return f'{at(t)} (its line at {t["value"]:g})'
    for t, pts in joined:
        h = t['box'][3] - t['box'][1]
        frame = sh.panel_of(_centre(t['box']))
        far = max(pts, key=lambda q: _pt_rect(q, frame))
        if _pt_rect(far, frame) > FRAME_OUT:
            out.append(('leaders', f'{whose(t)}: its leader runs {_pt_rect(far, frame):.1f} pt out of its '
                                   f'panel\'s frame, to ({far[0]:.0f},{far[1]:.0f})'))
        for w in (pts[0], pts[-1]):
            if _at_edge(w, sh.size):
                out.append(('leaders', f'{whose(t)}: its leader ends at the page\'s edge '
                                       f'({w[0]:.0f},{w[1]:.0f})'))
        for r in (r for r in sh.boxes if r not in sh.columns):
            along = max(_along(pts, side) for side in ((r[0], r[1], r[2], r[1]), (r[0], r[3], r[2], r[3]),
                                                       (r[0], r[1], r[0], r[3]), (r[2], r[1], r[2], r[3])))
            if along > h:
                out.append(('leaders', f'{whose(t)}: its leader runs {along:.0f} pt along the border of the '
                                       f'box at ({r[0]:.0f},{r[1]:.0f})'))
    owns = {id(t): own for t, own in labels}
    lines = {id(t): _leader_line(_far_end(t, pts), owns[id(t)], list(refs)) for t, pts in joined}
    for n, (t, pts) in enumerate(joined):
        for u, qts in joined[n + 1:]:
            if pts is qts or t['value'] == u['value']:
                continue   # leaders that run into one line: neither label can be taken for the other's
            # leaders of lines too close to end apart may meet where they end
            a, b = lines[id(t)], lines[id(u)]
            close = bool(a and b) and a['kind'] == b['kind'] and _seg_gap(*a['polys'][0], *b['polys'][0]) < \
                ENDS_APART * max(_height(t), _height(u))
            x = _meet(pts, qts, close)
            if x:
                out.append(('leaders', f'the leaders of {whose(t)} and {whose(u)} cross at '
                                       f'({x[0]:.0f},{x[1]:.0f})'))
    return out


def _far_row(sh, t, pts, line, refs, others, lead, at, gap):
    """A label farther than REACH text heights from its upright line, at the end of a level leader (a row of a
    column): its leader crosses no marker, fitted line or limit, and the text stands beside the run of lines it
    labels, within REACH text heights (and the gap beside a line) of another line its leader runs across."""
    out = []
    h, box = _height(t), t['box']
    leaders = {id(p) for p in lead.values()}
    segs = list(zip(pts, pts[1:]))
    for p in others:
        # a single straight stroke along an axis is a reference or intersection line (or a grid line), no data
        if id(p) in leaders or p['edge'] or p['len'] < 15 or p['single'] and (p['vert'] or p['horiz']):
            continue
        if any(_seg_gap(a, b, c, d) < 0.3 for q in p['polys'] for c, d in zip(q, q[1:]) for a, b in segs):
            out.append(('reach', f'{at(t)}: {gap:.1f} pt beside its line, at the end of a leader that crosses a '
                                 f'fitted line or limit'))
            break
    for _, b in sh.marks:
        if any(_seg_rect(a, c, b) == 0.0 for a, c in segs):
            out.append(('reach', f'{at(t)}: {gap:.1f} pt beside its line, at the end of a leader that crosses a '
                                 f'marker at ({(b[0] + b[2]) / 2:.0f},{(b[1] + b[3]) / 2:.0f})'))
            break
    # the upright lines between the text and its own line, across the way its leader runs (reference and
    # intersection lines, labelled or not)
    near_edge = box[2] if line['at'] > box[2] else box[0]
    lo, hi = sorted((near_edge, line['at']))
    ups = [p['at'] for p in refs if p['kind'] == 'x' and p['panel'] == line['panel'] and p is not line]
    ups += [p['polys'][0][0][0] for p in others if id(p) not in leaders and not p['edge'] and p['single'] and p['vert']
            and sh.panel_of(_centre((p['polys'][0][0][0], min(q[1] for q in p['polys'][0]),
                                     p['polys'][0][0][0], max(q[1] for q in p['polys'][0])))) == line['panel']]
    # (a line under the text, on its ground, is one of the run; so is its own line)
    run = [abs(x - near_edge) for x in ups if lo < x < hi] + [0.0 for x in ups if box[0] <= x <= box[2]] + [gap]
    if min(run) > REACH * h + _gap(sh.road, h) + 1.0:
        out.append(('reach', f'{at(t)}: {gap:.1f} pt beside its line, farther than {REACH:g} text heights from '
                             f'it and from any line its leader runs across: not beside the run of lines it labels'))
    return out


def _joined(sh, labels, lead, led, refs, others, grid, at):
    """Labels at the end of a leader: the label stands near its line (reach), the leader ends on its own line
    and apart from the others' ends (ends), and it is drawn thinner than its panel's fitted lines, in the
    reference lines' colour (thin)."""
    out = []
    owns = {id(t): own for t, own in labels}
    mine = [(t, lead[id(t)]['polys'][0]) for t, _ in labels if id(t) in led]
    ends = {}
    for t, pts in mine:
        h = _height(t)
        box = t['box']
        w = _far_end(t, pts)
        line = min(owns[id(t)], key=lambda p: _pt_seg(w, *p['polys'][0]))
        ends[id(t)] = (w, line)
        d = _pt_seg(w, *line['polys'][0])
        if d > ENDS_ON:
            out.append(('ends', f'{at(t)}: its leader ends {d:.1f} pt off its line, at ({w[0]:.0f},{w[1]:.0f})'))
        # the gap to the line itself (a text past a line's end is as far from it as from its end): of its lines
        # of one direction that the leader ends on, the nearest (a value's lines drawn for several groups end at
        # several places along one line)
        on = [p for p in owns[id(t)] if p['kind'] == line['kind'] and _pt_seg(w, *p['polys'][0]) <= max(d, ENDS_ON)]
        line = min(on, key=lambda p: _seg_rect(*p['polys'][0], box), default=line)
        gap = _seg_rect(*line['polys'][0], box)
        if line['kind'] == 'y':
            how, level = ('above' if box[3] <= line['at'] else 'below') + ' its line', False
        else:
            how, level = 'beside its line, its leader not level', max(q[1] for q in pts) - min(q[1] for q in pts) < 0.5
        if gap > (REACH + REACH_SLACK) * h and not level:
            out.append(('reach', f'{at(t)}: {gap:.1f} pt {how}, farther than {REACH:g} text heights '
                                 f'({REACH * h:.1f} pt) at the end of its leader'))
        elif gap > (REACH + REACH_SLACK) * h:
            out += _far_row(sh, t, pts, line, refs, others, lead, at, gap)
    for n, (t, _) in enumerate(mine):
        for u, _ in mine[n + 1:]:
            (w, a), (x, b) = ends[id(t)], ends[id(u)]
            h = ENDS_APART * max(_height(t), _height(u))
            if a is b or a['kind'] == b['kind'] and _seg_gap(*a['polys'][0], *b['polys'][0]) < h:
                continue   # lines that run side by side closer than that (lines that cross meet: not)
            d = math.hypot(w[0] - x[0], w[1] - x[1])
            if d < h:
                out.append(('ends', f'the leaders of {at(t)} and {at(u)} end {d:.1f} pt apart, at '
                                    f'({w[0]:.0f},{w[1]:.0f}): less than half a text height'))
    # the panel's fitted lines: straight strokes across it that are no reference line and no leader (their
    # ends at no label)
    leaders = {id(p) for p in lead.values()}
    boxes = [t['box'] for t, _ in labels]
    fitted = {}
    for p in others:
        if id(p) in leaders or p['edge'] or p['len'] < 40 or p['single'] and (p['vert'] or p['horiz']):
            continue
        pts = max(p['polys'], key=_length)
        a, b = pts[0], pts[-1]
        if any(_pt_seg(q, a, b) > 0.5 for q in pts) or any(_pt_rect(q, r) <= LEADER_GAP for q in (a, b) for r in boxes):
            continue
        panel = sh.panel_of(_centre((min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1]))))
        if panel:
            fitted.setdefault(panel, []).append(p)
    colours = {}
    for p in refs:
        colours.setdefault(p['panel'], set()).add(p['style'][1])
    for t, _ in labels:
        if id(t) not in lead:
            continue
        p = lead[id(t)]
        panel = sh.panel_of(_centre(t['box']))
        width = float(p['style'][2] or 1.0)
        fits = fitted.get(panel, [])
        thinnest = min((float(q['style'][2] or 1.0) for q in fits), default=None)
        if thinnest is not None and width >= thinnest - 0.01:
            out.append(('thin', f'{at(t)}: its leader is drawn {width:g} pt wide, the fitted lines of its panel '
                                f'{thinnest:g} pt'))
        if colours.get(panel) and p['style'][1] not in colours[panel]:
            out.append(('thin', f'{at(t)}: its leader is drawn in {p["style"][1][7:] or "black"}, the reference '
                                f'lines in {", ".join(sorted(c[7:] for c in colours[panel]))}'))
    return out


def _at_edge(w, size):
    return bool(size) and (w[0] <= size[0] + 0.5 or w[0] >= size[2] - 0.5 or w[1] <= size[1] + 0.5 or
                           w[1] >= size[3] - 0.5)


def _along(pts, side):
    """How long polyline pts runs within ALONG points of an axis-parallel side (x0, y0, x1, y1)."""
    total = 0.0
    horiz = side[1] == side[3]
    for a, b in zip(pts, pts[1:]):
        # the part of ab whose distance across the side is ALONG or less and that lies beside the side
        lo, hi = 0.0, 1.0
        for k, c0, c1 in ((1, side[1] - ALONG, side[3] + ALONG), (0, side[0], side[2])) if horiz else \
                ((0, side[0] - ALONG, side[2] + ALONG), (1, side[1], side[3])):
            d = b[k] - a[k]
            if abs(d) < 1e-9:
                if not c0 <= a[k] <= c1:
                    lo, hi = 1.0, 0.0
                continue
            t0, t1 = sorted(((c0 - a[k]) / d, (c1 - a[k]) / d))
            lo, hi = max(lo, t0), min(hi, t1)
        if hi > lo:
            total += (hi - lo) * math.hypot(b[0] - a[0], b[1] - a[1])
    return total


def _meet(pts, qts, close=False):
    """Where two leaders cross or touch (come within CROSS_GAP points), unless their lines are close and it is
    where both end (leaders of lines too close to end apart run into one place: they touch there, and cross
    nowhere but at an end of one); None."""
    ends = (pts[0], pts[-1], qts[0], qts[-1])

    def at_end(x, e):
        return close and min(math.hypot(x[0] - q[0], x[1] - q[1]) for q in e) <= FAN
    for a, b in zip(pts, pts[1:]):
        for c, d in zip(qts, qts[1:]):
            x = _intersection(a, b, c, d)
            if x and min(math.hypot(x[0] - q[0], x[1] - q[1]) for q in (a, b, c, d)) > 0.05:
                return x   # across each other
            cands = [x] if x else []
            for p, (u, v) in ((a, (c, d)), (b, (c, d)), (c, (a, b)), (d, (a, b))):
                if _pt_seg(p, u, v) <= CROSS_GAP:
                    cands.append(p)
            for x in cands:
                if not (at_end(x, ends[:2]) and at_end(x, ends[2:])):
                    return x
    return None


def _intersection(a, b, c, d):
    """The point where segments ab and cd cross, or None."""
    r = (b[0] - a[0], b[1] - a[1])
    s = (d[0] - c[0], d[1] - c[1])
    den = r[0] * s[1] - r[1] * s[0]
    if abs(den) < 1e-12:
        return None
    t = ((c[0] - a[0]) * s[1] - (c[1] - a[1]) * s[0]) / den
    u = ((c[0] - a[0]) * r[1] - (c[1] - a[1]) * r[0]) / den
    if 0 <= t <= 1 and 0 <= u <= 1:
        return (a[0] + t * r[0], a[1] + t * r[1])
    return None


def _bands(labels, led, at):
    """Labels of two close parallel lines side by side in the band between them, neither with a leader."""
    out = []
    free = [(t, own) for t, own in labels if id(t) not in led]
    for n, (t, own) in enumerate(free):
        for u, own2 in free[n + 1:]:
            a, b = t['box'], u['box']
            la, lb = _own_line(a, own), _own_line(b, own2)
            if la['kind'] != lb['kind'] or own[0]['panel'] != own2[0]['panel']:
                continue   # panels side by side have rows of their own; lines across each other, no band
            if t['text'] == u['text']:
                continue   # one text for both lines: either way each line reads as named
            if _band_pair(a, b, la['kind'], la['at'], lb['at'], max(_height(t), _height(u))):
                p1, p2 = sorted((la['at'], lb['at']))
                out.append(('band', f'{at(t)} and {at(u)} share the band between their lines ({p2 - p1:.1f} pt apart) '
                                    f'without a leader: which is whose is a guess'))
    return out


def _ends(sh, prog, others, seen):
    """Percentile labels of a relation plot and the ends of their lines."""
    out = []
    if not prog or not prog.plotfit:
        return out
    for panel in sh.panels:
        labs = []
        reach = (panel[0], panel[1], panel[2] + 40, panel[3])   # the labels may stand beyond the frame's end
        for n, t in enumerate(sh.texts):
            v = _number(t['text'])
            c = _centre(t['box'])
            if v is None or v not in prog.plotfit or n in sh.ticklabels or sh.in_box(t) or not _inside(c, reach):
                continue
            labs.append((v, t))
        if len(labs) < 2:
            continue
        col = sum(_centre(t['box'])[0] for _, t in labs) / len(labs)
        lines = []
        for p in others:
            if p['single'] and (p['vert'] or p['horiz']):
                continue
            pts = max(p['polys'], key=_length)
            if _length(pts) < 40 or not all(_inside(q, panel, 0.5) for q in (pts[0], pts[-1])):
                continue
            end = min((pts[0], pts[-1]), key=lambda q: abs(q[0] - col))
            lines.append((end, pts, p))
        seen['percentiles'] += len(labs)
        if VERBOSE[0]:
            print('  percentile labels', sorted(v for v, _ in labs), 'lines', len(lines))
        if len(lines) != len(labs):
            out.append(('end', f'{len(labs)} percentile labels and {len(lines)} lines in the panel at '
                               f'({panel[0]:.0f},{panel[1]:.0f}): cannot pair them'))
            continue
        # the higher percentile has the longer life: higher on the page where the axis grows upwards
        x = sorted(e[0] for e, _, _ in lines)[len(lines) // 2]

        def y_at(pts):
            best = None
            for a, b in zip(pts, pts[1:]):
                if a[0] != b[0]:
                    d = 0 if min(a[0], b[0]) <= x <= max(a[0], b[0]) else min(abs(a[0] - x), abs(b[0] - x))
                    if best is None or d < best[0]:
                        best = (d, a[1] + (x - a[0]) * (b[1] - a[1]) / (b[0] - a[0]))
            return best[1] if best else pts[-1][1]
        up = True
        for ax in sh.axes:
            if ax.kind == 'y' and ax.f and len(ax.pairs) >= 2 and panel[1] - 1 <= ax.lo <= panel[3] + 1:
                up = ax.pairs[-1][1] < ax.pairs[0][1]   # values fall as the page's y grows
                break
        lines.sort(key=lambda q: -y_at(q[1]) if up else y_at(q[1]))
        labs.sort(key=lambda q: q[0])
        for k, (v, t) in enumerate(labs):
            end = lines[k][0]
            box = t['box']
            d_own = _pt_rect(end, box)
            j = None
            for p in others:
                if p is lines[k][2] or p['len'] > 200:
                    continue
                for pts in p['polys']:
                    for u, w in ((pts[0], pts[-1]), (pts[-1], pts[0])):
                        if _pt_rect(u, box) <= LEADER_GAP and math.hypot(w[0] - end[0], w[1] - end[1]) <= LEADER_GAP:
                            j = p
            if j:
                continue
            near = [(_pt_rect(e, box), lines[n][2], labs[n][0]) for n, (e, _, _) in enumerate(lines) if n != k]
            d, _, w = min(near, key=lambda q: q[0])
            if d < d_own + EPS:
                out.append(('end', f'"{t["text"]}" ({box[0]:.0f},{box[1]:.0f}): {d:.1f} pt from the end of the '
                                   f'{w:g} line, {d_own:.1f} pt from its own'))
    return out


def _outside(sh, prog, labels, matching, orient):
    """Reference and intersection labels that leave their panel: over the axes' tick labels and titles, or into
    another panel (a label read in a panel whose box crosses its edge; a text outside every panel that is a label
    the program gives, or a number, not a tick label, that reads a line's value, written as the page writes a
    value read off: a group's number in the strip beside a panel is none)."""
    out = []
    for t, own in labels:
        panel = sh.panel_of(_centre(t['box']))
        if not _inside(t['box'][:2], panel, 0.5) or not _inside(t['box'][2:], panel, 0.5):
            out.append(('panel', f'"{t["text"]}" ({t["box"][0]:.0f},{t["box"][1]:.0f}) crosses the edge of its panel'))
    def overlap(a, b):
        return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]
    # the boxes of texts beside the panels (legends, insets in the margins); a column's box that runs out of its
    # panel holds labels that have left it
    beside = [r for r in sh.boxes if not any(overlap(r, p) for p in sh.panels)]
    for n, t in enumerate(sh.texts):
        c = _centre(t['box'])
        if not t['text'] or n in sh.ticklabels or sh.panel_of(c) or any(_inside(c, r) for r in beside):
            continue
        given = prog.given(t['text']) if prog else []
        v = None if given else _number(t['text'])
        if given:
            draws = _orient(sh)
            own = [p for kw, w in given for p in matching(orient.get(kw, ('x', 'y')), w) if draws(kw, p)]
        elif v is not None and prog and prog.values and not _not_a_value(sh, prog, t, v) and \
                t['text'].replace('−', '-').rstrip('%') in (f'{v:.2f}', _fmt4(v)):
            # a value read off: its line runs across its panel (a curve's steps and counts do not)
            own = [p for p in matching(('x', 'y'), v, _half_unit(t['text']))
                   if p['len'] >= 0.9 * (p['panel'][3] - p['panel'][1] if p['kind'] == 'x' else
                                         p['panel'][2] - p['panel'][0])]
        else:
            own = []
        if own:
            out.append(('panel', f'"{t["text"]}" ({t["box"][0]:.0f},{t["box"][1]:.0f}) stands outside the panel of '
                                 f'its lines'))
    return out


INSET_LINE = 0.5      # points: an inset hides less of the lines than another where the lengths differ by more


def _data_lines(sh, insets):
    """The segments of the fitted lines, confidence limits and curves: strokes of more than one segment or not
    axis-parallel, but the grid's, the sides of frames and boxes, and leaders (solid strokes bent at most twice
    from the box of a text in a panel, not in one of the insets, to a line inside the panel, off its sides)."""
    grid = _grid_styles(sh)
    texts = [t['box'] for t in sh.texts if sh.panel_of(_centre(t['box'])) and
             not any(_inside(_centre(t['box']), r) for r in insets)]
    # the lines a leader may end on: single axis-parallel strokes, no grid line, that start at a side of their
    # panel (a curve's or a limit's step does not)
    lines = []
    for p in sh.paths:
        if (p['vert'] or p['horiz']) and p['style'] not in grid:
            (a, b), k = p['polys'][0], 1 if p['vert'] else 0
            panel = sh.panel_of(_centre((min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1]))))
            if panel and (min(a[k], b[k]) <= panel[k] + FROM_SIDE or max(a[k], b[k]) >= panel[k + 2] - FROM_SIDE):
                lines.append((a, b))

    # a straight fitted line drawn in the style of the page's curves (its limits) is none, whatever text its
    # end comes near: leaders have a style of their own
    curves = {p['style'] for p in sh.paths if any(len(pts) > 4 for pts in p['polys']) and not p['rect'] and
              not p.get('edge') and p['style'] not in grid}

    def leader(p):
        if p['dash'] or any(len(pts) > 4 for pts in p['polys']) or p['style'] in curves:
            return False
        for pts in p['polys']:
            for u, w in ((pts[0], pts[-1]), (pts[-1], pts[0])):
                panel = sh.panel_of(w)
                if panel and min(abs(w[0] - panel[0]), abs(w[0] - panel[2]), abs(w[1] - panel[1]),
                                 abs(w[1] - panel[3])) > 0.5 and any(_pt_rect(u, b) <= LEADER_GAP for b in texts) and \
                        any(_pt_seg(w, a, b) <= LEADER_GAP / 2 for a, b in lines):
                    return True
        return False
    out = []
    for p in sh.paths:
        if p['style'] in grid or p['rect'] or p.get('edge') or p['vert'] or p['horiz'] or leader(p):
            continue
        out += [(a, b) for pts in p['polys'] for a, b in zip(pts, pts[1:])]
    return out


def _apart(sh, labels, at):
    """Labels nearer an inset's box (a box of texts in their panel, no column of labels) than INSET_APART text
    heights: a label there reads as a row of the inset (the rule of the labels left out keeps them as far)."""
    out = []
    boxes = [r for r in sh.boxes if r not in getattr(sh, 'columns', ()) and sh.panel_of(_centre(r))]
    for t, _ in labels:
        h = _height(t)
        for r in boxes:
            gap = _rect_gap(t['box'], r)
            if gap < INSET_APART * h - APART_SLACK:
                out.append(('inset', f'{at(t)}: {gap:.1f} pt from the box at ({r[0]:.0f},{r[1]:.0f}), nearer than '
                                     f'{INSET_APART:g} text height: it reads as a row of that box'))
                break
    return out


def _insets(sh, seen):
    """Insets at a panel's corner (or a side's middle, on the statistical road, which stands them there too) that
    hide more of the data than a box of their size at another such place would,
    whatever labels stand there (the labels give way to an inset that hides no data): more markers (their centres),
    else as many and more of the fitted lines and limits, the dashes of points' limits among them (by INSET_LINE
    points of their length)."""
    out = []
    insets = []
    for r in sh.boxes:
        if r in getattr(sh, 'columns', ()):
            continue   # a column of labels on a ground of its own
        panel = sh.panel_of(_centre(r))
        if not panel or (r[2] - r[0]) * (r[3] - r[1]) > 0.6 * (panel[2] - panel[0]) * (panel[3] - panel[1]):
            continue
        mx = min(r[0] - panel[0], panel[2] - r[2])
        my = min(r[1] - panel[1], panel[3] - r[3])
        # the statistical road also stands an inset in the middle of a side (centred along it)
        sides = sh.road == 'statistical'
        cx = sides and abs(r[0] + r[2] - panel[0] - panel[2]) < 2 and my <= 15
        cy = sides and abs(r[1] + r[3] - panel[1] - panel[3]) < 2 and mx <= 15
        if cx or cy:
            mx = my = my if cx else mx
        if mx > 15 or my > 15 or mx < -1 or my < -1:
            continue   # at no corner, nor in the middle of a side
        insets.append((r, panel, mx, my))
    lines = _data_lines(sh, [r for r, _, _, _ in insets]) if insets else []
    # the points' limits drawn as dashes (an MCF plot's on the device road) are limits as well
    if insets:
        dashes = _limit_dashes(sh)
        lines += [tuple(p['polys'][0]) for p in sh.paths if id(p) in dashes]
    for r, frame, mx, my in insets:
        seen['insets'] += 1
        w, h = r[2] - r[0], r[3] - r[1]
        xs = {'W': frame[0] + mx, 'E': frame[2] - mx - w}
        ys = {'N': frame[1] + my, 'S': frame[3] - my - h}
        if sh.road == 'statistical':
            xs[''] = (frame[0] + frame[2] - w) / 2
            ys[''] = (frame[1] + frame[3] - h) / 2
        pts = [_centre(b) for _, b in sh.marks if _inside(_centre(b), frame)]
        near = [(a, b) for a, b in lines if _clip(a, b, frame)]

        def held(b):
            """The markers whose centres the box holds, and the length of the lines inside it."""
            length = 0.0
            for u, v in near:
                c = _clip(u, v, b)
                if c:
                    length += math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1])
            return sum(1 for p in pts if _inside(p, b)), length

        def more(a, b):
            return a[0] > b[0] or a[0] == b[0] and a[1] > b[1] + INSET_LINE
        here = held(r)
        best = None
        for cy in ys:
            for cx in xs:
                if not cx and not cy:
                    continue   # the middle of the frame is no place of an inset
                b = (xs[cx], ys[cy], xs[cx] + w, ys[cy] + h)
                if abs(b[0] - r[0]) < 1 and abs(b[1] - r[1]) < 1:
                    continue
                n = held(b)
                if best is None or more(best[0], n):
                    best = (n, cy + cx)
        if VERBOSE[0]:
            print('  inset', tuple(round(v) for v in r), 'in', tuple(round(v) for v in frame), 'holds', here[0],
                  f'and {here[1]:.1f} pt of lines; best', best and (best[0][0], round(best[0][1], 1), best[1]))
        if best and more(here, best[0]):
            (n, length), at = best
            if here[0] > n:
                out.append(('inset', f'the inset at ({r[0]:.0f},{r[1]:.0f}) holds {here[0]} marker(s); at {at} it '
                                     f'would hold {n}'))
            else:
                out.append(('inset', f'the inset at ({r[0]:.0f},{r[1]:.0f}) hides {here[1]:.0f} pt of the fitted '
                                     f'lines and limits; at {at} it would hide {length:.0f} pt'))
    return out


# ---- labels left out where a place keeps every rule

def _gap(road, h):
    return GAP_STATISTICAL if road == 'statistical' else GAP_DEVICE * h


def _above(road, h):
    return GAP_STATISTICAL if road == 'statistical' else ABOVE_DEVICE * h


def _grow(r, dx, dy):
    return (r[0] - dx, r[1] - dy, r[2] + dx, r[3] + dy)


def _overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def _on_row(a, b):
    return min(a[3], b[3]) - max(a[1], b[1]) >= 0.5 * min(a[3] - a[1], b[3] - b[1])


def _order_pair(a, b, kind, p1, p2, h):
    """Whether boxes a and b of labels of parallel lines at p1 and p2 stack across them in the other order (labels
    of upright lines side by side: on a row, sharing more of their height than ROW_SHARE text heights h)."""
    if abs(p1 - p2) < 0.3:
        return False
    if kind == 'y':
        stacked, c1, c2 = a[0] < b[2] and b[0] < a[2], _centre(a)[1], _centre(b)[1]
    else:
        stacked, c1, c2 = min(a[3], b[3]) - max(a[1], b[1]) > ROW_SHARE * h, _centre(a)[0], _centre(b)[0]
    return stacked and abs(c1 - c2) > 0.5 and (c1 - c2) * (p1 - p2) < 0


def _own_line(box, own):
    """The label's own line nearest its box: a text the program gives lines at two values (of one direction or
    of both) labels the one it stands beside (a band between its other line and another's holds no guess); a
    side of the frame that stands for a line (of a value just past the axis's end) only where it has no other."""
    return min([p for p in own if not p.get('edge')] or own, key=lambda p: _seg_rect(p['polys'][0][0],
                                                                                      p['polys'][0][1], box))


def _band_pair(a, b, kind, p1, p2, h):
    """Whether boxes a and b of labels (of text height h) of close parallel lines at p1 and p2 share the band
    between them: lines closer than the drawing keeps them, by the text's height (not its ink's, shorter for
    digits or small letters)."""
    p1, p2 = sorted((p1, p2))
    if p2 - p1 < 0.3:
        return False
    if kind == 'y':
        near, lo, hi = p2 - p1 < BAND * h, 1, 3
    else:
        near, lo, hi = p2 - p1 < max(a[2] - a[0], b[2] - b[0]) + h, 0, 2
    shared = min(a[hi], b[hi]) - max(a[lo], b[lo]) > 0.5
    between = all(p1 - 0.5 <= r[lo] and r[hi] <= p2 + 0.5 for r in (a, b))
    return near and shared and between


def _reads_as(shown, asked):
    """Whether a page's text shows a label's text: a character not read back matches any; one not ASCII (the
    font's or the text's bytes may show it otherwise) matches any, but a text of ASCII letters shows a label only
    where it shows at least half of its characters as they are; a text of bytes that are no UTF-8 shows them one
    character each; a long label cut to the room it has shows its start."""
    s = shown.strip()
    if not s:
        return False
    for a in {asked.strip(), asked.encode('utf-8', 'surrogateescape').decode('latin-1').strip()}:
        if (len(s) == len(a) or 8 <= len(s) < len(a)) and \
                all(x == y or x in '?\ufffd' or ord(x) > 127 or ord(y) > 127 for x, y in zip(s, a)) and \
                2 * sum(x != y and x not in '?\ufffd' and ord(x) <= 127 for x, y in zip(s, a)) <= min(len(s), len(a)):
            return True
    return False


def _fmt4(v):
    """A value with four significant digits, as the device road writes a value read off."""
    s = f'{v:#.4g}'
    if 'e' in s:
        m, e = s.split('e')
        return f'{m.rstrip(".")}E{int(e)}'
    return s.rstrip('.')


def _seg_gap(a, b, c, d):
    """The gap between segments ab and cd."""
    if _intersection(a, b, c, d):
        return 0.0
    return min(_pt_seg(a, c, d), _pt_seg(b, c, d), _pt_seg(c, a, b), _pt_seg(d, a, b))


class _Grid:
    """Things by the cells of the page they lie in, so that a place looks up only what is near it."""

    def __init__(self):
        self.cells = {}

    def add(self, box, item):
        for gx in range(int(box[0] // ROOM_CELL), int(box[2] // ROOM_CELL) + 1):
            for gy in range(int(box[1] // ROOM_CELL), int(box[3] // ROOM_CELL) + 1):
                self.cells.setdefault((gx, gy), []).append(item)

    def add_segment(self, a, b, item):
        n = max(1, int(math.hypot(b[0] - a[0], b[1] - a[1]) // ROOM_CELL))
        for k in range(n):
            u = (a[0] + (b[0] - a[0]) * k / n, a[1] + (b[1] - a[1]) * k / n)
            w = (a[0] + (b[0] - a[0]) * (k + 1) / n, a[1] + (b[1] - a[1]) * (k + 1) / n)
            self.add((min(u[0], w[0]), min(u[1], w[1]), max(u[0], w[0]), max(u[1], w[1])), item)

    def near(self, box):
        seen, out = set(), []
        for gx in range(int(box[0] // ROOM_CELL), int(box[2] // ROOM_CELL) + 1):
            for gy in range(int(box[1] // ROOM_CELL), int(box[3] // ROOM_CELL) + 1):
                for item in self.cells.get((gx, gy), ()):
                    if id(item) not in seen:
                        seen.add(id(item))
                        out.append(item)
        return out


def _orient(sh):
    """Whether a list draws a line: HREF= and SREF= upright ('x') (SREF= on a panel without a probability axis),
    VREF= level ('y'); PREF= at the probability axis of the line's panel and LREF= at the other (a panel without one,
    a relation plot's, draws LREF= level)."""
    prob = {}

    def kinds(panel):
        """The directions of the panel's probability axes: of the labelled axes across its span, the nearest."""
        if panel not in prob:
            prob[panel] = set()
            for k in 'xy':
                lo, hi = (panel[0], panel[2]) if k == 'x' else (panel[1], panel[3])
                near, far = (panel[1], panel[3]) if k == 'x' else (panel[0], panel[2])
                axes = [ax for ax in sh.axes if ax.kind == k and ax.f and ax.lo < hi and lo < ax.hi]
                if axes:
                    ax = min(axes, key=lambda a: max(near - a.base, a.base - far, 0.0))
                    if ax.name in PROB_AXES:
                        prob[panel].add(k)
        return prob[panel]

    def draws(kw, p):
        k = p['kind']
        if kw == 'sref':   # at the stresses: on a relation plot's panel, not on the probability plot beside it
            return k == 'x' and not kinds(p['panel'])
        if kw == 'href':
            return k == 'x'
        if kw == 'vref':
            return k == 'y'
        at = kinds(p['panel'])
        if kw == 'pref':
            return k in at
        return k not in at if at else k == 'y'
    return draws


class _Ask:
    """A label the program asks for in a panel: its text, its lines (every line of its kind at its place), and
    whether a value read off (its text then only as wide as the page would write it)."""

    def __init__(self, panel, text, own, value, read_off=False, intersect=False):
        self.panel, self.text, self.own, self.value, self.read_off = panel, text, own, value, read_off
        self.intersect = intersect
        self.kind, self.at = own[0]['kind'], own[0]['at']


def _asked(sh, prog, cands, labels, matching, lead=None):
    """The labels the program asks for on a page, and the texts that show them: ([_Ask], {id(ask): text}); lead:
    label -> the stroke that joins it to a line."""
    draws = _orient(sh)
    mine = {id(p) for p in cands}   # no leader, though it stands where a value reads

    def lines_at(p):
        return [q for q in cands if q['panel'] == p['panel'] and q['kind'] == p['kind'] and
                abs(q['at'] - p['at']) < 0.3]
    # the texts that may show a label: none of the axes' numbers, nor an inset's or a legend's (nor a text an inset
    # hides: the sheet leaves it out); a text outside every panel belongs to the nearest
    shown = []
    insets = [r for r in sh.boxes if r not in getattr(sh, 'columns', [])]
    for n, t in enumerate(sh.texts):
        if not t['text'] or n in sh.ticklabels or any(_inside(_centre(t['box']), r) for r in insets):
            continue
        panel = sh.panel_of(_centre(t['box'])) or min(sh.panels, key=lambda r: _rect_gap(r, t['box']), default=None)
        if panel:
            shown.append((t, panel))

    def present(asks):
        """{id(ask): text} of the asks a text shows: each text shows one label, the one it writes whole before one
        it shows the start of, the nearest of its lines first (a text's leader ends by its own line)."""
        pairs = []
        for n, a in enumerate(asks):
            for j, (t, p) in enumerate(shown):
                if p == a.panel and _reads_as(t['text'], a.text):
                    whole = len(t['text'].strip()) >= len(a.text.strip())
                    d = min(_seg_rect(q['polys'][0][0], q['polys'][0][1], t['box']) for q in a.own)
                    if lead and id(t) in lead:
                        w = _far_end(t, lead[id(t)]['polys'][0])
                        d = min(d, min(_pt_seg(w, *q['polys'][0]) for q in a.own) - LEADER_GAP)
                    pairs.append((not whole, d, n, j))
        got, used = {}, set()
        for _, _, n, j in sorted(pairs):
            if id(asks[n]) not in got and j not in used:
                got[id(asks[n])] = shown[j][0]
                used.add(j)
        return got

    per = []
    crossed = {}   # statement -> [(line, whether labelled)] of its INTERSECT lists: a panel's line nearest each value
    for st in prog.statements:
        asks, keys, found = [], set(), 0
        values = [(kw, v) for kw, (pairs, _) in st.items() for v, _ in pairs]
        nearest = {}

        def off(p, v):
            """How much farther from line p value v reads than the statement's value nearest it: a stroke is the
            line of that value (a value off its axis draws none, though it reads within 0.3 pt of a drawn one). A
            dashed line just inside a side where no value reads stands for the side as well (the line at the
            axis's end, drawn clear of the border): it is the line of the value nearest either place."""
            if id(p) not in nearest:
                places = [q for q in (p['axis'].place(w) for kw, w in values if draws(kw, p)) if q is not None]
                nearest[id(p)] = [(at, min((abs(q - at) for q in places), default=0.0)) for at in _stands_for(p)]
                if nearest[id(p)][0][1] <= 0.05:
                    del nearest[id(p)][1:]
            return min(abs(p['axis'].place(v) - at) - near for at, near in nearest[id(p)])
        for kw, (pairs, inter) in st.items():
            for v, text in pairs:
                lines = [p for p in matching(('x', 'y'), v) if draws(kw, p) and id(p) in mine and off(p, v) <= 0.05]
                found += bool(lines)
                if inter:   # the strokes at the place nearest the value (the statistical road draws one a group)
                    for panel in {p['panel'] for p in lines}:
                        mine_here = [p for p in lines if p['panel'] == panel]
                        at = min(mine_here, key=lambda p: abs(p['axis'].place(v) - p['at']))['at']
                        crossed.setdefault(id(st), []).extend((p, bool(text.strip())) for p in mine_here
                                                             if abs(p['at'] - at) < 0.05)
                if not text.strip():
                    continue
                # a value draws one line in a panel: the strokes that read it there (an intersection line a hair
                # from it too) are that line, its label asked for once
                for panel, kind in dict.fromkeys((p['panel'], p['kind']) for p in lines):
                    here = sorted((p for p in lines if p['panel'] == panel and p['kind'] == kind),
                                  key=lambda p: abs(p['axis'].place(v) - p['at']))
                    own = list({id(q): q for p in here for q in lines_at(p)}.values())
                    own.sort(key=lambda q: id(q) != id(here[0]))
                    key = (panel, text, kind, round(here[0]['at']))
                    if key not in keys and not any(a.panel == panel and a.text == text and a.kind == kind and
                                                   {id(q) for q in a.own} & {id(q) for q in own} for a in asks):
                        keys.add(key)
                        asks.append(_Ask(panel, text, own, v, intersect=inter))
        showing = present(asks)
        # (ties go to the statement whose labels the page writes most as they are: two statements that label one
        # value alike, a character beyond ASCII apart, read alike)
        alike = sum(x == y for a in asks if id(a) in showing
                    for x, y in zip(showing[id(a)]['text'].strip(), a.text.strip()))
        per.append(((len(showing), found, alike), asks, st))
    # the statement that drew the page: the one whose labels it shows most, else whose lines it draws most
    best = max((score for score, _, _ in per), default=(0, 0, 0))
    if best[:2] == (0, 0):
        return [], {}
    asks, keys, inter = [], set(), {}
    for score, q, st in per:
        for r, labelled in crossed.get(id(st), []) if score == best else ():
            inter[id(r)] = (r, labelled or inter.get(id(r), (r, False))[1])
        for a in q if score == best else ():
            key = (a.panel, a.text, a.kind, round(a.at))   # statements alike ask alike
            if key not in keys:
                keys.add(key)
                asks.append(a)
    # the values read off: an intersection line crosses a labelled line of a list with INTERSECT where a fitted
    # line crosses it; it is no line of a list itself
    listed = {id(p) for st in prog.statements for kw, (pairs, _) in st.items() for v, _ in pairs
              for p in matching(('x', 'y'), v) if draws(kw, p)}
    curves = _Grid()
    for p in sh.paths:
        if not p['rect'] and not (p['single'] and (p['vert'] or p['horiz'])):
            for pts in p['polys']:
                for u, w in zip(pts, pts[1:]):
                    curves.add_segment(u, w, (u, w))
    def gap(p, r):
        """How far from a fitted line intersection line p crosses reference line r (None: it does not cross it
        within 2 points of one)."""
        if p['panel'] != r['panel'] or p['kind'] == r['kind']:
            return None
        c = (p['at'], r['at']) if p['kind'] == 'x' else (r['at'], p['at'])
        if _pt_seg(c, *r['polys'][0]) > 1.0 or _pt_seg(c, *p['polys'][0]) > 1.0:
            return None
        box = (c[0] - 2, c[1] - 2, c[0] + 2, c[1] + 2)
        return min((_pt_seg(c, u, w) for u, w in curves.near(box) if _clip(u, w, box)), default=None)
    def owner(p):
        """The INTERSECT line whose intersection line p is: the one it stops at, where it stops short of the
        frame (the statistical road); else (the device road draws it across the frame, over the other lines and
        where other groups' fitted lines cross them) the one drawn last before it; None."""
        other = [(r, labelled) for r, labelled in inter.values() if r['panel'] == p['panel'] and r['kind'] != p['kind']]
        a, b = p['polys'][0]
        lo, hi = (p['panel'][1], p['panel'][3]) if p['kind'] == 'x' else (p['panel'][0], p['panel'][2])
        if abs(a[0] - b[0]) + abs(a[1] - b[1]) < 0.95 * (hi - lo):
            ends = [(gap(p, r), labelled) for r, labelled in other
                    if min(_pt_seg(q, *r['polys'][0]) for q in (a, b)) <= 1.0]
            ends = [e for e in ends if e[0] is not None]
            return min(ends) if ends else None
        before = [(r['i'], labelled) for r, labelled in other if r['i'] < p['i']]
        return max(before) if before else None
    # an intersection line crosses an INTERSECT line where a fitted line crosses it (or would: a fitted line drawn
    # over the axis's range only); its value is read off with a label where its own line has one
    values = []
    sh.unlabelled = []   # the intersection lines of INTERSECT lines without a label: lines that ask for none
    for p in cands:
        if id(p) in listed or not any(gap(p, r) is not None for r, _ in inter.values()):
            continue
        mine = owner(p)
        if mine and not mine[1]:
            sh.unlabelled.append(p)
        if not mine or not mine[1]:
            continue
        v = p['axis'].value(p['at'])
        if v is None or any(b.panel == p['panel'] and b.kind == p['kind'] and abs(b.at - p['at']) < 0.3
                            for b in values):
            continue
        values.append(_Ask(p['panel'], None, lines_at(p), v, True))
    # a value read off shows where a number in its panel reads its line's place
    written = []
    for t, panel in shown:
        v = _number(t['text'])
        if v is None:
            continue
        written.append((t, panel, v))
    fixed = [t['text'] for t, own in labels if _number(t['text']) is not None and not prog.given(t['text'])]
    two = bool(fixed) and all(re.match(r'^-?\d+\.\d\d$', x) for x in fixed) or not fixed and sh.road == 'statistical'
    got = present(asks)
    # each number shows the value whose line its value reads nearest, each value one number
    pairs = []
    for n, a in enumerate(values):
        a.text = f'{a.value:.2f}' if two else _fmt4(a.value)
        ax = a.own[0]['axis']
        for k, (t, panel, v) in enumerate(written):
            if panel != a.panel:
                continue
            lo, hi = ax.place(v - _half_unit(t['text'])), ax.place(v + _half_unit(t['text']))
            if lo is None or hi is None:
                continue
            d = min(max(min(lo, hi) - at, at - max(lo, hi), 0.0) for at in _read_at(sh, a))
            if d <= READ_OFF:
                pairs.append((d, t['text'] != a.text, n, k))   # ties go by the values' order, not by id
    used = set()
    for _, _, n, k in sorted(pairs):
        a = id(values[n])
        if a not in got and k not in used:
            got[a] = written[k][0]
            used.add(k)
    return asks + values, got


def _read_at(sh, a):
    """The places a value read off may stand for: its line's; and the frame's side, where the statistical road
    draws a line that falls on a side of the frame INSIDE points in from it."""
    sides = (a.panel[1], a.panel[3]) if a.kind == 'y' else (a.panel[0], a.panel[2])
    return [a.at] + [e for e in sides if sh.road == 'statistical' and abs(abs(a.at - e) - INSIDE) < 0.3]


class _Room:
    """What a page draws, by the grid of its cells, for the places of labels left out."""

    def __init__(self, sh, labels, lines, grid_styles, leads=None, strokes=None, gone=frozenset()):
        """leads: [(text, leader's polyline, its own lines)] of the labels joined to their lines; strokes: the
        leaders' paths; gone: the ids of texts and leaders' paths taken away (as if not drawn)."""
        self.sh, self.grid = sh, _Grid()
        self.lines = {id(p) for p in lines}     # the reference and intersection lines
        for p in sh.paths:
            # a frame's or a box's sides are none (a reference line along a side is one)
            if p['style'] in grid_styles or p['rect'] or p.get('edge') and id(p) not in self.lines or id(p) in gone:
                continue
            for pts in p['polys']:
                for a, b in zip(pts, pts[1:]):
                    self.grid.add_segment(a, b, ('seg', a, b, p))
        for _, b in sh.marks:
            self.grid.add(b, ('mark', b))
        mine = {id(t) for t, _ in labels}
        for t in sh.texts:
            if t['text'] and id(t) not in gone:
                self.grid.add(t['box'], ('text', t['box'], id(t) in mine, t))
        self.insets = [r for r in sh.boxes if r not in sh.columns]
        # the grounds of labels: opaque boxes painted after the reference lines (a text over one
        # would be written over another label's ground, or over lines it hides)
        first = min((p['i'] for p in lines), default=None)
        self.grounds = [c for k, c in sh.covers if first is not None and k > first]
        self.refs = lines
        # the leaders drawn, each with the line it ends on; the data: markers, fitted lines, limits and curves
        self.leads = []
        for t, pts, own in (leads or []):
            if id(t) in gone:
                continue
            w = _far_end(t, pts)
            self.leads.append((pts, w, _leader_line(w, own, lines), _height(t)))
        mine = {id(p) for p in lines}
        drawn = {id(p) for p in strokes or ()}
        self.data = _Grid()
        for p in sh.paths:
            if id(p) in mine or id(p) in drawn or p['style'] in grid_styles or p['rect'] or p.get('edge') or \
                    p['len'] < 15 or p['single'] and (p['vert'] or p['horiz']):
                continue
            for pts in p['polys']:
                for a, b in zip(pts, pts[1:]):
                    self.data.add_segment(a, b, ('seg', a, b))
        for _, b in sh.marks:
            self.data.add(b, ('mark', b))
        self.cache = {}
        self.bearing = (0.0, 0.0)   # of the text place() tries: its advance about its ink, start and end
        self.ink = (0.0, 0.0)       # and its ink's top and foot about its baseline

    def _measured(self, t):
        """A text's box about its pen on its baseline and its advance, (rel, adv), where its face and size are
        read; else None."""
        key = ('measured', id(t))
        if key not in self.cache:
            m = self.sh.metrics
            self.cache[key] = m.box(t['text'], t['face'], t['size'], self.sh.advances) \
                if m and 'face' in t and 'size' in t else None
        return self.cache[key]

    def _advance(self, t):
        """Where a text's advance starts and ends across (its ink's box where its face and size are not read)."""
        r, q = t['box'], self._measured(t)
        return (r[0] - q[0][0], r[0] - q[0][0] + q[1]) if q else (r[0], r[2])

    def _line_of(self, t):
        """The line of text a text's label keeps to itself, top and foot: ASCENT and DESCENT of its height
        about its baseline (its ink's box where its face and size are not read)."""
        r, q = t['box'], self._measured(t)
        if not q:
            return r[1], r[3]
        base = r[1] - q[0][1]
        return base - ASCENT * t['size'], base + DESCENT * t['size']

    def keeps(self, ask, box, grown, h, labels, led, leader=False):
        """Why a place (the text's box, and that box grown) breaks a rule: the rule's name, or None. leader: the
        place is joined to its line by a leader (it may stand further off, beside another line)."""
        panel = ask.panel
        if not (grown[0] >= panel[0] and grown[1] >= panel[1] and grown[2] <= panel[2] and grown[3] <= panel[3]):
            return 'panel'
        if not _in_half(self.sh, ask, box, h):
            return 'half'
        if any(_rect_gap(grown, r) < INSET_APART * h for r in self.insets):
            return 'inset'
        if any(_overlap(_grow(grown, 0.5 * h, 0), r) for r in self.grounds):
            return 'ground'
        own = {id(p) for p in ask.own}
        if leader:
            d_own = d_box = -math.inf   # no other line is nearer than its own: its leader tells which is its own
        else:
            d_own = min(_seg_rect(p['polys'][0][0], p['polys'][0][1], grown) for p in ask.own)
            if d_own > FAR * h:
                return 'far'
            # nearer its own line than any other, by the drawing's margin: the text's own box, as the label would
            # stand, and the box grown
            d_box = min(_seg_rect(p['polys'][0][0], p['polys'][0][1], box) for p in ask.own)
        by = NEAR_BY * h
        reach = max(TEXT_ACROSS * h, d_own + by, d_box + by, 0.0) + 1.0
        gh = grown[3] - grown[1]
        # the drawing keeps lines this far from a text's advance, which may reach a side bearing past its ink; the
        # sides of the frame among them
        clear = _grow(grown, LINES_ACROSS * h, LINES_UPDOWN * h)
        if not (clear[0] >= panel[0] and clear[1] >= panel[1] and clear[2] <= panel[2] and clear[3] <= panel[3]):
            return 'panel'
        for item in self.grid.near(_grow(grown, reach, reach)):
            if item[0] == 'seg':
                _, a, b, p = item
                if id(p) in own:
                    continue
                c = _clip(a, b, clear)
                if c and math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1]) > 0.1:
                    return 'cross'
                if id(p) in self.lines:
                    # (with a leader no other line is nearer: no distance asked)
                    if not leader and (_seg_rect(a, b, box) < d_box + by or _seg_rect(a, b, grown) < d_own + by):
                        return 'near'
                    if p['kind'] == 'y' and grown[1] + gh / 4 <= p['at'] <= grown[3] - gh / 4 and \
                            max(min(a[0], b[0]) - grown[2], grown[0] - max(a[0], b[0]), 0.0) <= h:
                        return 'row'
            elif item[0] == 'mark':
                if _overlap(item[1], clear):   # kept as far as the lines (the drawing keeps both alike)
                    return 'marker'
            else:
                r, label = item[1], item[2]
                if label:
                    # a text height apart on a row: between the texts' advances, as the drawing spaces them
                    o0, o1 = self._advance(item[3])
                    a0, a1 = grown[0] - self.bearing[0], grown[2] + self.bearing[1]
                    if _overlap(r, grown) or _on_row(r, grown) and max(o0, a0) - min(o1, a1) < max(h, r[3] - r[1]):
                        return 'text'
                    # one above the other: their lines of text apart (measured as the drawing measures them)
                    top, foot = self._line_of(item[3])
                    if max(o0, a0) - min(o1, a1) < h and \
                            min(foot, grown[3] - self.ink[1] + DESCENT * h) - \
                            max(top, grown[1] - self.ink[0] - ASCENT * h) > SLACK * h:
                        return 'text'
                elif _overlap(_grow(r, TEXT_ACROSS * h, TEXT_UPDOWN * h), grown):
                    return 'text'
        for t, own2 in labels:
            if own2[0]['kind'] != ask.kind or own2[0]['panel'] != panel:
                continue
            p2 = own2[0]['at']
            if _order_pair(grown, t['box'], ask.kind, ask.at, p2, h):
                return 'order'
            if not leader and id(t) not in led:
                theirs = _own_line(t['box'], own2)
                if theirs['kind'] == ask.kind and \
                        _band_pair(box, t['box'], ask.kind, ask.at, theirs['at'], max(h, _height(t))):
                    return 'band'
        return None

    def _merged(self, spans):
        spans.sort()
        out = []
        for a, b in spans:
            if out and a <= out[-1][1]:
                out[-1] = (out[-1][0], max(out[-1][1], b))
            else:
                out.append((a, b))
        return out, [b for _, b in out]

    def busy(self, panel, y0, y1, h):
        """Where across a text whose box spans y0 to y1 surely breaks a rule of keeps() (a stroke through it, a
        marker under it, another text on it or beside it, a ground or an inset beside it): merged spans and their
        ends, for the places a leader joins to lines a text height off at least (their own lines lie beyond)."""
        key = ('busy', panel, round(y0, 2), round(y1, 2))
        if key not in self.cache:
            spans = []
            for item in self.grid.near((panel[0] - 1, y0 - 3 * h, panel[2] + 1, y1 + 3 * h)):
                if item[0] == 'seg':
                    c = _clip(item[1], item[2], (panel[0] - 1, y0, panel[2] + 1, y1))
                    if c and math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1]) > 0.1:
                        spans.append((min(c[0][0], c[1][0]), max(c[0][0], c[1][0])))
                elif item[0] == 'mark':
                    r = item[1]
                    if r[1] < y1 and y0 < r[3]:
                        spans.append((r[0], r[2]))
                else:
                    r, label = item[1], item[2]
                    if label and r[1] < y1 and y0 < r[3]:
                        spans.append((r[0], r[2]))
                    elif not label and r[1] - TEXT_UPDOWN * h < y1 and y0 < r[3] + TEXT_UPDOWN * h:
                        spans.append((r[0] - TEXT_ACROSS * h, r[2] + TEXT_ACROSS * h))
            for r in self.grounds:
                if r[1] < y1 and y0 < r[3]:
                    spans.append((r[0] - 0.5 * h, r[2] + 0.5 * h))
            for r in self.insets:
                if r[1] < y1 and y0 < r[3]:
                    spans.append((r[0] - INSET_APART * h, r[2] + INSET_APART * h))
            self.cache[key] = self._merged(spans)
        return self.cache[key]

    def corridor(self, panel, y0, y1, h, far):
        """Where across a leader in the band y0 to y1 surely breaks a rule of leads_clear(): a text or a ground it
        would cross, an inset it would pass within a text height of, and (far: a column's row) the data: merged
        spans and their ends."""
        key = ('way', panel, round(y0, 2), round(y1, 2), far)
        if key not in self.cache:
            spans = []
            for item in self.grid.near((panel[0] - 1, y0 - 1, panel[2] + 1, y1 + 1)):
                if item[0] == 'text' and item[1][1] < y1 and y0 < item[1][3]:
                    spans.append((item[1][0], item[1][2]))
            for r in self.grounds:
                if r[1] < y1 and y0 < r[3]:
                    spans.append((r[0], r[2]))
            for r in self.insets:
                if r[1] - h < y1 and y0 < r[3] + h:
                    spans.append((r[0] - h, r[2] + h))
            if far:
                for item in self.data.near((panel[0] - 1, y0 - 1, panel[2] + 1, y1 + 1)):
                    if item[0] == 'mark':
                        r = item[1]
                        if r[1] < y1 and y0 < r[3]:
                            spans.append((r[0], r[2]))
                    else:
                        c = _clip(item[1], item[2], (panel[0] - 1, y0, panel[2] + 1, y1))
                        if c:
                            spans.append((min(c[0][0], c[1][0]), max(c[0][0], c[1][0])))
            self.cache[key] = self._merged(spans)
        return self.cache[key]

    @staticmethod
    def _meets(spans, x0, x1):
        """Whether merged spans (and their ends) meet the open stretch x0 to x1."""
        out, ends = spans
        k = bisect.bisect_right(ends, x0)
        return k < len(out) and out[k][0] < x1

    def leads_clear(self, ask, text, ways, h, far):
        """Why a leader from a text (its box grown) to its own line breaks a rule, or None. ways: the segments
        the leader may take (those of the places about this one that the drawing may take); far: the text stands
        further off than REACH text heights (a column's row), so the leader crosses no data."""
        panel, g = ask.panel, _gap(self.sh.road, h)
        own = {id(p) for p in ask.own}
        for a, b in ways:
            if not (_inside(a, panel, FRAME_OUT) and _inside(b, panel, FRAME_OUT)):
                return 'leaders'
            if any(_seg_rect(a, b, r) < h for r in self.insets):
                return 'inset'
            if any(_clip(a, b, r) for r in self.grounds):
                return 'ground'
            box = (min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1]))
            for item in self.grid.near(_grow(box, 1, 1)):
                if item[0] == 'text' and _clip(a, b, item[1]):
                    return 'text'
            if far:
                for item in self.data.near(_grow(box, 1, 1)):
                    if item[0] == 'mark' and _clip(a, b, item[1]) or \
                            item[0] == 'seg' and _seg_gap(a, b, item[1], item[2]) < 0.3:
                        return 'reach'
            for pts, w, line, lh in self.leads:
                close = line is not None and line['kind'] == ask.kind and \
                    _seg_gap(*line['polys'][0], *ask.own[0]['polys'][0]) < ENDS_APART * max(h, lh)
                if _meet([a, b], pts, close):
                    return 'leaders'
                if not close and math.hypot(w[0] - b[0], w[1] - b[1]) < ENDS_APART * max(h, lh):
                    return 'ends'
            # a leader that crosses another line of its own direction right beside its text reads as that line's
            # (measured from the text's advance, as the drawing measures it): straight across it, or (an upright
            # line's leader that rises to its line's end) where the text stands along that line
            straight = a[1] == b[1] if ask.kind == 'x' else a[0] == b[0]
            if straight or ask.kind == 'x' and a[0] != b[0]:
                k = 0 if ask.kind == 'x' else 1
                lo, hi = sorted((a[k], b[k]))
                s = SLACK * h
                advance = (text[0] + s - self.bearing[0], text[1], text[2] - s + self.bearing[1], text[3])
                for p in self.refs:
                    if p['kind'] != ask.kind or id(p) in own or p['panel'] != panel or not lo < p['at'] < hi:
                        continue
                    if not straight and not \
                            text[1] <= a[1] + (p['at'] - a[0]) * (b[1] - a[1]) / (b[0] - a[0]) <= text[3]:
                        continue
                    if _seg_gap(*p['polys'][0], a, b) == 0 and _seg_rect(*p['polys'][0], advance) < FAR * h:
                        return 'near'
        return None

    def led(self, ask, rel, adv, h, labels, led):
        """A place with a leader within REACH text heights of its own line where a label left out keeps every rule:
        (where, box), or None. Beside an upright line, LED_STEP text heights further out at a time, a level leader
        across from the text's middle; above or below a level line, LED_STEP heights further off at a time, at
        places LED_ALONG heights apart along it, a leader from the text's end to the line a little further along
        (0.6 of the height it falls, at least 0.6 text heights); last, above or below an end of a level line inside
        its panel, the text a gap short of that end, a leader from the text's end to the line's end."""
        sh, panel, s, g = self.sh, ask.panel, SLACK * h, _gap(self.sh.road, h)
        line = ask.own[0]
        la, lb = line['polys'][0]
        grow = LED_STEP * h / 2
        if ask.kind == 'x':
            X, top, foot = ask.at, min(la[1], lb[1]), max(la[1], lb[1])
            k = 1
            while g + LED_STEP * h * k + 0.1 * h <= REACH * h:
                off = g + LED_STEP * h * k
                for side in (1, -1):
                    x = X + off if side > 0 else X - off - adv
                    y = panel[1]
                    while y + rel[1] <= panel[3]:
                        y += LED_STEP * h
                        box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                        if _seg_rect(la, lb, box) + grow > (REACH - REACH_SLACK) * h:
                            continue   # past its line's end, further off
                        mid = y - 0.35 * h
                        edge = x - 0.25 * g if side > 0 else x + adv + 0.25 * g
                        if self._meets(self.busy(panel, y + rel[1], y + rel[3], h), box[0], box[2]) or \
                                top <= mid <= foot and \
                                self._meets(self.corridor(panel, mid - grow, mid + grow, h, False), min(edge, X), max(edge, X)):
                            continue
                        grown = _grow(box, grow + s, grow + s)
                        ways = [((edge + dx, m), (X, min(max(m, top), foot)))
                                for dx in (-grow, grow) for m in (mid - grow, mid, mid + grow)]
                        if self.keeps(ask, box, grown, h, labels, led, leader=True) or \
                                self.leads_clear(ask, grown, ways, h, False):
                            continue
                        return f'{"right" if side > 0 else "left"} of its line with a leader, baseline at y={y:.1f}', box
                k += 1
            return None
        Y = ask.at
        off = LED_STEP * h
        while off <= REACH * h + 1e-9:
            for below in (True, False):
                # the text's ink off the line by off: its top below it, or its baseline (and the descenders)
                # above it
                y = Y + off - rel[1] if below else Y - off - 0.22 * h
                mid = y - 0.35 * h
                length = max(0.6 * h, 0.6 * abs(mid - Y))
                x = panel[0]
                while x + rel[0] <= panel[2]:
                    box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                    if _seg_rect(la, lb, box) + math.hypot(LED_ALONG * h / 2, grow) > (REACH - REACH_SLACK) * h:
                        x += LED_ALONG * h
                        continue   # past its line's end, further off
                    grown = _grow(box, LED_ALONG * h / 2 + s, grow + s)
                    for d in (1, -1):
                        edge = x + adv + 0.25 * g if d > 0 else x - 0.25 * g
                        to = edge + d * length
                        if not min(la[0], lb[0]) <= to <= max(la[0], lb[0]):
                            continue
                        ways = [((edge + dx, mid + dy), (to + dx, Y)) for dx in (-LED_ALONG * h / 2, LED_ALONG * h / 2)
                                for dy in (-grow, grow)]
                        if self.keeps(ask, box, grown, h, labels, led, leader=True) or \
                                self.leads_clear(ask, grown, ways, h, False):
                            continue
                        return f'{"below" if below else "above"} its line with a leader, from x={x:.1f}', box
                    x += LED_ALONG * h
            off += LED_STEP * h
        # above or below an end of its line inside its panel (a value's line ends where it meets the fitted line):
        # the text over the line a gap short of that end, a leader from its end to the line's end
        for X in sorted({la[0], lb[0]}):
            if not panel[0] + g < X < panel[2] - g:
                continue
            right = X == max(la[0], lb[0])
            x = X - g - adv if right else X + g
            off = LED_STEP * h
            while off <= REACH * h + 1e-9:
                for below in (True, False):
                    y = Y + off - rel[1] if below else Y - off - 0.22 * h
                    box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                    if _seg_rect(la, lb, box) + grow > (REACH - REACH_SLACK) * h:
                        continue
                    mid = y - 0.35 * h
                    edge = x + adv + 0.25 * g if right else x - 0.25 * g
                    grown = _grow(box, s, grow + s)
                    ways = [((edge, mid + dy), (X, Y)) for dy in (-grow, grow)]
                    if self.keeps(ask, box, grown, h, labels, led, leader=True) or \
                            self.leads_clear(ask, grown, ways, h, False):
                        continue
                    return f'{"below" if below else "above"} the end of its line with a leader, from x={x:.1f}', box
                off += LED_STEP * h
        return None

    def row(self, ask, rel, adv, h, labels, led):
        """A row of a column for a label left out of an upright line: the text beside another upright line its
        level leader crosses (the gap beside a line, then a text height further out at a time, ROW_OUT at most),
        its leader crossing no marker, fitted line or limit: (where, box), or None."""
        sh, panel, s, g = self.sh, ask.panel, SLACK * h, _gap(self.sh.road, h)
        line = ask.own[0]
        la, lb = line['polys'][0]
        X, top, foot = ask.at, min(la[1], lb[1]), max(la[1], lb[1])
        grow = ROW_STEP * h / 2
        xs = []
        for p in self.refs:
            if p['kind'] != 'x' or p['panel'] != panel or abs(p['at'] - X) < 0.3:
                continue
            for k in range(1, ROW_OUT + 1):
                # right of a line left of its own (the leader runs left across it), or left of one right of it; a
                # text height out at least, so that its leader leaves the text before it crosses the line
                xs.append(p['at'] + g + k * h if p['at'] > X else p['at'] - g - k * h - adv)
        xs = sorted(set(round(x, 2) for x in xs), key=lambda x: abs(x - X))
        y = panel[1]
        while y + rel[1] <= panel[3]:
            y += ROW_STEP * h
            mid = y - 0.35 * h
            if not (top <= mid - grow and mid + grow <= foot):
                continue   # a level leader reaches its line only where the line runs
            busy = self.busy(panel, y + rel[1], y + rel[3], h)
            way = self.corridor(panel, mid - grow, mid + grow, h, True)
            blocked = {True: False, False: False}   # a leader to a place further out on that side runs on over it
            for x in xs:
                right = x > X
                if blocked[right]:
                    continue
                box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                edge = x - 0.25 * g if right else x + adv + 0.25 * g
                if self._meets(way, min(edge, X), max(edge, X)):
                    blocked[right] = True
                    continue
                if self._meets(busy, box[0], box[2]):
                    continue
                grown = _grow(box, s, grow + s)
                ways = [((edge, m), (X, m)) for m in (mid - grow, mid, mid + grow)]
                if self.keeps(ask, box, grown, h, labels, led, leader=True) or \
                        self.leads_clear(ask, grown, ways, h, True):
                    continue
                return f'in a column {"right" if right else "left"} of its line, baseline at y={y:.1f}', box
        return None

    def place(self, ask, labels, led, rows=True):
        """The first place near its own line where a label left out keeps every rule: (where, box), or None."""
        sh, panel = self.sh, ask.panel
        m = sh.metrics
        faces = [t['face'] for t, _ in labels if 'face' in t] or [0]
        sizes = sorted(t['size'] for t, _ in labels if 'size' in t) or \
            sorted(sh.texts[n]['size'] for n in sh.ticklabels if 'size' in sh.texts[n]) or [SHEET_SIZE]
        face, h = max(set(faces), key=faces.count), sizes[len(sizes) // 2]
        rel, adv = m.box(ask.text, face, h, sh.advances)
        self.bearing = (rel[0], adv - rel[2])   # where the text's advance starts and ends about its ink
        self.ink = (rel[1], rel[3])
        s = SLACK * h
        if ask.kind == 'x':
            g = _gap(sh.road, h)
            for side, x in (('right of', ask.at + g), ('left of', ask.at - g - adv)):
                y = panel[1]
                while y + rel[1] <= panel[3]:
                    y += STEP_UPRIGHT * h
                    box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                    if not self.keeps(ask, box, _grow(box, s, GROW_UPRIGHT * h + s), h, labels, led):
                        return f'{side} its line, baseline at y={y:.1f}', box
        else:
            for side, y in (('below', ask.at + h), ('above', ask.at - _above(sh.road, h))):
                x = panel[0]
                while x + rel[0] <= panel[2]:
                    box = (x + rel[0], y + rel[1], x + rel[2], y + rel[3])
                    if not self.keeps(ask, box, _grow(box, GROW_LEVEL * h + s, s), h, labels, led):
                        return f'{side} its line, from x={x:.1f}', box
                    x += STEP_LEVEL * h
        return self.led(ask, rel, adv, h, labels, led) or (self.row(ask, rel, adv, h, labels, led)
                                                         if ask.kind == 'x' and rows else None)


def _in_half(sh, ask, box, h):
    """Whether a place lies in the part of its panel where the device road keeps a label whose position the user
    gave (VREFLABPOS= 1 the left half, 2 the right, 3 and 4 the middle half; HREFLABPOS= or SREFLABPOS= 3, 4
    and 6 the lower half, the others the upper), half a text height clear of its edge."""
    pos = getattr(sh, 'labpos', {})
    if sh.road != 'device' or not pos:
        return True
    panel, c = ask.panel, _centre(box)
    if ask.kind == 'y':
        if 'vreflabpos' not in pos:
            return True
        mid, width, v = (panel[0] + panel[2]) / 2, panel[2] - panel[0], pos['vreflabpos']
        return c[0] <= mid - 0.5 * h if v == 1 else c[0] >= mid + 0.5 * h if v == 2 else \
            abs(c[0] - mid) <= 0.25 * width - 0.5 * h if v in (3, 4) else True
    v = pos.get('hreflabpos', pos.get('sreflabpos'))
    if v is None:
        return True
    mid = (panel[1] + panel[3]) / 2
    return c[1] >= mid + 0.5 * h if v in (3, 4, 6) else c[1] <= mid - 0.5 * h


def _missing(sh, prog, labels, led, cands, refs, matching, grid_styles, lead=None):
    """Labels the program asks for that the page leaves out, where a place near their own line keeps every
    rule."""
    if not prog or not prog.statements or not sh.metrics:
        return []
    asks, got = _asked(sh, prog, cands, labels, matching, lead)
    sh.asked = (asks, got)
    lost = [a for a in asks if id(a) not in got]
    if VERBOSE[0]:
        for a in asks:
            print('  asked', repr(a.text), a.kind, round(a.at, 1), 'in', tuple(round(v) for v in a.panel),
                  'shown' if id(a) in got else 'left out')
    if not lost:
        return []
    lines = refs + [p for a in asks if a.read_off for p in a.own] + getattr(sh, 'unlabelled', [])
    lead = lead or {}
    joined = [(t, lead[id(t)]['polys'][0], own) for t, own in labels if id(t) in lead]
    room = _Room(sh, labels, lines, grid_styles, joined, list(lead.values()))
    # the values read off give way to the labels the program writes: without them, as if not drawn
    values = {id(got[id(a)]) for a in asks if a.read_off and id(a) in got}
    mine = None
    out = []
    for a in lost:
        found, over = room.place(a, labels, led), ''
        if not found and not a.read_off and values:
            if mine is None:
                gone = values | {id(lead[t]) for t in values if t in lead}
                kept = [(t, own) for t, own in labels if id(t) not in values]
                mine = (_Room(sh, kept, lines, grid_styles, [j for j in joined if id(j[0]) not in values],
                              [p for t, p in lead.items() if t not in values], frozenset(gone)), kept)
            found = mine[0].place(a, mine[1], led, rows=False)   # (a column weighs its rows itself)
            over = ' where values read off stand (they give way to the labels the program writes)'
        if found:
            where, box = found
            what = f'the value read off at {a.text}' if a.read_off else f'"{a.text}"'
            line = 'upright' if a.kind == 'x' else 'level'
            out.append(('missing', f'{what} (its {line} line at {a.value:g}) is left out of the panel at '
                                   f'({a.panel[0]:.0f},{a.panel[1]:.0f}), though it could stand {where} '
                                   f'({box[0]:.0f},{box[1]:.0f})-({box[2]:.0f},{box[3]:.0f}){over}'))
    return out


def load_glyphs(tool, sheet):
    """The characters of the glyph sheet that TOOL draws (or of the sheet SHEET drawn before), with the sheet's
    measures (.metrics)."""
    def read(sheet):
        glyphs = overprint.Glyphs(sheet, overprint.SHEET_TEXT)
        glyphs.metrics = Metrics(overprint.Page(sheet), overprint.SHEET_TEXT)
        return glyphs
    if tool:
        with tempfile.TemporaryDirectory() as tmp:
            sheet = os.path.join(tmp, 'sheet.svg')
            subprocess.run([tool, sheet, overprint.SHEET_TEXT], check=True)
            return read(sheet)
    return read(sheet)


RULES = ('near', 'far', 'cross', 'row', 'order', 'join', 'band', 'leaders', 'end', 'inset', 'panel', 'missing', 'reach',
         'ends', 'thin', 'strip')


def program_text(raw):
    """A program's text from its bytes: UTF-8, its other bytes (a program of Latin-1 text) kept as they are (the
    labels are cut and drawn from their bytes, as the command does)."""
    return raw.decode('utf-8', 'surrogateescape')


def main(argv):
    root, tool, sheet, pages, rules, given, jobs, counts = None, None, None, [], set(RULES), {}, 1, None
    k = 0
    while k < len(argv):
        a = argv[k]
        if a in ('--source', '--glyphsheet', '--glyphs', '--rules', '--program', '--jobs', '--counts') and \
                k + 1 < len(argv):
            k += 1
            if a == '--jobs':
                jobs = int(argv[k])
            elif a == '--counts':
                counts = argv[k]
            elif a == '--source':
                root = argv[k]
            elif a == '--program':
                case, _, path = argv[k].partition('=')
                try:
                    raw = open(path, 'rb').read()
                    given[case] = program_text(raw)
                except OSError as e:
                    print(f'{path}: cannot be read: {e}', file=sys.stderr)
                    return 2
            elif a == '--glyphsheet':
                tool = argv[k]
            elif a == '--glyphs':
                sheet = argv[k]
            elif argv[k] != 'all':
                rules = set(argv[k].split(','))
        elif a == '--verbose':
            VERBOSE[0] = True
        else:
            pages.append(a)
        k += 1
    if not pages or not (tool or sheet) or rules - set(RULES):
        print(__doc__.strip().split('\n\n')[-1], file=sys.stderr)
        return 2
    glyphs = load_glyphs(tool, sheet)
    programs = {n: Program(t) for n, t in gallery_programs(root).items()} if root else {}
    programs.update((n, Program(t)) for n, t in given.items())
    return run(pages, glyphs, programs, rules, jobs, counts)


def case_of(path):
    return re.sub(r'-(device|statistical)(-\d+)?$', '', os.path.splitext(os.path.basename(path))[0])


def program_of(path, programs):
    """The program of a page: that of its case by the page's name (NAME-ROAD[-K].svg), else by the nearest folder
    of the page named CASE or CASE-ROAD (a run's pages are written to CASE-ROAD/graphics/PAGE.svg)."""
    if case_of(path) in programs:
        return programs[case_of(path)]
    d = os.path.dirname(os.path.abspath(path))
    while d and d != os.path.dirname(d):
        name = os.path.basename(d)
        for case in (name, re.sub(r'-(device|statistical)$', '', name)):
            if case in programs:
                return programs[case]
        d = os.path.dirname(d)
    return None


_JOB = {}   # what the pages are checked with, in each worker of --jobs


def _one(path):
    """A page checked: (path, [(rule, message)] or None where it cannot be read or judged (the message then in
    place), the counts of what was read, what its program draws, (the labels asked for, those shown))."""
    glyphs, programs, rules = _JOB['args']
    seen = {'labels': 0, 'percentiles': 0, 'insets': 0}
    try:
        sh = Sheet(overprint.Page(path), glyphs)
    except (OSError, UnicodeDecodeError) as e:
        return path, None, f'{path}: cannot be read: {e}', seen, set(), (0, 0)
    if VERBOSE[0]:
        print(f'{path}:')
    prog = program_of(path, programs)
    wanted = set()
    if prog:
        wanted |= {'labels'} if prog.refs and _on_axes(sh, prog) else set()
        wanted |= {'percentiles'} if prog.plotfit else set()
        wanted |= {'insets'} if prog.probplot else set()
    try:
        found = [f for f in check(sh, prog, seen) if f[0] in rules]
    except Exception as e:   # a fault of the check on one page: the others are still judged
        return path, None, f'{path}: cannot be judged: {type(e).__name__}: {str(e)[:200]}', seen, wanted, (0, 0)
    asks, got = getattr(sh, 'asked', ([], {}))
    return path, found, '', seen, wanted, (len(asks), sum(id(a) in got for a in asks))


def _on_axes(sh, prog):
    """Whether a value of the program's labelled lines may be drawn on a page: it reads inside a panel on one of
    the page's axes, or the page has no labelled axis to tell (a value off its axis draws no line and no label)."""
    axes = [ax for ax in sh.axes if ax.f]
    if not axes or not sh.panels:
        return True
    kinds = {'href': 'x', 'sref': 'x', 'vref': 'y'}
    for kw, v in {q for qs in prog.refs.values() for q in qs}:
        for ax in axes:
            if ax.kind != kinds.get(kw, ax.kind):
                continue
            p = ax.place(v)
            if p is None:
                continue
            for r in sh.panels:
                lo, hi = (r[0], r[2]) if ax.kind == 'x' else (r[1], r[3])
                if lo - 0.5 <= p <= hi + 0.5 and lo - 0.5 <= ax.lo and ax.hi <= hi + 0.5:
                    return True
    return False


def run(pages, glyphs, programs, rules, jobs=1, counts=None):
    bad = unreadable = 0
    tally = open(counts, 'w', encoding='utf-8') if counts else None
    seen = {'labels': 0, 'percentiles': 0, 'insets': 0}
    wanted = set()
    _JOB['args'] = (glyphs, programs, rules)
    if jobs > 1 and len(pages) > 1:
        import multiprocessing
        pool = multiprocessing.get_context('fork').Pool(jobs)
        results = pool.imap(_one, pages)
    else:
        pool, results = None, map(_one, pages)
    for path, found, why, saw, want, (asked, shown) in results:
        for k in seen:
            seen[k] += saw[k]
        wanted |= want
        if tally:
            failed = 'unread' if found is None else ','.join(r for r in RULES if any(f[0] == r for f in found)) or '-'
            tally.write(f'{path}\t{asked}\t{shown}\t{failed}\n')
        if found is None:
            print(why)
            unreadable += 1
            continue
        if found:
            bad += 1
            print(f'{path}: {len(found)} misplaced')
            for rule, msg in found:
                print(f'  {rule}: {msg}')
    if pool:
        pool.close()
        pool.join()
    if tally:
        tally.close()
    # programs that draw them and none read back: this reader no longer sees them
    for what in sorted(wanted):
        if not seen[what]:
            print(f'no {what} read back on any page')
            unreadable += 1
    print(f'{len(pages) - bad - unreadable} of {len(pages)} pages with every value beside its own line')
    return 2 if unreadable else 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
