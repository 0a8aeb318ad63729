# The breast-cosmesis data with the failures before the first inspection written as intervals
# from 0 (as npsurv's `cancer` data has them): a lower end of 0 on a log scale is a
# left-censored observation, which survreg's interval2 censoring takes as a missing lower end.
# Weibull fits per treatment (the reference values of tests/unit/inputnotes/logscale_test.cpp).
# Run by hand: Rscript cosmesis_zero.R; it printed
#   RT mu 4.052211523 sigma 0.8925303041 loglik -64.59213928 zeros 3
#   RCT mu 3.336393747 sigma 0.4926434028 loglik -76.19574696 zeros 2
library(npsurv)
library(survival)
data(cancer, package = "npsurv")
for (g in c("RT", "RCT")) {
  d <- cancer[cancer$group == g, ]
  L <- ifelse(d$L == 0, NA, d$L)
  R <- ifelse(is.infinite(d$R), NA, d$R)
  f <- survreg(Surv(L, R, type = "interval2") ~ 1, dist = "weibull")
  cat(sprintf("%s mu %.10g sigma %.10g loglik %.10g zeros %d\n", g, coef(f), f$scale, f$loglik[1], sum(d$L == 0)))
}
