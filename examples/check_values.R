# Reference values of the examples of docs/guide.md, computed in R independently of VITALYX
# (survreg for the fits, npsurv for the Turnbull estimate, the MCF by its formula, the
# binomial bound in closed form). Run by hand in this folder: Rscript check_values.R
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

# compare_groups.vx: interval-censored Weibull fits per treatment
cos <- read.csv("cosmesis.csv")
for (g in c("RCT", "RT")) {
    d <- cos[cos$treatment == g, ]
    f <- survreg(Surv(lower, upper, type = "interval2") ~ 1, data = d, dist = "weibull")
    m <- pct(f, 0.5)
    p("cosmesis %s: Weibull shape %.4f scale %.4f median %.4f", g, 1 / f$scale, exp(coef(f)), m[1])
}

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

# fleet_repairs.vx: the MCF is the sum over event times of (events at t) / (units observed at t)
mcf <- function(d, id, time, event) {
    ends <- tapply(d[[time]], d[[id]], max)
    ev <- sort(d[[time]][d[[event]] == 1])
    cumsum(sapply(ev, function(s) 1 / sum(ends >= s)))
}
vs <- read.csv("valveseats.csv")
m <- mcf(vs, "engine", "days", "event")
p("valve seats: MCF after the last replacement (day %g) %.4f", max(vs$days[vs$event == 1]), tail(m, 1))
bl <- read.csv("bladder.csv")
at <- function(d, s) { m <- mcf(d, "id", "months", "event"); ev <- sort(d$months[d$event == 1]); if (any(ev <= s)) m[max(which(ev <= s))] else 0 }
pl <- bl[bl$treatment == "placebo", ]; th <- bl[bl$treatment == "thiotepa", ]
p("bladder: MCF at 30 months placebo %.4f thiotepa %.4f difference %.4f", at(pl, 30), at(th, 30), at(pl, 30) - at(th, 30))

# demonstration_test.vx: 0 failures in 59: the exact upper limit at 90% two-sided is 1 - 0.05^(1/59)
p("demonstration: upper limit %.6f", 1 - 0.05^(1 / 59))
