# Reference values of the examples of docs/guide.md, computed in R independently of VITALYX
# (survreg for the fits, npsurv for the Turnbull estimate, the MCF and its variance by
# Nelson's formulas, the binomial bound in closed form). Run by hand in this folder: Rscript check_values.R
# The values are kept in expected.txt, which tests/process/guide_examples.sh checks.
library(survival)
p <- function(...) cat(sprintf(...), "\n", sep = "")
# The percentile of a survreg fit with its Wald limits on the log scale.
pct <- function(f, q) {
    pr <- predict(f, newdata = data.frame(one = 1), type = "uquantile", p = q, se.fit = TRUE)
    c(exp(pr$fit), exp(pr$fit - qnorm(0.975) * pr$se.fit), exp(pr$fit + qnorm(0.975) * pr$se.fit))
}

# weibull_fans.vx and warranty_counts.vx
fans <- read.csv("dieselfans.csv")
f <- survreg(Surv(hours, status) ~ 1, data = fans, dist = "weibull")
p("fans: Weibull shape %.4f scale %.4f (Nelson 1982: 1.0584, 26297)", 1 / f$scale, exp(coef(f)))
b10 <- pct(f, 0.1)
p("fans: B10 %.4f limits %.4f %.4f", b10[1], b10[2], b10[3])
# VITALYX's log likelihood is that of ln t: survreg's plus the sum of ln t over the failures.
p("fans: log likelihood %.6f (survreg %.6f)", f$loglik[1] + sum(log(fans$hours[fans$status == 1])), f$loglik[1])
# The reliability at 5000 hours (SURVTIME=5000) with limits from the delta method on
# z = (ln t - mu)/sigma, S = exp(-exp(z)).
z <- (log(5000) - coef(f)) / f$scale
g <- c(-1 / f$scale, -z)
sez <- sqrt(drop(t(g) %*% vcov(f) %*% g))
p("fans: survival at 5000 hours %.4f limits %.4f %.4f", exp(-exp(z)), exp(-exp(z + qnorm(0.975) * sez)),
  exp(-exp(z - qnorm(0.975) * sez)))

# compare_groups.vx: interval-censored Weibull fits per treatment
cos <- read.csv("cosmesis.csv")
for (g in c("RCT", "RT")) {
    d <- cos[cos$treatment == g, ]
    f <- survreg(Surv(lower, upper, type = "interval2") ~ 1, data = d, dist = "weibull")
    m <- pct(f, 0.5)
    p("cosmesis %s: Weibull shape %.4f scale %.4f median %.4f", g, 1 / f$scale, exp(coef(f)), m[1])
}

# compare_groups.vx: the common-shape model, the RCT effect against RT
d <- cos; d$treatment <- relevel(factor(d$treatment), ref = "RT")
f <- survreg(Surv(lower, upper, type = "interval2") ~ treatment, data = d, dist = "weibull")
ci <- confint(f)
p("cosmesis, common shape: RCT effect %.4f limits %.4f %.4f, shape %.4f", coef(f)[2], ci[2, 1], ci[2, 2], 1 / f$scale)

# inspection_data.vx: the Turnbull estimate (npsurv's NPMLE) of radiotherapy alone
library(npsurv)
d <- cos[cos$treatment == "RT", ]
fit <- npsurv(data.frame(L = ifelse(is.na(d$lower), 0, d$lower), R = ifelse(is.na(d$upper), Inf, d$upper)))
cum <- cumsum(fit$f$p)
for (k in seq_along(cum)) p("cosmesis RT: Turnbull interval (%g, %g] F = %.4f", fit$f$left[k], fit$f$right[k], cum[k])

# readout_data.vx: the readout counts as interval-censored data with weights
ro <- read.csv("bearings_readout.csv")
lo <- c(NA, head(ro$mrevs, -1)); hi <- ro$mrevs
rows <- data.frame(L = c(lo, 100), R = c(hi, NA), w = c(ro$fails, tail(ro$ontest, 1) - tail(ro$fails, 1)))
f <- survreg(Surv(L, R, type = "interval2") ~ 1, data = rows, weights = w, dist = "weibull")
p("readout: Weibull shape %.4f scale %.4f B10 %.4f", 1 / f$scale, exp(coef(f)), pct(f, 0.1)[1])

