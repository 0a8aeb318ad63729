# Reference values for the Weibull fit and its profile-likelihood limits in
# tests/unit/numeric_optim. Run by hand from this folder:  Rscript weibull_reference.R
# Writes weibull_sample.csv (the censored sample) and weibull_reference.csv.
library(survival)

set.seed(20240611)
n <- 40
life <- rweibull(n, shape = 1.7, scale = 100)
cens <- runif(n, 40, 200)
time <- signif(pmin(life, cens), 6)
status <- as.integer(life <= cens)
write.csv(data.frame(time = time, status = status), "weibull_sample.csv",
          row.names = FALSE, quote = FALSE)

tight <- survreg.control(rel.tolerance = 1e-13, toler.chol = 1e-15, maxiter = 200)
fit <- survreg(Surv(time, status) ~ 1, dist = "weibull", control = tight)
mu <- unname(coef(fit)[1])
logsigma <- log(fit$scale)
llmax <- fit$loglik[2]

# Profile log-likelihoods. With the scale fixed survreg maximises over the intercept; with
# the intercept fixed the log-likelihood (survreg's own density and distribution
# functions) is maximised over the log-scale by optimize.
prof_logsigma <- function(ls)
  survreg(Surv(time, status) ~ 1, dist = "weibull", scale = exp(ls), control = tight)$loglik[2]
loglik <- function(m, ls)
  sum(ifelse(status == 1,
             log(dsurvreg(time, m, exp(ls), "weibull")),
             log(1 - psurvreg(time, m, exp(ls), "weibull"))))
prof_mu <- function(m)
  optimize(function(ls) loglik(m, ls), c(logsigma - 1.5, logsigma + 1.5),
           maximum = TRUE, tol = 1e-12)$objective
stopifnot(abs(loglik(mu, logsigma) - llmax) < 1e-9)
# survreg's estimates must be a stationary point: central-difference score near 0.
h <- 1e-5
score <- c((loglik(mu + h, logsigma) - loglik(mu - h, logsigma)) / (2 * h),
           (loglik(mu, logsigma + h) - loglik(mu, logsigma - h)) / (2 * h))
print(score)
stopifnot(max(abs(score)) < 1e-7)

q <- qchisq(0.95, 1)
limit <- function(prof, est, side) {
  g <- function(v) 2 * (llmax - prof(v)) - q
  width <- 0.05
  while (g(est + side * width) < 0) width <- 2 * width
  uniroot(g, sort(c(est, est + side * width)), tol = 1e-14)$root
}
ref <- data.frame(
  name = c("mu", "logsigma", "loglik", "mu_lower", "mu_upper", "logsigma_lower", "logsigma_upper"),
  value = c(mu, logsigma, llmax,
            limit(prof_mu, mu, -1), limit(prof_mu, mu, 1),
            limit(prof_logsigma, logsigma, -1), limit(prof_logsigma, logsigma, 1)))
ref$value <- trimws(format(ref$value, digits = 17))
write.csv(ref, "weibull_reference.csv", row.names = FALSE, quote = FALSE)
print(ref)
cat("events:", sum(status), "of", n, "\n")
