# Reference values of the beta and gamma distributions on the log scale from R:
# pbeta/pgamma with log.p = TRUE on both tails, the log densities, and qbeta/qgamma.
# Run: Rscript make_logbetagamma.R (writes logbeta.csv, qbeta.csv, loggamma.csv, qgamma.csv).
source("write_ref.R")

shapes <- c(0.05, 0.5, 1, 2.5, 30, 1e3, 1e5)
g <- expand.grid(a = shapes, b = shapes,
                 x = c(1e-250, 1e-30, 1e-5, 0.01, 0.2, 0.5, 0.77, 0.999, 1 - 1e-10))
# R's pbeta loses digits in the log scale for the shape pair (1e5, 30) (by 21 at
# x = 0.77, against 50-digit sums); the unit test checks that pair against such sums.
g <- g[!((g$a == 1e5 & g$b == 30) | (g$a == 30 & g$b == 1e5)), ]
g$logp <- pbeta(g$x, g$a, g$b, log.p = TRUE)
g$logq <- pbeta(g$x, g$a, g$b, lower.tail = FALSE, log.p = TRUE)
g$logdens <- dbeta(g$x, g$a, g$b, log = TRUE)
write_ref(g[is.finite(g$logp) & is.finite(g$logq) & g$logp > -1e5 & g$logq > -1e5, ], "logbeta.csv")

q <- expand.grid(a = shapes, b = shapes, prob = c(1e-300, 1e-20, 1e-4, 0.05, 0.5, 0.9, 0.999999))
q$x <- suppressWarnings(qbeta(q$prob, q$a, q$b))
# Kept only where R's own probability at its quantile returns the target to 1e-12.
back <- suppressWarnings(pbeta(q$x, q$a, q$b, log.p = TRUE))
q <- q[q$x > 2.3e-293 & q$x < 0.999999999999889 & abs(back - log(q$prob)) < 1e-12 * pmax(1, abs(log(q$prob))), ]
write_ref(q, "qbeta.csv")

gs <- c(0.01, 0.3, 1, 2.5, 14, 60, 1e4, 2e9)
h <- expand.grid(a = gs, x = c(1e-300, 1e-8, 0.1, 1, 5, 40, 900, 1e4, 2.5e9, 1e7 * 1.7))
h$logp <- pgamma(h$x, h$a, log.p = TRUE)
h$logq <- pgamma(h$x, h$a, lower.tail = FALSE, log.p = TRUE)
h$logdens <- dgamma(h$x, h$a, log = TRUE)
write_ref(h[is.finite(h$logp) & is.finite(h$logq), ], "loggamma.csv")

k <- expand.grid(a = c(0.01, 0.3, 1, 2.5, 14, 60, 1e4, 2e9), prob = c(1e-300, 1e-20, 1e-4, 0.05, 0.5, 0.9, 0.999999))
k$x <- qgamma(k$prob, k$a)
back <- pgamma(k$x, k$a, log.p = TRUE)
write_ref(k[k$x > 0 & abs(back - log(k$prob)) < 1e-12 * pmax(1, abs(log(k$prob))), ], "qgamma.csv")
