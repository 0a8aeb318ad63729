#!/usr/bin/env python3
"""Text that cannot be read on a page the command drew: an SVG of cairo read back.

A text run is the glyphs of one <g> block of <use>s (one string as cairo writes it); a glyph's box is its
symbol's outline moved to its <use> position. A marker is a small path (at most 12 pt across) placed by a
translation, or a <use> of a small surface. Two runs clash where a glyph of one covers more than a quarter of a
glyph of the other; a run and a marker clash where the marker covers more than a quarter of a glyph. Paint order
counts: an opaque filled rectangle (an inset's box, a label's backing) painted between two things hides the
earlier one where it covers it, so a marker under a filled box does not clash with the box's text; a text such a
box hides (a glyph's centre inside it) is a clash of its own.

The characters are read back from the outlines by matching them against the glyph sheet that
tests/tools/glyphsheet.cpp draws with the command's own fonts (--glyphsheet TOOL); without it a run is shown by
its glyph count.

  overprint.py [--glyphsheet TOOL] [--no-markers] [--user PAGE=TEXT]... PAGE.svg...
--user names a text the user placed on a page at coordinates of the user's own (ANNOTATE=): the command does not
move it, so what lies under or over it is not counted (it needs --glyphsheet to read the text). Prints, for each page with a clash, the page and its clashing texts, then a count of pages; exits 1 when a page
clashes, 2 when a page cannot be read."""
import os
import re
import subprocess
import sys
import tempfile

NUM = r'-?\d+(?:\.\d+)?(?:e-?\d+)?'
MARKER_MAX = 12.0     # points across: a path this small, placed by a translation, is a marker
COVER_MIN = (15.0, 8.0)
FRACTION = 0.25       # of the smaller glyph's (of the glyph's, under a marker) area

# The characters the glyph sheet holds: printable ASCII (the space is a glyph without outline), Latin-1, Greek
# and the signs and shapes a page may show.
SHEET_TEXT = (''.join(chr(c) for c in range(0x21, 0x7f)) + ''.join(chr(c) for c in range(0xa1, 0x100) if c != 0xad) +
              ''.join(chr(c) for c in range(0x391, 0x3aa) if c != 0x3a2) + ''.join(chr(c) for c in range(0x3b1, 0x3ca)) +
              '−∓±×÷≤≥≠≈∞√∑∏∫∂∆∇‰′″•…–—‘’“”→←↑↓◇◆□■○●△▲▽▼◊★☆✕✚⊕⊗∙⋅')


def _floats(d):
    return [float(x) for x in re.findall(NUM, d)]


def _commands(d):
    """A path's commands, each with its numbers, in order: ('Z', []) closes a subpath; numbers after a command's
    own repeat it (those after an M are lines)."""
    tok = re.findall(r'[MLCZ]|' + NUM, d)
    k, cmd = 0, 'M'
    while k < len(tok):
        t = tok[k]
        if t in 'MLCZ':
            cmd = t
            k += 1
            if t == 'Z':
                yield 'Z', []
            continue
        n = 6 if cmd == 'C' else 2
        v = [float(x) for x in tok[k:k + n]]
        k += n
        if len(v) < n:
            return
        yield cmd, v
        if cmd == 'M':
            cmd = 'L'


def _polylines(d):
    """The point lists of a path's subpaths (a curve by its end points; a closed subpath ends where it began)."""
    out, cur = [], None
    for cmd, v in _commands(d):
        if cmd == 'Z':
            if cur:
                cur.append(cur[0])
            continue
        p = (v[-2], v[-1])
        if cmd == 'M':
            cur = [p]
            out.append(cur)
        elif cur is not None:
            cur.append(p)
    return [c for c in out if len(c) >= 2]


def _box(xs, ys, tx=0.0, ty=0.0):
    return (tx + min(xs), ty + min(ys), tx + max(xs), ty + max(ys))


def _drawn_points(d):
    """The points a path's outline reaches at its extremes: the ends of its segments, and where a curve turns
    back (its control points lie outside it: a circle of radius 3 drawn as two curves has them 4 from its
    centre)."""
    xs, ys, cur = [], [], None
    for cmd, v in _commands(d):
        if cmd == 'Z':
            continue
        if cmd == 'C' and cur is not None:
            for a in (0, 1):
                p0, p1, p2, p3 = cur[a], v[a], v[2 + a], v[4 + a]
                # the roots in (0, 1) of the derivative: (p1 - p0)(1 - t)^2 + 2 (p2 - p1)(1 - t) t + (p3 - p2) t^2
                qa, qb, qc = p3 - 3 * p2 + 3 * p1 - p0, 2 * (p2 - 2 * p1 + p0), p1 - p0
                if abs(qa) < 1e-12:
                    roots = [-qc / qb] if abs(qb) > 1e-12 else []
                else:
                    disc = qb * qb - 4 * qa * qc
                    roots = [(-qb + sg * disc ** 0.5) / (2 * qa) for sg in (1, -1)] if disc >= 0 else []
                for r in roots:
                    if 0 < r < 1:
                        u = 1 - r
                        (xs, ys)[a].append(u ** 3 * p0 + 3 * u * u * r * p1 + 3 * u * r * r * p2 + r ** 3 * p3)
        cur = (v[-2], v[-1])
        xs.append(cur[0])
        ys.append(cur[1])
    return xs, ys


