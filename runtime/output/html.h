// The HTML destination: one self-contained report.html. Published output is appended to a
// body spool as it comes (a table's rows go to a spool of their own while it is filled);
// the report is assembled from head, body and tail when the program ends.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "runtime/output/layout.h"
#include "runtime/output/spool.h"

namespace rt::out {

std::string htmlescape(std::string_view s);

class Html {
public:
    bool open(const std::string& dir, std::string& err);
    void write(std::string_view s) { body_.write(s); }
    bool appendspool(const Spool& s);
    // Writes report.html (head, body, tail) under a temporary name and renames it.
    bool commit(const std::string& dir, std::string& err);
    bool isopen() const { return body_.isopen(); }

private:
    Spool body_;
};

class HtmlTable {
public:
    explicit HtmlTable(const Layout& layout) : layout_(layout) {}
    bool open(const std::string& dir, std::string& err) { return rows_.open(dir, err); }
    void row(const std::vector<CellValue>& vals);
    bool publish(Html& out, const std::string& id, bool noheader = false) const;

private:
    const Layout& layout_;
    Spool rows_;
    std::string line_;
};

}  // namespace rt::out
