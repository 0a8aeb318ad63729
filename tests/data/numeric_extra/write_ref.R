# Writes a reference table as CSV with 17 significant digits, no quotes, "nan" for NA.
write_ref <- function(d, file) {
  out <- as.data.frame(lapply(d, function(v) ifelse(is.na(v), "nan", sprintf("%.17g", v))))
  write.table(out, file, sep = ",", quote = FALSE, row.names = FALSE)
}
