# The second yardstick of the MCFPLOT timings: the same MCF with the robust variance through
# R's survfit on the counting-process form of the data (for unit event values of 1 the
# infinitesimal-jackknife variance equals Lawless and Nadeau's). Usage: Rscript mcf_survfit_r.R DATA.csv
library(survival)
args <- commandArgs(trailingOnly = TRUE)
d <- read.csv(args[1], colClasses = c("character", "numeric", "numeric"))
d <- d[order(d$unit, d$age, d$n == -1), ]
first <- !duplicated(d$unit)
start <- c(0, d$age[-nrow(d)]); start[first] <- 0
cp <- data.frame(id = d$unit, start = start, stop = d$age, event = as.integer(d$n != -1))
cp <- cp[cp$stop > cp$start | cp$event == 1, ]
# a second event of a unit at one age moves by a millionth (the timing does not depend on it)
cp$stop <- ifelse(cp$stop <= cp$start, cp$start + 1e-6, cp$stop)
fit <- survfit(Surv(start, stop, event) ~ 1, id = id, data = cp, robust = TRUE, timefix = FALSE)
invisible(fit$cumhaz)
