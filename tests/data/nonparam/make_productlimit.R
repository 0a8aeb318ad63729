# Reference values of the product-limit curve (Greenwood standard errors) and of the
# Nelson-Aalen cumulative hazard accumulated row by row (ctype = 2: tied failures each on
# a row of their own), from R's survival package, on two public right-censored data sets
# with ties between failures and between failures and censorings: aml (both arms pooled)
# and lung. Run: Rscript make_productlimit.R
library(survival)
sets <- list(aml = data.frame(time = aml$time, status = aml$status),
             lung = data.frame(time = lung$time, status = lung$status - 1))
for (name in names(sets)) {
  d <- sets[[name]]
  write.csv(d, sprintf("%s_rows.csv", name), row.names = FALSE, quote = FALSE)
  km <- survfit(Surv(time, status) ~ 1, data = d)
  na <- survfit(Surv(time, status) ~ 1, data = d, ctype = 2)
  na1 <- survfit(Surv(time, status) ~ 1, data = d, ctype = 1)
  ev <- km$n.event > 0
  out <- data.frame(time = km$time[ev], nrisk = km$n.risk[ev], nevent = km$n.event[ev],
                    surv = km$surv[ev], se = km$surv[ev] * km$std.err[ev],
                    cumhaz2 = na$cumhaz[ev], sdhaz2 = na$std.chaz[ev],
                    cumhaz1 = na1$cumhaz[ev], sdhaz1 = na1$std.chaz[ev])
  write.table(format(out, digits = 17), sprintf("%s_productlimit.csv", name),
              sep = ",", row.names = FALSE, quote = FALSE)
}
