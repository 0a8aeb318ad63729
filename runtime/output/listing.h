// The LISTING destination: aligned plain text, to listing.txt in the output folder and to
// standard output. A table's rows are formatted as they are appended, into one spool per
// panel (a table wider than the line size is cut into panels of columns); publishing the
// table writes titles and headers and copies the spools.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "runtime/output/layout.h"
#include "runtime/output/spool.h"

namespace rt::out {

class Listing {
public:
    bool open(const std::string& dir, bool echo, std::string& err);
    void write(std::string_view s);
    bool appendspool(const Spool& s);
    bool commit(std::string& err);
    void discard() { sink_.discard(); }
    bool isopen() const { return sink_.isopen(); }

private:
    Sink sink_;
    bool echo_ = true;
};

// Centres text in width columns (text longer than width is returned whole).
std::string centred(std::string_view text, int width);

class ListingTable {
public:
    ListingTable(const Layout& layout, int linesize);
    bool open(const std::string& dir, std::string& err);
    // Direct mode (one panel only): titles and headers now, every row straight to out.
    void begin(Listing& out, bool noheader);
    // Leaves direct mode: the rest of the rows go to a spool and print as a continuation.
    bool suspend(const std::string& dir, std::string& err);
    void row(const RowTexts& texts);
    // The line of panel p for a row's texts, composed in buf (any thread may compose).
    std::string_view line(const RowTexts& texts, size_t p, std::string& buf) const;
    // Lines composed by line() for a table of one panel, in order, as row() would write them.
    void lines(std::string_view text);
    // Titles, headers and rows of every panel, to the listing.
    bool publish(Listing& out, bool noheader = false) const;

    // Panels: the indices of layout columns each panel prints.
    const std::vector<std::vector<int>>& panels() const { return panels_; }

private:
    std::string headers(const std::vector<int>& panel) const;
    int panelwidth(const std::vector<int>& panel) const;

    const Layout& layout_;
    int linesize_;
    std::vector<std::vector<int>> panels_;
    std::vector<std::unique_ptr<Spool>> spools_;
    std::string line_;
    Listing* direct_ = nullptr;
    bool continued_ = false;
};

}  // namespace rt::out
