#!/usr/bin/env python3
"""Reference values of mean cumulative functions, computed directly from the textbook
formulas with exact rational arithmetic (fractions), independently of the procedure's
running sums. Run by hand: python3 make_reference.py (writes the *_ref.csv files here).

Records are taken in the procedure's processing order: time ascending; at one time the
events before the ends of observation, events by value descending, then by unit id
descending. Each event record k (unit u_k, value d_k, at time t_k) has the risk set of the
units whose end of observation is at or after t_k (R_k units, weight W = sum of weights).

  MCF       M_k = sum_{j<=k} w_j d_j / R_j
  POISSON   V_k = sum_{j<=k} w_j d_j / R_j^2
  LAWLESS   V_k = sum_i W_i (sum_{j<=k, i at risk at t_j} (1[i=u_j] d_j - w_j d_j / R_j) / R_j)^2
            (Lawless and Nadeau's robust variance; with unit weights it is the variance of
            the data set with every unit replicated by its weight)
  NELSON    blocks are the runs of events between two ends of observation (one risk set of
            R_b units each); A_i^b is unit i's sum of values in block b (up to record k in the
            block of record k). Blocks with R_b <= 1 contribute nothing.
            V_k = sum_b S_bb / (R_b (R_b - 1)) + 2 sum_{b<c} S_bc / (R_b (R_c - 1)),
            S_bc = sum_{i in risk set of c} (A_i^b - mean_c A^b) (A_i^c - mean_c A^c)
  INDINC    the same without the cross terms b < c.
Limits: normal M -/+ z SE, log M exp(-/+ z SE / M); z = 1.959963984540054 (95%).
Difference of two groups: merged at each group's event times as the procedure merges them,
D = M_A - M_B, SE = sqrt(SE_A^2 + SE_B^2).
"""
import csv
import math
from fractions import Fraction as F

Z95 = 1.959963984540054


def load(path, unitcol, timecol, valcol, endval, groupcol=None, freqcol=None, costcol=None):
    rows = list(csv.DictReader(open(path)))
    data = {}
    for r in rows:
        g = r[groupcol] if groupcol else ""
        unit = r[unitcol]
        t = F(r[timecol])
        v = F(r[valcol])
        w = F(r[freqcol]) if freqcol else F(1)
        d = data.setdefault(g, {"units": {}, "events": []})
        u = d["units"].setdefault(unit, {"end": None, "w": F(1)})
        if v == endval:
            u["end"] = t
            u["w"] = w
        else:
            d["events"].append((t, F(r[costcol]) if costcol else v, unit))
    return data


def order(events):
    # time ascending, value descending, id descending (ids as 16-character texts)
    return sorted(events, key=lambda e: (e[0], -e[1], [-ord(c) for c in e[2].ljust(16)]))


def estimate(group, method):
    units = group["units"]
    ev = order(group["events"])
    ids = sorted(units)
    out = []
    M = F(0)
    for k, (t, d, u) in enumerate(ev):
        risk = [i for i in ids if units[i]["end"] >= t]
        R = sum(units[i]["w"] for i in risk)
        w = units[u]["w"]
        M += w * d / R
        if method == "POISSON":
            V = sum(units[e[2]]["w"] * e[1] / sum(units[i]["w"] for i in ids if units[i]["end"] >= e[0]) ** 2
                    for e in ev[:k + 1])
        elif method == "LAWLESS":
            V = lawless(units, ev[:k + 1])
        else:
            V = blocks(units, ev[:k + 1], method == "NELSON")
        out.append((t, u, M, V))
    return out


def lawless(units, ev):
    ids = sorted(units)
    D = {i: F(0) for i in ids}
    for (t, d, u) in ev:
        risk = [i for i in ids if units[i]["end"] >= t]
        R = sum(units[i]["w"] for i in risk)
        inc = units[u]["w"] * d / R
        for i in risk:
            D[i] += ((d if i == u else 0) - inc) / R
    return sum(units[i]["w"] * D[i] ** 2 for i in ids)


