# Reference values of the effects library's tests, made with R by hand:
#   Rscript references.R   (in this folder)
# codings.csv: for each coding code, the coding vector of every level of A (3 levels, text)
# and B (4 levels, values 1 2 4 8), reference level the last one.
#   0 effect: contr.sum; 2 reference: contr.treatment with the last level as base;
#   4 raw powers: poly(x, raw = TRUE) at the level values (A: 1, 2, 3);
#   7 cumulative 0/1 and 9 split: written out from their definitions;
#   1, 3, 5, 8, 10: the matrix before orthonormalisation (1 effect, 3 reference, 5 powers,
#   8 cumulative, 10 split), columns centred, modified Gram-Schmidt with positive diagonal,
#   times sqrt(n); 5 is contr.poly(n, scores) times sqrt(n).
# bspline.csv: splines::splineDesign on the knot vector of 3 evenly spaced interior knots on
#   data from 0 to 8 (degree 3), with one knot added at each end so that all n + d + 1 = 7
#   columns exist (the added knots do not change any value inside the data range).
# poly.csv: poly(cbind(x1, x2), degree = 3, raw = TRUE).
library(splines)
gs <- function(m) {
  m <- scale(m, center = TRUE, scale = FALSE)
  q <- m
  for (j in seq_len(ncol(m))) {
    v <- m[, j]
    if (j > 1) for (i in seq_len(j - 1)) v <- v - sum(q[, i] * v) * q[, i]
    q[, j] <- v / sqrt(sum(v^2))
  }
  q * sqrt(nrow(m))
}
cum <- function(n) t(sapply(0:(n - 1), function(r) c(rep(1, r), rep(0, n - 1 - r))))
split <- function(n) {
  d <- sqrt(1.5 * n / (n^2 - 1))
  t(sapply(0:(n - 1), function(r) c(rep(d, r), rep(-d, n - 1 - r))))
}
codings <- function(n, x) list(
  "0" = contr.sum(n), "2" = contr.treatment(n, base = n),
  "4" = poly(x, degree = n - 1, raw = TRUE)[, , drop = FALSE],
  "7" = cum(n), "9" = split(n),
  "1" = gs(contr.sum(n)), "3" = gs(rbind(diag(n - 1), 0)),
  "5" = contr.poly(n, scores = x) * sqrt(n), "8" = gs(cum(n)), "10" = gs(split(n)))
out <- NULL
for (v in c("A", "B")) {
  x <- if (v == "A") c(1, 2, 3) else c(1, 2, 4, 8)
  cs <- codings(length(x), x)
  for (code in names(cs)) {
    m <- as.matrix(cs[[code]])
    for (l in seq_len(nrow(m))) for (j in seq_len(ncol(m)))
      out <- rbind(out, data.frame(coding = as.integer(code), var = ifelse(v == "A", 0, 1),
                                   level = l - 1, j = j - 1, value = m[l, j]))
  }
}
write.csv(out, "codings.csv", row.names = FALSE, quote = FALSE)
# the opoly of A: text levels are equally spaced
stopifnot(isTRUE(all.equal(unclass(gs(unclass(poly(1:3, 2, raw = TRUE)))), contr.poly(3) * sqrt(3), check.attributes = FALSE)))

e <- 100 * 2^-53
knots <- c(-4, -2, 0 - e, 2, 4, 6, 8 + e, 10, 12)
x <- c(0, 0.3, 1.7, 2, 3.1, 4.5, 5.99, 6, 7.2, 8)
b <- splineDesign(c(-6, knots, 14), x, ord = 4, outer.ok = TRUE)
write.csv(data.frame(x = x, b), "bspline.csv", row.names = FALSE, quote = FALSE)

x1 <- c(0.5, -1.25, 2, 3)
x2 <- c(1.5, 0.25, -2, 0.75)
p <- poly(cbind(x1, x2), degree = 3, raw = TRUE)
pd <- data.frame(x1 = x1, x2 = x2)
for (nm in colnames(p)) pd[[paste0("p", gsub("\\.", "_", nm))]] <- p[, nm]
write.csv(pd, "poly.csv", row.names = FALSE, quote = FALSE)

# fit.csv: least squares of y on a (3 levels, the last as reference) and x; the row with a
# missing y is left out. sse, the estimates, and the sum of squares of the hypothesis
# "level p equals level r" (coefficient of p, squared, over its variance factor).
d <- data.frame(a = factor(c("p", "p", "p", "q", "q", "q", "r", "r", "r", "q")),
                x = c(1, 2, 3, 4, 5, 6, 7, 8, 9, 10),
                y = c(2.1, 3.9, 6.2, 7.1, 9.4, 10.8, 15.2, 16.1, 18.3, NA))
f <- lm(y ~ C(a, contr.treatment(3, base = 3)) + x, data = d)
b <- coef(f)
vf <- vcov(f) / summary(f)$sigma^2
write.csv(data.frame(sse = sum(resid(f)^2), b0 = b[1], bp = b[2], bq = b[3], bx = b[4],
                     ssp = b[2]^2 / vf[2, 2]), "fit.csv", row.names = FALSE, quote = FALSE)
