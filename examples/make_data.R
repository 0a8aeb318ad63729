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
# replaced (event 1), and each engine's age at the end of observation (event 0).
valve <- list(
  "251" = c(), "252" = c(), "327" = 98, "328" = c(326, 653, 653), "329" = c(),
  "330" = 84, "331" = 87, "389" = c(), "390" = 92, "391" = c(),
  "392" = c(258, 328, 377, 621), "393" = c(61, 539), "394" = c(254, 276, 298, 640),
  "395" = c(76, 538), "396" = 635, "397" = c(349, 404, 561), "398" = c(), "399" = c(),
  "400" = c(120, 479), "401" = c(323, 449), "402" = c(139, 139), "403" = c(), "404" = 573,
  "405" = c(165, 408, 604), "406" = 249, "407" = c(344, 497), "408" = c(265, 586),
  "409" = c(166, 206, 348), "410" = c(), "411" = c(410, 581), "412" = c(), "413" = c(),
  "414" = c(), "415" = 367, "416" = c(202, 563, 570), "417" = c(), "418" = c(), "419" = c(),
  "420" = c(), "421" = c(), "422" = c())
ends <- c(761, 759, 667, 667, 665, 667, 663, 646, 653, 651, 650, 648, 644, 642, 641, 649, 631,
          596, 614, 582, 589, 593, 589, 606, 594, 613, 595, 389, 601, 601, 611, 608, 587, 603,
          585, 587, 578, 578, 586, 585, 582)
stopifnot(length(valve) == 41, length(ends) == 41)
vs <- do.call(rbind, lapply(seq_along(valve), function(i)
    data.frame(engine = names(valve)[i], days = c(valve[[i]], ends[i]),
               event = c(rep(1, length(valve[[i]])), 0))))
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

# Checks of the typed values against published estimates.
f <- survreg(Surv(bearings) ~ 1, dist = "weibull")
cat("ball bearings, Weibull ML: shape", 1 / f$scale, "scale", exp(coef(f)),
    "(Lawless 2003: 2.102, 81.88)\n")
f <- survreg(Surv(hours, status) ~ 1, data = fans, dist = "weibull")
cat("diesel fans, Weibull ML: shape", 1 / f$scale, "scale", exp(coef(f)),
    "(Nelson 1982: 1.0584, 26297)\n")
cat("valve seats:", nrow(vs), "rows,", sum(vs$event), "replacements on", length(valve), "engines\n")
cat("bladder:", length(unique(bl$id)), "patients,", sum(bl$event), "recurrences\n")
