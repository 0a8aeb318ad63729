// The CSV data-set library of the runtime: a library is a folder, a data set one CSV file.
// This is the runtime-internal face of data sets that the parser and the step runner use;
// the procedure sees data sets only through vector 203.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "host/vec203_datasets.h"

namespace rt::ds {

// Opens (reads and types) LIB.MEMBER; lib empty means WORK. On failure returns null
// and sets err to a complete message naming the data set, the file and the line.
hdataset* open(const std::string& lib, const std::string& member, std::string& err);
void close(hdataset* ds);

// Variable number (1-based) of name (case-insensitive); 0 when there is none.
int32_t findvar(hdataset* ds, const std::string& name);
int32_t nvars(hdataset* ds);
int64_t nobs(hdataset* ds);

// BY variables (set by the parser from the BY statement) and whether the order is checked.
struct ByVar {
    int32_t var;
    bool descending;
};
void setby(hdataset* ds, const std::vector<ByVar>& vars, bool notsorted);

// "LIB.MEMBER" as the user sees it.
std::string displayname(hdataset* ds);

// The vector-203 service table of the runtime.
const vec203* services();

}  // namespace rt::ds
