library(npsurv)
d <- read.csv("iv100k.csv")
f <- npsurv(data.frame(L = ifelse(is.na(d$lower), 0, d$lower), R = ifelse(is.na(d$upper), Inf, d$upper)))
cat(length(f$f$p), f$ll, "\n")
