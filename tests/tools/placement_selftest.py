#!/usr/bin/env python3
"""The placement check (placement.py) finds what it must: pages of the gallery, each with one fault put in by
hand, against the same pages as drawn.
- a reference label moved onto another reference line's label: near (and, with a leader drawn from it to its
  own line, not);
- a line drawn through a reference label: cross; the same line under the label's ground, painted before it:
  cross, and a line that only ends under that ground: not;
- a reference label moved onto another level line's row, with a leader to its own line: row;
- the leaders of two values of a column that trade their lines' ends, and a leader bent out of its panel's frame:
  leaders; two leaders of lines closer than half a text height that run into one place: not;
- a reference label moved below its panel, onto the axis's tick labels: panel;
- the values of two close level lines taken out of their column, side by side in the band between the lines: band;
- two percentile labels of a relation plot that trade places: end;
- three markers under an inset: inset;
- a reference label taken out of a page where it had room beside its line: missing;
- a reference label moved four text heights away from its line, with a leader to it: reach (two heights: not);
- a leader that stops short of its own line: ends;
- two labels' leaders from one point to lines far apart: leaders;
- a leader drawn as wide as the fitted lines, or in a fitted line's colour: thin.

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
    programs = {n: placement.Program(t) for n, t in placement.gallery_programs(root).items()}
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

    print(f'{len(failures)} of the placement check\'s own tests failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
