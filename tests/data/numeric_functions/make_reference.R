# Reference values for the special functions of the numerical library, from R's own
# compiled routines. Run by hand from this folder: Rscript make_reference.R
# Each file is CSV with a header; numbers are written with 17 significant digits.

fmt <- function(v) sprintf("%.17g", v)
out <- function(name, df) {
  df[] <- lapply(df, function(col) if (is.numeric(col)) fmt(col) else col)
  write.csv(df, name, row.names = FALSE, quote = FALSE)
}

# Normal distribution: lower and upper tails and their logs, across both tails and
# the boundaries of the erf/erfc intervals (|x|/sqrt 2 = 0.46875 and 4) and of the
# Mills-ratio path (|x| = 5).
b <- c(0.46875, 4) * sqrt(2)
x <- sort(unique(c(seq(-37.5, 8.5, by = 0.0625), -37.6, -37.64, -20, -10, -5, 5,
                   -b, b, c(-b, b) * (1 + 1e-12), -b * (1 - 1e-12),
                   -4.999, 4.999, 1e-300, -1e-300, 1e-17, -1e-17, 1e-8, -1e-8)))
out("pnorm.csv", data.frame(x = x,
                            p = pnorm(x), q = pnorm(x, lower.tail = FALSE),
                            logp = pnorm(x, log.p = TRUE),
                            logq = pnorm(x, lower.tail = FALSE, log.p = TRUE),
                            logd = dnorm(x, log = TRUE)))

# Log tails far out (the Mills-ratio path and beyond the underflow of Phi).
xl <- c(-300, -100, -50, -40, -38, -37.5, -30, -20, -12, -8, -6, -5.5, -5, 5, 5.5, 6, 8, 12, 20, 30, 40, 50)
out("lognorm_tails.csv", data.frame(x = xl,
                                    logp = pnorm(xl, log.p = TRUE),
                                    logq = pnorm(xl, lower.tail = FALSE, log.p = TRUE)))

# Mills ratio (1 - Phi(x))/phi(x) from R's log tail and log density.
xm <- c(-10, -8, -5, -3, -1, -0.5, 0, 0.5, 1, 2, 3, 4, 4.999, 5, 5.5, 6, 7, 8, 10, 15, 20, 30)
out("mills.csv", data.frame(x = xm,
                            r = exp(pnorm(xm, lower.tail = FALSE, log.p = TRUE) - dnorm(xm, log = TRUE))))

# Normal quantile: lower tail from 1e-300, the boundaries 1e-16 and 0.01, the centre
# and the upper tail up to 1 - 1e-15.
pl <- 10^-seq(0.30103, 300, length.out = 400)
pu <- 1 - 10^-seq(0.30103, 15, length.out = 120)
p <- sort(unique(c(pl, pu, 0.5, 0.01, 0.0100001, 0.00999999, 1e-16, 1.0000001e-16, 9.999999e-17,
                   0.975, 0.025, seq(0.02, 0.98, by = 0.02))))
out("qnorm.csv", data.frame(p = p, z = qnorm(p)))

# Digamma and trigamma: reflection (x < 0.5), the reduction to [1, 2], the asymptotic
# series from 20 (digamma) and above 25 (trigamma), tiny and huge arguments.
xd <- sort(unique(c(-10.3, -5.5, -3.7, -2.5, -1.25, -0.9, -0.5, -0.25, -1e-5, 1e-8, 1e-3, 0.1, 0.25,
                    0.4999, 0.5, 0.75, 1, 1.4616321449683622, 1.5, 2, 2.5, 3.3, 5, 5.999, 6, 6.5,
                    10, 19.999, 20, 20.001, 24.999, 25, 25.0001, 30, 50, 100, 1e3, 1e5, 1e8, 1e15)))
out("digamma.csv", data.frame(x = xd, psi = digamma(xd), psi1 = trigamma(xd)))

# Log gamma: tiny, around 1, 1.5 and 2, the switch to Stirling at 15, huge.
xg <- sort(unique(c(1e-300, 1e-100, 1e-20, 1e-8, 1e-3, 0.01, 0.1, 0.25, 0.5, 0.9, 0.999,
                    1 - 2^-40, 1, 1 + 2^-40, 1.25, 1.49, 1.5, 1.51, 1.75, 1.999, 2, 2 + 2^-40,
                    2.5, 3, 3.7, 5.5, 7, 10, 12.3, 14, 14.5, 14.999, 15, 15.001, 20, 33.3,
                    100, 1000, 1e5, 1e10, 1e50, 1e300)))
