# Reference values of tests/unit/devplots/regplot_test.cpp: the lognormal regression of the
# class-H insulation lives (tests/unit/devplots/data.h) on 1000 / (temp + 273.15), and its
# 10, 50 and 90 percent lives t_p = exp(b0 + b1 x + sigma z_p) at a few temperatures.
# Run by hand: Rscript tests/data/devplots/insulation_regression.R
library(survival)
temp <- rep(c(190, 220, 240, 260), each = 10)
hours <- c(7228, 7228, 7228, 8448, 9167, 9167, 9167, 9167, 10511, 10511,
           1764, 2436, 2436, 2436, 2436, 2436, 3108, 3108, 3108, 3108,
           1175, 1175, 1521, 1569, 1617, 1665, 1665, 1713, 1761, 1953,
           600, 744, 744, 744, 912, 1128, 1320, 1464, 1608, 1896)
x <- 1000 / (temp + 273.15)
f <- survreg(Surv(hours) ~ x, dist = "lognormal")
print(coef(f), digits = 12)
print(f$scale, digits = 12)
for (t in c(180, 200, 250, 270)) for (p in c(0.1, 0.5, 0.9))
    cat(t, p, format(exp(coef(f)[1] + coef(f)[2] * 1000 / (t + 273.15) + f$scale * qnorm(p)), digits = 12), "\n")
# Output:
#    (Intercept)              x
# -7.28341120522  7.53569257982
# [1] 0.249262908548
# 180 0.1 8322.53354012   180 0.5 11454.813002   180 0.9 15765.9612037
# 200 0.1 4120.75458297   200 0.5 5671.64709488  200 0.9 7806.23551372
# 250 0.1 899.288814624   250 0.5 1237.74631326  250 0.9 1703.5861128
# 270 0.1 529.111825438   270 0.5 728.24903478   270 0.9 1002.33378118
