#!/usr/bin/env python3
"""The placement check (placement.py) finds what it must: pages of the gallery, each with one fault put in by
hand, against the same pages as drawn.
- a reference label moved onto another reference line's label: near (and, with a leader drawn from it to its
  own line, not; and led from just under another level line, a tenth of a point from its letters: near, half a
  point: not); an upright line's label moved beside another upright line, its leader rising a hair across that
  line to its own: near; led across a line drawn as the reference lines are that no label names: near; an upright
  line's label moved a point over a level line, its leader straight down across it: near (two and a half text
  heights over it: not); a label led to its line across a parallel line a point and a half from it: near (a
  twenty-fifth of a text height: not, the two read as one);
- a line drawn through a reference label: cross; the same line under the label's ground, painted before it:
  cross, and a line that only ends under that ground: not;
- a reference label moved onto another level line's row, with a leader to its own line: row;
- the leaders of two values of a column that trade their lines' ends, and a leader bent out of its panel's frame:
  leaders; two leaders of lines closer than half a text height that run into one place: not;
- a reference label moved below its panel, onto the axis's tick labels: panel;
- the values of two close level lines taken out of their column, side by side in the band between the lines: band;
- two percentile labels of a relation plot that trade places: end;
- three markers under an inset: inset; a fitted line under it, the other corners clear of the lines: inset (and
  the filled insets of panels whose every corner holds data, where they hide least: not); a straight fitted line
  under it whose ends come beside a text and onto a level line, as a leader's do: inset;
- a reference label taken out of a page where it had room beside its line: missing;
- a reference label moved four text heights away from its line, with a leader to it: reach (two heights: not);
- a leader that stops short of its own line: ends; the leaders of lines that cross, ending together where they
  cross: ends;
- two labels' leaders from one point to lines far apart: leaders;
- a leader drawn as wide as the fitted lines, or in a fitted line's colour: thin;
- a reference line drawn a point past a turned plot's axis's end, in the strip of censored marks inside the
  frame: strip (on the axis's end: not);
- three markers under an inset whose other corners hold reference labels: inset (the labels give way); a label
  half a text height beside an inset: inset;
- a column of values with short hairline leaders ending together inside a panel: read as no axis;
and pages it once failed though nothing on them is misplaced, or faults it once missed:
- an INTERSECT line without a label, its values read off left out: none asked for, also with a labelled line
  half a point beside it;
- an MCF limit's dash along a label's line, and a dotted stroke from a label to near its line: no leaders;
- two labels of a line written on it side by side, a stroke from the line beside the one to the other's side just
  off the line: the other's leader (no ends for the one); a fitted line cut by the panel's clip at the frame's
  side where a line starts, its end beside a label: no leader to that line; a curve's level step from under a
  label's end to another line: none; a count above the panel, written as no value read off is, its value's line
  drawn: no label outside its panel;
- a legend's number and a relation plot's percentile label beside lines at their values: no labels; a PREF= label
  whose value reads on the life axis where a line stands: names no line;
- the values read off in the lower of two turned panels (its top tick without a number): read on its own axis;
- the frame's side where a value reads, and the frame's side running on past its panel: no lines; a label beside
  the side, its value's line drawn just past it: that side's;
- a dashed reference line along the axis itself (a value at the axis's first tick): a line; a label beside the
  frame's side where its value reads, the same text labelling a line elsewhere: that side's;
- a relation plot's line by its panel's side, before its first tick: read on that panel's axis, its label
  beside it names it;
- SREF= beside a probability plot of PPLOT: none asked for there; PREF= there, its label left out: missing
  (the percents of that plot's axis run on into the stresses of the relation plot beside it);
- the labels of two panels one above the other between lines 30 points apart: no band;
- a line 10 points long from the frame's side at a label's value: its line; a straight fitted line from the
  label's line just below its text to another line: no leader; a straight line from beside a label to no line:
  data; a number in one panel against the side of the panel beside it: no tick label of that panel; a circle
  marker: as high as it is wide; a label left out beside an unlabelled INTERSECT line's value line 0.4 pt from its
  own: no place on that side;
- two rows of a column of upright lines' labels whose ink shares an accent's height: no order; the same labels
  side by side on a row in the other order than their lines: order;
- a label naming lines at two values beside the nearer, on a row with another label of that line: no band
  (naming the line across the band alone: band);
- a label beside its line, another line 0.31 points from it: asked for once;
- a marker a quarter of a text height beside a place offered to a label left out: that place no more; the page
  named for the other road than its program's OPTIONS name: the same place offered;
- a leader ending where its own level line meets an upright line: it ends on its own line (no place for a
  label whose leader would end there);
- another label a text height and half a point from a place offered, by their ink, less by their advances:
  that place no more; another label a point over it: that place no more;
- a value read off taken off, the inset writing its number: left out; a leader from a text just past another upright
  line, rising to where its own line ends, across that line at the text's height: no way to it (from a text short of
  that line: one);
- a label 1.2 points right of one of its lines, a leader from beside that line to another of its own, a line of
  another value half a point under the text: no near;
- a label 2.8 text heights below its level line, past the end of another line of its value drawn before, its
  leader ending on both: no reach;
- a label naming a level and an upright line beside the level one, another label of an upright line beside it: no
  band;
- a label written over its own line, a stroke along that line from it to 0.8 points short of another line: no near;
- two labels of lines a point apart, their leaders crossing a point above where they end: leaders;
and labels read as the page draws them, and what it does not show:
- accented labels (one on the page, one it leaves out): read, asked for and judged (missing), with no end in
  recursion; a Latin-1 program's label cut to 16 bytes at an accented byte: read; a label cut to show as another
  label's whole text: it names both lines; a label of a line cut to its other label's text and blanks: shown by
  that label's text; a labelled value off every axis: no label wanted back; a text that shows one label whole
  and the start of another's: that one's only; a label of VREF= where PREF= stands in its place (either road):
  no line's;
- a label painted under an inset's box: left out (missing), and no label for the other rules;
- an MCF limit's two dashes round a point, one ending by a label and beside its line: no leader (thin, ends);
  one of them alone, the other's place past the frame's side, other points' dashes alike: no leader; two such
  strokes 1.7 times as long as the marker is wide: leaders;
- a value 0.25 pt past the frame's side beside an unlabelled line just inside it: none asked for;
- a value at the frame's side, its line dashed just inside it, another value's line a tenth of a point further in:
  its label asked for;
- a label left out 13 points from a line along the frame's side: no place offered nearer the side's line;
- a label left out whose position the user gave (VREFLABPOS=2): no place offered outside the right half;
- an inset over the dashes of three points' limits, a corner clear: inset; over 0.9 pt of the two dashes of one
  point's: inset.

  placement_selftest.py --source ROOT (--glyphsheet TOOL | --glyphs SHEET.svg) PAGEDIR
Exits 1 when a fault is not found (or found on the page as drawn)."""
import math
import os
import re
import sys

sys.dont_write_bytecode = True   # the tools import each other from the source tree: leave no cache there
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import overprint  # noqa: E402
import placement  # noqa: E402

RUN = re.compile(r'<g[^>]*>(?:\s*<use xlink:href="#glyph[^>]*>)+\s*</g>')
LINE = '<path style="fill:none;stroke-width:0.75;stroke:rgb(0%,0%,0%);stroke-opacity:1;" d="M {} {} L {} {}"/>\n'
BENT = '<path style="fill:none;stroke-width:0.75;stroke:rgb(0%,0%,0%);stroke-opacity:1;" d="M {} {} L {} {} L {} {}"/>\n'
GROUND = re.compile(r'<path style=" ?stroke:none;fill-rule:nonzero;fill:rgb\(100%,100%,100%\);fill-opacity:1;" '
                    r'd="(M [^"]*Z)[^"]*"/>')
STROKE = re.compile(r'<path style="(fill:none;[^"]*)" d="M (' + overprint.NUM + ') (' + overprint.NUM + ') L (' +
                    overprint.NUM + ') (' + overprint.NUM + ') "/>')


class Case:
    def __init__(self, pagedir, name, glyphs, programs):
        self.path = os.path.join(pagedir, name)
        self.svg = open(self.path, encoding='utf-8').read()
        self.glyphs, self.prog = glyphs, programs.get(placement.case_of(name))

    def sheet(self, svg):
        tmp = self.path + '.selftest.svg'
        with open(tmp, 'w', encoding='utf-8') as f:
            f.write(svg)
        try:
            return placement.Sheet(overprint.Page(tmp), self.glyphs)
        finally:
            os.remove(tmp)

    def found(self, svg):
        return placement.check(self.sheet(svg), self.prog)

    def box(self, text):
        """The box of the text and the index of its run among the page's runs."""
        sh = self.sheet(self.svg)
        for n, t in enumerate(sh.texts):
            if t['text'] == text:
                return t['box'], n
        raise LookupError(f'{self.path}: no "{text}"')

    def ground(self, box):
        """Where the opaque box painted under a text's glyphs (its ground) starts in the page, and that box."""
        best = None
        for m in GROUND.finditer(self.svg):
            v = [float(x) for x in re.findall(overprint.NUM, m.group(1))]
            r = (min(v[0::2]), min(v[1::2]), max(v[0::2]), max(v[1::2]))
            if placement._inside(placement._centre(box), r) and (best is None or
                                                                (r[2] - r[0]) * (r[3] - r[1]) < best[0]):
                # before the group that clips the box to itself, where it has one
                start = m.start()
                g = self.svg.rfind('<g clip-path=', 0, start)
                if g >= 0 and self.svg[g:start].count('<') == 1:
                    start = g
                best = ((r[2] - r[0]) * (r[3] - r[1]), start, r)
        return best[1:]

    def leader(self, svg, box):
        """The straight stroke that leaves a text's box: (its text in svg, its end at the box, its other end)."""
        for m in STROKE.finditer(svg):
            a, b = (float(m.group(2)), float(m.group(3))), (float(m.group(4)), float(m.group(5)))
            if math.hypot(b[0] - a[0], b[1] - a[1]) <= placement.TICK[1] and (a[0] == b[0] or a[1] == b[1]):
                continue   # a tick of the axis beside the text
            for u, w in ((a, b), (b, a)):
                if placement._pt_rect(u, box) <= placement.LEADER_GAP < placement._pt_rect(w, box):
                    return m.group(0), u, w
        raise LookupError(f'{self.path}: no leader from {box}')

    @staticmethod
    def restroke(stroke, u, w):
        """A stroke drawn from u to w in the style of another."""
        style = re.match(r'<path style="([^"]*)"', stroke).group(1)
        return f'<path style="{style}" d="M {u[0]:g} {u[1]:g} L {w[0]:g} {w[1]:g} "/>'

    def removed(self, svg, n):
        """The page without text run n."""
        m = list(RUN.finditer(svg))[n]
        return svg[:m.start()] + svg[m.end():]

    def moved(self, svg, n, dx, dy):
        """The page with text run n moved by (dx, dy)."""
        m = list(RUN.finditer(svg))[n]

        def shift(u):
            return f'x="{float(u.group(1)) + dx:g}" y="{float(u.group(2)) + dy:g}"'
        block = re.sub(r'x="([-\d.e]+)" y="([-\d.e]+)"', shift, m.group(0))
        return svg[:m.start()] + block + svg[m.end():]


