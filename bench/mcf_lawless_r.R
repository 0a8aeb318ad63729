# The yardstick of the MCFPLOT timings: the MCF of recurrence data (unit, age, n with n = -1
# on the end-of-observation record) with Lawless and Nadeau's robust variance, by vectorised
# running sums in R, reading the CSV with data.table's fread. Usage: Rscript mcf_lawless_r.R DATA.csv [OUT.csv]
# Records in processing order (time, events before ends); at event k of unit u, a_k = 1/R_k:
#   M_k = sum a, C_k = sum a/R, unit i's deviation D_i = A_i - C at min(k, its end), and
#   Var_k = sum_i D_i^2 = F + (T1 - E2) - 2 C (M - E1) + m C^2,
# T1 = sum of A_i^2 over all units, E1 and E2 = sums of A_i and A_i^2 over the ended units,
# F = sum of the ended units' frozen D_i^2, m = units at risk.
args <- commandArgs(trailingOnly = TRUE)
library(data.table)
d <- fread(args[1], colClasses = c("character", "numeric", "numeric"), data.table = FALSE)
isend <- d$n == -1
o <- order(d$age, isend)
t <- d$age[o]; e <- isend[o]; id <- match(d$unit[o], unique(d$unit[o]))
n <- sum(e)
R <- n - c(0, cumsum(e))[seq_along(e)]       # at risk before each record
a <- ifelse(e, 0, 1 / R)
M <- cumsum(a)
C <- cumsum(a / R)
# each unit's own running sum before its event (records by unit, in order)
ou <- order(id, seq_along(id))
csu <- cumsum(a[ou])
start <- !duplicated(id[ou])
base <- cummax(ifelse(start, c(0, csu)[seq_along(csu)], 0))
Aafter <- numeric(length(a)); Aafter[ou] <- csu - base
Aprev <- Aafter - a
T1 <- cumsum(ifelse(e, 0, 2 * Aprev * a + a * a))
Atot <- ifelse(e, Aafter, 0)                  # at an end record: the unit's total
E1 <- cumsum(Atot); E2 <- cumsum(Atot^2)
F <- cumsum(ifelse(e, (Atot - C)^2, 0))
m <- n - cumsum(e)
V <- F + (T1 - E2) - 2 * C * (M - E1) + m * C^2
res <- data.frame(Age = t[!e], Mcf = M[!e], Std = sqrt(pmax(V[!e], 0)))
if (length(args) > 1) write.csv(res, args[2], row.names = FALSE)
