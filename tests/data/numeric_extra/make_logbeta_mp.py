# High-precision check values for logbeta.csv: R's pbeta loses digits in the log scale when
# the shapes differ by orders of magnitude (1e5 against 30), so the same grid is computed
# with mpmath at 60 digits. Run after make_logbetagamma.R: python3 make_logbeta_mp.py
# (writes logbeta_mp.csv, row for row with logbeta.csv).
import csv
import mpmath as m

m.mp.dps = 60
with open("logbeta.csv") as f:
    rows = list(csv.DictReader(f))
with open("logbeta_mp.csv", "w") as out:
    out.write("x,a,b,logp,logq\n")
    for r in rows:
        x, a, b = (m.mpf(r[k]) for k in ("x", "a", "b"))
        # Each tail as a lower integral of its own side, so that neither is a difference.
        lp = m.log(m.betainc(a, b, 0, x, regularized=True))
        lq = m.log(m.betainc(b, a, 0, 1 - x, regularized=True))
        out.write("%s,%s,%s,%s,%s\n" % (r["x"], r["a"], r["b"], m.nstr(lp, 20), m.nstr(lq, 20)))
