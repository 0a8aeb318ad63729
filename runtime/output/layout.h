// How a bound table prints: its titles, the columns shown with headers, widths, formats
// and justification, and its spanning headers. Made once when the table is bound; the
// listing, the HTML report and the MAKE data sets format each row from it.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "host/hostdefs.h"
#include "runtime/numfmt/numfmt.h"
#include "runtime/output/objects.h"
#include "runtime/output/templates.h"

namespace rt::out {

struct LayoutCol {
    int src = 0;                  // index of the data object's column
    int kind = 5;
    std::string header;
    int width = 0;
    bool right = false;           // numbers are right-justified, texts left
    num::NumFormat fmt;
};

struct LayoutSpan {
    int first = 0, last = 0;      // indices into Layout::cols
    std::string label;
};

struct Layout {
    std::vector<std::string> titles;
    std::vector<LayoutCol> cols;
    std::vector<LayoutSpan> spans;
    std::string missing = ".";
    int lead = 0;                 // leading columns repeated in every panel of the listing
};

Layout makelayout(const DataObject& obj, const Template& tpl);

// One cell of an appended row, read from its bound cell at that moment.
struct CellValue {
    double d = 0;
    int32_t i = 0;
    std::string_view s;           // text cells: blanks at the end cut
    bool missing = false;
    bool blank = false;           // the alternate missing value: printed blank
};

// A number cell's value. A value that is not a finite number was not computed: it prints as
// missing, in the listing, the report and MAKE data sets alike; the alternate missing value
// prints blank.
inline CellValue numbercell(double d) {
    CellValue v;
    v.d = d;
    v.missing = !std::isfinite(d);
    v.blank = isaltmissing(d);
    return v;
}
// A count cell's value.
inline CellValue countcell(int32_t i) {
    CellValue v;
    v.i = i;
    v.d = i;
    return v;
}

// Reads every bound cell of the object into vals (resized to the column count).
void readrow(const DataObject& obj, std::vector<CellValue>& vals);
// Reads only the cells the layout shows (a printed table that no MAKE request saves binds
// many more cells than it shows); the others are left as they were.
void readshown(const DataObject& obj, const Layout& l, std::vector<CellValue>& vals);

// The printed texts of one row, formatted once for every destination that prints it.
class RowTexts {
public:
    void format(const Layout& l, const std::vector<CellValue>& vals);
    std::string_view operator[](size_t k) const { return std::string_view(buf_.data() + pos_[k].first, pos_[k].second); }

private:
    std::string buf_;
    std::vector<std::pair<uint32_t, uint32_t>> pos_;
};

// The order of title items: "title0", then "title"/"Title"/"title1", "title2", "title3".
std::vector<std::string> orderedtitles(const std::vector<std::pair<std::string, std::string>>& items);

}  // namespace rt::out