class Page:
    """Everything a page paints, in paint order: ('text', [glyph boxes], [glyph ids]), ('mark', box),
    ('cover', box), ('line', [polylines], style, clip box or None) for a stroked path that is no marker; and the
    outline of every glyph symbol."""

    def __init__(self, path):
        self.path = path
        s = open(path, encoding='utf-8').read()
        defs, body = s.split('</defs>', 1) if '</defs>' in s else ('', s)
        self.outline = {}     # glyph id -> (commands, coordinates)
        boxes = {}
        for m in re.finditer(r'<symbol[^>]*id="([^"]+)"[^>]*>\s*<path[^>]*d="([^"]*)"', defs):
            d = m.group(2)
            v = _floats(d)
            self.outline[m.group(1)] = (''.join(re.findall(r'[A-Za-z]', d)), v)
            if len(v) >= 2:
                boxes[m.group(1)] = _box(v[0::2], v[1::2])
        clips = {}
        for m in re.finditer(r'<clipPath id="([^"]+)">\s*<(?:path d="([^"]*)"|rect x="(' + NUM + r')" y="(' + NUM +
                             r')" width="(' + NUM + r')" height="(' + NUM + r')")', defs):
            if m.group(2) is not None:
                v = _floats(m.group(2))
                if len(v) >= 2:
                    clips[m.group(1)] = _box(v[0::2], v[1::2])
            else:
                x, y, w, h = (float(m.group(k)) for k in range(3, 7))
                clips[m.group(1)] = (x, y, x + w, y + h)
        surfaces = {}
        for m in re.finditer(r'<g id="(surface\d+)"[^>]*>\s*<path[^>]*d="([^"]+)"(?:\s+transform="matrix\(1,0,0,1,(' +
                             NUM + r'),(' + NUM + r')\)")?', s):
            b = self._small(m.group(2), float(m.group(3) or 0), float(m.group(4) or 0))
            if b:
                surfaces[m.group(1)] = b
        self.items = []
        pat = re.compile(
            r'(?P<run><g[^>]*>(?:\s*<use xlink:href="#glyph[^>]*>)+\s*</g>)'
            r'|<use xlink:href="#(?P<surf>surface\d+)" transform="matrix\(1,0,0,1,(?P<sx>' + NUM + r'),(?P<sy>' + NUM +
            r')\)"'
            r'|<path\s+style="(?P<st>[^"]*)"\s+d="(?P<d>[^"]+)"(?:\s+transform="matrix\(1,0,0,1,(?P<tx>' + NUM +
            r'),(?P<ty>' + NUM + r')\)")?'
            r'|<g(?P<g>[^>]*)>|(?P<endg></g>)')
        stack = []   # the clip box of each open group (None: the group does not clip)
        for m in pat.finditer(body):
            if m.group('g') is not None:
                c = re.search(r'clip-path="url\(#([^)]+)\)"', m.group('g'))
                stack.append(clips.get(c.group(1)) if c else None)
            elif m.group('endg'):
                if stack:
                    stack.pop()
            elif m.group('run'):
                glyphs, ids = [], []
                for u in re.finditer(r'<use xlink:href="#([^"]+)" x="(' + NUM + r')" y="(' + NUM + r')"', m.group('run')):
                    ids.append(u.group(1))
                    b = boxes.get(u.group(1))
                    if b:
                        x, y = float(u.group(2)), float(u.group(3))
                        glyphs.append((x + b[0], y + b[1], x + b[2], y + b[3]))
                if glyphs:
                    self.items.append(('text', glyphs, ids))
            elif m.group('surf'):
                b = surfaces.get(m.group('surf'))
                if b:
                    tx, ty = float(m.group('sx')), float(m.group('sy'))
                    self.items.append(('mark', (tx + b[0], ty + b[1], tx + b[2], ty + b[3])))
            else:
                st, d = m.group('st'), m.group('d')
                if m.group('tx') is not None:
                    b = self._small(d, float(m.group('tx')), float(m.group('ty')))
                    if b:
                        self.items.append(('mark', b))
                elif ('fill:rgb' in st and 'fill-opacity:1' in st and 'stroke:none' in st and d.count('L') == 3 and
                      'C' not in d):
                    v = _floats(d)
                    if v:
                        b = _box(v[0::2], v[1::2])
                        if b[2] - b[0] > COVER_MIN[0] and b[3] - b[1] > COVER_MIN[1]:
                            self.items.append(('cover', b))
                elif 'fill:none' in st and 'stroke:' in st and 'stroke:none' not in st:
                    clip = None
                    for c in stack:
                        if c:
                            clip = c if clip is None else (max(clip[0], c[0]), max(clip[1], c[1]),
                                                           min(clip[2], c[2]), min(clip[3], c[3]))
                    self.items.append(('line', _polylines(d), st, clip))

    @staticmethod
    def _small(d, tx, ty):
        xs, ys = _drawn_points(d)
        if not xs or not ys or max(xs) - min(xs) > MARKER_MAX or max(ys) - min(ys) > MARKER_MAX:
            return None
        return _box(xs, ys, tx, ty)


