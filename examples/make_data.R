# Writes the public data sets of examples/ as CSV files. Run by hand from the examples folder:
#   Rscript make_data.R
# Data sets that an R package carries are taken from it (survival, npsurv); the others are
# typed from the published tables named below, and the script prints published estimates
# beside R's own fits of the typed values as a check of the transcription.
library(survival)

# Lieblein and Zelen (1956), J. Res. Nat. Bur. Standards 57: endurance of 23 deep-groove ball
# bearings, millions of revolutions to fatigue failure (every bearing failed).
bearings <- c(17.88, 28.92, 33.00, 41.52, 42.12, 45.60, 48.48, 51.84, 51.96, 54.12, 55.56,
              67.80, 68.64, 68.64, 68.88, 84.12, 93.12, 98.64, 105.12, 105.84, 127.92, 128.04,
              173.40)
write.csv(data.frame(mrevs = sprintf("%.2f", bearings)), "ballbearings.csv",
          row.names = FALSE, quote = FALSE)

# Nelson (1982), Applied Life Data Analysis, Wiley: hours of 70 diesel-generator fans,
# 12 failures (status 1) and 58 fans still running (status 0).
fans <- read.table(header = TRUE, text = "
hours status n
450 1 1
460 0 1
1150 1 2
1560 0 1
1600 1 1
1660 0 1
1850 0 5
2030 0 3
2070 1 2
2080 1 1
2200 0 1
3000 0 4
3100 1 1
3200 0 1
3450 1 1
3750 0 2
4150 0 4
4300 0 4
4600 1 1
4850 0 4
5000 0 3
6100 0 1
6100 1 1
6100 0 2
6300 0 1
6450 0 2
6700 0 1
7450 0 1
7800 0 2
8100 0 2
8200 0 1
8500 0 3
8750 0 1
8750 1 1
8750 0 1
9400 0 1
9900 0 1
10100 0 3
11500 0 1")
fans <- fans[rep(seq_len(nrow(fans)), fans$n), c("hours", "status")]
stopifnot(nrow(fans) == 70, sum(fans$status) == 12)
write.csv(fans, "dieselfans.csv", row.names = FALSE, quote = FALSE)

# Finkelstein and Wolfe (1985), Biometrics 41: months to breast retraction (cosmetic
# deterioration) of 94 early breast-cancer patients, radiotherapy alone (RT, 46) or with
# adjuvant chemotherapy (RCT, 48), seen at clinic visits: the retraction lies between the
# last visit without and the first visit with it. As npsurv::cancer holds it; an empty lower
# end is a retraction already seen at the first visit (left-censored), an empty upper end a
# patient never seen with it (right-censored).
data(cancer, package = "npsurv")
cos <- data.frame(treatment = as.character(cancer$group),
                  lower = ifelse(cancer$L == 0, "", format(cancer$L)),
                  upper = ifelse(is.infinite(cancer$R), "", format(cancer$R)))
cos$lower <- trimws(cos$lower); cos$upper <- trimws(cos$upper)
write.csv(cos, "cosmesis.csv", row.names = FALSE, quote = FALSE)

# Nelson (1990), Accelerated Testing, Wiley: hours to failure of a Class-H motor insulation
# tested at 190, 220, 240 and 260 degrees C, ten specimens each (every specimen failed).
insul <- data.frame(temp = rep(c(190, 220, 240, 260), each = 10),
                    hours = c(7228, 7228, 7228, 8448, 9167, 9167, 9167, 9167, 10511, 10511,
                              1764, 2436, 2436, 2436, 2436, 2436, 3108, 3108, 3108, 3108,
                              1175, 1175, 1521, 1569, 1617, 1665, 1665, 1713, 1761, 1953,
                              600, 744, 744, 744, 912, 1128, 1320, 1464, 1608, 1896))
write.csv(insul, "insulation.csv", row.names = FALSE, quote = FALSE)

# Nelson (1995), Technometrics 37, Table 1 (also Meeker and Escobar 1998, Statistical Methods
# for Reliability Data): ages in days at which valve seats of 41 diesel engines were
# replaced (event 1), and each engine's age at the end of observation (event 0), as
# survival::valveSeat holds them: 89 rows, 48 replacements.
vs <- data.frame(engine = valveSeat$id, days = valveSeat$time, event = valveSeat$status)
stopifnot(nrow(vs) == 89, sum(vs$event) == 48, length(unique(vs$engine)) == 41)
write.csv(vs, "valveseats.csv", row.names = FALSE, quote = FALSE)

# Byar (1980), bladder tumour recurrences: survival::bladder2 (placebo and thiotepa arms,
# 85 patients), one row per recurrence (event 1) and one per patient at the end of follow-up
# (event 0), months from the start of treatment.
b <- bladder2
rec <- b[b$event == 1, ]
last <- b[!duplicated(b$id, fromLast = TRUE), ]
bl <- rbind(data.frame(id = rec$id, rx = rec$rx, months = rec$stop, event = 1),
            data.frame(id = last$id, rx = last$rx, months = last$stop, event = 0))
bl <- bl[order(bl$id, bl$months, -bl$event), ]
bl$treatment <- ifelse(bl$rx == 1, "placebo", "thiotepa")
write.csv(bl[, c("id", "treatment", "months", "event")], "bladder.csv",
          row.names = FALSE, quote = FALSE)

# Files of the user's guide made from the sets above (docs/guide.md says how each is made).
# The ball bearings as if inspected every 25 million revolutions up to 100: failures found
# at each inspection (fails) among the bearings still on test (ontest); five never failed.
ins <- c(25, 50, 75, 100)
found <- as.vector(table(cut(bearings, c(0, ins))))
ro <- data.frame(mrevs = ins, fails = found, ontest = 23 - c(0, cumsum(found))[1:4])
write.csv(ro, "bearings_readout.csv", row.names = FALSE, quote = FALSE)
# The diesel fans as counts: one line per distinct (hours, status) with the number of fans.
fc <- aggregate(list(count = rep(1, nrow(fans))), by = list(hours = fans$hours, status = fans$status), FUN = sum)
fc <- fc[order(fc$hours, -fc$status), ]
write.csv(fc, "dieselfans_counts.csv", row.names = FALSE, quote = FALSE)
# The insulation data with one more row, the use condition 180 degrees C without a time:
# MODEL fits the 40 specimens and predicts the life at 180 degrees on that row.
write.csv(rbind(insul, data.frame(temp = 180, hours = NA)), "insulation_use.csv",
          row.names = FALSE, quote = FALSE, na = "")
# A zero-failure demonstration test: 59 units on test, none failed.
write.csv(data.frame(failed = 0, tested = 59), "demonstration.csv", row.names = FALSE, quote = FALSE)

# Row by row against the copies that R packages carry: each CSV file as written, read back.
# The diesel fans are typed from Nelson's table and survival::genfan holds them too; the valve
# seats, the bladder tumours and the cosmesis study are taken from their packages, and reading
# them back checks what was written. The ball bearings and the insulation test are in no
# package here (survival::imotor and MASS::motors are another motor-insulation test).
same <- function(what, a, b) {
    if (!isTRUE(all.equal(a, b, check.attributes = FALSE)))
        stop(what, " differs from the package's copy")
    cat(what, ": ", nrow(a), " rows agree with the package's copy\n", sep = "")
}
d <- read.csv("dieselfans.csv")
same("dieselfans.csv (survival::genfan)", d, data.frame(hours = genfan$hours, status = genfan$status))
d <- read.csv("valveseats.csv")
same("valveseats.csv (survival::valveSeat)", d,
     data.frame(engine = valveSeat$id, days = valveSeat$time, event = valveSeat$status))
d <- read.csv("cosmesis.csv")
same("cosmesis.csv (npsurv::cancer)",
     data.frame(d$treatment, ifelse(is.na(d$lower), 0, d$lower), ifelse(is.na(d$upper), Inf, d$upper)),
     data.frame(as.character(cancer$group), cancer$L, cancer$R))
# bladder2 has one row per interval between recurrences (start, stop, event): a patient's
# recurrences are the stops with event 1, the end of follow-up is the last stop.
d <- read.csv("bladder.csv")
one <- function(id, rx, rec, end) data.frame(id = id, rx = rx, rec = paste(sort(rec), collapse = " "), end = end)
mine <- do.call(rbind, lapply(split(d, d$id), function(p)
    one(p$id[1], p$treatment[1], p$months[p$event == 1], p$months[p$event == 0])))
pkg <- do.call(rbind, lapply(split(bladder2, bladder2$id), function(p)
    one(p$id[1], ifelse(p$rx[1] == 1, "placebo", "thiotepa"), p$stop[p$event == 1], max(p$stop))))
same("bladder.csv (survival::bladder2), by patient", mine, pkg)

# The typed values against published estimates (the insulation times are typed only).
f <- survreg(Surv(bearings) ~ 1, dist = "weibull")
cat("ball bearings, Weibull ML: shape", 1 / f$scale, "scale", exp(coef(f)),
    "(Lawless 2003: 2.102, 81.88)\n")
f <- survreg(Surv(hours, status) ~ 1, data = fans, dist = "weibull")
cat("diesel fans, Weibull ML: shape", 1 / f$scale, "scale", exp(coef(f)),
    "(Nelson 1982: 1.0584, 26297)\n")
