# Reference values of the (noncentral) F distribution on the log scale from R.
# pf(ncp = ) loses digits far in the tails, so every row carries the Poisson mixture of
# beta tails sum_i dpois(i, nc/2) * I_w(df1/2 + i, df2/2), w = df1 x/(df1 x + df2), formed
# on the log scale with pbeta(log.p = TRUE), and the density likewise from dbeta. Central
# rows use pf and df directly. Also qf with ncp, and far-tail noncentral quantiles as
# roots of the mixture.
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
# Deep tails: log-probabilities down to about -1e4 on both sides (a tail that rounds to
# log 1 = 0 is kept: the other tail is the point of the row).
deep <- expand.grid(df1 = c(0.5, 3, 12, 80), df2 = c(0.8, 5, 30, 300), nc = c(0, 0.5, 8, 60, 400, 900),
                    mult = c(1e-60, 1e-300, 1e40, 1e250))
g <- rbind(g, deep)
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
# The density from the side of w or v that keeps its digits (w rounds to 1 far out).
g$logdens <- jac + mapply(function(w, v, a, b, nc) {
  if (w <= v) mixb(w, a, b, nc, function(w, a, b) dbeta(w, a, b, log = TRUE))
  else mixb(v, a, b, nc, function(v, a, b) dbeta(v, b, a, log = TRUE))
}, w, v, g$df1 / 2, g$df2 / 2, g$nc)
g$rlogcdf <- suppressWarnings(pf(g$x, g$df1, g$df2, g$nc, log.p = TRUE))
g$mult <- NULL
write_ref(g[is.finite(g$logcdf) & is.finite(g$logsurv) & g$logsurv <= 0 & g$logcdf <= 0 &
              (g$logsurv < 0 | g$logcdf < 0) & is.finite(g$logdens), ], "logf.csv")

q <- expand.grid(df1 = c(0.5, 3, 12, 80), df2 = c(0.8, 5, 30, 300), nc = c(0, 0.5, 8, 60),
                 p = c(1e-100, 1e-6, 0.05, 0.5, 0.9, 0.99999))
q$x <- suppressWarnings(qf(q$p, q$df1, q$df2, q$nc))
w <- q$df1 * q$x / (q$df1 * q$x + q$df2)
back <- mapply(function(w, a, b, nc) mixb(w, a, b, nc, function(w, a, b) pbeta(w, a, b, log.p = TRUE)),
               w, q$df1 / 2, q$df2 / 2, q$nc)
q <- q[is.finite(q$x) & q$x > 0 & abs(back - log(q$p)) < 1e-10 * pmax(1, abs(log(q$p))), ]
# Noncentral quantiles far in the lower tail, where qf is not reliable: the root in log x
# of the mixture above. Roots below the smallest double (df1 = 0.5) are left out.
mixroot <- function(p, d1, d2, nc) {
  f <- function(lx) {
    x <- exp(lx)
    mixb(d1 * x / (d1 * x + d2), d1 / 2, d2 / 2, nc, function(w, a, b) pbeta(w, a, b, log.p = TRUE)) - log(p)
  }
  r <- try(uniroot(f, c(-705, 705), tol = 1e-13), silent = TRUE)
  if (inherits(r, "try-error")) NA else exp(r$root)
}
qd <- expand.grid(df1 = c(0.5, 3, 12, 80), df2 = c(0.8, 5, 30, 300), nc = c(0.5, 8, 60, 400),
                  p = c(1e-10, 1e-50, 1e-200, 1e-300))
qd$x <- mapply(mixroot, qd$p, qd$df1, qd$df2, qd$nc)
write_ref(rbind(q, qd[is.finite(qd$x), ]), "qf.csv")
