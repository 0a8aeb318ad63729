# Reference values for the maximum-likelihood fits of the life distributions.
# Run by hand from this folder:  Rscript survreg_reference.R
# It writes survreg_reference.csv (data, distribution, key, value); the unit tests read it.
#
# Location, scale, covariance, Wald limits, log-likelihoods and percentiles come from
# survreg (survival package) and predict(type = "uquantile"). Likelihood-ratio limits come
# from a profile-likelihood search written here, independently of survreg: the
# log-likelihood of each family is coded below from dnorm/plogis/exp, the nuisance
# parameter is maximised with optimize() and the limit found with uniroot().
#
# The log-likelihood the procedure shows is that of the transformed response (ln t or
# log10 t for the log-location-scale families): for exact observations it is survreg's
# log-likelihood plus the sum of ln t.
suppressMessages(library(survival))
options(digits = 17)

fans <- read.csv("fans.csv")             # status 1 = censored
bearings <- read.csv("bearings.csv")
cosmesis <- read.csv("cosmesis.csv")     # empty lower: left-censored; empty upper: right-censored

families <- list(
  weibull     = list(sr = "weibull",     fam = "sev",      tr = log),
  exponential = list(sr = "exponential", fam = "sev",      tr = log),
  lognormal   = list(sr = "lognormal",   fam = "normal",   tr = log),
  lognormal10 = list(sr = "gaussian",    fam = "normal",   tr = log10),
  loglogistic = list(sr = "loglogistic", fam = "logistic", tr = log),
  normal      = list(sr = "gaussian",    fam = "normal",   tr = identity),
  logistic    = list(sr = "logistic",    fam = "logistic", tr = identity),
  extreme     = list(sr = "extreme",     fam = "sev",      tr = identity)
)

# Standardized families: log density, distribution function, survival function.
std <- list(
  normal = list(ld = function(z) dnorm(z, log = TRUE), cdf = function(z) pnorm(z),
                sf = function(z) pnorm(z, lower.tail = FALSE), q = qnorm),
  logistic = list(ld = function(z) dlogis(z, log = TRUE), cdf = function(z) plogis(z),
                  sf = function(z) plogis(z, lower.tail = FALSE), q = qlogis),
  sev = list(ld = function(z) z - exp(z), cdf = function(z) -expm1(-exp(z)),
             sf = function(z) exp(-exp(z)), q = function(p) log(-log(1 - p)))
)

# Response on the analysis scale: y1 = y2 for exact, NA ends for censoring.
response <- function(data, tr) {
  if (!is.null(data$hours)) {
    y <- tr(data$hours)
    list(lo = y, hi = ifelse(data$status == 1, NA, y))
  } else if (!is.null(data$cycles)) {
    y <- tr(data$cycles)
    list(lo = y, hi = y)
  } else {
    list(lo = tr(data$lower), hi = tr(data$upper))
  }
}

# Log-likelihood of the transformed response at (mu, sigma).
loglik <- function(r, f, mu, sigma) {
  s <- std[[f]]
  exact <- !is.na(r$lo) & !is.na(r$hi) & r$lo == r$hi
  right <- !is.na(r$lo) & is.na(r$hi)
  left <- is.na(r$lo) & !is.na(r$hi)
  inter <- !is.na(r$lo) & !is.na(r$hi) & r$lo < r$hi
  zl <- (r$lo - mu) / sigma
  zh <- (r$hi - mu) / sigma
  sum(s$ld(zl[exact]) - log(sigma)) + sum(log(s$sf(zl[right]))) + sum(log(s$cdf(zh[left]))) +
    sum(log(s$cdf(zh[inter]) - s$cdf(zl[inter])))
}

# Gradient of f at x by central differences with one Richardson step.
numgrad <- function(f, x, h = 1e-4) {
  sapply(seq_along(x), function(i) {
    d <- function(h) { e <- replace(numeric(length(x)), i, h); (f(x + e) - f(x - e)) / (2 * h) }
    (4 * d(h / 2) - d(h)) / 3
  })
}
polish <- function(r, fam, mu, sigma, fixed) {
  # Coordinates of unit curvature: the location in units of the scale, and log(scale).
  s0 <- sigma
  f <- if (fixed) function(p) loglik(r, fam, p[1] * s0, 1) else function(p) loglik(r, fam, p[1] * s0, exp(p[2]))
  x <- if (fixed) mu / s0 else c(mu / s0, log(sigma))
  fx <- f(x)
  for (it in 1:30) {
    g <- numgrad(f, x)
    H <- sapply(seq_along(x), function(j) numgrad(function(y) numgrad(f, y)[j], x, h = 1e-3))
    step <- solve(H, g)
    # Only a step that does not lower the log-likelihood is taken.
    a <- 1
    while (a > 1e-6 && f(x - a * step) < fx) a <- a / 2
    if (a <= 1e-6) break
    x <- x - a * step
    fx <- f(x)
    if (max(abs(a * step)) < 1e-15 * max(1, abs(x))) break
  }
  if (fixed) c(x * s0, 1) else c(x[1] * s0, exp(x[2]))
}

rows <- list()
put <- function(data, dist, key, value) rows[[length(rows) + 1]] <<- data.frame(data = data, dist = dist, key = key, value = value)

z <- qnorm(0.975)
q <- qchisq(0.95, 1)
pcts <- c(1, 10, 50, 90)

