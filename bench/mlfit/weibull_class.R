# One Weibull fit per lot of weibull1m.csv in R.
suppressMessages(library(survival))
d <- read.csv("weibull1m.csv")
for (l in sort(unique(d$lot))) print(summary(survreg(Surv(hours, status == 0) ~ 1, data = d[d$lot == l, ], dist = "weibull")))