def _has(found, rule, text):
    return any(r == rule and f'"{text}"' in msg for r, msg in found)


DASHED = ('<path style="fill:none;stroke-width:0.75;stroke-dasharray:3,3;stroke:rgb(0%,0%,0%);stroke-opacity:1;" '
          'd="M {} {} L {} {}"/>\n')


def _added(svg, *strokes):
    return svg.replace('</svg>', ''.join(strokes) + '</svg>')


def _first(svg, *strokes):
    """The page with strokes drawn before everything but its background."""
    start = svg.index('>', svg.index('<rect', svg.index('</defs>'))) + 1
    return svg[:start] + '\n' + ''.join(strokes) + svg[start:]


def _axes(c):
    """The sheet of case c's page, its horizontal and vertical axes that read values, and its first panel."""
    sh = c.sheet(c.svg)
    xax, yax = (next(a for a in sh.axes if a.kind == k and a.f) for k in ('x', 'y'))
    return sh, xax, yax, sh.panels[0]


def _upright_at(c, v, right=False):
    """The page of case c with a dashed reference line at value v across its left (or right) panel, read on that
    panel's own horizontal axis."""
    sh = c.sheet(c.svg)
    panel = (max if right else min)(sh.panels, key=lambda r: r[0])
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f and panel[0] <= a.lo <= panel[2])
    return _added(c.svg, DASHED.format(ax.place(v), panel[3], ax.place(v), panel[1]))


def _rules(found, text, rules):
    return any(_has(found, r, text) for r in rules)


