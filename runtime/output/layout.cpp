// How a bound table prints: its titles, columns, headers, widths, formats and spanning
// headers, made once when the table is bound; and each row's cells read and formatted.
#include "runtime/output/layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include "host/hostdefs.h"
#include "runtime/output/texts.h"

namespace rt::out {

std::vector<std::string> orderedtitles(const std::vector<std::pair<std::string, std::string>>& items) {
    std::vector<std::pair<int, std::string>> t;
    for (auto& [name, value] : items) {
        if (name.size() < 5 || !iequal(std::string_view(name).substr(0, 5), "title")) continue;
        int rank = 1;
        if (name.size() > 5 && std::isdigit(static_cast<unsigned char>(name[5]))) rank = std::atoi(name.c_str() + 5);
        if (rank == 0) rank = -1;
        t.emplace_back(rank, value);
    }
    std::stable_sort(t.begin(), t.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& [r, v] : t)
        if (!v.empty()) out.push_back(v);
    return out;
}

Layout makelayout(const DataObject& obj, const Template& tpl) {
    Layout l;
    l.titles = orderedtitles(obj.titles);
    // Every table has a title: its own, else its label above the lines that qualify it (the
    // MCF estimates have only "95% Confidence Limits"); information lists and matrices keep
    // what they have.
    bool main = false;
    for (auto& [name, value] : obj.titles) {
        const bool first = iequal(name, "title") || iequal(name, "title0") || iequal(name, "title1");
        main = main || (first && !value.empty());
    }
    const std::string& own = !obj.label.empty() ? obj.label : tpl.title;
    if (!main && tpl.kind == TplKind::Table && !own.empty()) l.titles.insert(l.titles.begin(), own);
    l.missing = tpl.missing;
    for (size_t k = 0; k < obj.cols.size(); ++k) {
        const Column& c = obj.cols[k];
        ColSpec colfmt = tpl.column(c.name, c.role, c.kind);
        if (colfmt.hidden) continue;
        LayoutCol lc;
        lc.src = static_cast<int>(k);
        lc.kind = c.kind;
        lc.header = !c.label.empty() ? c.label : colfmt.set ? colfmt.header : c.name;
        lc.fmt = c.hasfmt ? c.fmt : colfmt.fmt;
        lc.right = c.kind == 5 || c.kind == 3;
        int w = lc.right ? lc.fmt.width : c.width;
        lc.width = std::max<int>(w, static_cast<int>(lc.header.size()));
        l.cols.push_back(lc);
    }
    if (!tpl.leadbefore.empty()) {
        int lead = 0;
        while (lead < static_cast<int>(l.cols.size())) {
            const std::string& n = obj.cols[static_cast<size_t>(l.cols[static_cast<size_t>(lead)].src)].name;
            bool stat = false;
            for (const std::string& s : tpl.leadbefore) stat = stat || iequal(n, s);
            if (stat) break;
            ++lead;
        }
        if (lead < static_cast<int>(l.cols.size())) l.lead = lead;
    }
    for (size_t k = 0; k < obj.cols.size(); ++k) {
        const Column& c = obj.cols[k];
        if (c.spanfirst.empty()) continue;
        int first = -1, last = -1;
        for (size_t j = 0; j < l.cols.size(); ++j) {
            const std::string& n = obj.cols[l.cols[j].src].name;
            if (iequal(n, c.spanfirst)) first = static_cast<int>(j);
            if (iequal(n, c.spanlast)) last = static_cast<int>(j);
        }
        if (first < 0 || last < first) continue;
        l.spans.push_back({first, last, tpl.spanlabel(c.spanfirst, c.spanlast)});
    }
    // A spanning label gets at least two dashes on either side: widen its columns evenly.
    for (const LayoutSpan& s : l.spans) {
        if (s.label.empty()) continue;
        int n = s.last - s.first + 1, w = 2 * (n - 1);
        for (int j = s.first; j <= s.last; ++j) w += l.cols[static_cast<size_t>(j)].width;
        int need = static_cast<int>(s.label.size()) + 6;
        for (int k = 0; w < need; ++k, ++w) ++l.cols[static_cast<size_t>(s.last - k % n)].width;
    }
    return l;
}

namespace {
std::string_view trimtext(const char* p, size_t n) {
    n = strnlen(p, n);
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
    return std::string_view(p, n);
}

// One bound cell of the object as a value to print.
void readcell(const Column& c, CellValue& v) {
    v = CellValue{};
    if (!c.cell) {
        v.missing = true;
        return;
    }
    switch (c.kind) {
    case 5: {
        double d;
        std::memcpy(&d, c.cell, sizeof d);
        v = numbercell(d);
        break;
    }
    case 3: {
        int32_t i;
        std::memcpy(&i, c.cell, sizeof i);
        v = countcell(i);
        break;
    }
    case 66: {
        txthandle h;
        std::memcpy(&h, c.cell, sizeof h);
        v.s = textof(h);
        break;
    }
    default:
        v.s = trimtext(static_cast<const char*>(c.cell), static_cast<size_t>(c.width > 0 ? c.width : 16));
        break;
    }
}
}  // namespace

void readrow(const DataObject& obj, std::vector<CellValue>& vals) {
    vals.resize(obj.cols.size());
    for (size_t k = 0; k < obj.cols.size(); ++k) readcell(obj.cols[k], vals[k]);
}

void readshown(const DataObject& obj, const Layout& l, std::vector<CellValue>& vals) {
    vals.resize(obj.cols.size());
    for (const LayoutCol& c : l.cols) readcell(obj.cols[static_cast<size_t>(c.src)], vals[static_cast<size_t>(c.src)]);
}

void RowTexts::format(const Layout& l, const std::vector<CellValue>& vals) {
    const size_t n = l.cols.size();
    pos_.resize(n);
    // Room for every cell at once (64 bytes for a number), so numbers are formatted in place.
    size_t need = 0;
    for (const LayoutCol& c : l.cols)
        need += c.kind == 5 || c.kind == 3 ? std::max<size_t>(64, l.missing.size()) : vals[static_cast<size_t>(c.src)].s.size();
    if (buf_.size() < need) buf_.resize(need);
    char* base = buf_.data();
    size_t at = 0;
    for (size_t k = 0; k < n; ++k) {
        const LayoutCol& c = l.cols[k];
        const CellValue& v = vals[static_cast<size_t>(c.src)];
        size_t len;
        if (c.kind == 5 && !v.missing) {
            len = num::formatnum(c.fmt, v.d, base + at);
        } else if (c.kind == 3) {
            len = num::formatnum(num::NumFormat{num::Fmt::Count, c.fmt.width, 0}, v.d, base + at);
        } else {
            // The alternate missing value marks a cell left empty on purpose: it prints blank.
            std::string_view t = c.kind == 5 ? (v.blank ? std::string_view() : std::string_view(l.missing)) : v.s;
            if (!t.empty()) std::memcpy(base + at, t.data(), t.size());
            len = t.size();
        }
        pos_[k] = {static_cast<uint32_t>(at), static_cast<uint32_t>(len)};
        at += len;
    }
}

}  // namespace rt::out
