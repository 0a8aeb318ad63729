# Reference values of the least-squares fits on probability paper: plotting positions of
# the failures of aml (both arms pooled, sorted with failures before censorings at ties)
# by three rules written out as their closed forms, the standardized quantiles of each
# distribution at those positions, and lm fits of the quantile on the time (LSYX:
# q = (x - mu)/sigma) and of the time on the quantile (LSXY: x = mu + sigma q).
# Rules: Johnson's adjusted ranks with Benard's approximation (medrank), Herd-Johnson
# (exprank), the modified product limit (mkm).
# Run: Rscript make_lsfit.R
library(survival)
d <- data.frame(time = aml$time, status = aml$status)
d <- d[order(d$time, -d$status), ]
n <- nrow(d)
fail <- which(d$status == 1)
# Johnson: rank increment (n + 1 - previous rank) / (1 + units beyond the censored one).
rank <- numeric(0); prev <- 0; inc <- 1
for (i in seq_len(n)) {
  if (d$status[i] == 1) { prev <- prev + inc; rank <- c(rank, prev) }
  else inc <- (n + 1 - prev) / (n - i + 1)
}
atrisk <- n - fail + 1
medrank <- (rank - 0.3) / (n + 0.4)
exprank <- 1 - cumprod(atrisk / (atrisk + 1))
S <- cumprod((atrisk - 1) / atrisk)
mkm <- 1 - (c(1, head(S, -1)) + S) / 2
t <- d$time[fail]
dists <- list(normal = list(x = t, q = qnorm), lognormal = list(x = log(t), q = qnorm),
              lognormal10 = list(x = log10(t), q = qnorm),
              weibull = list(x = log(t), q = function(p) log(-log(1 - p))),
              extreme = list(x = t, q = function(p) log(-log(1 - p))),
              logistic = list(x = t, q = qlogis), loglogistic = list(x = log(t), q = qlogis))
rules <- list(medrank = medrank, exprank = exprank, mkm = mkm)
# Codes of the procedure: distribution, plotting position (PPOS=) and fit method.
dcode <- c(normal = 0, lognormal = 1, lognormal10 = 11, weibull = 2, extreme = 3, logistic = 6, loglogistic = 7)
rcode <- c(medrank = 1, exprank = 0, mkm = 4)
out <- NULL
for (dn in names(dists)) for (rn in names(rules)) {
  p <- rules[[rn]]; x <- dists[[dn]]$x; q <- dists[[dn]]$q(p)
  yx <- lm(q ~ x); xy <- lm(x ~ q)
  out <- rbind(out, data.frame(dist = dn, rule = rn, method = "lsyx", dcode = dcode[[dn]], rcode = rcode[[rn]], mcode = 2,
                               mu = -coef(yx)[1] / coef(yx)[2], sigma = 1 / coef(yx)[2], rsq = summary(yx)$r.squared))
  out <- rbind(out, data.frame(dist = dn, rule = rn, method = "lsxy", dcode = dcode[[dn]], rcode = rcode[[rn]], mcode = 7,
                               mu = coef(xy)[1], sigma = coef(xy)[2], rsq = summary(xy)$r.squared))
}
out$mu <- format(out$mu, digits = 17); out$sigma <- format(out$sigma, digits = 17); out$rsq <- format(out$rsq, digits = 17)
write.table(out, "lsfit_aml.csv", sep = ",", row.names = FALSE, quote = FALSE)
pos <- data.frame(time = t, medrank = format(medrank, digits = 17), exprank = format(exprank, digits = 17), mkm = format(mkm, digits = 17))
write.table(pos, "lsfit_aml_positions.csv", sep = ",", row.names = FALSE, quote = FALSE)
