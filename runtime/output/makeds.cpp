#include "runtime/output/makeds.h"

#include "runtime/output/templates.h"

namespace rt::out {

void csvfield(std::string& out, std::string_view s) {
    bool quote = !s.empty() && (s.front() == ' ' || s.back() == ' ');
    for (char c : s)
        if (c == ',' || c == '"' || c == '\n' || c == '\r') quote = true;
    if (!quote) {
        out.append(s);
        return;
    }
    out += '"';
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
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
    for (size_t i = 0; i < r.colnames.size(); ++i)
        for (size_t k = 0; k < obj.cols.size(); ++k)
            if (iequal(obj.cols[k].name, r.colnames[i])) {
                map_[i] = static_cast<int>(k);
                kinds_[i] = obj.cols[k].kind;
                break;
            }
    return true;
}

void MakeWriter::row(MakeRequest& r, const std::vector<CellValue>& vals) {
    static const NumFormat full{Fmt::Full, 24, 0};
    std::string& l = r.line;
    l.assign(byprefix_);
    bool first = r.bynames.empty();
    char buf[64];
    for (size_t i = 0; i < map_.size(); ++i) {
        if (!first) l += ',';
        first = false;
        if (map_[i] < 0) continue;
        const CellValue& v = vals[static_cast<size_t>(map_[i])];
        switch (kinds_[i]) {
        case 5:
            if (!v.missing) l.append(buf, formatnum(full, v.d, buf));
            break;
        case 3:
            l += std::to_string(v.i);
            break;
        default:
            csvfield(l, v.s);
        }
    }
    l += '\n';
    r.sink.write(l);
    ++r.rows;
}

}  // namespace rt::out
