#!/usr/bin/env python3
"""Crowded programs for the label placement: a fixed set (the same seeds every run) of probability, relation and
MCF plots with many labelled reference lines, each written once for each graphics road.

The plots: PROBPLOT in panels (a class variable, BY groups), OVERLAY, ROTATE and SQUARE; RELATIONPLOT of an
accelerated test with SREF= and VREF= (and, with PPLOT, LREF= and PREF=); MCFPLOT with BY groups and HREF=/VREF=.
The reference values stand inside the axes, at their ends (the first and last tick), just past the last tick and a
few off the axis; some lists have INTERSECT, some labels are empty, some values repeated. Beside these, in turn:
- MCF plots in class panels (two or three groups, the third alone on a page of its own) with HREFLABPOS= (1 to 6)
  and VREFLABPOS= (1 or 2) now and then, and VREF= lines;
- stacks: 8 to 16 labels on one to three values of one list (every label of a value on one line);
- forty labelled PREF= values over class panels, now and then with INTERSECT;
- turned plots (ROTATE) with lines at the axes' first and last ticks (where a frame without room beyond its ticks
  has its side), a hair past the last tick (within the room a frame leaves beyond its ticks) and past the frame;
- labels of UTF-8 text: accented letters, signs (degree, micro, plus-minus, en dash) and CJK, some longer than 16
  bytes with the 16th byte inside a character.

  crowdgen.py OUTDIR [COUNT]
writes OUTDIR/NAME.vx (COUNT contents, each on both roads: NAME ends in -device or -statistical) and prints the
names. The data sets are those of examples/ and tests/data/crowded/."""
import math
import os
import random
import sys
from statistics import NormalDist

# The plots the programs start from: the data's statement, the ends of the axes (the first and last labelled tick
# of either road), their scales, and the options that suit them.
#   life, prob, stress, time, mcf: (first, last, 'log' | 'lin')
#   also: [(first, last)] of an axis where a road, a BY group or a layout ends it at other ticks
PROB = [
    dict(name='fans-type', data='fans', head='freq count;\n   distribution weibull;', plot='hours*status(0) = type',
         life=(100, 10000, 'log'), prob=(2, 95), opts=['', 'ncols=2', 'nrows=2', 'overlay', 'rotate', 'square']),
    dict(name='fans-by', data='fans', head='by plant;\n   freq count;\n   distribution lognormal;',
         plot='hours*status(0)', life=(100, 10000, 'log'), prob=(2, 90), also=dict(prob=[(1, 80)]),
         opts=['', 'square', 'rotate']),
    dict(name='lung4', data='lung4', head='distribution weibull;', plot='time*status(0) = grp',
         life=(1, 1000, 'log'), prob=(0.2, 99), also=dict(life=[(1, 10000)]),
         opts=['overlay', 'overlay rotate', 'overlay square', 'nrows=2 ncols=2']),
    dict(name='lots3', data='lots3', head='distribution weibull;', plot='mrevs*status(0) = lot',
         life=(10, 1000, 'log'), prob=(5, 90), also=dict(prob=[(5, 95)]),
         opts=['ncols=3', 'ncols=3 rotate', 'overlay', 'overlay rotate']),
    dict(name='insulation', data='insulation', head='distribution lognormal;', plot='hours = temp',
         life=(100, 100000, 'log'), prob=(5, 95), opts=['overlay', 'overlay rotate', 'overlay square']),
    dict(name='bearings', data='ballbearings', head='distribution weibull;', plot='mrevs',
         life=(10, 1000, 'log'), prob=(2, 99), opts=['', 'rotate', 'square', 'rotate square']),
    dict(name='sixb', data='sixb', head='distribution weibull;', plot='hours*status(0) = batch',
         life=(10, 10000, 'log'), prob=(2, 99), opts=['overlay', 'overlay rotate noconf']),
    dict(name='lots2', data='lots2', head='distribution normal;', plot='t*c(0) = lot',
         life=(0, 6000, 'lin'), prob=(5, 95), also=dict(life=[(0, 4000)]), opts=['', 'rotate']),
]
RELATION = [
    dict(name='insulation', data='insulation', head='distribution lognormal;',
         plot='hours = temp / relation=arr plotfit=10 50 90', stress=(180, 280, 'lin'), life=(100, 100000, 'log'),
         prob=(5, 95)),
    dict(name='classb', data='relation_dd', head='distribution normal;', plot='t*c(0) = x',
         stress=(90, 150, 'lin'), life=(0, 6000, 'lin'), prob=(5, 90)),
]
MCF = [
    dict(name='valveseats', data='valveseats', head='unitid engine;', plot='days*event(0)',
         time=(0, 800, 'lin'), mcf=(0, 2.5, 'lin'), opts=['', 'interpolate=step', 'square']),
    dict(name='bladder-by', data='bladder', head='by treatment;\n   unitid id;', plot='months*event(0)',
         time=(0, 60, 'lin'), mcf=(0, 2.5, 'lin'), opts=['', 'interpolate=step nocenprint']),
    dict(name='bladder', data='bladder', head='unitid id;', plot='months*event(0) = treatment',
         time=(0, 60, 'lin'), mcf=(0, 4, 'lin'), opts=['overlay', 'overlay interpolate=join']),
    dict(name='mcfdiff', data='mcfdiff_dd', head='unitid u;', plot='t*ev(0) = g',
         time=(0, 5000, 'lin'), mcf=(0, 8, 'lin'), opts=['', 'nocenprint']),
]
# MCF plots in class panels: two groups on one page, three on two pages (the third alone)
MCF_PANELS = [
    dict(name='mcf3', data='mcf3', head='unitid u;', plot='t*ev(0) = g', time=(0, 5000, 'lin'), mcf=(0, 6, 'lin'),
         opts=['', 'nocenprint', 'ncols=3', 'nrows=3', 'nrows=1', 'interpolate=step', 'square']),
    dict(name='mcfdiff', data='mcfdiff_dd', head='unitid u;', plot='t*ev(0) = g', time=(0, 5000, 'lin'),
         mcf=(0, 8, 'lin'), opts=['', 'nocenprint', 'ncols=2', 'interpolate=join']),
    dict(name='bladder', data='bladder', head='unitid id;', plot='months*event(0) = treatment',
         time=(0, 60, 'lin'), mcf=(0, 4, 'lin'), opts=['', 'ncols=2', 'square nocenprint']),
]
WORDS = ['Alpha', 'Beta', 'Gamma', 'Delta', 'Eps', 'Zeta', 'Eta', 'Theta', 'Iota', 'Kappa', 'Lambda', 'Mu', 'B10',
         'Goal', 'Limit', 'Burn-in end', 'Warranty', 'Design life', 'Target', 'Mission']
