// The CSV data-set library of the runtime: a library is a folder, a data set one CSV file.
// This is the runtime-internal face of data sets that the parser and the step runner use;
// the procedure sees data sets only through vector 203.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "host/vec203_datasets.h"
#include "runtime/session.h"

namespace rt::ds {

// Opens (reads and types) LIB.MEMBER of the session's libraries; lib empty means WORK. On
// failure returns null and sets err to a complete message naming the data set, the file and
// the line. The data set keeps the session for the messages of its BY groups.
hdataset* open(Session& s, const std::string& lib, const std::string& member, std::string& err);
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

// For a character variable: the first value that is not a number, with its line in the
// file (for messages such as "variable HOURS must be numeric, but line 12 of fans.csv has
// 'abc'"). False for a numeric variable.
bool firstnonnumeric(hdataset* ds, int32_t var, int64_t* line, std::string* text);

// Name and formatted value (blanks cut) of each BY variable for the current BY group;
// empty when there is no BY variable or no current group.
std::vector<std::pair<std::string, std::string>> byvalues(hdataset* ds);
// Whether the i-th BY variable (0-based, in the order of setby) is numeric.
bool byisnumeric(hdataset* ds, int i);

// The vector-203 service table of the runtime.
const vec203* services();
// Who is told when the procedure moves to the next BY group of a data set: the output system
// (it shows the group's BY line in the report) sets itself when a program begins; null: nobody.
void onbygroup(void (*listener)());

// Deletes the data sets the procedure made in memory during the step (xocreate).
void dropmade();

}  // namespace rt::ds
