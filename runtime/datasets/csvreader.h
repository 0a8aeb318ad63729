// Reading one CSV file into typed columns in a single pass.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/datasets/dataset.h"

namespace rt::ds {

// Reads the file at path: the first record names the variables, every further record is
// one observation. A column is numeric when all its non-missing values are numbers.
// On failure returns false and err tells what is wrong, naming dsname, the file and the line.
// With threads > 1 a large file's records are parsed in chunks on up to that many threads,
// with the same result.
bool readcsv(const std::string& path, const std::string& dsname, std::vector<Column>& cols,
             int64_t& nobs, std::string& err, int threads = 1);

}  // namespace rt::ds
