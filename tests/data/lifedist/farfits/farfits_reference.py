# The maxima of farfits_reference.R again, at 40 digits (mpmath), as a check of R's log-space
# sums where the intervals lie hundreds of scales out (run by hand: python3 farfits_reference.py);
# then the normal fits of d4.csv thousands of scales out and the logistic fits of iv_logistic.csv,
# with their standard errors (1/sqrt of minus the second derivative at the maximum).
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

def llf(mu, rows, s, F):
    t=mp.mpf(0)
    for lo,hi in rows:
        a=(mp.mpf(lo)-mu)/s
        if hi is None: t+=mp.log(F(-a)); continue
        b=(mp.mpf(hi)-mu)/s
        t+=mp.log(F(b)-F(a)) if a+b<0 else mp.log(F(-a)-F(-b))
    return t
logistic=lambda y: 1/(1+mp.exp(-y))
for f,F,s,g in [('d4.csv',mp.ncdf,'0.1',1700),('d4.csv',mp.ncdf,'0.05',1700),('d4.csv',mp.ncdf,'1',1700),
                ('iv_logistic.csv',logistic,'0.48',600.1),('iv_logistic.csv',logistic,'0.1',600.03)]:
    rows=load(f); s=mp.mpf(s)
    m=mp.findroot(lambda mu: mp.diff(lambda x: llf(x,rows,s,F), mu), mp.mpf(g))
    se=1/mp.sqrt(-mp.diff(lambda x: llf(x,rows,s,F), m, 2))
    print(f, mp.nstr(s,3), mp.nstr(m,15), mp.nstr(llf(m,rows,s,F),16), 'SE', mp.nstr(se,10))
