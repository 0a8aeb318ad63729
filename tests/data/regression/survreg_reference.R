# Reference values of the MODEL agreement tests (tests/unit/regression/agreement_test.cpp),
# written by hand with R's survival package and kept here with the data they read:
#   Rscript survreg_reference.R        (run in this folder)
# Every case is one model fitted by survreg; its rows are written in the order of our table
# of estimates (the intercept, each effect's design columns, the scale, and for the Weibull the
# shape), the column of a CLASS effect's last level (our reference) as 0 with error 0. Our
# log-likelihood is that of the fitted scale of the response: for the log families it is
# survreg's plus the sum of ln t over the exact observations.
library(survival)
options(digits = 17)
ctl <- survreg.control(rel.tolerance = 1e-13, toler.chol = 1e-15, iter.max = 200)
out <- file("survreg_reference.csv", "w")
cat("case,key,value\n", file = out)
put <- function(case, key, value) cat(sprintf("%s,%s,%.17g\n", case, key, value), file = out)

# data sets of the tests
cap <- capacitor[, c("temperature", "voltage", "time", "status")]
write.csv(cap, "capacitor.csv", row.names = FALSE, quote = FALSE)
write.csv(imotor, "imotor.csv", row.names = FALSE, quote = FALSE)
write.csv(ifluid, "ifluid.csv", row.names = FALSE, quote = FALSE)
vet <- veteran[, c("time", "status", "karno", "celltype")]
write.csv(vet, "veteran.csv", row.names = FALSE, quote = FALSE)
# The veteran times in 30-day intervals: a death in (30 k, 30 (k + 1)], left-censored in the
# first month; a censored time stays right-censored.
lower <- ifelse(vet$status == 1, 30 * floor((vet$time - 1) / 30), vet$time)
lower[vet$status == 1 & lower == 0] <- NA
upper <- ifelse(vet$status == 1, 30 * (floor((vet$time - 1) / 30) + 1), NA)
vint <- data.frame(lower = lower, upper = upper, karno = vet$karno, celltype = vet$celltype)
write.csv(vint, "vetint.csv", row.names = FALSE, quote = FALSE, na = "")

# One fit: our rows from the coefficients (named in our order; NA for a dropped column), the
# scale (with the delta-method error of sigma), the log-likelihood and the linear predictor of
# the first five observations.
report <- function(case, fit, names, logtime, exact, weibull = FALSE) {
  V <- vcov(fit)
  b <- coef(fit)
  i <- 0
  for (n in names) {
    i <- i + 1
    if (is.na(n)) {
      put(case, sprintf("est%d", i), 0); put(case, sprintf("se%d", i), 0)
    } else {
      put(case, sprintf("est%d", i), b[[n]]); put(case, sprintf("se%d", i), sqrt(V[n, n]))
    }
  }
  s <- fit$scale
  ses <- s * sqrt(V["Log(scale)", "Log(scale)"])
  i <- i + 1
  put(case, sprintf("est%d", i), s); put(case, sprintf("se%d", i), ses)
  if (weibull) {
    i <- i + 1
    put(case, sprintf("est%d", i), 1 / s); put(case, sprintf("se%d", i), ses / s^2)
  }
  ll <- fit$loglik[2]
  if (logtime) ll <- ll + sum(log(exact))
  put(case, "loglik", ll)
  lp <- predict(fit, type = "lp")
  for (k in 1:5) put(case, sprintf("xbeta%d", k), lp[[k]])
}

# A. capacitors: Weibull, power relation on voltage, temperature as CLASS (170 kept, 180 the
# reference).
cap$t <- relevel(factor(cap$temperature), ref = "180")
fA <- survreg(Surv(time, status) ~ log(voltage) + t, data = cap, dist = "weibull", control = ctl)
report("cap_weibull", fA, c("(Intercept)", "log(voltage)", "t170", NA), TRUE, cap$time[cap$status == 1], TRUE)

