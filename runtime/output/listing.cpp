// The LISTING destination: listing.txt and standard output, tables cut into panels of
// columns that fit the line size, rows formatted as they are appended.
#include "runtime/output/listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace rt::out {

namespace {
constexpr int kGap = 2;   // blanks between columns

void pad(std::string& s, size_t n) { s.append(n, ' '); }

void rtrim(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}
}  // namespace

std::string centred(std::string_view text, int width) {
    int n = static_cast<int>(text.size());
    if (n >= width) return std::string(text);
    std::string s(static_cast<size_t>((width - n) / 2), ' ');
    s.append(text);
    return s;
}

bool Listing::open(const std::string& dir, bool echo, std::string& err) {
    echo_ = echo;
    return sink_.open(dir + "/listing.txt", err);
}

void Listing::write(std::string_view s) {
    sink_.write(s);
    if (echo_) std::fwrite(s.data(), 1, s.size(), stdout);
}

bool Listing::appendspool(const Spool& s) {
    bool ok = s.appendto(sink_.file());
    if (echo_) ok = s.appendto(stdout) && ok;
    return ok;
}

bool Listing::commit(std::string& err) {
    if (echo_) std::fflush(stdout);
    return sink_.commit(err);
}

ListingTable::ListingTable(const Layout& layout, int linesize) : layout_(layout), linesize_(linesize < 40 ? 40 : linesize) {
    // Greedy panels; the columns that name a row are repeated in every panel: a leading text
    // column (the row label), or the leading columns the template names (layout_.lead).
    const auto& cols = layout_.cols;
    int n = static_cast<int>(cols.size());
    int nid = n > 1 && !cols[0].right && cols[0].width + kGap < linesize_ / 2 ? 1 : 0;
    if (layout_.lead > 0) {
        int w = 0;
        for (int k = 0; k < layout_.lead; ++k) w += cols[static_cast<size_t>(k)].width + kGap;
        if (w < linesize_ / 2) nid = layout_.lead;
    }
    std::vector<int> cur;
    int width = 0;
    for (int k = 0; k < n; ++k) {
        int w = cols[k].width + (cur.empty() ? 0 : kGap);
        bool onlyid = nid > 0 && static_cast<int>(cur.size()) == nid && k >= nid;
        if (!cur.empty() && width + w > linesize_ && !onlyid && k >= nid) {
            panels_.push_back(cur);
            cur.clear();
            width = 0;
            for (int j = 0; j < nid; ++j) {
                width += cols[static_cast<size_t>(j)].width + (cur.empty() ? 0 : kGap);
                cur.push_back(j);
            }
            w = cols[k].width + (cur.empty() ? 0 : kGap);
        }
        cur.push_back(k);
        width += w;
    }
    if (!cur.empty() || panels_.empty()) panels_.push_back(cur);
}

bool ListingTable::open(const std::string& dir, std::string& err) {
    for (size_t p = 0; p < panels_.size(); ++p) {
        spools_.push_back(std::make_unique<Spool>());
        if (!spools_.back()->open(dir, err)) return false;
    }
    return true;
}

std::string_view ListingTable::line(const RowTexts& texts, size_t p, std::string& buf) const {
    // The line is blanked once and every text copied to its place: a right-justified text
    // ends at its column's right edge, a text wider than its column pushes the rest right.
    size_t need = 1;
    for (int k : panels_[p]) need += std::max(static_cast<size_t>(layout_.cols[static_cast<size_t>(k)].width),
                                              texts[static_cast<size_t>(k)].size()) + kGap;
    if (buf.size() < need) buf.resize(need);
    char* base = buf.data();
    std::memset(base, ' ', need);
    size_t at = 0;
    bool first = true;
    for (int k : panels_[p]) {
        const LayoutCol& c = layout_.cols[static_cast<size_t>(k)];
        if (!first) at += kGap;
        first = false;
        std::string_view t = texts[static_cast<size_t>(k)];
        size_t w = static_cast<size_t>(c.width);
        size_t pad = t.size() < w ? w - t.size() : 0;
        if (!t.empty()) std::memcpy(base + at + (c.right ? pad : 0), t.data(), t.size());
        at += t.size() + pad;
    }
    while (at > 0 && base[at - 1] == ' ') --at;
    base[at++] = '\n';
    return std::string_view(base, at);
}

