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

// The report shows a table of more than kReportRows rows by its first kReportHead and last
// kReportTail rows, with a row saying how many are left out and where the whole table is:
// a browser cannot open a page of millions of rows (the listing and MAKE keep them all).
constexpr long long kReportRows = 5000, kReportHead = 4000, kReportTail = 1000;

class HtmlTable {
public:
    // name: the table's name, for the line that says where rows left out of the report are.
    HtmlTable(const Layout& layout, std::string name = std::string()) : layout_(layout), name_(std::move(name)) {}
    bool open(const std::string& dir, std::string& err) { return rows_.open(dir, err); }
    // Direct mode: the table head now, every row straight to out.
    void begin(Html& out, const std::string& id, bool noheader);
    bool suspend(const std::string& dir, std::string& err);
    void row(const RowTexts& texts);
    // Rows formatted elsewhere, in the order row() would take them: the lines of the rows
    // still in the head (compose), then `passed` rows past the head that later rows of the
    // same call push out of the kept tail, then the kept forms (keepform) of the rest, row k
    // ending at keptends[k]. Any thread may compose and make kept forms.
    void rows(std::string_view composed, long long ncomposed, long long passed, std::string_view kept,
              const std::vector<uint32_t>& keptends);
    std::string_view compose(const RowTexts& texts, std::string& buf) const;
    void keepform(const RowTexts& texts, std::string& out) const;   // appended to out
    long long rowsseen() const { return rows_seen_; }
    bool publish(Html& out, const std::string& id, bool noheader = false) const;

private:
    const Layout& layout_;
    std::string name_;
    std::string head(const std::string& id, bool noheader, bool caption) const;
    // The rows kept back for the end of a long table, and the line saying what was left out.
    std::string tail() const;
    std::string& slot();   // the ring's place for the next kept row
    long long rows_seen_ = 0;          // rows of this part of the table (direct or continued)
    std::vector<std::string> last_;    // the texts of the last rows past the head, a ring of kReportTail
    size_t lastat_ = 0;
    Spool rows_;
    std::string line_;
    Html* direct_ = nullptr;
    bool continued_ = false;
};

}  // namespace rt::out