def _inter(a, b):
    w = min(a[2], b[2]) - max(a[0], b[0])
    h = min(a[3], b[3]) - max(a[1], b[1])
    return w * h if w > 0 and h > 0 else 0.0


def _area(a):
    return max((a[2] - a[0]) * (a[3] - a[1]), 1e-9)


def _inside(box, c):
    x, y = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
    return c[0] <= x <= c[2] and c[1] <= y <= c[3]


def clashes(page, markers=True):
    """[(kind, i, j, glyphs)]: kind 'text' (runs i and j, j painted later), 'marker' (run i and the markers over
    or under it) or 'box' (run i under an opaque box painted later); glyphs: how many glyphs are hit. i and j index
    page.items."""
    it = page.items
    covers = [(k, b) for k, x in enumerate(it) if x[0] == 'cover' for b in [x[1]]]

    def hidden(box, i, j):   # painted at i, hidden by a cover painted after i and before j
        return any(i < k < j and _inside(box, c) for k, c in covers)

    texts = [(k, x[1]) for k, x in enumerate(it) if x[0] == 'text']
    # markers by a grid of 16 pt cells, so that a page of thousands of points stays quick
    cell = 16.0
    grid = {}
    for k, x in enumerate(it):
        if x[0] == 'mark':
            b = x[1]
            for gx in range(int(b[0] // cell), int(b[2] // cell) + 1):
                for gy in range(int(b[1] // cell), int(b[3] // cell) + 1):
                    grid.setdefault((gx, gy), []).append(k)
    out = []
    for n, (i, ri) in enumerate(texts):
        lo = (min(a[0] for a in ri), min(a[1] for a in ri), max(a[2] for a in ri), max(a[3] for a in ri))
        for j, rj in texts[n + 1:]:
            hit = sum(1 for a in ri for b in rj
                      if _inter(a, b) > FRACTION * min(_area(a), _area(b)) and not hidden(a, i, j))
            if hit:
                out.append(('text', i, j, hit))
        if markers:
            near = set()
            for gx in range(int(lo[0] // cell), int(lo[2] // cell) + 1):
                for gy in range(int(lo[1] // cell), int(lo[3] // cell) + 1):
                    near.update(grid.get((gx, gy), ()))
            hit = 0
            for k in sorted(near):
                m = it[k][1]
                for a in ri:
                    if _inter(a, m) > FRACTION * _area(a):
                        first, last, box = (k, i, m) if k < i else (i, k, a)
                        if not hidden(box, first, last):
                            hit += 1
            if hit:
                out.append(('marker', i, -1, hit))
        # a text that an opaque box painted after it hides (a label under an inset)
        hit = sum(1 for a in ri if any(k > i and _inside(a, c) for k, c in covers))
        if hit:
            out.append(('box', i, -1, hit))
    return out


class Glyphs:
    """The characters of glyph outlines, by the sheet's outlines: an outline matches a sheet outline of the same
    commands whose coordinates, scaled by one factor (and turned by a quarter turn for upright text), agree."""

    def __init__(self, sheet, text):
        page = Page(sheet)
        runs = [x[2] for x in page.items if x[0] == 'text']
        if not runs or len(runs) % len(text) or any(len(r) != 1 for r in runs):
            raise ValueError(f'{sheet}: {len(runs)} runs, not a glyph sheet of {len(text)} characters a face')
        self.seen = {}
        self.shapes = {}   # commands -> [(coordinates, character)], the first character of an outline first
        for k, r in enumerate(runs):
            if r[0].endswith('-0'):
                continue   # glyph 0 of a font is the box it draws for a character it does not have
            cmds, v = page.outline[r[0]]
            self.shapes.setdefault(cmds, []).append((v, text[k % len(text)]))

    @staticmethod
    def _err(g, ref):
        if len(g) != len(ref):
            return 1.0
        rr = sum(r * r for r in ref)
        if rr == 0:
            return 1.0
        s = sum(a * b for a, b in zip(g, ref)) / rr
        big = max(abs(a) for a in g) or 1.0
        return max(abs(a - s * b) for a, b in zip(g, ref)) / big if s > 0 else 1.0

    def char(self, gid, outline):
        cmds, v = outline
        if gid.endswith('-0'):
            return '\ufffd'
        if not v:
            return ' '
        key = (cmds, tuple(v))   # a glyph's outline is the same on every page that shows it
        if key not in self.seen:
            self.seen[key] = self._match(outline)
        return self.seen[key]

    def _match(self, outline):
        cmds, v = outline
        cands = self.shapes.get(cmds, ())
        best, err = '?', 0.02
        xs, ys = v[0::2], v[1::2]
        turns = [v, [c for x, y in zip(xs, ys) for c in (y, -x)], [c for x, y in zip(xs, ys) for c in (-y, x)],
                 [-c for c in v]]
        for g in turns:
            for ref, ch in cands:
                e = self._err(g, ref)
                if e < err - 1e-9:
                    best, err = ch, e
            if best != '?':
                break
        return best


def _text(page, ids, glyphs, cache):
    if glyphs is None:
        return f'{len(ids)} glyphs'
    out = []
    for g in ids:
        if g not in cache:
            cache[g] = glyphs.char(g, page.outline.get(g, ('', [])))
        out.append(cache[g])
    return '"' + ''.join(out) + '"'


def report(page, found, glyphs):
    """The lines that tell the clashes of a page: each text and what overprints it."""
    cache = {}
    lines = []
    for kind, i, j, hit in found:
        ti = page.items[i]
        a = _text(page, ti[2], glyphs, cache)
        at = f'({ti[1][0][0]:.0f},{ti[1][0][1]:.0f})'
        if kind == 'text':
            tj = page.items[j]
            b = _text(page, tj[2], glyphs, cache)
            lines.append(f'  {b} ({tj[1][0][0]:.0f},{tj[1][0][1]:.0f}) over {a} {at}: {hit} glyph(s)')
        elif kind == 'marker':
            lines.append(f'  {a} {at} and a marker: {hit} glyph(s)')
        else:
            lines.append(f'  {a} {at} under a filled box: {hit} glyph(s)')
    return lines


def main(argv):
    markers, tool, pages, user = True, None, [], set()
    k = 0
    while k < len(argv):
        if argv[k] == '--no-markers':
            markers = False
        elif argv[k] == '--user':
            k += 1
            name, _, text = argv[k].partition('=')
            user.add((name, '"' + text + '"'))
        elif argv[k] == '--glyphsheet':
            k += 1
            tool = argv[k]
        else:
            pages.append(argv[k])
        k += 1
    if not pages:
        print(__doc__.strip().split('\n\n')[-1], file=sys.stderr)
        return 2
    glyphs = None
    if tool:
        with tempfile.TemporaryDirectory() as tmp:
            sheet = os.path.join(tmp, 'sheet.svg')
            subprocess.run([tool, sheet, SHEET_TEXT], check=True)
            glyphs = Glyphs(sheet, SHEET_TEXT)
    bad = unreadable = markers_seen = 0
    for path in pages:
        try:
            page = Page(path)
        except (OSError, UnicodeDecodeError) as e:
            print(f'{path}: cannot be read: {e}')
            unreadable += 1
            continue
        if not any(x[0] == 'text' for x in page.items):
            # every page has text: a page of none is one this reader cannot read (another cairo's SVG)
            print(f'{path}: no text read back')
            unreadable += 1
            continue
        markers_seen += sum(1 for x in page.items if x[0] == 'mark')
        found = clashes(page, markers)
        name = os.path.splitext(os.path.basename(path))[0]
        if user and glyphs:
            cache = {}
            found = [c for c in found if not any((name, _text(page, page.items[k][2], glyphs, cache)) in user
                                                 for k in c[1:3] if k >= 0)]
        if found:
            bad += 1
            print(f'{path}: {len(found)} clash(es)')
            print('\n'.join(report(page, found, glyphs)))
    if markers and len(pages) > 1 and not markers_seen:
        # pages of plotted points all without a marker: this reader no longer sees them
        print('no marker read back on any page')
        unreadable += 1
    print(f'{len(pages) - bad - unreadable} of {len(pages)} pages without overprinted text')
    return 2 if unreadable else 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