# labels of UTF-8 text, and characters of two and three bytes that a long label's 16th byte may fall inside
WORDS_UTF8 = ['Température', 'Größe', 'Año', 'Niño', '20 °C', '5 µm', '±3 s', 'Übergang', 'Zeit–Ende', '温度',
              '寿命 B10', 'Prüfung', 'Señal', 'Café', 'Ø 12', 'Essai n° 4', '試験 A', 'Mañana–Tarde']
WIDE = ['é', 'ü', 'ñ', '°', 'µ', '±', '–', '温', '命']


def _fmt(v):
    return f'{v:.6g}'


def _value(rng, axis, where):
    """A value of an axis (first, last, scale): 'in' inside, 'end' at its first or last tick, 'past' just past the
    last tick, 'off' off the axis."""
    lo, hi = axis[0], axis[1]
    log = len(axis) > 2 and axis[2] == 'log'
    if where == 'end':
        return rng.choice((lo, hi))
    if where == 'past':
        return hi * 1.03 if log else hi + 0.015 * (hi - lo)
    if where == 'off':
        return hi * rng.choice((8, 30)) if log else rng.choice((lo - (hi - lo), hi + 2 * (hi - lo)))
    if log:
        return 10 ** rng.uniform(math.log10(lo), math.log10(hi))
    return rng.uniform(lo, hi)


def _percent(rng, axis, where):
    """A percent of a probability axis (first, last)."""
    lo, hi = axis
    if where == 'end':
        return rng.choice((lo, hi))
    if where == 'past':
        return min(hi + 0.3 * (100 - hi), 99.9)
    if where == 'off':
        return rng.choice((0.0001, 99.9999))
    return rng.uniform(lo, hi)


def _near(rng, axis, v, percent):
    """A value a small step from v along its axis."""
    step = rng.choice((-1, 1)) * rng.uniform(0.01, 0.03)
    if percent:
        return min(max(v + step * 100 * min(v, 100 - v) / 50, 0.01), 99.99)
    if len(axis) > 2 and axis[2] == 'log':
        return v * 10 ** (step * math.log10(axis[1] / axis[0]))
    return v + step * (axis[1] - axis[0])