def blocks(units, ev, cross):
    ids = sorted(units)
    # split into blocks: a new block starts when the risk set changed since the last event
    bl = []
    last = None
    for (t, d, u) in ev:
        risk = tuple(i for i in ids if units[i]["end"] >= t)
        if risk != last:
            bl.append({"risk": risk, "A": {}})
            last = risk
        bl[-1]["A"][u] = bl[-1]["A"].get(u, F(0)) + d
    V = F(0)
    for c, bc in enumerate(bl):
        rc = bc["risk"]
        Rc = len(rc)
        if Rc <= 1:
            continue
        ac = [bc["A"].get(i, F(0)) for i in rc]
        mc = sum(ac) / Rc
        V += sum((x - mc) ** 2 for x in ac) / (Rc * (Rc - 1))
        if not cross:
            continue
        for bb in bl[:c]:
            Rb = len(bb["risk"])
            ab = [bb["A"].get(i, F(0)) for i in rc]
            mb = sum(ab) / Rc
            V += 2 * sum((x - mb) * (y - mc) for x, y in zip(ab, ac)) / (Rb * (Rc - 1))
    return V


def limits(m, se):
    lo, hi = m - Z95 * se, m + Z95 * se
    if m > 1.110223024625157e-16 and Z95 * se / m < 709.782712893384:
        w = Z95 * se / m
        return lo, hi, m / math.exp(w), m * math.exp(w)
    return lo, hi, float("nan"), float("nan")


def write(path, est):
    with open(path, "w") as f:
        f.write("Age,Mcf,Std,Lower,Upper,LogLower,LogUpper\n")
        for (t, u, M, V) in est:
            m = float(M)
            se = math.sqrt(V) if V > 0 else 0.0
            lo, hi, llo, lhi = limits(m, se)
            f.write("%r,%r,%r,%r,%r,%r,%r\n" % (float(t), m, se, lo, hi, llo, lhi))


def difference(a, b, enda, endb):
    """The merge of the procedure: at each group's event times until one passes the other's
    last end of observation."""
    out = []
    ia = ib = 0
    lma = lsa = lmb = lsb = 0.0
    while ia < len(a) or ib < len(b):
        ta = float(a[ia][0]) if ia < len(a) else float("inf")
        tb = float(b[ib][0]) if ib < len(b) else float("inf")
        if tb < ta:
            if tb > enda:
                break
            mb, sb = float(b[ib][2]), math.sqrt(b[ib][3])
            out.append((tb, lma - mb, math.hypot(lsa, sb)))
            lmb, lsb = mb, sb
            ib += 1
        elif ta < tb:
            if ta > endb:
                break
            ma, sa = float(a[ia][2]), math.sqrt(a[ia][3])
            out.append((ta, ma - lmb, math.hypot(sa, lsb)))
            lma, lsa = ma, sa
            ia += 1
        else:
            ma, sa = float(a[ia][2]), math.sqrt(a[ia][3])
            mb, sb = float(b[ib][2]), math.sqrt(b[ib][3])
            out.append((ta, ma - mb, math.hypot(sa, sb)))
            lma, lsa, lmb, lsb = ma, sa, mb, sb
            ia += 1
            ib += 1
    return out


def main():
    methods = ["NELSON", "INDINC", "LAWLESS", "POISSON"]
    # the valve seats of 41 engines (Nelson 1995), row for row as R's survival::valveSeat has them
    valve = load("valve.csv", "engine", "days", "n", -1)[""]
    for m in methods:
        write("valve_%s_ref.csv" % m.lower(), estimate(valve, m))
    # costs: the value of each replacement is its cost
    costs = load("valve_cost.csv", "engine", "days", "cost", -1)[""]
    for m in methods:
        write("valve_cost_%s_ref.csv" % m.lower(), estimate(costs, m))
    # unit weights: LAWLESS and POISSON with FREQ
    freq = load("valve_freq.csv", "engine", "days", "n", -1, freqcol="w")[""]
    for m in ["LAWLESS", "POISSON"]:
        write("valve_freq_%s_ref.csv" % m.lower(), estimate(freq, m))
    # two groups: placebo and thiotepa
    blad = load("bladder.csv", "unit", "age", "n", -1, groupcol="rx")
    for m in ["NELSON", "LAWLESS"]:
        est = {g: estimate(blad[g], m) for g in ("placebo", "thiotepa")}
        for g in est:
            write("bladder_%s_%s_ref.csv" % (g, m.lower()), est[g])
        ends = {g: float(max(u["end"] for u in blad[g]["units"].values())) for g in blad}
        d = difference(est["placebo"], est["thiotepa"], ends["placebo"], ends["thiotepa"])
        with open("bladder_diff_%s_ref.csv" % m.lower(), "w") as f:
            f.write("Age,Mcfdiff,Std,Lower,Upper\n")
            for (t, dd, se) in d:
                f.write("%r,%r,%r,%r,%r\n" % (t, dd, se, dd - Z95 * se, dd + Z95 * se))


if __name__ == "__main__":
    main()
