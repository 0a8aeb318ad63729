# Reference values of the Turnbull estimate: the support intervals, their masses and the
# log-likelihood of the nonparametric MLE from R's npsurv package, on public data sets
# with left-, right- and interval-censored rows (cancer), counts (marijuana, ap) and
# exact rows with right censoring (leukemia, both arms pooled).
#
# npsurv takes an interval as (L, R] (an exact time as L = R); the Turnbull estimate here
# takes its ends as open. The two agree unless an exact time (or a left end) coincides
# with some interval's right end: npsurv then puts that right end inside the interval.
# The small set "touching" shows it: fitted as it stands, npsurv's support differs; with
# every interval's right end moved down by 1e-7, npsurv takes the open intervals too and
# the supports agree. Left ends of 0 are left-censored rows.
# Run: Rscript make_turnbull.R
library(npsurv)
data(cancer); data(marijuana); data(ap); data(leukemia)
touching <- data.frame(L = c(2, 5, 5, 3, 0, 8, 1, 6, 2),
                       R = c(5, 8, 5, 10, 4, Inf, 5, 6, 8),
                       count = c(3, 2, 1, 1, 2, 2, 1, 1, 1))
sets <- list(cancer = data.frame(L = cancer$L, R = cancer$R, count = 1),
             marijuana = as.data.frame(marijuana),
             ap = as.data.frame(ap),
             leukemia = data.frame(L = leukemia$L, R = leukemia$R, count = 1),
             touching = touching)
shifted <- touching
open <- shifted$L < shifted$R & is.finite(shifted$R)
shifted$R[open] <- shifted$R[open] - 1e-7
fits <- c(lapply(sets, function(d) npsurv(d, tol = 1e-12)),
          list(touching_open = npsurv(shifted, tol = 1e-12)))
data <- c(sets, list(touching_open = shifted))
# The log-likelihood of the fitted masses, row by row: a row (L, R] holds the support
# intervals (l, r] inside it and an exact row its point. npsurv's own ll is the same but
# for leukemia, where it reports a lower value than its masses give.
direct <- function(f, d) {
  l <- f$f$left; r <- f$f$right; p <- f$f$p
  sum(sapply(seq_len(nrow(d)), function(i) {
    inside <- if (d$L[i] == d$R[i]) l == d$L[i] & r == d$R[i]
              else l >= d$L[i] & r <= d$R[i] & !(l == r & l == d$L[i])
    d$count[i] * log(sum(p[inside]))
  }))
}
for (name in names(sets)) {
  d <- sets[[name]]
  write.table(data.frame(L = d$L, R = ifelse(is.finite(d$R), d$R, "Inf"), count = d$count),
              sprintf("turnbull_%s_rows.csv", name), sep = ",", row.names = FALSE, quote = FALSE)
}
for (name in names(fits)) {
  f <- fits[[name]]
  out <- data.frame(left = f$f$left, right = ifelse(is.finite(f$f$right), f$f$right, "Inf"),
                    p = format(f$f$p, digits = 17), ll = format(f$ll, digits = 17),
                    lldirect = format(direct(f, data[[name]]), digits = 17))
  write.table(out, sprintf("turnbull_%s_npsurv.csv", name), sep = ",", row.names = FALSE, quote = FALSE)
}