def _label(rng, k):
    r = rng.random()
    if r < 0.12:
        return ''
    if r < 0.25:
        word = rng.choice(WORDS)
        return word + ' ' + ''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(6, 14)))
    return rng.choice(WORDS) + (str(k) if rng.random() < 0.5 else '')


def _label_utf8(rng, k):
    """A label of UTF-8 text: short; 16 bytes that end on a whole character of two or three bytes; or longer, its
    16th byte inside such a character (the page shows the text cut back before it)."""
    r = rng.random()
    if r < 0.08:
        return ''
    if r < 0.6:
        wide = rng.choice(WIDE)
        m = len(wide.encode('utf-8'))
        n = 16 - m if r < 0.2 else rng.randint(17 - m, 15)    # the bytes before the wide character
        head = ''
        for c in rng.choice(WORDS_UTF8) + ' ' + rng.choice(WORDS):
            if len((head + c).encode('utf-8')) > n:
                break
            head += c
        head += 'x' * (n - len(head.encode('utf-8')))
        return head + wide + (rng.choice(WORDS_UTF8) if r >= 0.2 else '')
    return rng.choice(WORDS_UTF8) + (f' {k}' if rng.random() < 0.4 else '')


def _list(rng, kw, axis, n, percent=False, intersect=None, label=_label, value=None, places=None):
    """A reference list of n values with labels: 'KW=... [intersect] KWlabels=...'; value(rng, where) gives a
    value at a place of the axis (one of places, 'close' a step from another value) in place of _value and
    _percent."""
    places = places or ['in'] * 5 + ['close'] * 3 + ['end', 'end', 'past', 'past', 'off']
    vals = []
    for k in range(n):
        if vals and rng.random() < 0.12:
            vals.append(rng.choice(vals))        # a value repeated
            continue
        w = rng.choice(places)
        if w == 'close' and vals:                # a line close to another: a step of 1 to 3 % of the axis
            v = _near(rng, axis, rng.choice(vals), percent)
        else:
            w = 'in' if w == 'close' else w
            v = value(rng, w) if value else _percent(rng, axis, w) if percent else _value(rng, axis, w)
        vals.append(float(_fmt(v)))
    labels = [label(rng, k) for k in range(n)]
    inter = rng.random() < 0.5 if intersect is None else intersect
    return (f'{kw}={" ".join(_fmt(v) for v in vals)}{" intersect" if inter else ""} '
            f'{kw}labels={" ".join(repr_label(s) for s in labels)}')


def repr_label(s):
    return "'" + s.replace("'", "") + "'"


def probplot(rng, base, label=_label):
    opt = rng.choice(base['opts'])
    rotate = 'rotate' in opt
    lists = []
    if rng.random() < 0.6:
        # LREF= and PREF= (both roads draw them; HREF= and VREF= beside them only the statistical road)
        if rng.random() < 0.85:
            lists.append(_list(rng, 'lref', base['life'], rng.randint(3, 10), label=label))
        if rng.random() < 0.8:
            lists.append(_list(rng, 'pref', base['prob'], rng.randint(2, 8), percent=True, label=label))
    else:
        horiz, vert = (base['prob'], base['life']) if rotate else (base['life'], base['prob'])
        lists.append(_list(rng, 'href', horiz, rng.randint(3, 10), percent=rotate, label=label))
        if rng.random() < 0.7:
            lists.append(_list(rng, 'vref', vert, rng.randint(2, 8), percent=not rotate, label=label))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   probplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def relationplot(rng, base, label=_label):
    lists = [_list(rng, 'sref', base['stress'], rng.randint(3, 9), intersect=False, label=label)]
    if rng.random() < 0.7:
        lists.append(_list(rng, 'vref', base['life'], rng.randint(2, 7), label=label))
    extra = rng.choice(['', '', 'pplot', 'square'])
    if extra == 'pplot' and rng.random() < 0.7:
        lists.append(_list(rng, 'pref', base['prob'], rng.randint(2, 4), percent=True, label=label))
    plot = base['plot'] + ('' if '/' in base['plot'] else ' /')
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   relationplot {plot} {extra} '
            f'{" ".join(lists)};\nrun;\n')


