// MAKE data sets: the rows of a table whose name a MAKE request registered, written as
// CSV as they are appended (BY variables first, then the table's columns by name; numbers
// at full precision, missing values empty), under a temporary name that is renamed into
// place when the step ends.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "runtime/output/layout.h"
#include "runtime/output/spool.h"

namespace rt::out {

struct MakeRequest {
    std::string table;            // the table name (matched without regard to case)
    std::string lib, mem;         // the OUT= data set
    std::string path;             // the CSV file; empty when the library is unknown
    bool appeared = false;        // a table of that name was bound
    bool failed = false;          // an ERROR was logged already
    bool started = false;
    bool noprint = false;         // NOPRINT: the table goes to the data set only
    std::vector<std::string> bynames;
    std::vector<std::string> colnames;
    Sink sink;
    std::string line;
    long long rows = 0;
};

// Quotes a CSV field when it needs it (separator, quote, line end, blanks at either end).
void csvfield(std::string& out, std::string_view s);

class MakeWriter {
public:
    // Prepares one table's rows: opens the file and writes the header on first use, maps
    // the table's columns onto the header. False with err when the file cannot be made.
    bool start(MakeRequest& r, const DataObject& obj, const std::vector<std::pair<std::string, std::string>>& by,
               std::string& err);
    void row(MakeRequest& r, const std::vector<CellValue>& vals);

private:
    std::vector<int> map_;        // header column -> the table's column, -1 for none
    std::vector<int> kinds_;
    std::string byprefix_;
};

}  // namespace rt::out
