# Reference values of the binomial and Poisson analysis, made by hand with R (run in this
# folder: Rscript reference.R). Exact limits from binom.test and poisson.test, homogeneity
# chi-squares from prop.test and chisq.test without continuity correction, prediction
# limits by a root search of their defining beta equations (uniroot), tolerance sample
# sizes from the closed form.
w <- function(df, file) write.table(format(df, digits = 17), file, quote = FALSE, row.names = FALSE)

# Clopper-Pearson: x of n at two-sided confidence conf.
b <- rbind(c(0, 10, .95), c(10, 10, .95), c(3, 20, .95), c(17, 40, .90), c(1, 1000, .99),
           c(250, 500, .95), c(3, 20, .90))
lim <- t(apply(b, 1, function(a) binom.test(a[1], a[2], conf.level = a[3])$conf.int))
# Non-integer (weighted) counts: the beta quantiles themselves.
x <- 2.5; n <- 7.5
b <- rbind(b, c(x, n, .95)); lim <- rbind(lim, c(qbeta(.025, x, n - x + 1), qbeta(.975, x + 1, n - x)))
# Billions of trials, beyond the F quantile's range (beta parameters above 2^31): the beta
# quantiles (binom.test's p-value would sum over billions of terms).
big <- rbind(c(3, 5e9, .95), c(3, 3e9, .95), c(5e9 - 3, 5e9, .95))
b <- rbind(b, big)
lim <- rbind(lim, t(apply(big, 1, function(a) c(qbeta((1 - a[3]) / 2, a[1], a[2] - a[1] + 1),
                                                  qbeta(1 - (1 - a[3]) / 2, a[1] + 1, a[2] - a[1])))))
w(data.frame(x = b[, 1], n = b[, 2], conf = b[, 3], lower = lim[, 1], upper = lim[, 2]), "binom.txt")

# Garwood: count x in exposure n at two-sided confidence conf.
p <- rbind(c(0, 2.5, .95), c(7, 3, .95), c(100, 1000, .95), c(1, 0.01, .99), c(7, 3, .90))
lim <- t(apply(p, 1, function(a) poisson.test(a[1], a[2], conf.level = a[3])$conf.int))
w(data.frame(x = p[, 1], n = p[, 2], conf = p[, 3], lower = lim[, 1], upper = lim[, 2]), "poisson.txt")

# Homogeneity across three levels (the weighted totals of the unit-test rows).
pt <- prop.test(c(8, 5, 9), c(34, 20, 30), correct = FALSE)
ct <- chisq.test(c(3, 8, 12), p = c(2.5, 4, 5) / 11.5)
w(data.frame(binomstat = pt$statistic, binomp = pt$p.value, poisstat = ct$statistic, poisp = ct$p.value),
  "chisq.txt")

# Prediction limits for m future trials (or units of exposure), tail a each: the upper
# limit u solves pbeta(n/(n+m), x+1, u) = 1 - a, the lower l solves
# pbeta(m/(m+n), l+1, x) = 1 - a, and is 0 when no l >= 0 does.
pred <- function(x, n, m, a) {
  up <- uniroot(function(u) pbeta(n / (n + m), x + 1, u) - (1 - a), c(1e-8, 1e6), tol = 1e-14)$root
  f <- function(l) pbeta(m / (m + n), l + 1, x) - (1 - a)
  lo <- if (x == 0 || f(0) < 0) 0 else uniroot(f, c(0, 1e6), tol = 1e-14)$root
  c(up, lo)
}
q <- rbind(c(3, 20, 50, .025), c(7, 3, 2, .025), c(0, 4, 10, .025), c(1, 1000, 1, .025),
           c(40, 200, 100, .05), c(12, 5, 8, .025))
lim <- t(apply(q, 1, function(a) pred(a[1], a[2], a[3], a[4])))
w(data.frame(x = q[, 1], n = q[, 2], m = q[, 3], a = q[, 4], upper = lim[, 1], lower = lim[, 2]), "predict.txt")

# Tolerance: the trials that estimate p within +-tol, the exposure that estimates a rate.
z <- qnorm(.975)
w(data.frame(p = 0.3, tol = 0.05, trials = (z / 0.05)^2 * 0.3 * 0.7, rate = 2.5, tolr = 0.5,
             exposure = (z / 0.5)^2 * 2.5), "tolerance.txt")
