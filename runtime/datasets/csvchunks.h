// The records of a CSV file after its header, parsed in chunks on several threads into the
// columns, in file order, with the values, types and first error the one-pass reader gives.
#pragma once
#include <cstdint>
#include <vector>
#include "runtime/datasets/csvsplit.h"
#include "runtime/datasets/dataset.h"

namespace rt::ds {

// The first failing record of the body, in file order.
struct BodyError {
    enum Kind { NONE, SPLIT, COUNT, TOOLARGE, NOMEM } kind = NONE;
    SplitStatus split = SplitStatus::OK;
    int64_t recline = 0;   // line on which the record starts
    int64_t line = 0;      // line at which the split stopped
    int nvalues = 0;       // values of a record with too many or too few
};

// Bytes a chunk has at least: smaller bodies are read in one pass.
size_t minchunkbytes();
// For tests: the chunk size from which bodies are split (0 restores the default).
void setminchunkbytes(size_t bytes);

// Whether a body of these bytes is split for the given threads.
bool splitbody(size_t bytes, int threads);

// Parses the records of [b, e) (b at line `line`, e the end of the file) into cols, which
// hold the header's names. Returns false with *error set (or a memory failure) when a record
// fails; nobs the number of records read.
bool parsechunks(const char* b, const char* e, int64_t line, std::vector<Column>& cols, int threads, int64_t& nobs,
                 BodyError& error);

}  // namespace rt::ds
