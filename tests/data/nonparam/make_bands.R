# Reference values of the simultaneous band factor and of exact binomial limits.
# Band factor: the root c > 1 of B c exp(-c^2/2) = alpha/2 with
# B = log((1 - aL) aU / ((1 - aU) aL)) / sqrt(8 pi), found by uniroot.
# Binomial limits: Clopper-Pearson limits with tail probability alpha each, from qbeta.
# Run: Rscript make_bands.R
cases <- rbind(c(0.1, 0.9, 0.05), c(0.05, 0.95, 0.05), c(0.2, 0.6, 0.1), c(0.01, 0.99, 0.01),
               c(0.3, 0.5, 0.05), c(0.001, 0.999, 0.2), c(0.25, 0.75, 0.2))
band <- t(apply(cases, 1, function(v) {
  B <- log((1 - v[1]) * v[2] / ((1 - v[2]) * v[1])) / sqrt(8 * pi)
  f <- function(c) B * c * exp(-c^2 / 2) - v[3] / 2
  c(v, uniroot(f, c(1, 50), tol = 1e-15)$root)
}))
colnames(band) <- c("aL", "aU", "alpha", "c")
write.table(format(as.data.frame(band), digits = 17), "bandfactor.csv", sep = ",", row.names = FALSE, quote = FALSE)
bin <- rbind(c(3, 10, 0.05), c(1, 20, 0.025), c(17, 20, 0.025), c(50, 200, 0.1), c(9, 10, 0.05))
lim <- t(apply(bin, 1, function(v) c(v, qbeta(v[3], v[1], v[2] - v[1] + 1), qbeta(1 - v[3], v[1] + 1, v[2] - v[1]))))
colnames(lim) <- c("x", "n", "alpha", "lower", "upper")
write.table(format(as.data.frame(lim), digits = 17), "binomial.csv", sep = ",", row.names = FALSE, quote = FALSE)
