# Reference values of the (noncentral) F distribution on the log scale from R.
# pf(ncp = ) loses digits far in the tails, so every row carries the Poisson mixture of
# beta tails sum_i dpois(i, nc/2) * I_w(df1/2 + i, df2/2), w = df1 x/(df1 x + df2), formed
# on the log scale with pbeta(log.p = TRUE), and the density likewise from dbeta. Central
# rows use pf and df directly. Also qf with ncp.
# Run: Rscript make_logf.R (writes logf.csv and qf.csv).
source("write_ref.R")
lse <- function(v) { m <- max(v); m + log(sum(exp(v - m))) }
mixb <- function(w, a, b, nc, f) {
  if (nc == 0) return(f(w, a, b))
  i <- 0:ceiling(nc / 2 + 60 * sqrt(nc / 2) + 200)
  lse(dpois(i, nc / 2, log = TRUE) + f(w, a + i, b))
}
g <- expand.grid(df1 = c(0.5, 3, 12, 80), df2 = c(0.8, 5, 30, 300), nc = c(0, 0.5, 8, 60, 400, 900),
                 mult = c(1e-6, 0.02, 0.3, 1, 2.5, 10, 1e3))
g$x <- g$mult * (g$df1 + g$nc) / g$df1
w <- g$df1 * g$x / (g$df1 * g$x + g$df2)
g$logcdf <- mapply(function(w, a, b, nc) mixb(w, a, b, nc, function(w, a, b) pbeta(w, a, b, log.p = TRUE)),
                   w, g$df1 / 2, g$df2 / 2, g$nc)
# The upper tail as the lower tail of the swapped beta at the complement argument
# v = df2/(df1 x + df2), which keeps its digits when w is near 1.
v <- g$df2 / (g$df1 * g$x + g$df2)
g$logsurv <- mapply(function(v, a, b, nc) mixb(v, a, b, nc, function(v, a, b) pbeta(v, b, a, log.p = TRUE)),
                    v, g$df1 / 2, g$df2 / 2, g$nc)
jac <- log(g$df1 * g$df2) - 2 * log(g$df1 * g$x + g$df2)
g$logdens <- jac + mapply(function(w, a, b, nc) mixb(w, a, b, nc, function(w, a, b) dbeta(w, a, b, log = TRUE)),
                          w, g$df1 / 2, g$df2 / 2, g$nc)
g$rlogcdf <- suppressWarnings(pf(g$x, g$df1, g$df2, g$nc, log.p = TRUE))
g$mult <- NULL
write_ref(g[is.finite(g$logcdf) & is.finite(g$logsurv) & g$logsurv < 0 & g$logcdf < 0, ], "logf.csv")

q <- expand.grid(df1 = c(0.5, 3, 12, 80), df2 = c(0.8, 5, 30, 300), nc = c(0, 0.5, 8, 60),
                 p = c(1e-100, 1e-6, 0.05, 0.5, 0.9, 0.99999))
q$x <- suppressWarnings(qf(q$p, q$df1, q$df2, q$nc))
w <- q$df1 * q$x / (q$df1 * q$x + q$df2)
back <- mapply(function(w, a, b, nc) mixb(w, a, b, nc, function(w, a, b) pbeta(w, a, b, log.p = TRUE)),
               w, q$df1 / 2, q$df2 / 2, q$nc)
write_ref(q[is.finite(q$x) & q$x > 0 & abs(back - log(q$p)) < 1e-10 * pmax(1, abs(log(q$p))), ], "qf.csv")