def mcfplot(rng, base, label=_label):
    opt = rng.choice(base['opts'])
    lists = [_list(rng, 'href', base['time'], rng.randint(3, 10), intersect=False, label=label)]
    if rng.random() < 0.8:
        lists.append(_list(rng, 'vref', base['mcf'], rng.randint(2, 8), intersect=False, label=label))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   mcfplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def mcfpanels(rng, base):
    """An MCF plot in class panels: HREF= (with HREFLABPOS= now and then) and VREF= (with VREFLABPOS=)."""
    opt = [rng.choice(base['opts'])]
    if rng.random() < 0.75:
        opt.append(f'hreflabpos={rng.randint(1, 6)}')
    if rng.random() < 0.4:
        opt.append(f'vreflabpos={rng.randint(1, 2)}')
    lists = [_list(rng, 'href', base['time'], rng.randint(3, 12), intersect=False)]
    if rng.random() < 0.85:
        lists.append(_list(rng, 'vref', base['mcf'], rng.randint(2, 8), intersect=False))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   mcfplot {base["plot"]} / {" ".join(opt)} '
            f'{" ".join(lists)};\nrun;\n')


def _stack(rng, kw, axis, percent, intersect=False):
    """A list of 8 to 16 labelled values over one to three distinct values (12 on one, 16 on three ...)."""
    k = rng.choice((1, 1, 2, 3, 3))
    n = rng.randint(8, 16)
    distinct = []
    while len(distinct) < k:
        if distinct and rng.random() < 0.4:
            v = _near(rng, axis, rng.choice(distinct), percent)   # values of the stack close to each other
        else:
            v = _percent(rng, axis, 'in') if percent else _value(rng, axis, rng.choice(('in', 'in', 'in', 'end')))
        v = float(_fmt(v))
        if v not in distinct:
            distinct.append(v)
    vals = distinct + [rng.choice(distinct) for _ in range(n - k)]
    rng.shuffle(vals)
    labels = [_label(rng, j) if rng.random() < 0.8 else rng.choice(WORDS) + ' spec' for j in range(n)]
    return (f'{kw}={" ".join(_fmt(v) for v in vals)}{" intersect" if intersect else ""} '
            f'{kw}labels={" ".join(repr_label(s) for s in labels)}')


def stacked(rng, base):
    """Many labels on each of a few lines: a stack of one list, beside it now and then an ordinary list."""
    family = base['family']
    if family == 'prob':
        opt = rng.choice(base['opts'])
        rotate = 'rotate' in opt
        lists = [('lref', base['life'], False), ('pref', base['prob'], True)]
        if rng.random() < 0.4 and not rotate:
            # HREF= and VREF= (the device road draws them where no LREF= or PREF= is given, and not turned)
            lists = [('href', base['life'], False), ('vref', base['prob'], True)]
        rng.shuffle(lists)
        (kw, axis, pct), (kw2, axis2, pct2) = lists
        out = [_stack(rng, kw, axis, pct, intersect=rng.random() < 0.2)]
        if rng.random() < 0.5:
            out.append(_list(rng, kw2, axis2, rng.randint(2, 6), percent=pct2))
        return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   probplot {base["plot"]} / {opt} '
                f'{" ".join(out)};\nrun;\n')
    if family == 'rel':
        lists = [('sref', base['stress']), ('vref', base['life'])]
        rng.shuffle(lists)
        out = [_stack(rng, lists[0][0], lists[0][1], False)]
        if rng.random() < 0.5:
            out.append(_list(rng, lists[1][0], lists[1][1], rng.randint(2, 6), intersect=False))
        plot = base['plot'] + ('' if '/' in base['plot'] else ' /')
        return f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   relationplot {plot} {" ".join(out)};\nrun;\n'
    opt = [rng.choice(base['opts'])]
    if rng.random() < 0.5:
        opt.append(f'hreflabpos={rng.randint(1, 6)}')
    lists = [('href', base['time']), ('vref', base['mcf'])]
    if rng.random() < 0.35:
        lists.reverse()
    out = [_stack(rng, lists[0][0], lists[0][1], False)]
    if rng.random() < 0.5:
        out.append(_list(rng, lists[1][0], lists[1][1], rng.randint(2, 6), intersect=False))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   mcfplot {base["plot"]} / {" ".join(opt)} '
            f'{" ".join(out)};\nrun;\n')