# B. motor insulation: Arrhenius on temperature (1000 / (temp + 273.15)), lognormal and Weibull.
for (d in c("lognormal", "weibull")) {
  f <- survreg(Surv(time, status) ~ I(1000 / (temp + 273.15)), data = imotor, dist = d, control = ctl)
  report(paste0("imotor_", d), f, c("(Intercept)", "I(1000/(temp + 273.15))"), TRUE,
         imotor$time[imotor$status == 1], d == "weibull")
}

# C. insulating fluid: power relation on voltage, exact times, Weibull.
fC <- survreg(Surv(time) ~ log(voltage), data = ifluid, dist = "weibull", control = ctl)
report("ifluid_weibull", fC, c("(Intercept)", "log(voltage)"), TRUE, ifluid$time, TRUE)

# D. veteran: karno, celltype (4 levels, squamous the reference) and their crossing, every
# family; the time-scale families on the days themselves.
vet$cell <- relevel(factor(vet$celltype), ref = "squamous")
vnames <- c("(Intercept)", "karno", "celladeno", "celllarge", "cellsmallcell", NA,
            "karno:celladeno", "karno:celllarge", "karno:cellsmallcell", NA)
for (d in c("weibull", "lognormal", "loglogistic", "gaussian", "logistic", "extreme")) {
  f <- survreg(Surv(time, status) ~ karno * cell, data = vet, dist = d, control = ctl)
  logt <- d %in% c("weibull", "lognormal", "loglogistic")
  report(paste0("vet_", d), f, vnames, logt, vet$time[vet$status == 1], d == "weibull")
}

# E. veteran in intervals (left-, interval- and right-censored): Weibull and lognormal, karno
# and celltype.
vint$cell <- relevel(factor(vint$celltype), ref = "squamous")
for (d in c("weibull", "lognormal")) {
  f <- survreg(Surv(lower, upper, type = "interval2") ~ karno + cell, data = vint, dist = d, control = ctl)
  report(paste0("vetint_", d), f, c("(Intercept)", "karno", "celladeno", "celllarge", "cellsmallcell", NA),
         TRUE, numeric(0), d == "weibull")
}

# F. likelihood-ratio limits of the capacitor fit by an independent profile search: each
# coefficient held at b through an offset, the scale through survreg's scale=, the others
# refitted; the limits are where twice the drop of the log-likelihood is the chi-square
# quantile at 0.95.
q <- qchisq(0.95, 1)
llA <- fA$loglik[2]
X <- model.matrix(fA)
prof <- function(j, b) {
  off <- b * X[, j]
  Xo <- X[, -j, drop = FALSE]
  f <- survreg(Surv(time, status) ~ Xo - 1 + offset(off), data = cap, dist = "weibull", control = ctl)
  2 * (llA - f$loglik[2]) - q
}
se <- sqrt(diag(vcov(fA)))
for (j in 1:3) {
  b0 <- coef(fA)[j]
  lo <- uniroot(function(b) prof(j, b), c(b0 - 4 * se[j], b0), tol = 1e-12)$root
  hi <- uniroot(function(b) prof(j, b), c(b0, b0 + 4 * se[j]), tol = 1e-12)$root
  put("cap_weibull_lr", sprintf("lower%d", j), lo); put("cap_weibull_lr", sprintf("upper%d", j), hi)
}
profs <- function(s) {
  f <- survreg(Surv(time, status) ~ log(voltage) + t, data = cap, dist = "weibull", scale = s, control = ctl)
  2 * (llA - f$loglik[2]) - q
}
put("cap_weibull_lr", "lower5", uniroot(profs, c(fA$scale * 0.5, fA$scale), tol = 1e-12)$root)
put("cap_weibull_lr", "upper5", uniroot(profs, c(fA$scale, fA$scale * 2), tol = 1e-12)$root)

