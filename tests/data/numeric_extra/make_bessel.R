# Reference values of the modified Bessel function I_nu(x) from R's besselI, plain and
# exponentially scaled. Run: Rscript make_bessel.R (writes besseli.csv beside it).
# Points where besselI warns of lost precision are left out; beyond x = 2000 R loses
# digits (1e-11 at x = 1e5), so large arguments are checked in besseli_mp.csv instead.
source("write_ref.R")
nu <- c(0, 0.3, 1, 2, 2.5, 3, 7.25, 12, 20.5, 34.9, 35, 36.2, 50, 120.75, 400, 2500)
x <- c(1e-8, 0.01, 0.5, 1.9, 2, 5, 10, 11.99, 12.5, 16.9, 17, 20, 33, 60, 150, 700, 2000)
g <- expand.grid(nu = nu, x = x)
quiet <- function(f) tryCatch(f, warning = function(w) NA)
g$scaled <- mapply(function(n, z) quiet(besselI(z, n, expon.scaled = TRUE)), g$nu, g$x)
g$plain <- mapply(function(n, z) quiet(besselI(z, n)), g$nu, g$x)
g$logi <- log(g$scaled) + g$x
write_ref(g[is.finite(g$logi) & g$scaled > 0, ], "besseli.csv")
