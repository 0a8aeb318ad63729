# Reference integrals from R's integrate (rel.tol 1e-13) for the transformed trapezoidal
# quadrature. Each row names an integrand that the test defines in the same way.
# Run: Rscript make_quadrature.R (writes quadrature.csv beside it).
source("write_ref.R")
f <- list(
  # id 1: the real line
  function(x) exp(-x^2) * cos(3 * x) / (1 + x^2),
  # id 2: [a, inf)
  function(x) log1p(x) / (1 + x^3),
  # id 3: (a, b)
  function(x) exp(-x) * cos(x) * sqrt(x),
  # id 4: (a, b), an end singularity
  function(x) x^-0.7 * (2 - x)^0.4 * exp(x),
  # id 5: [a, inf), slow algebraic decay
  function(x) 1 / (1 + x)^2.5)
rows <- data.frame(
  id = c(1, 2, 2, 3, 4, 5),
  kind = c(1, 2, 2, 3, 3, 2),
  a = c(0, 0, 1.5, 0, 0, 3),
  b = c(0, 0, 0, 3, 2, 0))
rows$value <- mapply(function(id, kind, a, b) {
  up <- if (kind == 1) Inf else if (kind == 2) Inf else b
  lo <- if (kind == 1) -Inf else a
  integrate(f[[id]], lo, up, rel.tol = 1e-13, subdivisions = 1000L)$value
}, rows$id, rows$kind, rows$a, rows$b)
write_ref(rows, "quadrature.csv")
