#!/usr/bin/env python3
"""Writes weibull1m.csv: 1,000,000 Weibull lives (shape 1.5, scale 2000 hours) with random
censoring times so that about 30 % are right-censored, times with three decimals, and a
class variable of three levels (the lots differ in scale)."""
import math
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "."
random.seed(20261207)
scales = {"L1": 1800.0, "L2": 2000.0, "L3": 2300.0}
with open(f"{out}/weibull1m.csv", "w") as f:
    f.write("lot,hours,status\n")
    for i in range(1_000_000):
        lot = ("L1", "L2", "L3")[i % 3]
        t = scales[lot] * (-math.log(1.0 - random.random())) ** (1 / 1.5)
        c = 6000.0 * random.random()
        status = 1 if c < t else 0      # 1 censored
        f.write(f"{lot},{min(t, c):.3f},{status}\n")
