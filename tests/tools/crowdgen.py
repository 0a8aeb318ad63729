#!/usr/bin/env python3
"""Crowded programs for the label placement: a fixed set (the same seeds every run) of probability, relation and
MCF plots with many labelled reference lines, each written once for each graphics road.

The plots: PROBPLOT in panels (a class variable, BY groups), OVERLAY, ROTATE and SQUARE; RELATIONPLOT of an
accelerated test with SREF= and VREF= (and, with PPLOT, LREF= and PREF=); MCFPLOT with BY groups and HREF=/VREF=.
The reference values stand inside the axes, at their ends (the first and last tick), just past the last tick and a
few off the axis; some lists have INTERSECT, some labels are empty, some values repeated.

  crowdgen.py OUTDIR [COUNT]
writes OUTDIR/NAME.vx (COUNT contents, each on both roads: NAME ends in -device or -statistical) and prints the
names. The data sets are those of examples/ and tests/data/crowded/."""
import math
import os
import random
import sys

# The plots the programs start from: the data's statement, the ends of the axes (the first and last labelled tick
# of either road), their scales, and the options that suit them.
#   life, prob, stress, time, mcf: (first, last, 'log' | 'lin')
PROB = [
    dict(name='fans-type', data='fans', head='freq count;\n   distribution weibull;', plot='hours*status(0) = type',
         life=(100, 10000, 'log'), prob=(2, 95), opts=['', 'ncols=2', 'nrows=2', 'overlay', 'rotate', 'square']),
    dict(name='fans-by', data='fans', head='by plant;\n   freq count;\n   distribution lognormal;',
         plot='hours*status(0)', life=(100, 10000, 'log'), prob=(2, 90), opts=['', 'square', 'rotate']),
    dict(name='lung4', data='lung4', head='distribution weibull;', plot='time*status(0) = grp',
         life=(1, 1000, 'log'), prob=(0.2, 99),
         opts=['overlay', 'overlay rotate', 'overlay square', 'nrows=2 ncols=2']),
    dict(name='lots3', data='lots3', head='distribution weibull;', plot='mrevs*status(0) = lot',
         life=(10, 1000, 'log'), prob=(5, 90), opts=['ncols=3', 'ncols=3 rotate', 'overlay', 'overlay rotate']),
    dict(name='insulation', data='insulation', head='distribution lognormal;', plot='hours = temp',
         life=(100, 100000, 'log'), prob=(5, 95), opts=['overlay', 'overlay rotate', 'overlay square']),
    dict(name='bearings', data='ballbearings', head='distribution weibull;', plot='mrevs',
         life=(10, 1000, 'log'), prob=(2, 99), opts=['', 'rotate', 'square', 'rotate square']),
    dict(name='sixb', data='sixb', head='distribution weibull;', plot='hours*status(0) = batch',
         life=(10, 10000, 'log'), prob=(2, 99), opts=['overlay', 'overlay rotate noconf']),
    dict(name='lots2', data='lots2', head='distribution normal;', plot='t*c(0) = lot',
         life=(0, 6000, 'lin'), prob=(5, 95), opts=['', 'rotate']),
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
WORDS = ['Alpha', 'Beta', 'Gamma', 'Delta', 'Eps', 'Zeta', 'Eta', 'Theta', 'Iota', 'Kappa', 'Lambda', 'Mu', 'B10',
         'Goal', 'Limit', 'Burn-in end', 'Warranty', 'Design life', 'Target', 'Mission']


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


def _list(rng, kw, axis, n, percent=False, intersect=None):
    """A reference list of n values with labels: 'KW=... [intersect] KWlabels=...'."""
    places = ['in'] * 5 + ['close'] * 3 + ['end', 'end', 'past', 'past', 'off']
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
            v = _percent(rng, axis, w) if percent else _value(rng, axis, w)
        vals.append(float(_fmt(v)))
    labels = [_label(rng, k) for k in range(n)]
    inter = rng.random() < 0.5 if intersect is None else intersect
    return (f'{kw}={" ".join(_fmt(v) for v in vals)}{" intersect" if inter else ""} '
            f'{kw}labels={" ".join(repr_label(s) for s in labels)}')


def repr_label(s):
    return "'" + s.replace("'", "") + "'"


def probplot(rng, base):
    opt = rng.choice(base['opts'])
    rotate = 'rotate' in opt
    lists = []
    if rng.random() < 0.6:
        # LREF= and PREF= (both roads draw them; HREF= and VREF= beside them only the statistical road)
        if rng.random() < 0.85:
            lists.append(_list(rng, 'lref', base['life'], rng.randint(3, 10)))
        if rng.random() < 0.8:
            lists.append(_list(rng, 'pref', base['prob'], rng.randint(2, 8), percent=True))
    else:
        horiz, vert = (base['prob'], base['life']) if rotate else (base['life'], base['prob'])
        lists.append(_list(rng, 'href', horiz, rng.randint(3, 10), percent=rotate))
        if rng.random() < 0.7:
            lists.append(_list(rng, 'vref', vert, rng.randint(2, 8), percent=not rotate))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   probplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def relationplot(rng, base):
    lists = [_list(rng, 'sref', base['stress'], rng.randint(3, 9), intersect=False)]
    if rng.random() < 0.7:
        lists.append(_list(rng, 'vref', base['life'], rng.randint(2, 7)))
    extra = rng.choice(['', '', 'pplot', 'square'])
    if extra == 'pplot' and rng.random() < 0.7:
        lists.append(_list(rng, 'pref', base['prob'], rng.randint(2, 4), percent=True))
    plot = base['plot'] + ('' if '/' in base['plot'] else ' /')
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   relationplot {plot} {extra} '
            f'{" ".join(lists)};\nrun;\n')


def mcfplot(rng, base):
    opt = rng.choice(base['opts'])
    lists = [_list(rng, 'href', base['time'], rng.randint(3, 10), intersect=False)]
    if rng.random() < 0.8:
        lists.append(_list(rng, 'vref', base['mcf'], rng.randint(2, 8), intersect=False))
    return (f'proc vitalyx data={base["data"]};\n   {base["head"]}\n   mcfplot {base["plot"]} / {opt} '
            f'{" ".join(lists)};\nrun;\n')


def programs(count):
    """[(name, text)] of count contents on both roads: probability plots, relation plots and MCF plots in turn."""
    out = []
    kinds = [('prob', PROB, probplot)] * 3 + [('rel', RELATION, relationplot), ('mcf', MCF, mcfplot)]
    for n in range(count):
        kind, bases, make = kinds[n % len(kinds)]
        rng = random.Random(1000 + n)     # each program its own seed: the set grows without changing
        base = bases[(n // len(kinds)) % len(bases)] if kind != 'prob' else bases[(n // 5 * 3 + n % 5) % len(bases)]
        body = make(rng, base)
        for road in ('device', 'statistical'):
            out.append((f'{kind}{n:02d}-{base["name"]}-{road}', f'options graphics={road};\n' + body))
    return out


def main(argv):
    if not argv:
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
