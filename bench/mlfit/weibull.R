# The plain Weibull fit of weibull1m.csv in R: read, fit, print. Run as Rscript weibull.R.
suppressMessages(library(survival))
d <- read.csv("weibull1m.csv")
t0 <- proc.time()
fit <- survreg(Surv(hours, status == 0) ~ 1, data = d, dist = "weibull")
print(summary(fit))
cat("survreg alone:", (proc.time() - t0)[["elapsed"]], "s\n")
