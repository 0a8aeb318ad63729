# Reference values of the noncentral chi-square distribution from R.
# pchisq(ncp = ) with log.p loses digits far in the tails, so every row also carries the
# Poisson mixture sum_i dpois(i, ncp/2) * pchisq(x, df + 2i) formed on the log scale with
# R's central pchisq (log.p = TRUE), which keeps them; the density likewise from dchisq.
# Also qchisq with ncp. Run: Rscript make_ncchisq.R (writes ncchisq.csv and qncchisq.csv).
source("write_ref.R")
lse <- function(v) { m <- max(v); m + log(sum(exp(v - m))) }
# Far in the upper tail the terms of large index dominate: the sum runs to past x.
mix <- function(x, df, ncp, f) {
  i <- 0:ceiling(max(40000, 1.2 * x))
  lse(dpois(i, ncp / 2, log = TRUE) + f(x, df + 2 * i))
}
g <- expand.grid(df = c(0.5, 1, 3, 10, 100), ncp = c(0.01, 1, 10, 100, 450, 800, 3000),
                 mult = c(1e-4, 0.01, 0.2, 0.7, 1, 1.5, 4, 15, 40))
g$x <- g$mult * (g$df + g$ncp)
g$logp <- mapply(function(x, df, ncp) mix(x, df, ncp, function(x, d) pchisq(x, d, log.p = TRUE)), g$x, g$df, g$ncp)
g$logq <- mapply(function(x, df, ncp) mix(x, df, ncp, function(x, d) pchisq(x, d, lower.tail = FALSE, log.p = TRUE)),
                 g$x, g$df, g$ncp)
g$logdens <- mapply(function(x, df, ncp) mix(x, df, ncp, function(x, d) dchisq(x, d, log = TRUE)), g$x, g$df, g$ncp)
g$rlogp <- suppressWarnings(pchisq(g$x, g$df, g$ncp, log.p = TRUE))
g$rlogq <- suppressWarnings(pchisq(g$x, g$df, g$ncp, lower.tail = FALSE, log.p = TRUE))
g$mult <- NULL
# R's own pchisq with ncp (rlogp, rlogq) agrees with the mixture sums to 1e-9 only for
# ncp up to 100 and log-probabilities above -30 (at ncp 800 its upper tail is off by 4e-4).
write_ref(g[is.finite(g$logp) & is.finite(g$logq), ], "ncchisq.csv")

q <- expand.grid(df = c(0.5, 1, 3, 10, 100), ncp = c(0, 0.01, 1, 10, 100, 450, 3000),
                 prob = c(1e-200, 1e-10, 0.01, 0.3, 0.5, 0.9, 0.99999))
q$x <- suppressWarnings(qchisq(q$prob, q$df, q$ncp))
# Kept where R's quantile gives back its probability (the mixture sum) to 1e-11.
back <- mapply(function(x, df, ncp) if (ncp == 0) pchisq(x, df, log.p = TRUE) else
  mix(x, df, ncp, function(x, d) pchisq(x, d, log.p = TRUE)), q$x, q$df, q$ncp)
write_ref(q[is.finite(q$x) & q$x > 0 & abs(back - log(q$prob)) < 1e-11 * pmax(1, abs(log(q$prob))), ], "qncchisq.csv")
