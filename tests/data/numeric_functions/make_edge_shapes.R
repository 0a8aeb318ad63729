# Reference values at the edges of the shape ranges of the incomplete beta and gamma
# functions: shapes far below 1 (where raising the first parameter by one loses its
# digits in double precision) and arguments next to the smallest doubles.
# Run by hand from this folder: Rscript make_edge_shapes.R
fmt <- function(v) sprintf("%.17g", v)
out <- function(name, df) {
  df[] <- lapply(df, function(col) if (is.numeric(col)) fmt(col) else col)
  write.csv(df, name, row.names = FALSE, quote = FALSE)
}

# Beta: tiny first or both shapes, on both tails.
bx <- c(0.3, 0.5, 0.875, 0.3, 0.7, 0.01, 0.5, 0.3, 0.99, 0.2, 0.9, 0.6)
ba <- c(5e-18, 5e-18, 5e-18, 1e-9, 1e-9, 1e-12, 1e-300, 2.5, 1e-6, 1e-7, 1e-7, 3)
bb <- c(5e-18, 5e-18, 5e-18, 1e-9, 3, 2, 1e-300, 1e-10, 1e-6, 40, 0.5, 1e-15)
out("edge_pbeta.csv", data.frame(x = bx, a = ba, b = bb,
                                 p = pbeta(bx, ba, bb), q = pbeta(bx, ba, bb, lower.tail = FALSE),
                                 logp = pbeta(bx, ba, bb, log.p = TRUE),
                                 logq = pbeta(bx, ba, bb, lower.tail = FALSE, log.p = TRUE),
                                 d = dbeta(bx, ba, bb)))

# Gamma: shapes just below 1 at the smallest arguments (the density of the given shape
# from that of the raised one), and tiny shapes.
gx <- c(5e-324, 1e-310, 1e-300, 1e-200, 0.5, 3, 1e-5, 2)
ga <- c(0.9999999, 0.9999999, 0.5, 0.3, 1e-9, 1e-9, 1e-12, 0.999999999999)
out("edge_pgamma.csv", data.frame(x = gx, a = ga,
                                  p = pgamma(gx, ga), q = pgamma(gx, ga, lower.tail = FALSE),
                                  logd = dgamma(gx, ga, log = TRUE)))
