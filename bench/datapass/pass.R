library(data.table)
setDTthreads(4)
d <- fread("pass10m.csv")
u <- d[hours - 100000 > 0]
cat(nrow(d), nrow(u), "\n")
