# Reference values of tests/unit/lifedist/farintervals_test.cpp for normal interval data far
# from the estimates with the scale given (run by hand: Rscript farfits_reference.R in this
# folder). survreg fails on every one of them; the log-likelihood is formed here in log space,
# log(P) = log(e^la - e^lb) from pnorm(log.p = TRUE) at both ends, taken from the tail where
# the interval lies, and maximised over the location by optimize() and Newton steps.
logdiff <- function(la, lb) la + log1p(-exp(lb - la))   # log(e^la - e^lb), la > lb
llnorm <- function(mu, lo, hi, s) {
  tot <- 0
  for (i in seq_along(lo)) {
    a <- (lo[i] - mu) / s
    if (is.na(hi[i])) { tot <- tot + pnorm(a, lower.tail = FALSE, log.p = TRUE); next }
    b <- (hi[i] - mu) / s
    if (a + b > 0) {
      tot <- tot + logdiff(pnorm(a, lower.tail = FALSE, log.p = TRUE), pnorm(b, lower.tail = FALSE, log.p = TRUE))
    } else {
      tot <- tot + logdiff(pnorm(b, log.p = TRUE), pnorm(a, log.p = TRUE))
    }
  }
  tot
}
maximum <- function(file, s, from, to) {
  d <- read.csv(file)
  f <- function(mu) -llnorm(mu, d$lo, d$hi, s)
  mu <- optimize(f, c(from, to), tol = 1e-12)$minimum
  for (k in 1:5) {
    e <- 1e-4 * s
    mu <- mu - ((f(mu + e) - f(mu - e)) / (2 * e)) / ((f(mu + e) - 2 * f(mu) + f(mu - e)) / e^2)
  }
  cat(sprintf("%-12s scale=%-5g location %.10f log-likelihood %.10f\n", file, s, mu, -f(mu)))
  invisible(list(mu = mu, f = function(m) -f(m)))
}
maximum("d3.csv", 5, 0, 5000)
maximum("d1.csv", 20, 0, 3000)
maximum("d6.csv", 3, 0, 1000)
maximum("outlier.csv", 80.5, 0, 9000)
maximum("two.csv", 10, 0, 1100)
iv <- maximum("iv.csv", 30, 0, 4000)
# The 95% likelihood-ratio limits of the location (the only free parameter): where the
# log-likelihood has dropped by qchisq(0.95, 1) / 2.
top <- iv$f(iv$mu)
drop <- function(m) iv$f(m) - (top - qchisq(0.95, 1) / 2)
cat(sprintf("iv.csv LR limits %.10f %.10f\n",
            uniroot(drop, c(iv$mu - 100, iv$mu), tol = 1e-12)$root,
            uniroot(drop, c(iv$mu, iv$mu + 100), tol = 1e-12)$root))
