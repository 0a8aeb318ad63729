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
    // Starts report.html under a temporary name with the document head.
    bool open(const std::string& dir, std::string& err);
    void write(std::string_view s) { out_.write(s); }
    bool appendspool(const Spool& s);
    // Ends the document and renames it into place.
    bool commit(std::string& err);
    void discard() { out_.discard(); }
    bool isopen() const { return out_.isopen(); }

private:
    Sink out_;
};

class HtmlTable {
public:
    explicit HtmlTable(const Layout& layout) : layout_(layout) {}
    bool open(const std::string& dir, std::string& err) { return rows_.open(dir, err); }
    // Direct mode: the table head now, every row straight to out.
    void begin(Html& out, const std::string& id, bool noheader);
    bool suspend(const std::string& dir, std::string& err);
    void row(const RowTexts& texts);
    bool publish(Html& out, const std::string& id, bool noheader = false) const;

private:
    const Layout& layout_;
    std::string head(const std::string& id, bool noheader, bool caption) const;
    Spool rows_;
    std::string line_;
    Html* direct_ = nullptr;
    bool continued_ = false;
};

}  // namespace rt::out
