# Reference values of log I_nu(x) at large arguments and orders, where R's besselI loses
# digits, from mpmath with 50 digits. Run: python3 make_bessel_mp.py (writes besseli_mp.csv).
import mpmath as m

m.mp.dps = 50
rows = []
for nu in [0, 0.3, 1, 3.5, 20.25, 36.2, 400, 2500, 1e5]:
    for x in [3000.0, 1e5, 1e7, 4.5e8]:
        if x >= 1e6 and 4 * nu * nu > x:
            continue  # neither the series nor the expansion settles here
        v = m.log(m.besseli(nu, x, maxterms=10**6)) if x < 1e6 else None
        if v is None:  # asymptotic expansion, taken far past double precision
            mu = 4 * m.mpf(nu) ** 2
            s, t = m.mpf(1), m.mpf(1)
            for k in range(1, 40):
                t *= -(mu - (2 * k - 1) ** 2) / (k * 8 * x)
                s += t
            v = x - m.log(m.sqrt(2 * m.pi * x)) + m.log(s)
        rows.append((nu, x, v))
with open("besseli_mp.csv", "w") as f:
    f.write("nu,x,logi\n")
    for nu, x, v in rows:
        f.write("%.17g,%.17g,%s\n" % (nu, x, m.nstr(v, 20)))
