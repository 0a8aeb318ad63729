# Profile-likelihood limits of the Weibull (extreme-value) location of the fan data with
# frequencies, by an independent search: for each mu the scale that maximises the
# likelihood, and the mu where twice the drop reaches the chi-square quantile.
# Rscript make_reference.R  ->  conf 0.02: 8.468530 8.473573; 0.95: 8.273318 8.678901;
# 0.99999999999999: 7.449346 9.821560
library(survival)
d <- read.csv("fans.csv")
ll <- function(mu, sig) { z <- (log(d$hours) - mu) / sig; sum(d$count * ifelse(d$status == 1, z - exp(z) - log(sig), -exp(z))) }
f <- survreg(Surv(hours, status) ~ 1, data = d, weights = count, dist = "weibull")
mu0 <- coef(f); lmax <- ll(mu0, f$scale)
prof <- function(mu) optimize(function(ls) -ll(mu, exp(ls)), c(-5, 3), tol = 1e-12)$objective
for (conf in c(0.02, 0.95, 0.99999999999999)) {
  g <- function(mu) -prof(mu) - (lmax - qchisq(conf, 1) / 2)
  se <- sqrt(vcov(f)[1, 1])
  cat(sprintf("conf %.14g: %.6f %.6f\n", conf, uniroot(g, c(mu0 - 20 * se, mu0), tol = 1e-12)$root,
              uniroot(g, c(mu0, mu0 + 20 * se), tol = 1e-12)$root))
}
