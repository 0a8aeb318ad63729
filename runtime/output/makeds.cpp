// MAKE data sets: the rows of a named table written as CSV while they are appended, under
// a temporary name renamed into place when the step ends.
#include "runtime/output/makeds.h"

#include <sys/stat.h>

#include <charconv>
#include <cstring>
#include "runtime/output/templates.h"

#include <vector>

namespace rt::out {

char* csvput(char* o, std::string_view s) {
    bool quote = !s.empty() && (s.front() == ' ' || s.back() == ' ');
    for (char c : s)
        if (c == ',' || c == '"' || c == '\n' || c == '\r') quote = true;
    if (!quote) {
        if (!s.empty()) std::memcpy(o, s.data(), s.size());
        return o + s.size();
    }
    *o++ = '"';
    for (char c : s) {
        if (c == '"') *o++ = '"';
        *o++ = c;
    }
    *o++ = '"';
    return o;
}

void csvfield(std::string& out, std::string_view s) {
    size_t at = out.size();
    out.resize(at + 2 * s.size() + 2);
    out.resize(static_cast<size_t>(csvput(out.data() + at, s) - out.data()));
}

bool MakeWriter::start(MakeRequest& r, const DataObject& obj,
                       const std::vector<std::pair<std::string, std::string>>& by, std::string& err) {
    if (!r.started) {
        // A folder at the data set's name would refuse the file only when the step ends, after
        // a table kept from the listing by NOPRINT had gone unprinted: it is refused now.
        if (struct stat st {}; ::lstat(r.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            err = "cannot write " + r.path + ": a folder has that name";
            return false;
        }
        if (!r.sink.open(r.path, err)) return false;
        r.started = true;
        for (auto& b : by) r.bynames.push_back(b.first);
        for (auto& c : obj.cols) r.colnames.push_back(c.name);
        std::string h;
        bool first = true;
        for (auto& n : r.bynames) {
            if (!first) h += ',';
            first = false;
            csvfield(h, n);
        }
        for (auto& n : r.colnames) {
            if (!first) h += ',';
            first = false;
            csvfield(h, n);
        }
        h += '\n';
        r.sink.write(h);
    }
    // BY values in the order of the header; a variable this group lacks stays empty.
    shape_ = std::make_shared<MakeShape>();
    std::string& byprefix_ = shape_->byprefix;
    std::vector<int>& map_ = shape_->map;
    std::vector<int>& kinds_ = shape_->kinds;
    shape_->bys = !r.bynames.empty();
    shape_->ncols = static_cast<int>(obj.cols.size());
    for (size_t i = 0; i < r.bynames.size(); ++i) {
        if (i) byprefix_ += ',';
        for (auto& b : by)
            if (b.first == r.bynames[i]) csvfield(byprefix_, b.second);
    }
    map_.assign(r.colnames.size(), -1);
    kinds_.assign(r.colnames.size(), 0);
    // Each column of the header takes the first column of the object with its name that no
    // earlier one took: two columns of one name (a variable "lower" beside the limit "Lower")
    // keep their own values.
    std::vector<char> taken(obj.cols.size(), 0);
    for (size_t i = 0; i < r.colnames.size(); ++i)
        for (size_t k = 0; k < obj.cols.size(); ++k)
            if (!taken[k] && iequal(obj.cols[k].name, r.colnames[i])) {
                map_[i] = static_cast<int>(k);
                kinds_[i] = obj.cols[k].kind;
                taken[k] = 1;
                break;
            }
    return true;
}

void MakeWriter::row(MakeRequest& r, const std::vector<CellValue>& vals) {
    // Past some thousands of rows (a table of a million units) the lines are composed and
    // written on threads of their own, when threads may be used.
    constexpr long long kOwnThreadAfter = 20000;
    if (!r.lines && r.threads && r.rows == kOwnThreadAfter) r.lines = std::make_unique<MakeLines>(r.sink, r.threads);
    if (r.lines) {
        r.lines->row(shape_, vals);
    } else {
        const size_t n = composeline(*shape_, vals, r.line);
        r.sink.write(std::string_view(r.line.data(), n));
    }
    ++r.rows;
}

}  // namespace rt::out
