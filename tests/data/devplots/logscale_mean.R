# Reference values of the scale-model test of the relation plot (tests/unit/statgraph/relgraph_test.cpp):
# the class-H insulation lives with a humidity rh that only the log scale uses, ln sigma = g0 + g1 rh,
# the location b0 + b1 x with x = 1000 / (temp + 273.15).
# rh is 60 for the two shortest and the two longest lives of each temperature, 40 for the others:
# its mean is 48, and the scale there (0.22) is far from the scale at rh = 0 (0.046).
# Direct maximisation of the lognormal likelihood (survreg has no scale model), then Newton
# steps; the percentiles t_p = exp(b0 + b1 x + exp(g0 + g1 48) z_p).
# Run by hand: Rscript tests/data/devplots/logscale_mean.R
temp <- rep(c(190, 220, 240, 260), each = 10)
hours <- c(7228, 7228, 7228, 8448, 9167, 9167, 9167, 9167, 10511, 10511,
           1764, 2436, 2436, 2436, 2436, 2436, 3108, 3108, 3108, 3108,
           1175, 1175, 1521, 1569, 1617, 1665, 1665, 1713, 1761, 1953,
           600, 744, 744, 744, 912, 1128, 1320, 1464, 1608, 1896)
rh <- rep(c(60, 60, 40, 40, 40, 40, 40, 40, 60, 60), 4)
u <- 1000 / (temp + 273.15); y <- log(hours)
nll <- function(p) { s <- exp(p[3] + p[4] * rh); w <- (y - p[1] - p[2] * u) / s; sum(log(s) + w^2 / 2) }
o <- optim(c(-7.3, 7.5, log(0.25), 0), nll, method = "BFGS", control = list(reltol = 1e-16, maxit = 10000))
o <- optim(o$par, nll, method = "Nelder-Mead", control = list(reltol = 1e-16, maxit = 20000))
o <- optim(o$par, nll, method = "BFGS", control = list(reltol = 1e-16, maxit = 10000))
hess <- function(f, x, h = 1e-4) { n <- length(x); H <- matrix(0, n, n)
  for (i in 1:n) for (j in 1:n) { ei <- rep(0, n); ej <- rep(0, n); ei[i] <- h; ej[j] <- h
    H[i, j] <- (f(x + ei + ej) - f(x + ei - ej) - f(x - ei + ej) + f(x - ei - ej)) / (4 * h * h) }
  H }
grad <- function(f, x) sapply(seq_along(x), function(i) { e <- rep(0, length(x)); e[i] <- 1e-6; (f(x + e) - f(x - e)) / 2e-6 })
for (it in 1:5) o$par <- o$par - solve(hess(nll, o$par), grad(nll, o$par))
print(o$par, digits = 12)
for (t in c(200, 250)) for (p in c(0.1, 0.9))
  cat(t, p, format(exp(o$par[1] + o$par[2] * 1000 / (t + 273.15) + exp(o$par[3] + o$par[4] * mean(rh)) * qnorm(p)), digits = 12), "\n")
# Output:
# [1] -7.3149229025186  7.5536492023921 -3.0837112756481  0.0330794064304
# 200 0.1 4283.5898625
# 200 0.9 7606.83194284
# 250 0.1 931.440371111
# 250 0.9 1654.0590008
