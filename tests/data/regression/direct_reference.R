# Reference values of the MODEL tests of the log-gamma family and of LOGSCALE, by a direct
# maximisation of likelihoods written here (R's optim, then Newton steps with the Hessian by
# differences): Rscript direct_reference.R  (run in this folder; appends to nothing, writes
# direct_reference.csv).
#
# Our log-likelihood is that of y = ln t: y = mu + sigma W with W standardized.
#   log-gamma, shape k, q = 1/k^2: -ln f(w) = lgamma(q) + q - (q - 1/2) ln q + q (e^{kw} - 1 - kw),
#   survival of W: P(G > q e^{kw}) for k > 0, P(G < q e^{kw}) for k < 0, G ~ Gamma(q, 1).
#   Weibull (smallest extreme value): -ln f(w) = e^w - w, survival exp(-e^w).
library(survival)
options(digits = 17)
out <- file("direct_reference.csv", "w")
cat("case,key,value\n", file = out)
put <- function(case, key, value) cat(sprintf("%s,%s,%.17g\n", case, key, value), file = out)

# Newton steps from optim's estimates with the gradient and Hessian by central differences.
hessian <- function(f, x, h = 1e-4) {
  n <- length(x); H <- matrix(0, n, n)
  for (i in 1:n) for (j in 1:n) {
    ei <- rep(0, n); ej <- rep(0, n); ei[i] <- h; ej[j] <- h
    H[i, j] <- (f(x + ei + ej) - f(x + ei - ej) - f(x - ei + ej) + f(x - ei - ej)) / (4 * h * h)
  }
  H
}
gradient <- function(f, x, h = 1e-6) sapply(seq_along(x), function(i) { e <- rep(0, length(x)); e[i] <- h; (f(x + e) - f(x - e)) / (2 * h) })
maximise <- function(nll, start) {
  o <- optim(start, nll, method = "BFGS", control = list(reltol = 1e-15, maxit = 10000))
  x <- o$par
  for (it in 1:5) x <- x - solve(hessian(nll, x), gradient(nll, x))
  list(par = x, nll = nll(x), cov = solve(hessian(nll, x)))
}

# G. the log-gamma family: the veteran (karno) with a positive shape, the capacitors (the
# power relation on voltage) with a negative one.
lgfit <- function(case, y, x, ev, start) {
  nll <- function(p) {
    mu <- p[1] + p[2] * x; s <- p[3]; k <- p[4]
    if (s <= 0 || abs(k) < 1e-3) return(1e10)
    w <- (y - mu) / s; q <- 1 / k^2; u <- q * exp(k * w)
    dens <- lgamma(q) + q - (q - 0.5) * log(q) + q * (exp(k * w) - 1 - k * w)
    surv <- if (k > 0) pgamma(u, q, lower.tail = FALSE, log.p = TRUE) else pgamma(u, q, log.p = TRUE)
    sum(dens[ev] + log(s)) - sum(surv[!ev])
  }
  g <- maximise(nll, start)
  for (i in 1:4) { put(case, sprintf("est%d", i), g$par[i]); put(case, sprintf("se%d", i), sqrt(g$cov[i, i])) }
  put(case, "loglik", -g$nll)
  # The median of the first observation on the time scale and its delta-method error.
  pct <- function(p) { k <- p[4]; q <- 1 / k^2; exp(p[1] + p[2] * x[1] + p[3] * log(qgamma(0.5, q) / q) / k) }
  d <- gradient(pct, g$par)
  put(case, "median1", pct(g$par)); put(case, "median1se", sqrt(sum(d * (g$cov %*% d))))
}
vet <- veteran
lgfit("vet_gamma", log(vet$time), vet$karno, vet$status == 1, c(2, 0.04, 1.1, 0.3))
lgfit("cap_gamma", log(capacitor$time), log(capacitor$voltage), capacitor$status == 1, c(16, -1.7, 0.6, -0.3))

# H. the capacitors with a scale model: Weibull, ln(voltage) and temperature in the location,
# ln sigma = g0 + g1 [temperature 170] (170 kept, 180 the reference).
cap <- capacitor
y <- log(cap$time); lv <- log(cap$voltage); t170 <- as.numeric(cap$temperature == 170); ev <- cap$status == 1
nllw <- function(p) {
  mu <- p[1] + p[2] * lv + p[3] * t170; ls <- p[4] + p[5] * t170; s <- exp(ls)
  w <- (y - mu) / s
  sum((exp(w) - w + ls)[ev]) + sum(exp(w)[!ev])
}
fs <- survreg(Surv(time, status) ~ lv + t170, data = data.frame(time = cap$time, status = cap$status, lv, t170), dist = "weibull")
h <- maximise(nllw, c(coef(fs), log(fs$scale), 0))
for (i in 1:5) { put("cap_logscale", sprintf("est%d", i), h$par[i]); put("cap_logscale", sprintf("se%d", i), sqrt(h$cov[i, i])) }
put("cap_logscale", "loglik", -h$nll)
close(out)
