# Reference values of the combined failure modes of parts.csv, made by hand with R (run in
# this folder: Rscript reference.R). Each mode is fitted by survreg with every other row
# censored (censored units, the other listed mode and the unlisted mode 'seal'); the
# combined F(t) = 1 - S_wear(t) S_crack(t), its limits from the delta method on the logit
# of F with derivatives by central differences in each mode's (mu, sigma).
library(survival)
d <- read.csv("parts.csv", stringsAsFactors = FALSE)
fits <- list()
for (m in c("wear", "crack")) {
  ev <- as.numeric(d$status == 1 & d$mode == m)
  f <- survreg(Surv(hours, ev) ~ 1, data = d, dist = "weibull")
  s <- f$scale; v <- f$var
  cv <- matrix(c(v[1, 1], v[1, 2] * s, v[1, 2] * s, v[2, 2] * s * s), 2)   # (mu, sigma)
  fits[[m]] <- list(mu = unname(coef(f)[1]), sigma = s, cov = cv)
  cat(sprintf("%-6s mu %.10f sigma %.10f se(mu) %.10f se(sigma) %.10f loglik %.10f\n", m, coef(f)[1], s,
              sqrt(cv[1, 1]), sqrt(cv[2, 2]), f$loglik[2]))
  z <- qnorm(0.975)
  cat(sprintf("       Weibull scale %.10f shape %.10f; sigma limits %.10f %.10f\n", exp(coef(f)[1]), 1 / s,
              s * exp(-z * sqrt(cv[2, 2]) / s), s * exp(z * sqrt(cv[2, 2]) / s)))
}
surv <- function(x, mu, sigma) exp(-exp((log(x) - mu) / sigma))
z <- qnorm(0.975)
for (t in c(100, 500, 1000, 2000)) {
  S <- surv(t, fits$wear$mu, fits$wear$sigma) * surv(t, fits$crack$mu, fits$crack$sigma)
  F <- 1 - S; V <- 0
  for (m in names(fits)) {
    f <- fits[[m]]; h <- 1e-6; rest <- S / surv(t, f$mu, f$sigma)
    g <- -rest * c((surv(t, f$mu + h, f$sigma) - surv(t, f$mu - h, f$sigma)) / (2 * h),
                   (surv(t, f$mu, f$sigma + h) - surv(t, f$mu, f$sigma - h)) / (2 * h))
    V <- V + drop(t(g) %*% f$cov %*% g)
  }
  w <- z * sqrt(V) / (F * S)
  cat(sprintf("t %5d F %.10f lower %.10f upper %.10f\n", t, F, F / (F + S * exp(w)), F / (F + S * exp(-w))))
}