# choose_distribution.vx
t <- read.csv("ballbearings.csv")$mrevs
fw <- survreg(Surv(t) ~ 1, dist = "weibull")
fl <- survreg(Surv(t) ~ 1, dist = "lognormal")
p("bearings: lognormal mu %.4f sigma %.4f (Lawless 2003: 4.150, 0.522)", coef(fl), fl$scale)
p("bearings: log likelihood Weibull %.6f lognormal %.6f (on the ln t scale)",
  fw$loglik[1] + sum(log(t)), fl$loglik[1] + sum(log(t)))

# accelerated_test.vx: lognormal regression on 1000/(temp + 273.15)
ins <- read.csv("insulation.csv")
ins$x <- 1000 / (ins$temp + 273.15)
f <- survreg(Surv(hours) ~ x, data = ins, dist = "lognormal")
x180 <- 1000 / (180 + 273.15)
p("insulation: intercept %.4f slope %.4f scale %.4f", coef(f)[1], coef(f)[2], f$scale)
p("insulation: median life at 180 C %.4f, 10%% life %.4f", exp(coef(f)[1] + coef(f)[2] * x180),
  exp(coef(f)[1] + coef(f)[2] * x180 + f$scale * qnorm(0.1)))
p("insulation: activation energy %.4f eV (slope x 1000 x Boltzmann's 8.617333e-5 eV/K)", coef(f)[2] * 1000 * 8.617333e-5)

# fleet_repairs.vx: Nelson's (1995) MCF, the sum over the event times t_j of the events there
# over the units at risk (units whose end of observation is at or after t_j), with his
# unbiased variance (VITALYX's default, VARIANCE=NELSON) and normal 95% limits. d[i, j]: the
# events of unit i at t_j.
mcfnelson <- function(id, time, event, at) {
    ends <- tapply(time, id, max)
    tj <- sort(unique(time[event > 0 & time <= at]))
    units <- names(ends)
    d <- sapply(tj, function(s) sapply(units, function(u) sum(event[id == u & time == s])))
    r <- sapply(tj, function(s) ends >= s)
    R <- colSums(r)
    V <- 0
    for (j in seq_along(tj)) for (l in seq_len(j)) {
        k <- r[, j]
        a <- d[k, l] - mean(d[k, l]); b <- d[k, j] - mean(d[k, j])
        V <- V + (if (l == j) 1 else 2) * sum(a * b) / (R[l] * (R[j] - 1))
    }
    M <- sum(colSums(d) / R)
    c(M, sqrt(V), M - qnorm(0.975) * sqrt(V), M + qnorm(0.975) * sqrt(V))
}
# The valve seats from the package's copy (survival::valveSeat), not from valveseats.csv.
m <- mcfnelson(valveSeat$id, valveSeat$time, valveSeat$status, 653)
p("valve seats (survival::valveSeat): MCF at 653 days %.4f SE %.4f limits %.4f %.4f", m[1], m[2], m[3], m[4])
bl <- read.csv("bladder.csv")
pl <- bl[bl$treatment == "placebo", ]; th <- bl[bl$treatment == "thiotepa", ]
a <- mcfnelson(pl$id, pl$months, pl$event, 30); b <- mcfnelson(th$id, th$months, th$event, 30)
se <- sqrt(a[2]^2 + b[2]^2)
p("bladder: MCF at 30 months placebo %.4f thiotepa %.4f difference %.4f limits %.4f %.4f",
  a[1], b[1], a[1] - b[1], a[1] - b[1] - qnorm(0.975) * se, a[1] - b[1] + qnorm(0.975) * se)

# demonstration_test.vx: 0 failures in 59: the exact upper limit at 90% two-sided is 1 - 0.05^(1/59)
p("demonstration: upper limit %.6f", 1 - 0.05^(1 / 59))
