# The breast-cosmesis study by treatment (radiotherapy alone, RT; with chemotherapy, RCT):
# the interval-censored months to retraction of cosmesis.csv with the group of each patient.
# Run by hand: Rscript cosmesis_groups.R (writes cosmesis_groups.csv).
library(npsurv)
data(cancer, package = "npsurv")
lo <- ifelse(cancer$L == 0, "", as.character(cancer$L))
hi <- ifelse(is.infinite(cancer$R), "", as.character(cancer$R))
writeLines(c("lower,upper,treatment", paste(lo, hi, cancer$group, sep = ",")), "cosmesis_groups.csv")
