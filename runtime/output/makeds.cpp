// MAKE data sets: the rows of a named table written as CSV while they are appended, under
// a temporary name renamed into place when the step ends.
#include "runtime/output/makeds.h"

#include <charconv>
#include <cstring>
#include "runtime/output/templates.h"

#include <vector>

namespace rt::out {

namespace {
// Writes the field at o, quoted when it needs it; o must have room for 2 * s.size() + 2.
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
}  // namespace

void csvfield(std::string& out, std::string_view s) {
    size_t at = out.size();
    out.resize(at + 2 * s.size() + 2);
    out.resize(static_cast<size_t>(csvput(out.data() + at, s) - out.data()));
}

bool MakeWriter::start(MakeRequest& r, const DataObject& obj,
                       const std::vector<std::pair<std::string, std::string>>& by, std::string& err) {
    if (!r.started) {
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
    byprefix_.clear();
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
    static const num::NumFormat full{num::Fmt::Full, 24, 0};
    // Composed in place in the request's line: room for every number and quoted text.
    size_t need = byprefix_.size() + 1;
    for (size_t i = 0; i < map_.size(); ++i)
        need += 1 + (map_[i] < 0 ? 0 : kinds_[i] == 5 || kinds_[i] == 3 ? 64 : 2 * vals[static_cast<size_t>(map_[i])].s.size() + 2);
    std::string& l = r.line;
    if (l.size() < need) l.resize(need);
    char* const base = l.data();
    char* o = base;
    if (!byprefix_.empty()) o = static_cast<char*>(std::memcpy(o, byprefix_.data(), byprefix_.size())) + byprefix_.size();
    bool first = r.bynames.empty();
    for (size_t i = 0; i < map_.size(); ++i) {
        if (!first) *o++ = ',';
        first = false;
        if (map_[i] < 0) continue;
        const CellValue& v = vals[static_cast<size_t>(map_[i])];
        switch (kinds_[i]) {
        case 5:
            if (!v.missing) o += num::formatnum(full, v.d, o);
            break;
        case 3:
            o = std::to_chars(o, o + 16, v.i).ptr;
            break;
        default:
            o = csvput(o, v.s);
        }
    }
    *o++ = '\n';
    r.sink.write(std::string_view(base, static_cast<size_t>(o - base)));
    ++r.rows;
}

}  // namespace rt::out
