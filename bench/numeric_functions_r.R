# Time R's compiled routines on the arguments of bench_numeric_functions.cpp, one vectorised
# call of a million arguments each, and print the cost per argument in nanoseconds.
# Run by hand: Rscript bench/numeric_functions_r.R
n <- 1e6
i <- 1:n
u <- (i * 0.6180339887498949) %% 1
u2 <- (i * 0.7548776662466927) %% 1
ub <- (2 * i * 0.6180339887498949) %% 1
# The arguments are formed outside the timed call.
x_pnorm <- -8 + 16 * u; x_lg <- 10^(-2 + 4 * u); a <- 10^(-0.3 + 2 * u2); b <- 10^(-0.3 + 2 * ub)
xg <- a * (0.2 + 2.8 * u)
calls <- list(pnorm = function() pnorm(x_pnorm), qnorm = function() qnorm(u),
              lgamma = function() lgamma(x_lg), pbeta = function() pbeta(u, a, b),
              pgamma = function() pgamma(xg, a))
for (nm in names(calls)) {
  f <- calls[[nm]]
  f()
  t <- min(sapply(1:5, function(k) system.time(f())[["elapsed"]]))
  cat(sprintf("%-7s %8.1f ns per argument\n", nm, t / n * 1e9))
}
