#!/usr/bin/env python3
"""Data set of the whole-command comparison of MODEL with R (see README.md beside this file).

model1m.csv: 1,000,000 units with two continuous stresses x1 (uniform 0 to 1) and x2 (normal),
a CLASS variable g of 5 levels (A to E), Weibull times with log-scale location
5 + 1.2 x1 - 0.4 x2 + level effect and shape 1.5, censored at an exponential time (mean 400):
about 40 % right-censored.
"""
import math
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "."
rng = random.Random(11)
effect = {"A": 0.0, "B": 0.3, "C": -0.2, "D": 0.5, "E": 0.1}
with open(f"{out}/model1m.csv", "w") as f:
    f.write("time,status,x1,x2,g\n")
    for _ in range(1000000):
        x1 = rng.random()
        x2 = rng.gauss(0.0, 1.0)
        g = "ABCDE"[rng.randrange(5)]
        mu = 5.0 + 1.2 * x1 - 0.4 * x2 + effect[g]
        t = math.exp(mu) * (-math.log(1.0 - rng.random())) ** (1 / 1.5)
        c = -400.0 * math.log(1.0 - rng.random())
        if t <= c:
            f.write("%.4f,1,%.5f,%.5f,%s\n" % (t, x1, x2, g))
        else:
            f.write("%.4f,0,%.5f,%.5f,%s\n" % (c, x1, x2, g))