void ListingTable::row(const RowTexts& texts) {
    for (size_t p = 0; p < panels_.size(); ++p) {
        std::string_view l = line(texts, p, line_);
        if (direct_) direct_->write(l);
        else spools_[p]->write(l);
    }
}

void ListingTable::lines(std::string_view text) {
    if (direct_) direct_->write(text);
    else spools_.front()->write(text);
}

int ListingTable::panelwidth(const std::vector<int>& panel) const {
    int w = 0;
    for (size_t i = 0; i < panel.size(); ++i) w += layout_.cols[static_cast<size_t>(panel[i])].width + (i ? kGap : 0);
    return w;
}

std::string ListingTable::headers(const std::vector<int>& panel) const {
    std::string out;
    // Spanning headers: the label centred in dashes over the spanned columns of this panel.
    bool anyspan = false;
    std::string spanline;
    for (size_t i = 0; i < panel.size();) {
        int k = panel[i];
        const LayoutSpan* sp = nullptr;
        for (auto& s : layout_.spans)
            if (s.first == k) sp = &s;
        size_t j = i;
        if (sp)
            while (j + 1 < panel.size() && panel[j + 1] <= sp->last && panel[j + 1] == panel[j] + 1) ++j;
        if (i) pad(spanline, kGap);
        if (sp && j > i) {
            anyspan = true;
            int w = 0;
            for (size_t q = i; q <= j; ++q) w += layout_.cols[static_cast<size_t>(panel[q])].width + (q > i ? kGap : 0);
            std::string label = sp->label.empty() ? std::string() : " " + sp->label + " ";
            if (static_cast<int>(label.size()) > w) label = sp->label.substr(0, static_cast<size_t>(w));
            int left = (w - static_cast<int>(label.size())) / 2;
            spanline.append(static_cast<size_t>(left), '-');
            spanline += label;
            spanline.append(static_cast<size_t>(w - left - static_cast<int>(label.size())), '-');
            i = j + 1;
        } else {
            pad(spanline, static_cast<size_t>(layout_.cols[static_cast<size_t>(k)].width));
            ++i;
        }
    }
    if (anyspan) {
        rtrim(spanline);
        out += spanline + "\n";
    }
    std::string line;
    for (size_t i = 0; i < panel.size(); ++i) {
        const LayoutCol& c = layout_.cols[static_cast<size_t>(panel[i])];
        if (i) pad(line, kGap);
        size_t w = static_cast<size_t>(c.width), n = c.header.size();
        if (c.right && n < w) pad(line, w - n);
        line += c.header;
        if (!c.right && n < w) pad(line, w - n);
    }
    rtrim(line);
    // No blank header line when every header is empty (the convergence status).
    if (!line.empty() || anyspan) out += line + "\n";
    return out;
}

void ListingTable::begin(Listing& out, bool noheader) {
    std::string head;
    int w = panelwidth(panels_.front());
    for (auto& t : layout_.titles) head += centred(t, w) + "\n";
    if (!layout_.titles.empty()) head += "\n";
    if (!noheader) head += headers(panels_.front());
    out.write(head);
    direct_ = &out;
}

bool ListingTable::suspend(const std::string& dir, std::string& err) {
    if (!direct_) return true;
    direct_->write("\n");
    direct_ = nullptr;
    continued_ = true;
    return open(dir, err);
}

bool ListingTable::publish(Listing& out, bool noheader) const {
    if (direct_) {
        out.write("\n");
        return true;
    }
    bool ok = true;
    std::string head;
    int w = panelwidth(panels_.front());
    if (!continued_)
        for (auto& t : layout_.titles) head += centred(t, w) + "\n";
    if (!layout_.titles.empty() && !continued_) head += "\n";
    for (size_t p = 0; p < panels_.size(); ++p) {
        if (p) head += "\n";
        if (!noheader) head += headers(panels_[p]);
        out.write(head);
        head.clear();
        ok = out.appendspool(*spools_[p]) && ok;
    }
    out.write("\n");
    return ok;
}

}  // namespace rt::out
