#!/usr/bin/env python3
"""Data sets of the whole-command comparisons with R (see README.md beside this file).

big.csv: 1,000,000 right-censored Weibull times (shape 1.5, scale 2000) with uniform censoring.
iv100k.csv: 100,000 interval-censored units: Weibull failure times (shape 1.5, scale 125), each
unit inspected at its own random gaps of 5 to 15 (to 0.1) up to 135; found failed at the
first inspection: left-censored; still running at the last: right-censored.
iv1m.csv: 1,000,000 such units (its first 100,000 are those of iv100k.csv).
"""
import math
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "."
rng = random.Random(5)
with open(f"{out}/big.csv", "w") as f:
    f.write("time,status\n")
    for _ in range(1000000):
        t = 2000.0 * (-math.log(1 - rng.random())) ** (1 / 1.5)
        c = 3000.0 * rng.random() + 500
        f.write("%.3f,1\n" % t if t <= c else "%.3f,0\n" % c)
def intervals(n):
    rng = random.Random(7)
    for _ in range(n):
        t = 125.0 * (-math.log(1 - rng.random())) ** (1 / 1.5)
        last, at, found = 0.0, 0.0, False
        while True:
            at = round(at + 5 + 10 * rng.random(), 1)
            if at > 135:
                break
            if t <= at:
                found = True
                break
            last = at
        yield ("%.1f" % last if last > 0 else "") + "," + ("%.1f" % at if found else "") + "\n"


for name, n in (("iv100k", 100000), ("iv1m", 1000000)):
    with open(f"{out}/{name}.csv", "w") as f:
        f.write("lower,upper\n")
        f.writelines(intervals(n))
