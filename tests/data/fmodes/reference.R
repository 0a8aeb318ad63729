# Reference values of the failure-mode fits, made by hand with R (run in this folder:
# Rscript reference.R). Rows of the other modes and censored rows count as censored for a
# mode's fit. Least squares: weighted product-limit positions, then lm with weights= on the
# points whose position lies inside (0, 1). Maximum likelihood: survreg with the other
# modes censored. Weibayes: the closed form with the chi-square quantile.
library(survival)
w <- function(df, file) write.table(format(df, digits = 17), file, quote = FALSE, row.names = FALSE)

d <- data.frame(
  t = c(1.2, 1.9, 2.4, 2.4, 3.1, 3.8, 4.4, 5.0, 5.9, 6.5, 7.7, 8.8),
  code = c(0, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0),
  w = c(1, 2, 1, 3, 1, 2, 1, 1, 2, 1, 1, 2),
  m = c(0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0))
w(d, "rows.txt")
qsev <- function(p) log(-log(1 - p))

ls <- NULL
for (mode in 0:1) {
  fail <- d$code == 0 & d$m == mode
  a <- sum(d$w); S <- 1; pts <- NULL
  for (i in seq_len(nrow(d))) {
    if (fail[i]) {
      S <- S * (a - d$w[i]) / a
      p <- 1 - S
      if (p > 0 && p < 1) pts <- rbind(pts, c(log(d$t[i]), qsev(p), d$w[i]))
    }
    a <- a - d$w[i]
  }
  x <- pts[, 1]; y <- pts[, 2]; wt <- pts[, 3]
  yx <- lm(y ~ x, weights = wt)      # quantile on time (LSYX)
  xy <- lm(x ~ y, weights = wt)      # time on quantile (LSXY)
  b <- coef(yx)
  ls <- rbind(ls, c(mode, 2, -b[1] / b[2], 1 / b[2], summary(yx)$r.squared),
              c(mode, 7, coef(xy)[1], coef(xy)[2], summary(xy)$r.squared))
}
w(data.frame(mode = ls[, 1], method = ls[, 2], loc = ls[, 3], scale = ls[, 4], rsq = ls[, 5]), "lsfits.txt")

# Weibayes of mode 0 with SCALE=0.5 at 95% confidence.
sw <- 0.5; lt <- log(d$t)
E <- sum(d$w * exp((lt - lt[1]) / sw))
wf <- sum(d$w[d$code == 0 & d$m == 0])
chi <- qchisq(0.95, 2 * wf + 2)
w(data.frame(scale = sw, loc = lt[1] + sw * log(2 * E / chi)), "weibayes.txt")

# Maximum likelihood per mode (Weibull), the other mode censored.
ml <- NULL
for (mode in 0:1) {
  ev <- as.numeric(d$code == 0 & d$m == mode)
  f <- survreg(Surv(t, ev) ~ 1, data = d, weights = w, dist = "weibull")
  v <- f$var   # (Intercept, Log(scale))
  s <- f$scale
  # covariance of (mu, sigma) from (mu, log sigma)
  cv <- c(v[1, 1], v[1, 2] * s, v[2, 2] * s * s)
  ml <- rbind(ml, c(mode, coef(f)[1], s, cv, f$loglik[2]))
}
w(data.frame(mode = ml[, 1], mu = ml[, 2], sigma = ml[, 3], vmu = ml[, 4], cov = ml[, 5], vsigma = ml[, 6],
             loglik = ml[, 7]), "mlfits.txt")
