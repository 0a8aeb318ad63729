# The yardstick of the product-limit timings: prodlim's product limit (Kaplan-Meier estimate and
# its standard error) of big.csv, read with data.table's fread.
library(data.table)
library(prodlim)
d <- fread("big.csv")
f <- prodlim(Hist(time, status) ~ 1, data = d)
cat(length(f$time), f$surv[length(f$surv)], f$se.surv[length(f$se.surv) - 1], "\n")
