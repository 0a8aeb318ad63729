#!/usr/bin/env python3
"""Recurrence data for the MCFPLOT timings: N units observed to ages uniform on 200..1000,
with Poisson-many events (mean 5.1) at ages on a grid of 0.005 (about 42,000 distinct ages
for 10,000 units). Usage: make_mcf_data.py N OUT.csv [seed]"""
import random
import sys

n = int(sys.argv[1])
out = sys.argv[2]
rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
with open(out, "w") as f:
    f.write("unit,age,n\n")
    for u in range(n):
        end = round(rng.uniform(200, 1000), 2)
        k = 0
        # Poisson(5.1) by inversion of exponential gaps
        t = rng.expovariate(5.1)
        while t < 1:
            k += 1
            t += rng.expovariate(5.1)
        ages = sorted(round(rng.uniform(0, end) * 200) / 200 for _ in range(k))
        for a in ages:
            f.write("U%07d,%.3f,1\n" % (u, a))
        f.write("U%07d,%.2f,-1\n" % (u, end))