fitone <- function(name, data, dist, survtimes = NULL, lrpct = FALSE) {
  fm <- families[[dist]]
  r <- response(data, fm$tr)
  srv <- if (dist == "lognormal10") {
    Surv(r$lo, r$hi, type = "interval2")
  } else if (!is.null(data$hours)) {
    Surv(data$hours, data$status == 0)
  } else if (!is.null(data$cycles)) {
    Surv(data$cycles, rep(TRUE, nrow(data)))
  } else {
    Surv(data$lower, data$upper, type = "interval2")
  }
  fit <- survreg(srv ~ 1, dist = fm$sr, control = survreg.control(rel.tolerance = 1e-13, maxiter = 200))
  mu <- unname(coef(fit)[1])
  sigma <- fit$scale
  # survreg stops on the change of the log-likelihood, which leaves the parameters good to
  # about 1e-8; a few Newton steps on the gradient of the log-likelihood coded above
  # (central differences with Richardson extrapolation) take them to the root.
  pol <- polish(r, fm$fam, mu, sigma, fixed = dist == "exponential")
  mu <- pol[1]
  sigma <- pol[2]
  V <- vcov(fit)
  fixed <- dist == "exponential"
  # Covariance of (mu, sigma) from that of (mu, log sigma).
  vmu <- V[1, 1]
  vsig <- if (fixed) 0 else V[2, 2] * sigma^2
  cms <- if (fixed) 0 else V[1, 2] * sigma
  ll <- loglik(r, fm$fam, mu, sigma)
  put(name, dist, "mu", mu); put(name, dist, "sigma", sigma)
  put(name, dist, "var_mu", vmu); put(name, dist, "cov", cms); put(name, dist, "var_sigma", vsig)
  put(name, dist, "ll", ll)
  put(name, dist, "ll_survreg", fit$loglik[2])
  put(name, dist, "wald_mu_lo", mu - z * sqrt(vmu)); put(name, dist, "wald_mu_hi", mu + z * sqrt(vmu))
  if (!fixed) {
    put(name, dist, "wald_sigma_lo", sigma * exp(-z * sqrt(V[2, 2])))
    put(name, dist, "wald_sigma_hi", sigma * exp(z * sqrt(V[2, 2])))
  }
  pr <- predict(fit, type = "uquantile", p = pcts / 100, se.fit = TRUE)
  for (i in seq_along(pcts)) {
    put(name, dist, paste0("pct", pcts[i]), pr$fit[1, i])
    put(name, dist, paste0("pct", pcts[i], "_se"), pr$se.fit[1, i])
  }
  # Likelihood-ratio limits from the profile likelihood.
  target <- ll - q / 2
  prof_mu <- function(m) if (fixed) loglik(r, fm$fam, m, 1) else
    optimize(function(s) loglik(r, fm$fam, m, s), c(sigma / 20, sigma * 20), maximum = TRUE, tol = 1e-13)$objective
  prof_sigma <- function(s) optimize(function(m) loglik(r, fm$fam, m, s), mu + c(-5, 5) * sigma,
                                     maximum = TRUE, tol = 1e-13)$objective
  se <- sqrt(vmu)
  root <- function(f, a, b) uniroot(function(x) f(x) - target, c(a, b), tol = 1e-14)$root
  put(name, dist, "lr_mu_lo", root(prof_mu, mu - 6 * se, mu))
  put(name, dist, "lr_mu_hi", root(prof_mu, mu, mu + 6 * se))
  if (!fixed) {
    put(name, dist, "lr_sigma_lo", root(prof_sigma, sigma / 4, sigma))
    put(name, dist, "lr_sigma_hi", root(prof_sigma, sigma, sigma * 4))
  }
  if (lrpct) {
    for (i in seq_along(pcts)) {
      w <- std[[fm$fam]]$q(pcts[i] / 100)
      tp <- mu + w * sigma
      prof_t <- function(t) optimize(function(s) loglik(r, fm$fam, t - w * s, s), c(sigma / 20, sigma * 20),
                                     maximum = TRUE, tol = 1e-13)$objective
      sp <- pr$se.fit[1, i]
      put(name, dist, paste0("lr_pct", pcts[i], "_lo"), root(prof_t, tp - 8 * sp, tp))
      put(name, dist, paste0("lr_pct", pcts[i], "_hi"), root(prof_t, tp, tp + 8 * sp))
    }
  }
  # Survival probabilities with Wald limits taken on the standardized value.
  for (t in survtimes) {
    y <- fm$tr(t)
    zs <- (y - mu) / sigma
    v <- vmu + 2 * zs * cms + zs^2 * vsig
    sd <- sqrt(v) / sigma
    sfun <- std[[fm$fam]]$sf
    est <- if (dist == "weibull") pweibull(t, shape = 1 / sigma, scale = exp(mu), lower.tail = FALSE) else
      if (dist == "lognormal") plnorm(t, mu, sigma, lower.tail = FALSE) else sfun(zs)
    put(name, dist, paste0("surv", t), est)
    put(name, dist, paste0("surv", t, "_lo"), sfun(zs + z * sd))
    put(name, dist, paste0("surv", t, "_hi"), sfun(zs - z * sd))
  }
}

for (d in names(families)) {
  fitone("bearings", bearings, d, survtimes = if (d %in% c("weibull", "lognormal")) c(50, 100) else NULL,
         lrpct = d %in% c("weibull", "lognormal"))
  fitone("fans", fans, d, survtimes = if (d %in% c("weibull", "lognormal")) c(5000, 20000) else NULL,
         lrpct = d == "weibull")
  fitone("cosmesis", cosmesis, d, lrpct = d == "loglogistic")
}

out <- do.call(rbind, rows)
write.csv(out, "survreg_reference.csv", row.names = FALSE, quote = FALSE)
cat("wrote", nrow(out), "values\n")
