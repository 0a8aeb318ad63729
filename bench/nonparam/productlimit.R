library(survival)
d <- read.csv("big.csv")
f <- survfit(Surv(time, status) ~ 1, data = d)
cat(length(f$time), f$surv[length(f$surv)], "\n")
