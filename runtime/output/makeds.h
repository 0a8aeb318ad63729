// MAKE data sets: the rows of a table whose name a MAKE request registered, written as
// CSV as they are appended (BY variables first, then the table's columns by name; numbers
// at full precision, missing values empty), under a temporary name that is renamed into
// place when the step ends.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "runtime/output/layout.h"
#include "runtime/output/makelines.h"
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
    std::string cut;              // a table of it that the step left unfinished when it stopped
    std::vector<std::string> bynames;
    std::vector<std::string> colnames;
    int threads = 0;              // threads that may compose a large data set's rows (0: none)
    Sink sink;
    std::string line;
    long long rows = 0;
    // The workers that write the rows once there are many (before the sink, which it writes,
    // is closed: declared after it).
    std::unique_ptr<MakeLines> lines;
};

// Quotes a CSV field when it needs it (separator, quote, line end, blanks at either end).
void csvfield(std::string& out, std::string_view s);
// Writes the field at o, quoted when it needs it; o must have room for 2 * s.size() + 2.
char* csvput(char* o, std::string_view s);

class MakeWriter {
public:
    // Prepares one table's rows: opens the file and writes the header on first use, maps
    // the table's columns onto the header. False with err when the file cannot be made.
    bool start(MakeRequest& r, const DataObject& obj, const std::vector<std::pair<std::string, std::string>>& by,
               std::string& err);
    void row(MakeRequest& r, const std::vector<CellValue>& vals);

private:
    std::shared_ptr<MakeShape> shape_;
};

}  // namespace rt::out
