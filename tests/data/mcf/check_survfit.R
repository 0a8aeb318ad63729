# Second check of the LAWLESS references: for unweighted data with event values of 1, the
# robust variance of the MCF is the infinitesimal-jackknife variance of the Nelson-Aalen
# cumulative hazard on the counting-process form. Run by hand: Rscript check_survfit.R
library(survival)
d <- bladder2[bladder2$rx == 1, ]
fit <- survfit(Surv(start, stop, event) ~ 1, id = id, data = d, robust = TRUE)
ev <- fit$n.event > 0
r <- read.csv("bladder_placebo_lawless_ref.csv")
last <- r[!duplicated(r$Age, fromLast = TRUE), ]
m <- match(fit$time[ev], last$Age)
cat("largest relative difference of the MCF:", max(abs(fit$cumhaz[ev] - last$Mcf[m]) / last$Mcf[m]), "\n")
cat("largest relative difference of the standard error:", max(abs(fit$std.chaz[ev] - last$Std[m]) / last$Std[m]), "\n")
