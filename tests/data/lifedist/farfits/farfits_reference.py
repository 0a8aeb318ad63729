# The maxima of farfits_reference.R again, at 40 digits (mpmath), as a check of R's log-space
# sums where the intervals lie hundreds of scales out (run by hand: python3 farfits_reference.py).
import csv, mpmath as mp
mp.mp.dps = 40
def load(f):
    rows=[]
    for r in csv.DictReader(open(f)):
        lo=float(r['lo']); hi=r['hi']; rows.append((lo, float(hi) if hi else None))
    return rows
def ll(mu, rows, s):
    t=mp.mpf(0)
    for lo,hi in rows:
        a=(mp.mpf(lo)-mu)/s
        if hi is None: t+=mp.log(mp.ncdf(-a)); continue
        b=(mp.mpf(hi)-mu)/s
        t+=mp.log(mp.ncdf(b)-mp.ncdf(a)) if a+b<0 else mp.log(mp.ncdf(-a)-mp.ncdf(-b))
    return t
for f,s,g in [('d3.csv',5,894.1),('d1.csv',20,1023.27),('d6.csv',3,520.775),('outlier.csv',80.5,1596.29),('iv.csv',30,1026.08)]:
    rows=load(f)
    m=mp.findroot(lambda mu: mp.diff(lambda x: ll(x,rows,s), mu), mp.mpf(g))
    print(f, mp.nstr(m,15), mp.nstr(ll(m,rows,s),15))