def false_alarms(pagedir, glyphs, programs, expect):
    """Pages the check once failed though nothing was misplaced on them, and faults it once missed."""
    def prog(name, extra='', old='', new=''):
        """The program of a gallery case with options added to its plot statement (or a text replaced)."""
        text = PROGRAM_TEXT[name]
        text = text.replace(old, new) if old else text
        if extra:
            text = re.sub(r'(\b(?:probplot|relationplot|mcfplot)\b[^;]*?)(;)', r'\1 ' + extra + r'\2', text, count=1,
                          flags=re.I)
        return placement.Program(text)

    # the values read off at an INTERSECT line without a label have none: the 180-day line of the four groups
    # unlabelled, its label and its four values taken off the page; its intersection lines cross the other lines
    # where other groups' fitted lines pass
    c = Case(pagedir, 'probplot-intersect-four-groups-device.svg', glyphs, programs)
    c.prog = prog('probplot-intersect-four-groups', old="'180 d'", new="''")
    svg = c.svg
    for n in sorted((c.box(t)[1] for t in ('180 d', '14.15', '18.52', '24.65', '38.88')), reverse=True):
        svg = c.removed(svg, n)
    expect('the values read off at an unlabelled INTERSECT line are not asked for',
           not any(r == 'missing' for r, _ in c.found(svg)))
    # and beside it, half a point away, a labelled INTERSECT line drawn after it: its intersection lines are still
    # the unlabelled line's (the device road draws them right after their own line)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    x = ax.place(180.0) + 0.5
    c.prog = prog('probplot-intersect-four-groups', old="lref=60 180 365 intersect lreflabels='60 d' '180 d' '1 yr'",
                  new=f"lref=60 180 {ax.value(x):.6g} 365 intersect lreflabels='60 d' '' 'Near' '1 yr'")
    frame = sh.panels[0]
    beside = _added(svg, DASHED.format(x, frame[3], x, frame[1]))
    expect('the values read off at an unlabelled INTERSECT line beside a labelled one are not asked for',
           not any(r == 'missing' and 'value read off' in m for r, m in c.found(beside)))

    # a dash of an MCF limit on a label's line (the label a point and a half from it), and a dotted stroke (a
    # grid line, a dashed fitted line) from the label to near its line: neither is its leader
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    (half, n) = c.box('half')
    at = {t['text']: o[0]['at'] for t, o in placement.read_labels(c.sheet(c.svg), c.prog)[2]}['half']
    up = half[3] <= at      # the label above its line
    dy = (at - 1.5 - half[3]) if up else (at + 1.5 - half[1])
    near = c.moved(c.svg, n, 0, dy)
    y = at - 0.6 if up else at + 0.6
    dash = _added(near, LINE.format(half[0] + 1.0, y, half[0] + 6.0, y))
    expect('a limit\'s dash along a label\'s line is no leader', not _rules(c.found(dash), 'half', ('ends', 'thin')))
    edge = half[3] + 0.5 if up else half[1] - 0.5
    dotted = _added(c.svg, DASHED.format(half[0] + 3.0, edge, half[0] + 3.0, y))
    expect('a dotted stroke from a label to near its line is no leader', not _rules(c.found(dotted), 'half',
                                                                                   ('ends', 'thin')))

    # 'half' and 'one' (labelling the 0.5 line as well) written on that line side by side, a stroke from the line
    # beside 'half' to the side of 'one' just off the line: the leader of 'one' (it ends on the line), not one of
    # 'half' stopping short of it
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new="vref=0.5 1 0.5 vreflabels='half' 'one' 'one'")
    (one, m) = c.box('one')
    on = c.moved(c.svg, n, 0, at - (half[1] + half[3]) / 2)
    on = c.moved(on, m, half[2] + 12.0 - one[0], at - (one[1] + one[3]) / 2)
    between = _added(on, LINE.format(half[2] + 0.7, at, half[2] + 11.4, at - 1.2))
    expect('a leader between two labels of a line is that of the one at its end off the line',
           not _has(c.found(between), 'ends', 'half'))

    # a fitted line the panel's clip cuts at the frame's side where the 'one' line starts, its end beside 'half':
    # it runs on out of sight there, no leader of 'half' to that line
    c.prog = prog('mcf-valve-seats-references')
    frame = c.sheet(c.svg).panel_of(placement._centre(half))
    lines = {t['text']: o[0]['at'] for t, o in placement.read_labels(c.sheet(c.svg), c.prog)[2]}
    u, q = (half[0] - 2.0, (half[1] + half[3]) / 2), (frame[0], lines['one'])
    o = (q[0] - 20.0, q[1] + 20.0 * (q[1] - u[1]) / (u[0] - q[0]))
    clip = (f'<clipPath id="selftest"><rect x="{frame[0]:g}" y="{frame[1]:g}" width="{frame[2] - frame[0]:g}" '
            f'height="{frame[3] - frame[1]:g}"/></clipPath>\n')
    svg = _added(c.svg.replace('</defs>', clip + '</defs>', 1),
                 '<g clip-path="url(#selftest)">\n' + LINE.format(o[0], o[1], u[0], u[1]) + '</g>\n')
    expect('a fitted line cut by the clip where a line starts is no leader to it',
           not _has(c.found(svg), 'near', 'half'))

    # a curve's level step that ends under the end of 'half' and runs on to the '40 days' line: it passes the text,
    # no leader of it to that line
    y = half[3] + 1.3
    step = _added(c.svg, LINE.format(half[2] - 1.5, y, lines['40 days'], y))
    expect('a level step that ends under a label is no leader', not _has(c.found(step), 'near', 'half'))

    # a count of censored units above the panel ("23") and a line at 23 days: the count is written as no value read
    # off is, and stands outside the panel as no label of that line (a group's number in a panel's strip alike)
    c = Case(pagedir, 'mcf-valve-seats-cenbin-device.svg', glyphs, programs)
    c.prog = prog('mcf-valve-seats-cenbin', 'href=23')
    expect('a number above the panel written as no value read off is no label', not _has(c.found(_upright_at(c, 23)),
                                                                                         'panel', '23'))

    # a stress line just inside the relation plot's side, before its first tick and nearer the last tick of the
    # probability plot beside it: read on its own panel's axis, the label 'Mission' owns it (not the frame's side)
    c = Case(pagedir, 'relation-pplot-first-tick-statistical.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    _, _, labels, _, _ = placement.read_labels(sh, c.prog)
    own = [p['at'] for t, lines in labels if t['text'] == 'Mission' for p in lines]
    panel = max(sh.panels, key=lambda r: r[0])
    expect('a line by its panel\'s side is read on its own panel\'s axis', bool(own) and all(x > panel[0] + 1.0 for x in own))

    # a legend's number beside a line at its value, and a percentile label of a relation plot beside a line at
    # its value: no labels of those lines
    c = Case(pagedir, 'relation-fluid-power-pplot-statistical.svg', glyphs, programs)
    c.prog = prog('relation-fluid-power-pplot', 'sref=30 50')
    sh = c.sheet(c.svg)
    panel = max(sh.panels, key=lambda r: r[0])
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f and panel[0] <= a.lo <= panel[2])
    lines = [DASHED.format(ax.place(v), panel[3], ax.place(v), panel[1]) for v in (30, 50)]
    found = c.found(_added(c.svg, *lines))
    expect('a legend\'s number is no value read off', not _has(found, 'panel', '30'))
    expect('a percentile label is no value read off', not _rules(found, '50', ('far', 'near')))

    # two turned panels one above the other, the lower one's top tick without a number: its values read off are
    # read on its own axis
    c = Case(pagedir, 'probplot-intersect-turned-panels-device.svg', glyphs, programs)
    expect('values read off in the lower of two turned panels are read on its axis',
           not any(r == 'missing' for r, _ in c.found(c.svg)))

    # a value that reads at the side of the frame without ticks: the frame's side is no line of it
    c = Case(pagedir, 'probplot-diesel-fans-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    edge = ax.value(sh.panels[0][2])
    c.prog = prog('probplot-diesel-fans', f"href={edge:.6g} hreflabels='Edge'")
    expect('a frame\'s side is no reference line', not _has(c.found(c.svg), 'missing', 'Edge'))

    # a dashed line on the axis itself (a value at the axis's first tick) is a reference line: 'half' moved
    # beside a line at the foot of the MCF axis, its other line still at 0.5
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x')
    foot = ax.base
    yax = next(a for a in sh.axes if a.kind == 'y' and a.f)
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new=f"vref=0.5 1 {yax.value(foot):.6g} vreflabels='half' 'one' 'half'")
    (half, n) = c.box('half')
    frame = sh.panels[0]
    svg = _added(c.moved(c.svg, n, 0, foot - 3.0 - half[3]), DASHED.format(frame[0], foot, frame[2], foot))
    expect('a dashed line along the axis is a reference line', not _rules(c.found(svg), 'half', ('far', 'near')))

    # a value where the frame's side without ticks stands: the label beside that side names it (the frame hides
    # the line), though the same text labels a line elsewhere; a frame drawn as one stroke round the panel, and
    # one drawn side by side
    for name, case, old, new, text, along in (
            ('probplot-pref-labels-close-statistical.svg', 'probplot-pref-labels-close', "'Zeta six'",
             "'Zeta six' 'Alpha one'", 'Alpha one', 0.5),
            ('mcf-valve-seats-references-device.svg', 'mcf-valve-seats-references', "vreflabels='half' 'one'",
             "vreflabels='half' 'one' 'half'", 'half', 0.3)):
        c = Case(pagedir, name, glyphs, programs)
        sh = c.sheet(c.svg)
        top = sh.panels[0][1]
        yax = next(a for a in sh.axes if a.kind == 'y' and a.f)
        source = re.sub(r'((?:pref|vref)=[\d. ]*\d)', r'\g<1> ' + f'{yax.value(top):.6g}', PROGRAM_TEXT[case], count=1)
        c.prog = placement.Program(source.replace(old, new, 1))
        (box, n) = c.box(text)
        x = sh.panels[0][0] + along * (sh.panels[0][2] - sh.panels[0][0])   # clear of the inset and other lines
        svg = c.moved(c.svg, n, x - box[0], top + 3.0 - box[1])
        expect(f'a label beside the frame\'s side at its value names it ({name})',
               not _rules(c.found(svg), text, ('far', 'near')))

    # a value just past the frame's side (a line drawn in the strip beside a turned frame): the label beside that
    # side, inside the panel, names it, though the same text labels a line elsewhere
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    top = sh.panels[0][1]
    yax = next(a for a in sh.axes if a.kind == 'y' and a.f)
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new=f"vref=0.5 1 {yax.value(top - 1.0):.6g} vreflabels='half' 'one' 'half'")
    (box, n) = c.box('half')
    x = sh.panels[0][0] + 0.3 * (sh.panels[0][2] - sh.panels[0][0])
    svg = _added(c.moved(c.svg, n, x - box[0], top + 3.0 - box[1]),
                 DASHED.format(sh.panels[0][0], top - 1.0, sh.panels[0][2], top - 1.0))
    expect('a label beside the frame\'s side names a line just past it', not _rules(c.found(svg), 'half', ('far', 'near')))

    # SREF= draws no line on the probability plot beside a relation plot
    c = Case(pagedir, 'relation-fluid-power-pplot-device.svg', glyphs, programs)
    c.prog = prog('relation-fluid-power-pplot', "sref=50 sreflabels='Mid'")
    svg = _upright_at(c, 50)
    expect('an SREF= label is not asked for on the probability plot', not _has(c.found(svg), 'missing', 'Mid'))

    # the probability plot beside a relation plot has its own axis, whose percents run on into the stresses: a
    # PREF= line drawn there without its label is missing
    c = Case(pagedir, 'relation-insulation-pplot-statistical.svg', glyphs, programs)
    c.prog = prog('relation-insulation-pplot', "pref=50 preflabels='Half'")
    svg = _upright_at(c, 50)
    expect('a PREF= label left out of the probability plot beside a relation plot is missing',
           _has(c.found(svg), 'missing', 'Half'))

    # labels of two panels one above the other share no band: the lines of 'Alpha' and 'Beta' drawn 30 points
    # apart in both panels, 'Alpha' of the upper panel and 'Beta' of the lower one moved between them
    c = Case(pagedir, 'probplot-crossing-value-over-a-point-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    c.prog = prog('probplot-crossing-value-over-a-point', old='href=547.78 580.65',
                  new=f'href={ax.value(300.0):.6g} {ax.value(330.0):.6g}')
    up, down = sorted(sh.panels, key=lambda r: r[1])
    svg = _added(c.svg, *[DASHED.format(x, r[3], x, r[1]) for x in (300.0, 330.0) for r in (up, down)])
    for text, panel, x in (('Alpha', up, 301.0), ('Beta', down, 302.0)):
        n, t = next((n, t) for n, t in enumerate(c.sheet(svg).texts) if t['text'] == text and
                    sh.panel_of(placement._centre(t['box'])) == panel)
        svg = c.moved(svg, n, x - t['box'][0], 0)
    expect('labels of two panels share no band', not _has(c.found(svg), 'band', 'Alpha'))

    # a label that touches its panel's side, where the side runs on above the panel: no line crosses it
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    (half, n) = c.box('half')
    side = c.sheet(c.svg).panels[0][0]
    expect('a frame\'s side that runs on past its panel is no fitted line',
           not _has(c.found(c.moved(c.svg, n, side - 0.03 - half[0], 0)), 'cross', 'half'))

    # '40 days' moved under '400 days' as the next row of a column, its ink reaching up into the row above as an
    # accent over a capital reaches into a descender, its middle right of the other's: rows of a column stand in
    # no order across their upright lines; moved beside '400 days' on its row, right of it: order
    (d40, n), (d400, _) = c.box('40 days'), c.box('400 days')
    size = c.sheet(c.svg).texts[n].get('size', d40[3] - d40[1])
    under = c.moved(c.svg, n, d400[2] + 5.0 - d40[2], d400[3] - 0.15 * size - d40[1])
    beside = c.moved(c.svg, n, d400[2] + 5.0 - d40[0], d400[1] - d40[1])
    expect('the rows of a column sharing an accent\'s height stand in no order',
           not _has(c.found(under), 'order', '40 days'))
    expect('labels of upright lines side by side in the other order than their lines fail',
           _has(c.found(beside), 'order', '40 days'))

    # 'half' (VREF=0.5) with its line drawn 10 points long from the frame's side (an intersection line from the axis
    # to a fitted line that crosses near it): its line however short
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    at = {t['text']: o[0] for t, o in placement.read_labels(sh, c.prog)[2]}['half']
    (a, b), frame = at['polys'][0], sh.panels[0]
    stroke = next(m.group(0) for m in STROKE.finditer(c.svg) if 'dasharray' in m.group(1) and
                  {(float(m.group(2)), float(m.group(3))), (float(m.group(4)), float(m.group(5)))} == {a, b})
    short = c.svg.replace(stroke, c.restroke(stroke, (frame[0], a[1]), (frame[0] + 10.0, a[1])))
    owns = {t['text']: o for t, o in placement.read_labels(c.sheet(short), c.prog)[2]}
    expect('a dashed line 10 points long is a reference line', any(abs(p['at'] - a[1]) < 0.3 for p in owns.get('half', [])))

    # a straight fitted line that ends on 'half''s line just below its text, its other end on the 'one' line: it runs
    # from the label's line, not from its text (a leader leaves its text from a side)
    (half, n), (one, _) = c.box('half'), c.box('one')
    own = at['at']
    up = half[3] <= own
    near = c.moved(c.svg, n, 0, (own - 1.5 - half[3]) if up else (own + 1.5 - half[1]))
    one_at = {t['text']: o[0]['at'] for t, o in placement.read_labels(sh, c.prog)[2]}['one']
    fitted = LINE.format(half[0] + 2.0, own, half[0] + 40.0, one_at)
    expect('a fitted line from a label\'s own line past its text is no leader',
           not _rules(c.found(_added(near, fitted)), 'half', ('near', 'thin')))

    # a straight fitted line from beside a reference label to a place on no line is data, not a leader
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    (half, _) = c.box('half')
    u, w = (half[2] + 1.0, half[3] + 1.0), (half[2] + 41.0, half[3] + 31.0)
    sh = c.sheet(_added(c.svg, LINE.format(*u, *w)))
    expect('a straight line from beside a label to no line is data',
           any(placement._pt_seg(u, p, q) < 0.01 and placement._pt_seg(w, p, q) < 0.01
               for p, q in placement._data_lines(sh, sh.boxes)))

    # the percent 50 of the left panel's axis moved into that panel, against the side of the panel beside it, at
    # the height of that panel's tick: no tick label of the panel beside (a value read off beside its side)
    c = Case(pagedir, 'probplot-long-reference-label-statistical.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    left = min(sh.panels, key=lambda r: r[0])
    n, t = next((n, t) for n, t in enumerate(sh.texts) if t['text'] == '50' and t['box'][2] < left[0])
    moved = c.sheet(c.moved(c.svg, n, left[2] - 2.0 - t['box'][2], 0))
    expect('a number across a frame\'s side is no tick label of the panel beyond', n not in moved.ticklabels)

    # a circle marker (two curves whose control points lie outside it) is read as high as it is wide
    marks = [b for k, b in c.sheet(c.svg).marks]
    expect('a circle marker is read by its outline', bool(marks) and
           all(abs((b[3] - b[1]) - (b[2] - b[0])) < 0.1 for b in marks))

    # 'T' left out, its line 0.4 pt right of an intersection line of B50, whose label the program leaves out (the
    # page drawn without it and its values), another line 8 points right of it: no place left of its line, where
    # the unlabelled line stands nearer its text than its own
    c = Case(pagedir, 'probplot-intersect-four-groups-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    x = {t['text']: o[0]['at'] for t, o in placement.read_labels(sh, c.prog)[2]}['627.0'] + 0.4
    c.prog = prog('probplot-intersect-four-groups', old="lref=60 180 365 intersect lreflabels='60 d' '180 d' '1 yr' "
                  "pref=10 50 intersect preflabels='B10' 'B50'",
                  new=f"lref=60 180 365 {ax.value(x):.6g} intersect lreflabels='60 d' '180 d' '1 yr' 'T' "
                      "pref=10 50 intersect preflabels='B10' ''")
    svg = c.svg
    for n in sorted((c.box(t)[1] for t in ('B50', '236.2', '357.5', '379.1', '627.0')), reverse=True):
        svg = c.removed(svg, n)
    frame = sh.panels[0]
    svg = _added(svg, *[DASHED.format(u, frame[3], u, frame[1]) for u in (x, x + 8.0)])
    expect('a label left out has no place nearer an unlabelled INTERSECT line\'s values than its own line',
           not any(r == 'missing' and '"T"' in m and 'left of its line, baseline' in m for r, m in c.found(svg)))

    # 'Zeta six' given to the lines at 1.6 and 2 percent, 'Eps five' to the 2 percent line too: both on one row
    # below the 2 percent line, clear of their leaders, share no band (each is beside its own line); 'Zeta six'
    # given the 1.6 percent line alone: they do
    c = Case(pagedir, 'probplot-pref-labels-close-device.svg', glyphs, programs)
    first = "'Alpha one' 'Beta two' 'Gamma three' 'Delta four' 'Eps five' 'Zeta six'"
    two = prog('probplot-pref-labels-close', old='pref=1 1.2 1.4 1.6 1.8 2\n      preflabels=' + first,
               new="pref=1 1.2 1.4 1.6 1.8 2 2\n      preflabels='Alpha one' 'Beta two' 'Gamma three' 'Zeta six' "
                   "'Delta four' 'Zeta six' 'Eps five'")
    one = prog('probplot-pref-labels-close', old='pref=1 1.2 1.4 1.6 1.8 2\n      preflabels=' + first,
               new="pref=1 1.2 1.4 1.6 1.8 2\n      preflabels='Alpha one' 'Beta two' 'Gamma three' 'Zeta six' "
                   "'Delta four' 'Eps five'")
    c.prog = two
    line = {t['text']: min(p['at'] for p in o) for t, o in placement.read_labels(c.sheet(c.svg), c.prog)[2]}['Eps five']
    svg = c.svg
    for text, x in (('Zeta six', 360.0), ('Eps five', 440.0)):
        box, n = c.box(text)
        svg = c.moved(svg.replace(c.leader(svg, box)[0], ''), n, x - box[0], line + 2.0 - box[1])
    expect('labels of one line on a row below it share no band, one naming a line across the band too',
           not _has(c.found(svg), 'band', 'Zeta six'))
    c.prog = one
    expect('labels of two lines on a row between them share the band', _has(c.found(svg), 'band', 'Zeta six'))

    # 'one' moved to a line of its own 30 points higher, and an unlabelled line 0.31 points from that line (across
    # a whole point; an intersection line of another INTERSECT line): the value's line, its label asked for once
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    yax = next(a for a in sh.axes if a.kind == 'y' and a.f)
    frame = sh.panels[0]
    (one, n) = c.box('one')
    y = int(one[1] - 30.0) + 0.4
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new=f"vref=0.5 {yax.value(y):.8g} vreflabels='half' 'one'")
    svg = _added(c.moved(c.svg, n, 0, y + 2.0 - one[1]),
                 *[DASHED.format(frame[0], u, frame[2], u) for u in (y - 0.02, y + 0.29)])
    expect('a label beside its line, another line a hair from it, is not left out', not _has(c.found(svg), 'missing',
                                                                                          'one'))

    # '400 days' left out: the place offered beside its line, then a marker a quarter of a text height right of
    # that place's text: the drawing keeps markers as far as lines, the place is offered no more
    def places(found, text):
        return [tuple(float(v) for v in m.groups()) for r, msg in found if r == 'missing' and f'"{text}"' in msg
                for m in [re.search(r'\((-?[\d.]+),(-?[\d.]+)\)-\((-?[\d.]+),(-?[\d.]+)\)$', msg)]]
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    (days, n) = c.box('400 days')
    gone = c.removed(c.svg, n)
    first = places(c.found(gone), '400 days')
    use = re.search(r'<use xlink:href="#(surface\d+)" transform="matrix\(1,0,0,1,([-\d.]+),([-\d.]+)\)"/>', c.svg)
    mark = max(c.sheet(_added(c.svg, use.group(0))).marks)[1]
    dx, dy = float(use.group(2)) - mark[0], float(use.group(3)) - mark[1]
    h = days[3] - days[1]
    at = (first[0][2] + 0.25 * h + dx, (first[0][1] + first[0][3] - mark[3] + mark[1]) / 2 + dy) if first else (0, 0)
    marked = _added(gone, f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,{at[0]:g},{at[1]:g})"/>\n')
    expect('a place with a marker a quarter of a text height beside its text is not offered',
           len(first) == 1 and first[0] not in places(c.found(marked), '400 days'))
    # the same page named for the statistical road, its program's OPTIONS naming the device road that drew it
    # (they overrule --graphics): judged as the device road draws, the same place offered
    c.prog = placement.Program('options graphics=device;\n' + PROGRAM_TEXT['mcf-valve-seats-references'])
    c.path = c.path.replace('-device.svg', '-statistical.svg')
    expect('a page is judged by the road its program\'s OPTIONS name, whatever its name says',
           len(first) == 1 and places(c.found(gone), '400 days') == first)

    # 'Zeta six' moved right, above its (level) line, its leader drawn down to it; an unlabelled line from the
    # frame's foot up through where that leader ends (drawn first: the nearer line there by a hair), and 'Mu' of a
    # line 0.7 points beside it that stops at the level line, left out: its leader would end where that of 'Zeta
    # six' ends on another line than its own, so no place is offered
    c = Case(pagedir, 'probplot-pref-labels-close-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    frame = sh.panels[0]
    (zeta, n) = c.box('Zeta six')
    y = {t['text']: o[0]['at'] for t, o in placement.read_labels(sh, c.prog)[2]}['Zeta six']
    x = frame[0] + 0.8 * (frame[2] - frame[0])
    svg = c.moved(c.svg.replace(c.leader(c.svg, zeta)[0], ''), n, x + 10.0 - zeta[0], y - 14.0 - zeta[1])
    svg = _added(svg, LINE.format(x + 9.0, y - 10.0, x, y + 0.2), DASHED.format(x - 0.7, frame[3], x - 0.7, y))
    svg = _first(svg, DASHED.format(x, frame[3], x, y - 3.0))
    c.prog = prog('probplot-pref-labels-close', f"href={ax.value(x):.8g} {ax.value(x - 0.7):.8g} hreflabels='' 'Mu'")
    expect('a place whose leader ends where another label\'s ends, on another line than its own, is not offered',
           not _has(c.found(svg), 'missing', 'Mu'))

    # '40 days' moved onto the row of the place offered to '400 days' (left out), left of it a text height and a
    # half a point apart by their ink, less by their advances (the side bearings of the 's' and the '4'): the
    # drawing spaces texts on a row by their advances, the place is offered no more
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    (days, n), (forty, k) = c.box('400 days'), c.box('40 days')
    gone = c.removed(c.svg, n)
    first = places(c.found(gone), '400 days')
    size = next(t['size'] for t in c.sheet(c.svg).texts if t['text'] == '400 days')
    gap = (1 + placement.SLACK) * size + 0.5
    row = c.moved(gone, k - (k > n), days[0] - gap - forty[2], (first[0][1] if first else 0) - forty[1])
    expect('a place a text height from another label by their ink, less by their advances, is not offered',
           len(first) == 1 and first[0] not in places(c.found(row), '400 days'))
    # 'half' left out, and 'one' moved over the place offered to it, its ink a point above the place's (as
    # the message rounds it): their lines of text (the ascent and the descent about their baselines, as the
    # drawing keeps labels apart) overlap, no place there
    (half, n), (one, k) = c.box('half'), c.box('one')
    gone = c.removed(c.svg, n)
    first = places(c.found(gone), 'half')
    at = first[0] if first else (0, 0, 0, 0)
    over = c.moved(gone, k - (k > n), at[0] - one[0], at[1] - 1.0 - one[3])
    expect('a place whose text stands on another label\'s line of text is not offered',
           len(first) == 1 and first[0] not in places(c.found(over), 'half'))

    # '81.87' (the value read off at the 63.2 line) taken off: the inset's scale, 81.87833, is no label of it; a
    # leader from a text just right of the '100 Mrev' line, rising to where the value's line ends below the text,
    # crosses '100 Mrev' at the text's own height: it reads as that line's label, no way for it; the same leader from
    # a text left of '100 Mrev' is one
    c = Case(pagedir, 'probplot-bearings-intersect-statistical.svg', glyphs, programs)
    rooms = []

    class Kept(placement._Room):
        def __init__(self, *a, **k):
            super().__init__(*a, **k)
            rooms.append(self)
    (value, n) = c.box('81.87')
    gone = c.sheet(c.removed(c.svg, n))
    placement._Room, was = Kept, placement._Room
    try:
        placement.check(gone, c.prog)
    finally:
        placement._Room = was
    ask = min((a for a in gone.asked[0] if a.read_off and a.kind == 'x'), key=lambda a: abs(a.at - value[2]),
              default=None) if rooms else None
    if ask:
        (la, lb), hundred = ask.own[0]['polys'][0], next(p['at'] for p in rooms[0].refs if p['kind'] == 'x' and
                                                          1 < p['at'] - ask.at < 30)
        top, h = min(la[1], lb[1]), value[3] - value[1]
        ways = {}
        for x in (hundred + 2.0, hundred - 8.0):
            text = (x, top - 1.5 * h, x + 5.0, top - 0.2 * h)
            ways[x > hundred] = rooms[0].leads_clear(ask, text, [((x - 0.5, top - 0.8 * h), (ask.at, top))], h, False)
    expect('the inset\'s 81.87833 shows no value read off', ask is not None and id(ask) not in gone.asked[1])
    expect('a leader rising to its upright line\'s end across another right beside its text is no way to it',
           ask is not None and ways[True] == 'near' and ways[False] != 'near')

    # '40 days' naming a line at 500 days too, moved to 1.2 points right of that line, a level leader from beside
    # it (across it) to its line at 40 days, an unlabelled level line half a point under the text: the stroke is
    # its leader (it leaves the text across a line of its own, not along one), and no line is nearer than its own
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh, xax, yax, frame = _axes(c)
    (days, n) = c.box('40 days')
    x, y = xax.place(500), yax.place(2.25)
    c.prog = placement.Program(PROGRAM_TEXT['mcf-valve-seats-references']
                               .replace("vref=0.5 1 vreflabels='half' 'one'",
                                        f"vref=0.5 1 {yax.value(y + 0.5):.8g} vreflabels='half' 'one' ''")
                               .replace("href=40 400 hreflabels='40 days' '400 days'",
                                        "href=40 400 500 hreflabels='40 days' '400 days' '40 days'"))
    mid = y - (days[3] - days[1]) / 2
    svg = _added(c.moved(c.svg, n, x + 1.2 - days[0], y - days[3]), DASHED.format(x, frame[1], x, frame[3]),
                 DASHED.format(frame[0], y + 0.5, frame[2], y + 0.5), LINE.format(x + 0.6, mid, xax.place(40), mid))
    expect('a leader that leaves its text across a line of its own beside it is a leader',
           not _has(c.found(svg), 'near', '40 days'))

    # a second line at 0.5 (the value's line of another group), drawn first, ending at 700 days; 'half' moved
    # below the lines 2.8 text heights, two text heights past that end, its leader up to both lines short of it:
    # within reach of the line that runs on over it, its own as well
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh, xax, yax, frame = _axes(c)
    (half, n) = c.box('half')
    h = placement._height(next(t for t in sh.texts if t['text'] == 'half'))
    end, y = xax.place(700), yax.place(0.5)
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new="vref=0.5 1 0.5 vreflabels='half' 'one' 'half'")
    svg = _added(c.moved(c.svg, n, end + 2 * h - half[0], y + 2.8 * h - half[1]),
                 LINE.format(end + 2 * h - 0.5, y + 2.8 * h, end - 1.0, y))
    svg = _first(svg, DASHED.format(frame[0], y, end, y))
    expect('a label led to a value\'s lines of two groups is within reach of the longer',
           not _has(c.found(svg), 'reach', 'half'))

    # 'one' naming an upright line at 500 days as well (drawn first), moved just under its level line, across
    # from 212 points, and '40 days' naming a line at 195 points, moved beside it under 'one': 'one' labels the
    # level line it stands by, no band between '40 days''s upright line and another upright line
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh, xax, yax, frame = _axes(c)
    (one, n), (forty, k) = c.box('one'), c.box('40 days')
    y = yax.place(1)
    c.prog = placement.Program(PROGRAM_TEXT['mcf-valve-seats-references'].replace(
        "href=40 400 hreflabels='40 days' '400 days'",
        f"href={xax.value(195):.8g} 400 500 hreflabels='40 days' '400 days' 'one'"))
    svg = c.moved(c.svg, n, 212.0 - one[0], y + 1.5 - one[1])
    svg = c.moved(svg, k, 197.0 - forty[0], y + 3.0 + one[3] - one[1] - forty[1])
    svg = _added(svg, DASHED.format(195.0, frame[1], 195.0, frame[3]))
    svg = _first(svg, DASHED.format(xax.place(500), frame[1], xax.place(500), frame[3]))
    expect('a label of a level line and one of an upright line share no band', not _has(c.found(svg), 'band', 'one'))

    # 'one' written over its own line 6.5 points right of the '400 days' line, a stroke along its line from its
    # text to 0.8 points short of '400 days': it runs along its own line, no leader to another
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh, xax, yax, _ = _axes(c)
    (one, n) = c.box('one')
    x, y = xax.place(400), yax.place(1)
    svg = _added(c.moved(c.svg, n, x + 6.5 - one[0], y - (one[1] + one[3]) / 2),
                 LINE.format(x + 6.2, y, x + 0.8, y))
    expect('a stroke along a label\'s own line under its text is no leader to another line',
           not _has(c.found(svg), 'near', 'one'))

    # 'one' naming a line a point above the one at 0.5, 'half' and 'one' above them side by side, their leaders
    # crossing each other a point above where they end (two points apart): lines that close may have leaders that
    # run into one place, but they cross
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    yax = next(a for a in sh.axes if a.kind == 'y' and a.f)
    frame = sh.panels[0]
    (half, n), (one, k) = c.box('half'), c.box('one')
    y = yax.place(0.5)
    c.prog = prog('mcf-valve-seats-references', old="vref=0.5 1 vreflabels='half' 'one'",
                  new=f"vref=0.5 1 {yax.value(y - 1.0):.8g} vreflabels='half' '' 'one'")
    svg = c.moved(c.moved(c.svg, n, 100.0 - half[0], y - 12.0 - half[1]), k, 140.0 - one[0], y - 12.0 - one[1])
    svg = _added(svg, DASHED.format(frame[0], y - 1.0, frame[2], y - 1.0),
                 LINE.format(100.0 + half[2] - half[0] + 0.5, y - 8.0, 131.0, y),
                 LINE.format(139.5, y - 8.0, 129.0, y - 1.0))
    expect('leaders of close lines that cross near where they end cross', _has(c.found(svg), 'leaders', 'half'))


def _found(c, svg):
    """What the check finds on a page, or None where it fails on it."""
    try:
        return c.found(svg)
    except Exception as e:   # noqa: BLE001 (a check that ends on a page checks none of its rules)
        print(f'     the check ends in {type(e).__name__}')
        return None


def reading(pagedir, glyphs, programs, expect):
    """Labels read as the page draws them, and what a page does not show."""
    def prog(name, old, new):
        return placement.Program(PROGRAM_TEXT[name].replace(old, new))

    # the line at 1 given twice, its second label cut at 16 bytes to 'one' and blanks: the page writes 'one' once,
    # for both (the blanks show nothing)
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    c.prog = prog('mcf-valve-seats-references', "vref=0.5 1 vreflabels='half' 'one'",
                  "vref=0.5 1 1 vreflabels='half' 'one' 'one" + ' ' * 13 + "and more'")
    found = _found(c, c.svg)
    expect('a label cut to another\'s text and blanks is that label', found == [])

    # '400 days' given as '400 dàys' (the accented letter read back as any), 'half' as 'hàlf-wày', which the page
    # does not show: accented labels read, asked for and judged like any other
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    c.prog = placement.Program(PROGRAM_TEXT['mcf-valve-seats-references'].replace("'400 days'", "'400 d\u00e0ys'")
                               .replace("'half'", "'h\u00e0lf-w\u00e0y'"))
    (_, n) = c.box('400 days')
    found = _found(c, c.svg)
    expect('accented labels are read and asked for', found is not None and
           not _has(found, 'missing', '400 d\u00e0ys') and _has(found, 'missing', 'h\u00e0lf-w\u00e0y'))
    found = _found(c, c.removed(c.svg, n))
    expect('an accented label left out is missing', found is not None and _has(found, 'missing', '400 d\u00e0ys'))

    # PREF= and VREF= on the device road, and on the statistical road: the device road draws no VREF= line then,
    # the statistical road PREF= in its place (a WARNING says so), so a label of VREF= names no line; with HREF=
    # beside them, the statistical road draws HREF=
    for road, href in (('device', False), ('statistical', True)):
        p = placement.Program(f"options graphics={road};\nproc vitalyx data=fans;\n  relationplot hours = temp / "
                              f"pref=36 vref=2442.96 href=200 preflabels='Pee' vreflabels='Vee' hreflabels='Aitch';\nrun;")
        expect(f'a VREF= list PREF= stands in place of ({road} road) names no line',
               p.given('Vee') == [] and p.given('Pee') != [] and (p.given('Aitch') != []) == href)

    # a program of Latin-1 bytes whose label's 16th byte is é: the page shows its first 16 bytes, é for the last
    c = Case(pagedir, 'probplot-long-reference-label-device.svg', glyphs, programs)
    raw = PROGRAM_TEXT['probplot-long-reference-label'].replace('one thousand hours', 'one thousand ho\u00e9rs')
    c.prog = placement.Program(placement.program_text(raw.encode('latin-1')))
    found = _found(c, c.svg)
    expect('a Latin-1 label cut to 16 bytes is read', found is not None and not any(r == 'missing' for r, _ in found))
    # a second line, left of the label, labelled with the text the cut label shows: the text names both lines, and
    # stands beside the nearer of them
    c = Case(pagedir, 'probplot-long-reference-label-device.svg', glyphs, programs)
    c.prog = prog('probplot-long-reference-label', "lref=1000 lreflabels='one thousand hours of service'",
                  "lref=1000 150 lreflabels='one thousand hours of service' 'one thousand hou'")
    found = _found(c, _upright_at(c, 150))
    expect('a label cut to show as another\'s whole text names both lines', found is not None and
           not _rules(found, 'one thousand hou', ('near', 'far')))
    # a second line labelled with a longer text that starts as the page's '400 days' does: that text is the
    # label of its own line only, and the longer one is not shown
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    c.prog = prog('mcf-valve-seats-references', "href=40 400 hreflabels='40 days' '400 days'",
                  "href=40 400 150 hreflabels='40 days' '400 days' '400 days or more'")
    sh = c.sheet(_upright_at(c, 150))
    placement.check(sh, c.prog)
    asks, got = getattr(sh, 'asked', ([], {}))
    expect('a text shows one label: its own, not the start of another\'s', any(a.text == '400 days' for a in asks) and
           all((id(a) in got) == (a.text == '400 days') for a in asks if a.text.startswith('400 days')))

    # the page's LREF=1000 label given to PREF=1000 instead: PREF= draws at the probability axis only, so the text
    # names no line, though 1000 reads on the life axis where a line stands
    c = Case(pagedir, 'probplot-long-reference-label-device.svg', glyphs, programs)
    c.prog = prog('probplot-long-reference-label', 'lref=1000 lreflabels=', 'pref=1000 preflabels=')
    labels = placement.read_labels(c.sheet(c.svg), c.prog)[2]
    expect('a PREF= label names no line of the other axis at its value',
           not any(t['text'].startswith('one thousand') for t, _ in labels))

    # a labelled value off every axis draws no label: none is wanted back from the page
    sh = c.sheet(c.svg)
    off = placement.Program(PROGRAM_TEXT['probplot-long-reference-label'].replace('lref=1000', 'lref=1e9'))
    expect('a label of a value off the axes is not wanted back', not placement._on_axes(sh, off) and
           placement._on_axes(sh, c.prog))

    # 'half' under the inset, painted before the inset's box: hidden, so left out (and no label that stands far)
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    inset = c.sheet(c.svg).boxes[0]
    (half, n) = c.box('half')
    at, _ = c.ground(inset)
    run = list(RUN.finditer(c.moved(c.svg, n, inset[0] + 4.0 - half[0], inset[1] + 4.0 - half[1])))[n]
    m = list(RUN.finditer(c.svg))[n]
    under = c.svg[:m.start()] + c.svg[m.end():]
    under = under[:at] + run.group(0) + under[at:]
    found = _found(c, under)
    expect('a label under an inset is left out', found is not None and _has(found, 'missing', 'half') and
           not _rules(found, 'half', ('far', 'near', 'inset')))

    # a pair of an MCF limit's dashes round a point, one by '400 days' ending a point from its line: no leader
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    (days, _) = c.box('400 days')
    x = next(o[0]['at'] for t, o in placement.read_labels(sh, c.prog)[2] if t['text'] == '400 days')
    use = re.search(r'<use xlink:href="#(surface\d+)" transform="matrix\(1,0,0,1,', c.svg).group(1)
    mark = '<use xlink:href="#{}" transform="matrix(1,0,0,1,{:g},{:g})"/>\n'
    probe = c.sheet(_added(c.svg, mark.format(use, 0, 0)))
    centre = placement._centre(max(probe.marks)[1])
    y = days[3] + 2.0
    dash = ('<path style="fill:none;stroke-width:0.8;stroke:rgb(16%,38%,72%);stroke-opacity:1;" '
            'd="M {:g} {:g} L {:g} {:g} "/>\n')
    limits = _added(c.svg, dash.format(x + 1.0, y, x + 7.0, y), dash.format(x + 1.0, y + 20, x + 7.0, y + 20),
                    mark.format(use, x + 4.0 - centre[0], y + 10 - centre[1]))
    found = _found(c, limits)
    expect('a limit\'s dashes round a point are no leader', found is not None and
           not _rules(found, '400 days', ('thin', 'ends')))
    # one dash alone by '400 days', moved near the panel's foot, its point's marker below it, the other dash's
    # place past the frame's side, another point's limit with both dashes alike in the panel's middle: no leader
    (days, n) = c.box('400 days')
    frame = sh.panels[0]
    foot, px, py = frame[3], (frame[0] + frame[2]) / 2, (frame[1] + frame[3]) / 2
    lone = _added(c.moved(c.svg, n, x + 8.0 - days[0], foot - 14.0 - (days[1] + days[3]) / 2),
                  dash.format(x + 1.0, foot - 14.0, x + 7.0, foot - 14.0),
                  mark.format(use, x + 4.0 - centre[0], foot - 6.0 - centre[1]),
                  dash.format(px, py, px + 6.0, py), dash.format(px, py + 20, px + 6.0, py + 20),
                  mark.format(use, px + 3.0 - centre[0], py + 10 - centre[1]))
    found = _found(c, lone)
    expect('a limit\'s dash whose other lies past the frame is no leader', found is not None and
           not _rules(found, '400 days', ('thin', 'ends')))
    # the same strokes 1.7 times as long as the marker is wide, '400 days' moved to the end of the upper one (two
    # alike leaders of a stack of labels, a marker between them): that one is its leader, ending a point off its
    # line, in a fitted line's colour
    m = max(probe.marks)[1]
    long = 1.7 * (m[2] - m[0])
    (days, n) = c.box('400 days')
    mid = (days[1] + days[3]) / 2
    leaders = _added(c.moved(c.svg, n, x + 2.0 + long - days[0], 0), dash.format(x + 1.0, mid, x + 1.0 + long, mid),
                     dash.format(x + 1.0, mid + 20, x + 1.0 + long, mid + 20),
                     mark.format(use, x + 1.0 + long / 2 - centre[0], mid + 10 - centre[1]))
    found = _found(c, leaders)
    expect('two alike strokes longer than a limit\'s dashes round a point are leaders', found is not None and
           _rules(found, '400 days', ('thin', 'ends')))

    # 'half' taken off the page, the program asking for the labels of VREF= at the right end (VREFLABPOS=2): a
    # place offered for it lies in the right half of the panel, where the device road keeps it
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    c.prog = prog('mcf-valve-seats-references', "vreflabels='half' 'one'", "vreflabels='half' 'one' vreflabpos=2")
    found = _found(c, c.removed(c.svg, c.box('half')[1])) or []
    frame = c.sheet(c.svg).panels[0]
    offered = [tuple(float(v) for v in m.groups()) for r, msg in found if r == 'missing' and '"half"' in msg
               for m in [re.search(r'\((-?[\d.]+),(-?[\d.]+)\)-\((-?[\d.]+),(-?[\d.]+)\)$', msg)] if m]
    expect('a place offered to a label whose position the user gave lies in its half of the panel',
           all(b[0] + b[2] > frame[0] + frame[2] for b in offered))

    # a line just inside the frame's side of an unlabelled value, and 'Past' 0.25 pt from it past the side (off
    # the axis: no line): 'Past' is not asked for
    frame = sh.panels[0]
    ax = next(a for a in sh.axes if a.kind == 'x' and a.f)
    inside, past = ax.value(frame[2] - 0.1), ax.value(frame[2] + 0.15)
    c.prog = prog('mcf-valve-seats-references', "href=40 400 hreflabels='40 days' '400 days'",
                  f"href=40 400 {inside:.8g} {past:.8g} hreflabels='40 days' '400 days' '' 'Past'")
    svg = _added(c.svg, DASHED.format(frame[2] - 0.1, frame[3], frame[2] - 0.1, frame[1]))
    found = _found(c, svg)
    expect('a value past the frame beside a drawn line asks for no label', found is not None and
           not _has(found, 'missing', 'Past'))

    # a value at the frame's side, its line drawn dashed 1.6 points inside it (clear of the border), and another
    # value's solid line a tenth of a point further in: the dashed line is the side's value's too, its label
    # ('400 days', left beside the 400-day line) asked for
    side, inner = ax.value(frame[2]), ax.value(frame[2] - 1.5)
    c.prog = prog('mcf-valve-seats-references', "href=40 400 hreflabels='40 days' '400 days'",
                  f"href=40 {inner:.8g} {side:.8g} hreflabels='40 days' '' '400 days'")
    sh = c.sheet(_added(c.svg, DASHED.format(frame[2] - 1.6, frame[3], frame[2] - 1.6, frame[1]),
                        LINE.format(frame[2] - 1.5, frame[3], frame[2] - 1.5, frame[1] + 40.0)))
    placement.check(sh, c.prog)
    expect('a dashed line just inside the side where a value reads is that value\'s, another value beside it',
           any(a.text == '400 days' for a in getattr(sh, 'asked', ([], {}))[0]))

    # a line along the frame's side, and 'E' left out of a line 13 points from it: right of its line it would be
    # nearer the side's line
    side, e = ax.value(frame[2]), ax.value(frame[2] - 13.0)
    c.prog = prog('mcf-valve-seats-references', "href=40 400 hreflabels='40 days' '400 days'",
                  f"href=40 400 {e:.8g} {side:.8g} hreflabels='40 days' '400 days' 'E' ''")
    svg = _added(c.svg, *[DASHED.format(u, frame[3], u, frame[1]) for u in (frame[2] - 13.0, frame[2])])
    found = _found(c, svg) or []
    places = [tuple(float(v) for v in m.groups()) for r, msg in found if r == 'missing' and '"E"' in msg
              for m in [re.search(r'\((-?[\d.]+),(-?[\d.]+)\)-\((-?[\d.]+),(-?[\d.]+)\)$', msg)]]
    expect('a place left out for a label is nearer its own line than the side\'s',
           bool(places) and all(max(b[0] - (frame[2] - 13.0), frame[2] - 13.0 - b[2], 0) <
                                max(b[0] - frame[2], frame[2] - b[2], 0) for b in places))


PROGRAM_TEXT = {}


def main(argv):
    opts, pagedir = {}, None
    k = 0
    while k < len(argv):
        if argv[k] in ('--source', '--glyphs', '--glyphsheet') and k + 1 < len(argv):
            opts[argv[k]] = argv[k + 1]
            k += 2
        else:
            pagedir = argv[k]
            k += 1
    root = opts.get('--source')
    if not (root and pagedir and ('--glyphs' in opts or '--glyphsheet' in opts)):
        print(__doc__.strip().split('\n\n')[-1], file=sys.stderr)
        return 2
    glyphs = placement.load_glyphs(opts.get('--glyphsheet'), opts.get('--glyphs'))
    PROGRAM_TEXT.update(placement.gallery_programs(root))
    programs = {n: placement.Program(t) for n, t in PROGRAM_TEXT.items()}
    failures = []

    def expect(what, ok):
        print(f'{"ok  " if ok else "FAIL"} {what}')
        if not ok:
            failures.append(what)

    # reference labels: 'half' (VREF=0.5) moved beside the 'one' line (VREF=1)
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    (half, n), (one, _) = c.box('half'), c.box('one')
    expect('a reference label beside its own line passes', not _has(c.found(c.svg), 'near', 'half'))
    moved = c.moved(c.svg, n, 0, one[1] - half[1])
    expect('a reference label moved beside another line is near it', _has(c.found(moved), 'near', 'half'))
    # a leader from its new place to its own line
    owns = {t['text']: o[0] for t, o in placement.read_labels(c.sheet(c.svg), c.prog)[2]}
    own = owns['half']

    def own_at(text):
        return owns[text]['at']
    mid = (one[1] + one[3]) / 2
    led = moved.replace('</svg>', LINE.format(half[0] - 1.0, mid, half[0] + 2.0, own['at']) + '</svg>')
    expect('a leader to its own line excuses it', not _has(c.found(led), 'near', 'half'))
    # 'half' led to its own line from just under the 'one' line: a tenth of a point from its letters, the line's
    # stroke lies on them, leader or not; half a point off it does not
    def under_one(gap):
        svg = c.moved(c.svg, n, 0, own_at('one') + gap - half[1])
        y = own_at('one') + gap + (half[3] - half[1]) / 2
        return svg.replace('</svg>', LINE.format(half[0] - 1.0, y, half[0] - 6.0, own['at']) + '</svg>')
    expect('a line along a led label\'s letters is near it', _has(c.found(under_one(0.1)), 'near', 'half'))
    expect('a line half a point off a led label\'s letters is not', not _has(c.found(under_one(0.5)), 'near', 'half'))
    # '40 days' moved right beside the '400 days' line, its leader rising a hair to its own line across that line
    # where the text stands: it reads as the 400 line's label, as with a level leader
    (forty, k) = c.box('40 days')
    x400, x40, y = own_at('400 days'), own_at('40 days'), (forty[1] + forty[3]) / 2
    rising = _added(c.moved(c.svg, k, x400 + 1.0 - forty[0], 0), LINE.format(x400 + 0.5, y, x40, y - 0.4))
    expect('a leader rising a hair across a line beside its text reads as that line\'s',
           _has(c.found(rising), 'near', '40 days'))
    # '40 days' moved over the 'half' line, its leader straight down across that line and on to its own: a point
    # over the line the text stands where that line's labels stand; two and a half text heights over it, not
    def over_half(gap):
        yh = own_at('half')
        svg = c.moved(c.svg, k, 0, yh - gap - forty[3])
        mx, turn = (forty[0] + forty[2]) / 2, yh + 4.0
        return svg.replace('</svg>', BENT.format(mx, yh - gap + 0.5, mx, turn, x40, turn) + '</svg>')
    size40 = c.sheet(c.svg).texts[k].get('size', forty[3] - forty[1])
    expect('a leader straight down across a level line right under its text reads as that line\'s',
           _has(c.found(over_half(1.0)), 'near', '40 days'))
    expect('a leader across a level line two and a half text heights under its text does not',
           not _has(c.found(over_half(2.5 * size40)), 'near', '40 days'))
    # 'half' moved two text heights off its line, led to it straight across a level line drawn as the reference
    # lines are, a point from its text, that no label names (a value read off left out): it reads as that line's
    # label all the same
    dash = max((m for m in STROKE.finditer(c.svg) if 'dasharray' in m.group(1) and
                abs(float(m.group(3)) - own['at']) < 0.01 and float(m.group(3)) == float(m.group(5))),
               key=lambda m: abs(float(m.group(4)) - float(m.group(2))))   # (the grid's line there is shorter)
    down, size = half[1] > own['at'], c.sheet(c.svg).texts[n].get('size', half[3] - half[1])   # (y grows down)
    off = c.moved(c.svg, n, 0, (2 * size if down else -2 * size))
    edge = half[1] + 2 * size if down else half[3] - 2 * size
    y = edge - 1.0 if down else edge + 1.0
    bare = f'<path style="{dash.group(1)}" d="M {dash.group(2)} {y:g} L {dash.group(4)} {y:g} "/>\n'
    mid = (half[0] + half[2]) / 2
    unnamed = _first(off, bare).replace('</svg>', LINE.format(mid, edge, mid, own['at']) + '</svg>')
    expect('a leader across an unnamed reference line beside its text reads as that line\'s',
           _has(c.found(unnamed), 'near', 'half'))
    # 'half' led to its line from under a text height off it, across such a line a twenty-fifth of a text height
    # from its own (farther than the values' own lines are matched): the two read as one, and the leader ends on
    # both (not near); a point and a half from it, the leader crosses that line first (near)
    gap0 = half[1] - own['at'] if down else own['at'] - half[3]

    def beside_own(apart):
        svg = c.moved(c.svg, n, 0, (0.8 * size - gap0) * (1 if down else -1))
        edge1 = own['at'] + 0.8 * size if down else own['at'] - 0.8 * size
        y1 = own['at'] + apart if down else own['at'] - apart
        line = f'<path style="{dash.group(1)}" d="M {dash.group(2)} {y1:g} L {dash.group(4)} {y1:g} "/>\n'
        return _first(svg, line).replace('</svg>', LINE.format(mid, edge1, mid, own['at']) + '</svg>')
    expect('a leader across a line a hair from its own ends on both',
           not _has(c.found(beside_own(0.04 * size)), 'near', 'half'))
    expect('a leader across a line a point and a half from its own reads as that line\'s',
           _has(c.found(beside_own(1.5)), 'near', 'half'))
    x0, y0 = half[0] - 3.0, half[1] - 3.0
    crossed = c.svg.replace('</svg>', LINE.format(x0, y0, half[2] + 3.0, half[3] + 3.0) + '</svg>')
    expect('a line through a reference label crosses it', _has(c.found(crossed), 'cross', 'half'))
    # 'half' moved onto the row of the 'one' line, its leader drawn to its own line: it reads as the one line's
    expect('a reference label off other lines\' rows passes', not _has(c.found(c.svg), 'row', 'half'))
    row = c.moved(c.svg, n, 0, own_at('one') - (half[1] + half[3]) / 2)
    row = row.replace('</svg>', LINE.format(half[0] - 1.0, own_at('one'), half[0] - 6.0, own['at']) + '</svg>')
    expect('a reference label on another line\'s row, with a leader, is on its row', _has(c.found(row), 'row', 'half'))
    panel = c.sheet(c.svg).panel_of(placement._centre(half))
    below = c.moved(c.svg, n, 0, panel[3] + 4.0 - half[1])
    expect('a reference label inside its panel passes', not _has(c.found(c.svg), 'panel', 'half'))
    expect('a reference label moved below its panel leaves it', _has(c.found(below), 'panel', 'half'))
    # 'half' left out, where it stood beside its line
    expect('a page that shows every label passes', not any(r == 'missing' for r, _ in c.found(c.svg)))
    expect('a label left out where it has room is missing', _has(c.found(c.removed(c.svg, n)), 'missing', 'half'))
    # 'half' moved away from its line across, with a leader to it: two text heights away it reaches, four not
    h = half[3] - half[1]
    size = c.sheet(c.svg).texts[n].get('size', h)

    def away(k):
        dy = own['at'] + k * size - half[1] if half[1] > own['at'] else own['at'] - k * size - half[3]
        svg = c.moved(c.svg, n, 0, dy)
        edge = half[1] + dy if dy > 0 else half[3] + dy
        return svg.replace('</svg>', LINE.format(half[0] - 1.0, edge, half[0] + 6.0, own['at']) + '</svg>')
    expect('a label two text heights from its line at the end of its leader reaches it',
           not _has(c.found(away(2)), 'reach', 'half'))
    expect('a label four text heights from its line at the end of its leader does not',
           _has(c.found(away(4)), 'reach', 'half'))
    # a leader from 'half' that stops short of its line, and one that ends on it
    mid = (half[1] + half[3]) / 2
    short = own['at'] + (1.2 if half[1] > own['at'] else -1.2)
    onto = c.svg.replace('</svg>', LINE.format(half[0] - 1.0, mid, half[0] + 10.0, own['at']) + '</svg>')
    stops = c.svg.replace('</svg>', LINE.format(half[0] - 1.0, mid, half[0] + 10.0, short) + '</svg>')
    expect('a leader that ends on its line passes', not _has(c.found(onto), 'ends', 'half'))
    expect('a leader that stops short of its line does not end on it', _has(c.found(stops), 'ends', 'half'))
    # leaders from 'half' (a level line) and '400 days' (an upright one) that end on their lines a point and a half
    # either side of where the lines cross: lines across each other meet, so their ends keep half a text height
    # apart; a point and a half from it, the other end five text heights off, they pass
    (days, _) = c.box('400 days')
    cx, cy = own_at('400 days'), own['at']

    def ends(dx):
        return c.svg.replace('</svg>', LINE.format(half[2] + 0.5, (half[1] + half[3]) / 2, cx - dx, cy) +
                             LINE.format(days[0] - 0.5, (days[1] + days[3]) / 2, cx, cy - 1.5) + '</svg>')
    expect('leaders that end together where their lines cross do not end apart',
           _has(c.found(ends(1.5)), 'ends', 'half') or _has(c.found(ends(1.5)), 'ends', '400 days'))
    expect('leaders of lines that cross, their ends apart, end apart',
           not _has(c.found(ends(5 * (half[3] - half[1]))), 'ends', 'half'))

    # 'half' under 'one', both leaders from one point between them to their lines, which lie far apart
    (one, _) = c.box('one')
    under = c.moved(c.svg, n, one[0] - half[0], one[3] + 2.0 - half[1])
    p = (one[0] - 1.0, one[3] + 1.0)
    fan = under.replace('</svg>', LINE.format(p[0], p[1], p[0] + 8.0, own['at']) +
                        LINE.format(p[0], p[1], p[0] + 8.0, own_at('one')) + '</svg>')
    expect('leaders of lines far apart that start at one place touch',
           _has(c.found(fan), 'leaders', 'half') and _has(c.found(fan), 'leaders', 'one'))

    # 30.21 and 38.88 of the four groups moved side by side on one row between their lines, as they stood
    # before they had places of their own, right of the other labels at the lines' left ends
    c = Case(pagedir, 'probplot-intersect-four-groups-statistical.svg', glyphs, programs)
    expect('values in a column with leaders pass', not any(r == 'band' for r, _ in c.found(c.svg)))
    lines = {t['text']: o[0]['at'] for t, o in placement.read_labels(c.sheet(c.svg), c.prog)[2]}
    (low, nl), (high, nh) = c.box('30.21'), c.box('38.88')
    apart = c.moved(c.svg, nl, 60.0, lines['30.21'] - 3.0 - low[3])
    apart = c.moved(apart, nh, low[2] + 60.0 - high[0] + 20, lines['38.88'] + 2.5 - high[1])
    expect('two values side by side between their close lines share the band', _has(c.found(apart), 'band', '30.21'))
    # 18.52 and 11.62 likewise, their lines 21 points apart: closer than the band of two and a half text heights,
    # though not of two and a half heights of the digits' ink
    (upper, nu), (lower, nw) = c.box('18.52'), c.box('11.62')
    apart = c.moved(c.svg, nu, 60.0, lines['18.52'] + 4.5 - upper[1])
    apart = c.moved(apart, nw, upper[2] + 60.0 - lower[0] + 20, lines['11.62'] - 7.0 - lower[3])
    expect('two values side by side between lines two and a half digits\' heights apart share the band',
           _has(c.found(apart), 'band', '18.52'))

    # a line under the ground of "24.65" (painted before it) that shows on both sides of it, and one that ends there
    box, _ = c.box('24.65')
    at, ground = c.ground(box)
    mid = (box[1] + box[3]) / 2
    xmid = (box[0] + box[2]) / 2
    through = LINE.format(xmid, ground[1] - 8.0, xmid + 1.0, ground[3] + 8.0)
    ends = LINE.format(ground[2] + 8.0, mid - 2.0, (box[0] + box[2]) / 2, mid - 1.0)
    expect('a line through a value\'s ground crosses it', _has(c.found(c.svg[:at] + through + c.svg[at:]), 'cross',
                                                               '24.65'))
    expect('a line that ends under a value\'s ground does not', not _has(c.found(c.svg[:at] + ends + c.svg[at:]),
                                                                           'cross', '24.65'))
    # the leaders of 30.21 and 38.88 trade their far ends: they cross; 52.89's leader bent below the frame
    expect('leaders of a column that keep apart pass', not any(r == 'leaders' for r, _ in c.found(c.svg)))
    (s1, u1, w1), (s2, u2, w2) = c.leader(c.svg, low), c.leader(c.svg, high)
    traded = c.svg.replace(s1, c.restroke(s1, u1, w2)).replace(s2, c.restroke(s2, u2, w1))
    found = c.found(traded)
    expect('leaders that trade their lines cross', _has(found, 'leaders', '30.21') and _has(found, 'leaders', '38.88'))
    box, _ = c.box('52.89')
    s, u, w = c.leader(c.svg, box)
    frame = c.sheet(c.svg).panel_of(placement._centre(box))
    out = c.svg.replace(s, '').replace('</svg>', c.restroke(s, u, (w[0], frame[3] + 5.0)) + '\n</svg>')
    expect('a leader out of its panel\'s frame leaves it', _has(c.found(out), 'leaders', '52.89'))
    # the leader of "1 yr" bent to end 2.8 pt from where that of "379.09" ends, on their lines 2.8 pt apart (under
    # half a text height): leaders of lines that close may run into one place, and touch only there
    (a, _), (b, _) = c.box('379.09'), c.box('1 yr')
    (sa, ua, wa), (sb, ub, wb) = c.leader(c.svg, a), c.leader(c.svg, b)
    end = (wb[0], wa[1] + 0.25)
    into = c.svg.replace(sb, c.restroke(sb, ub, end))
    near = placement._pt_seg(wa, ub, end)
    expect('leaders of lines closer than half a text height that run into one place pass',
           near < placement.CROSS_GAP < placement.FAN and not _has(c.found(into), 'leaders', '1 yr'))

    # a row of a column far across from its upright line, at the end of a level leader: as drawn it passes; a
    # fitted line drawn across its leader, or the row moved out past the run of lines it labels, fails reach
    c = Case(pagedir, 'probplot-label-columns-in-panels-device-2.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    far = None
    for t, own in placement.read_labels(sh, c.prog)[2]:
        if own[0]['kind'] != 'x' or far:
            continue
        try:
            s, u, w = c.leader(c.svg, t['box'])
        except LookupError:
            continue
        h = t['box'][3] - t['box'][1]
        # a row left of its line, the panel empty further left
        if abs(u[1] - w[1]) < 0.5 and w[0] - u[0] > 5 * h and abs(w[0] - own[0]['at']) < 0.5:
            far = (t, s, u, w, h)
    t, s, u, w, h = far
    name = t['text']
    expect(f'a row far across from its line, beside the run, passes ("{name}")', not _has(c.found(c.svg), 'reach', name))
    x = (u[0] + w[0]) / 2
    fitted = f'<path style="fill:none;stroke-width:0.75;stroke:rgb(0%,0%,0%);" d="M {x - 3:g} {u[1] + 8:g} L {x:g} {u[1]:g} ' \
             f'L {x + 3:g} {u[1] - 8:g} "/>'
    expect('a far row\'s leader across a fitted line fails reach', _has(c.found(_added(c.svg, fitted)), 'reach', name))
    n = next(k for k, q in enumerate(sh.texts) if q is t or q['box'] == t['box'])
    dx = -min(12 * h, t['box'][0] - sh.panel_of(placement._centre(t['box']))[0] - 1.0)
    moved = c.moved(c.svg, n, dx, 0).replace(s, c.restroke(s, (u[0] + dx, u[1]), w))
    expect('a far row moved out past the run of its lines fails reach', _has(c.found(moved), 'reach', name))

    # the leader of 30.21 drawn as wide as the fitted lines, and in a group's colour
    c = Case(pagedir, 'probplot-intersect-four-groups-statistical.svg', glyphs, programs)
    low, _ = c.box('30.21')
    s1, u1, w1 = c.leader(c.svg, low)
    expect('a leader thinner than the fitted lines, in the reference lines\' colour, passes',
           not _has(c.found(c.svg), 'thin', '30.21'))
    wide = c.svg.replace(s1, re.sub(r'stroke-width:[\d.]+', 'stroke-width:1.3', s1))
    expect('a leader as wide as the fitted lines is not thin', _has(c.found(wide), 'thin', '30.21'))
    blue = c.svg.replace(s1, re.sub(r'stroke:rgb\([^)]*\)', 'stroke:rgb(16%,38%,72%)', s1))
    expect('a leader in a fitted line\'s colour is not drawn as the reference lines', _has(c.found(blue), 'thin',
                                                                                          '30.21'))

    # a reference line of a turned plot drawn a point past its axis's end, through the strip of censored marks
    # inside the frame's side; the same line on the axis's end
    c = Case(pagedir, 'probplot-intersect-overlay-markers-device.svg', glyphs, programs)
    panel = c.sheet(c.svg).panels[0]
    expect('lines short of the strip beside a turned frame pass', not any(r == 'strip' for r, _ in c.found(c.svg)))
    past, end = (_added(c.svg, DASHED.format(x, panel[3], x, panel[1])) for x in (panel[2] + 1.0, panel[2]))
    expect('a line drawn in the strip past the axis\'s end fails', any(r == 'strip' for r, _ in c.found(past)))
    expect('a line drawn on the axis\'s end passes', not any(r == 'strip' for r, _ in c.found(end)))

    # percentile labels 10 and 90 of a relation plot trade places
    c = Case(pagedir, 'relation-insulation-regression-statistical.svg', glyphs, programs)
    (ten, n10), (ninety, n90) = c.box('10'), c.box('90')
    expect('percentile labels at their lines pass', not any(r == 'end' for r, _ in c.found(c.svg)))
    swapped = c.moved(c.moved(c.svg, n10, ninety[0] - ten[0], ninety[1] - ten[1]), n90, ten[0] - ninety[0],
                      ten[1] - ninety[1])
    found = c.found(swapped)
    expect('percentile labels at each other\'s ends are near them',
           _has(found, 'end', '10') and _has(found, 'end', '90'))

    # three markers under the inset of a page whose other corners are clear
    c = Case(pagedir, 'probplot-diesel-fans-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    expect('an inset over no marker passes', not any(r == 'inset' for r, _ in placement.check(sh, c.prog)))
    box = sh.boxes[0]
    use = re.search(r'<use xlink:href="#(surface\d+)" transform="matrix\(1,0,0,1,', c.svg)
    start = c.svg.index('>', c.svg.index('<rect', c.svg.index('</defs>'))) + 1   # painted first: under the inset
    marks = ''.join(f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,{box[0] + 20 * (k + 1):g},'
                    f'{box[1] + 10:g})"/>\n' for k in range(3))
    hidden = c.svg[:start] + '\n' + marks + c.svg[start:]
    expect('an inset over three markers where a corner is clear fails', any(r == 'inset' for r, _ in c.found(hidden)))
    # a fitted line under that inset (painted before it, bent four times: no leader), the other corners clear of
    # the lines: the markers alone do not tell
    pts = ' L '.join(f'{box[0] + 2 + k * (box[2] - box[0] - 4) / 4:g} {box[3] - 2 - k * (box[3] - box[1] - 4) / 4 + (k % 2):g}'
                     for k in range(5))
    fitted = f'<path style="fill:none;stroke-width:1.3;stroke:rgb(16%,38%,72%);stroke-opacity:1;" d="M {pts}"/>\n'
    expect('an inset over a fitted line where a corner is clear of the lines fails',
           any(r == 'inset' and 'fitted lines' in m for r, m in c.found(c.svg[:start] + '\n' + fitted + c.svg[start:])))
    # three markers just under that inset, the dashes of their limits (as an MCF plot draws them) above them
    # under it: it hides limits where a corner is clear
    probe = c.sheet(_added(c.svg, f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,100,100)"/>\n'))
    mark = next(b for _, b in probe.marks if b not in [q for _, q in sh.marks])
    ox, oy, wide = (mark[0] + mark[2]) / 2 - 100, (mark[1] + mark[3]) / 2 - 100, mark[2] - mark[0]
    limits = ''
    for k in range(3):
        x, y = box[0] + 20 * (k + 1), box[3] + 4
        limits += f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,{x - ox:g},{y - oy:g})"/>\n'
        limits += ''.join(LINE.format(x - wide / 2, y + d, x + wide / 2, y + d) for d in (-6, 6))
    expect('an inset over the dashes of points\' limits where a corner is clear fails',
           any(r == 'inset' for r, _ in c.found(_first(c.svg, limits))))
    # a point just left of that inset, the dashes of its limits reaching 0.9 pt under it
    x, y = box[0] + 0.9 - wide / 2, box[1] + 10
    limits = f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,{x - ox:g},{y - oy:g})"/>\n'
    limits += ''.join(LINE.format(x - wide / 2, y + d, x + wide / 2, y + d) for d in (-6, 6))
    expect('an inset over a point\'s limits by a point where a corner is clear fails',
           any(r == 'inset' for r, _ in c.found(_first(c.svg, limits))))
    # a straight fitted line under the inset of the bearings' page, from a hair beside 'B10' down to a level line
    # under the inset's lower half: drawn as the page draws its fitted lines and limits, it is no leader, however
    # near a text and a line its ends come; the panel's upper right corner is clear of the lines
    c = Case(pagedir, 'probplot-bearings-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    box, (b10, _) = sh.boxes[0], c.box('B10')
    panel, y = sh.panels[0], box[3] - 10
    level = f'<path style="fill:none;stroke-width:0.5;stroke:rgb(0%,0%,0%);stroke-opacity:1;" ' \
            f'd="M {panel[2]:g} {y:g} L {box[0] + 60:g} {y:g}"/>\n'
    straight = LINE.format(b10[2] + 1.0, b10[3], box[0] + 60, y)
    expect('an inset over a straight fitted line that ends beside a text, a corner clear, fails',
           any(r == 'inset' and 'fitted lines' in m for r, m in c.found(_first(c.svg, level, straight))))
    # the filled insets of panels whose every corner holds some of the data, each at the corner that hides least
    c = Case(pagedir, 'probplot-inset-two-by-two-panels-statistical.svg', glyphs, programs)
    expect('filled insets where they hide least pass', not any(r == 'inset' for r, _ in c.found(c.svg)))

    false_alarms(pagedir, glyphs, programs, expect)
    reading(pagedir, glyphs, programs, expect)

    # the same three markers under the inset of a page whose other corners hold reference labels: the labels
    # give way to an inset that hides no data
    c = Case(pagedir, 'mcf-valve-seats-references-device.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    box, frame = sh.boxes[0], sh.panels[0]
    mx, my = min(box[0] - frame[0], frame[2] - box[2]), min(box[1] - frame[1], frame[3] - box[3])
    corners = [(x, y) for x in (frame[0] + mx, frame[2] - mx - (box[2] - box[0]))
               for y in (frame[1] + my, frame[3] - my - (box[3] - box[1]))
               if abs(x - box[0]) > 1 or abs(y - box[1]) > 1]
    svg = c.svg
    for text, (x, y) in zip(('half', 'one', '40 days'), corners):
        t, n = c.box(text)
        svg = c.moved(svg, n, x + 2.0 - t[0], y + 2.0 - t[1])
    use = re.search(r'<use xlink:href="#(surface\d+)" transform="matrix\(1,0,0,1,', svg)
    start = svg.index('>', svg.index('<rect', svg.index('</defs>'))) + 1
    marks = ''.join(f'<use xlink:href="#{use.group(1)}" transform="matrix(1,0,0,1,{box[0] + 15 * (k + 1):g},'
                    f'{box[1] + 12:g})"/>\n' for k in range(3))
    expect('an inset over three markers fails though labels stand at the other corners',
           any(r == 'inset' for r, _ in c.found(svg[:start] + '\n' + marks + svg[start:])))
    # a label half a text height beside the inset's box reads as a row of it
    t, n = c.box('one')
    beside = c.moved(c.svg, n, box[0] - 0.5 * (t[3] - t[1]) - t[2], box[1] + 4.0 - t[1])
    expect('a label half a text height beside an inset fails', _has(c.found(beside), 'inset', 'one'))

    # a column of values read off, each with a short hairline leader to one line inside the panel: the leaders
    # end together as an axis's ticks do, but are no axis (its numbers would read the panel's lines)
    c = Case(pagedir, 'probplot-label-columns-in-panels-statistical.svg', glyphs, programs)
    sh = c.sheet(c.svg)
    column = sorted((t['box'] for t in sh.texts if placement._number(t['text']) is not None and
                     sh.panel_of(placement._centre(t['box']))), key=lambda b: (round(b[2]), b[1]))[:5]
    x = max(b[2] for b in column) + 1.5
    hair = ''.join(c.restroke('<path style="fill:none;stroke-width:0.6;stroke:rgb(45%,45%,45%);" d=""/>',
                              (x, (b[1] + b[3]) / 2), (x + 6.0, (b[1] + b[3]) / 2)) + '\n' for b in column)
    axes = c.sheet(c.svg.replace('</svg>', hair + '</svg>')).axes
    expect('short leaders that end together inside a panel are no axis', len(axes) == len(sh.axes))

    print(f'{len(failures)} of the placement check\'s own tests failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