# G. the capacitor fit's prediction for the groups of plots that take their fit from the MODEL:
# a probability plot's temperature at the mean voltage (275, the relation applied to the mean),
# a relation plot's voltages 200 and 250 at the first temperature (170); the location with the
# standard error from the covariance of the fit.
nd <- data.frame(voltage = c(275, 275, 200, 250), t = factor(c("170", "180", "170", "170"), levels = levels(cap$t)))
pg <- predict(fA, newdata = nd, type = "lp", se.fit = TRUE)
for (k in 1:4) {
  put("cap_groups", sprintf("loc%d", k), pg$fit[[k]]); put("cap_groups", sprintf("se%d", k), pg$se.fit[[k]])
}

# H. the capacitors' factorial cells: voltage and temperature as CLASS effects with their
# crossing, one common scale; the location of every cell (voltage v, temperature t), the
# scale and the log-likelihood, lognormal and Weibull.
for (d in c("lognormal", "weibull")) {
  f <- survreg(Surv(time, status) ~ factor(voltage) * factor(temperature), data = cap, dist = d, control = ctl)
  cells <- unique(cap[, c("voltage", "temperature")])
  lp <- predict(f, newdata = cells, type = "lp")
  case <- paste0("cap_cells_", d)
  for (k in seq_len(nrow(cells))) put(case, sprintf("loc_%d_%d", cells$voltage[k], cells$temperature[k]), lp[[k]])
  put(case, "scale", f$scale)
  put(case, "loglik", f$loglik[2] + sum(log(cap$time[cap$status == 1])))
}

# I. percentiles of the capacitor fit (case A) at 0.1 and 0.5 in every cell, their standard
# errors, and the 95% limits from the log-time quantile and its error.
cells <- unique(cap[, c("voltage", "temperature", "t")])
pq <- predict(fA, newdata = cells, type = "quantile", p = c(0.1, 0.5), se.fit = TRUE)
pu <- predict(fA, newdata = cells, type = "uquantile", p = c(0.1, 0.5), se.fit = TRUE)
z <- qnorm(0.975)
for (k in seq_len(nrow(cells))) for (j in 1:2) {
  key <- sprintf("%d_%d_%d", cells$voltage[k], cells$temperature[k], j)
  put("cap_pcntl", paste0("p_", key), pq$fit[k, j]); put("cap_pcntl", paste0("se_", key), pq$se.fit[k, j])
  put("cap_pcntl", paste0("lo_", key), exp(pu$fit[k, j] - z * pu$se.fit[k, j]))
  put("cap_pcntl", paste0("hi_", key), exp(pu$fit[k, j] + z * pu$se.fit[k, j]))
}

# J. the capacitors by temperature (BY groups): a Weibull power-relation fit in each, its
# coefficients, scale and log-likelihood, and its location at every voltage.
for (tt in c(170, 180)) {
  sub <- cap[cap$temperature == tt, ]
  f <- survreg(Surv(time, status) ~ log(voltage), data = sub, dist = "weibull", control = ctl)
  case <- sprintf("cap_by_%d", tt)
  put(case, "est1", coef(f)[[1]]); put(case, "est2", coef(f)[[2]]); put(case, "scale", f$scale)
  put(case, "loglik", f$loglik[2] + sum(log(sub$time[sub$status == 1])))
  for (v in c(200, 250, 300, 350)) put(case, sprintf("loc_%d", v), coef(f)[[1]] + coef(f)[[2]] * log(v))
}

# K. voltage and temperature both CLASS effects (no crossing): the prediction and its error in
# each of the eight cells, for a probability plot with the two class variables.
fK <- survreg(Surv(time, status) ~ factor(voltage) + factor(temperature), data = cap, dist = "weibull", control = ctl)
nd <- expand.grid(voltage = c(200, 250, 300, 350), temperature = c(170, 180))
pk <- predict(fK, newdata = nd, type = "lp", se.fit = TRUE)
for (k in seq_len(nrow(nd))) {
  key <- sprintf("%d_%d", nd$temperature[k], nd$voltage[k])
  put("cap_two_class", paste0("loc_", key), pk$fit[[k]]); put("cap_two_class", paste0("se_", key), pk$se.fit[[k]])
}
close(out)
