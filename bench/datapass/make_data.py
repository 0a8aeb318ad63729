#!/usr/bin/env python3
"""The data set of the data-pass comparison (see README.md beside this file).

pass10m.csv: 10,000,000 rows of three columns, hours (Weibull, shape 1.5, scale 2000, four
decimals), status (0 censored at 3000 hours, else 1) and count (1 to 5); some 150 MB.
"""
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "."
rows = int(sys.argv[2]) if len(sys.argv) > 2 else 10000000
rng = random.Random(29)
with open(f"{out}/pass10m.csv", "w") as f:
    f.write("hours,status,count\n")
    chunk = []
    for i in range(rows):
        t = 2000.0 * (-__import__("math").log(1 - rng.random())) ** (1 / 1.5)
        s = 1
        if t > 3000:
            t, s = 3000.0, 0
        chunk.append("%.4f,%d,%d\n" % (t, s, 1 + int(rng.random() * 5)))
        if len(chunk) == 100000:
            f.write("".join(chunk))
            chunk = []
    f.write("".join(chunk))