def pref40(rng, base):
    """Forty labelled PREF= values over class panels, now and then with INTERSECT (and LREF= beside them)."""
    opt = rng.choice([o for o in base['opts'] if 'overlay' not in o] or [''])
    lists = [_list(rng, 'pref', base['prob'], 40, percent=True, intersect=rng.random() < 0.35)]
    if rng.random() < 0.4:
        lists.append(_list(rng, 'lref', base['life'], rng.randint(2, 6)))
    rng.shuffle(lists)
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   probplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def _scale(base, axis, percent):
    """The transform of an axis and its inverse: the probability paper of the base's distribution, log or
    linear."""
    if percent:
        if 'weibull' in base['head']:
            return (lambda p: math.log(-math.log(1 - p / 100)), lambda s: 100 * (1 - math.exp(-math.exp(s))))
        nd = NormalDist()
        return lambda p: nd.inv_cdf(p / 100), lambda s: 100 * nd.cdf(s)
    if axis[2] == 'log':
        return math.log10, lambda s: 10 ** s
    return (lambda v: v), (lambda s: s)


def _edge(base, key, percent):
    """value(rng, where) of an axis of a turned plot: 'end' its first or last tick; 'hair' a hair (0.2 to 0.6 % of
    the axis) past its last tick, or now and then before its first, within the room a frame leaves beyond its
    ticks; 'beyond' 3 to 8 % past its last tick, past the frame; 'in' inside."""
    axis = base[key]
    f, inv = _scale(base, axis, percent)
    ends = [axis[:2]] + list(base.get('also', {}).get(key, ()))

    def value(rng, where):
        a, b = rng.choice(ends)
        sa, sb = f(a), f(b)
        if where == 'end':
            return rng.choice((a, b, b))
        if where == 'hair':
            step = rng.uniform(0.002, 0.006) * (sb - sa)
            return inv(sa - step) if rng.random() < 0.25 else inv(sb + step)
        if where == 'beyond':
            return inv(sb + rng.uniform(0.03, 0.08) * (sb - sa))
        return inv(rng.uniform(sa, sb))
    return value


def turned(rng, base):
    """A turned plot (ROTATE) with lines at its axes' first and last ticks, a hair past them and past the frame."""
    opt = rng.choice([o for o in base['opts'] if 'rotate' in o])
    places = ['end'] * 4 + ['hair'] * 3 + ['beyond'] * 2 + ['in'] * 2 + ['close']
    life, prob = _edge(base, 'life', False), _edge(base, 'prob', True)
    # LREF= and PREF= (the device road draws no HREF= or VREF= on a turned plot)
    lists = [_list(rng, 'pref', base['prob'], rng.randint(3, 8), percent=True, value=prob, places=places)]
    if rng.random() < 0.75:
        lists.append(_list(rng, 'lref', base['life'], rng.randint(2, 6), value=life, places=places))
    rng.shuffle(lists)
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   probplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def utf8(rng, base):
    """A plot of any family with labels of UTF-8 text."""
    make = {'prob': probplot, 'rel': relationplot, 'mcf': mcfplot}[base['family']]
    return make(rng, base, label=_label_utf8)


def _family(family, bases):
    return [dict(b, family=family, name=f'{family}-{b["name"]}') for b in bases]


MIXED = _family('prob', PROB) + _family('rel', RELATION) + _family('mcf', MCF + MCF_PANELS)
KINDS = [('prob', PROB, probplot), ('rel', RELATION, relationplot), ('prob', PROB, probplot), ('mcf', MCF, mcfplot),
         ('prob', PROB, probplot), ('mcfp', MCF_PANELS, mcfpanels), ('stack', MIXED, stacked),
         ('pref', [b for b in PROB if '=' in b['plot']], pref40), ('edge', PROB, turned), ('utf', MIXED, utf8)]


def programs(count):
    """[(name, text)] of count contents on both roads, the kinds of KINDS in turn (each kind its bases in turn)."""
    out = []
    turn = {}
    for n in range(count):
        kind, bases, make = KINDS[n % len(KINDS)]
        rng = random.Random(1000 + n)     # each program its own seed: the set grows without changing
        k = turn[kind] = turn.get(kind, -1) + 1
        base = bases[k % len(bases)]
        body = make(rng, base)
        for road in ('device', 'statistical'):
            out.append((f'{kind}{n:02d}-{base["name"]}-{road}', f'options graphics={road};\n' + body))
    return out


def main(argv):
    if not argv or argv[0].startswith('-'):
        print(__doc__.strip().split('\n\n')[-1], file=sys.stderr)
        return 2
    out = argv[0]
    count = int(argv[1]) if len(argv) > 1 else 40
    os.makedirs(out, exist_ok=True)
    for name, text in programs(count):
        with open(os.path.join(out, name + '.vx'), 'w', encoding='utf-8') as f:
            f.write(text)
        print(name)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