out("lgamma.csv", data.frame(x = xg, lg = lgamma(xg)))

# Log beta: both branches (larger argument below and from 15).
ab <- expand.grid(a = c(1e-5, 0.1, 0.5, 1, 2, 3.5, 10, 14.9, 15, 40, 1000, 1e6),
                  b = c(0.3, 1, 2, 7, 14.999, 15, 20, 100, 1e4, 1e8))
out("lbeta.csv", data.frame(a = ab$a, b = ab$b, lb = lbeta(ab$a, ab$b)))

# log(1 + x) and exp(x) - 1, across the switch points 0.03125 and 0.01.
xs <- c(1e-300, 1e-20, 1e-10, 1e-5, 0.001, 0.005, 0.00999, 0.01, 0.0100001, 0.02, 0.03,
        0.03125, 0.0313, 0.05, 0.1, 0.5, 1, 10, 1e5, 1e10)
xs <- c(-rev(xs[xs < 0.9]), 0, xs)
out("log1p.csv", data.frame(x = xs, l = log1p(xs)))
xe <- c(-700, -50, -5, -1, xs[abs(xs) < 1 | xs == 1], 5, 50, 700)
out("expm1.csv", data.frame(x = xe, e = expm1(xe)))

# Incomplete beta: shapes from 0.1 to 6000 at points spread over the distribution,
# each with the lower and upper tail and the density.
sh <- c(0.1, 0.5, 0.7, 1, 2, 3.5, 10, 50, 200, 1000, 6000)
g <- expand.grid(a = sh, b = sh, c = c(1e-12, 1e-6, 0.001, 0.05, 0.3, 0.5, 0.7, 0.95, 0.999, 1 - 1e-6))
g$x <- qbeta(g$c, g$a, g$b)
g <- g[g$x > 0 & g$x < 1, ]
extra <- data.frame(a = c(2, 2, 10, 0.5, 0.5, 5, 1e4),
                    b = c(3, 3, 12, 0.7, 0.5, 1, 150),
                    x = c(0.3, 0.7, 0.5, 0.1, 0.999999, 0.2, 0.985))
g <- rbind(g[, c("a", "b", "x")], extra)
out("pbeta.csv", data.frame(x = g$x, a = g$a, b = g$b,
                            p = pbeta(g$x, g$a, g$b), q = pbeta(g$x, g$a, g$b, lower.tail = FALSE),
                            logp = pbeta(g$x, g$a, g$b, log.p = TRUE),
                            d = dbeta(g$x, g$a, g$b)))

# Incomplete gamma: shapes from 1e-3 to 1e4 (series, upper fraction, raised shape,
# the Stirling form of the log density) and the huge-shape branches.
sa <- c(0.001, 0.1, 0.4, 0.9, 1, 1.5, 2, 5, 9.99, 10, 20, 50, 100, 1000, 1e4)
gg <- expand.grid(a = sa, c = c(1e-10, 1e-4, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 1 - 1e-4, 1 - 1e-10))
gg$x <- qgamma(gg$c, gg$a)
gg <- gg[gg$x > 0, ]
extra <- data.frame(a = c(2, 2, 0.4, 0.4, 20, 20, 20, 1, 1, 3, 1e9, 1e9, 1e9, 5e8),
                    x = c(0.5, 3, 0.2, 5, 25, 14, 26.1, 1e-3, 50, 700, 1e9 + 1e5, 1e9 - 3e4, 1e9 + 2e5, 5e8 + 5e4))
gg <- rbind(gg[, c("a", "x")], extra)
out("pgamma.csv", data.frame(x = gg$x, a = gg$a,
                             p = pgamma(gg$x, gg$a), q = pgamma(gg$x, gg$a, lower.tail = FALSE),
                             logq = pgamma(gg$x, gg$a, lower.tail = FALSE, log.p = TRUE),
                             d = dgamma(gg$x, gg$a)))
