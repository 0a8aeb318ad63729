# Reference values for the numeric_kernels unit tests. Run by hand from this folder:
#   Rscript make_reference.R
# The tests read the files it writes; they never need R.
options(digits = 17)
out <- function(df, file) write.table(df, file, row.names = FALSE, quote = FALSE)
fmt <- function(x) sprintf("%.17g", x)

ps <- c(1e-10, 1e-6, 0.001, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95, 0.975, 0.99, 0.999)

# Beta quantiles.
ab <- expand.grid(a = c(0.5, 1, 2, 5, 20, 150), b = c(0.7, 1, 3, 10, 60))
g <- merge(data.frame(p = ps), ab)
g$x <- qbeta(g$p, g$a, g$b)
out(data.frame(p = fmt(g$p), a = g$a, b = g$b, x = fmt(g$x)), "qbeta.txt")

# Chi-square quantiles (p up to 1 - 1e-12).
pc <- c(ps, 0.999999, 1 - 1e-9, 1 - 1e-12)
g <- merge(data.frame(p = pc), data.frame(df = c(0.3, 1, 2, 3.5, 10, 50, 400, 1e4)))
g$q <- qchisq(g$p, g$df)
out(data.frame(p = fmt(g$p), df = g$df, q = fmt(g$q)), "qchisq.txt")

# Central F quantiles. qf loses its digits below p = 1e-3 (it returns 0 at 1e-10 with one
# degree of freedom), so they come from the beta quantiles of both sides: with X the
# beta(df1/2, df2/2) quantile at p, 1 - X is the upper-p quantile of beta(df2/2, df1/2),
# and F = (df2/df1) X/(1 - X).
pf_ <- ps[ps < 0.9999]
g <- merge(data.frame(p = pf_), expand.grid(df1 = c(1, 2, 5, 12.5, 40), df2 = c(1, 3, 10, 30, 200)))
g$q <- g$df2 / g$df1 * qbeta(g$p, g$df1 / 2, g$df2 / 2) / qbeta(g$p, g$df2 / 2, g$df1 / 2, lower.tail = FALSE)
out(data.frame(p = fmt(g$p), df1 = g$df1, df2 = g$df2, q = fmt(g$q)), "qf.txt")

# Noncentral F quantiles.
g <- merge(data.frame(p = c(0.05, 0.25, 0.5, 0.75, 0.95)),
           expand.grid(df1 = c(2, 6), df2 = c(8, 40), nc = c(0.5, 4, 20)))
g$q <- qf(g$p, g$df1, g$df2, g$nc)
out(data.frame(p = g$p, df1 = g$df1, df2 = g$df2, nc = g$nc, q = fmt(g$q)), "qfnc.txt")

# F distribution function, central and noncentral.
g <- merge(data.frame(x = c(0.01, 0.3, 1, 2.5, 7, 40)),
           expand.grid(df1 = c(1, 3, 10, 55), df2 = c(2, 7.5, 30), nc = c(0, 0.001, 1, 6, 30, 150)))
g$P <- pf(g$x, g$df1, g$df2, g$nc)
out(data.frame(x = g$x, df1 = g$df1, df2 = g$df2, nc = g$nc, P = fmt(g$P)), "pf.txt")

# Chi-square upper tails.
g <- merge(data.frame(x = c(1e-4, 0.1, 1, 3.841459, 10, 30, 100, 400)), data.frame(df = c(0.5, 1, 2, 5, 17, 60)))
g$Q <- pchisq(g$x, g$df, lower.tail = FALSE)
out(data.frame(x = g$x, df = g$df, Q = fmt(g$Q)), "pchisq.txt")

# Gamma function.
x <- c(-4.5, -2.7, -1.5, -0.5, -0.01, 1e-5, 0.1, 0.5, 0.9, 1, 1.3, 1.5, 1.9, 2, 2.5, 3.7,
       7.2, 12, 19.99, 20, 20.5, 55.5, 100, 150.3, 170.5)
out(data.frame(x = x, g = fmt(gamma(x))), "gamma.txt")

# Limit searches: G(x) = pf(r x, n, 2x) = p and H(x) = pf(r/(1 + x), 2x + 2, n) = p.
cases <- expand.grid(p = c(0.025, 0.05, 0.5, 0.95, 0.975), n = c(1, 4, 20, 150), r = c(0.05, 0.7, 3, 40))
cases$xh <- NA
cases$xl <- NA
for (i in seq_len(nrow(cases))) {
  p <- cases$p[i]; n <- cases$n[i]; r <- cases$r[i]
  G <- function(x) pf(r * x, n, 2 * x) - p
  rt <- try(uniroot(G, c(1e-8, 1e8), tol = 1e-14), silent = TRUE)
  if (!inherits(rt, "try-error")) cases$xh[i] <- rt$root
  H <- function(x) pf(r / (1 + x), 2 * x + 2, n) - p
  if (pf(r, 2, n) > p) {
    rt <- try(uniroot(H, c(0, 1e8), tol = 1e-14), silent = TRUE)
    if (!inherits(rt, "try-error")) cases$xl[i] <- rt$root
  }
}
out(data.frame(p = cases$p, n = cases$n, r = cases$r, xh = fmt(cases$xh), xl = fmt(cases$xl)), "fconf.txt")

# Generalized log-gamma family with shape k: u = q exp(k z) is gamma(q) with q = 1/k^2.
# Minus the log of the density of z, of its survival and of its distribution function.
g <- expand.grid(k = c(-3, -1, -0.4, -0.05, 0.02, 0.2, 1, 2.5), z = c(-12, -5, -2, -0.6, 0, 0.3, 1.5, 4, 9))
q <- 1 / g$k^2
u <- q * exp(g$k * g$z)
dens <- dgamma(u, shape = q, log = TRUE) + log(abs(g$k) * u)
up <- pgamma(u, shape = q, lower.tail = FALSE, log.p = TRUE)
lo <- pgamma(u, shape = q, lower.tail = TRUE, log.p = TRUE)
surv <- ifelse(g$k > 0, up, lo)
cdf <- ifelse(g$k > 0, lo, up)
out(data.frame(k = g$k, z = g$z, exact = fmt(-dens), right = fmt(-surv), left = fmt(-cdf)), "loggamma.txt")
