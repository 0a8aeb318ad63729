// The HTML destination: report.html assembled from its head, body spool and tail, and the
// rows of a table written as they come.
#include "runtime/output/html.h"

#include <cstring>

namespace rt::out {

namespace {
const char* kHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>VITALYX report</title>\n"
    "<style>\n"
    "body{font-family:sans-serif;margin:1.5em;color:#111}\n"
    "table.vx{border-collapse:collapse;margin:0.5em 0 1.5em 0}\n"
    "table.vx caption{font-weight:bold;padding:0.3em;caption-side:top}\n"
    "table.vx th,table.vx td{border:1px solid #bbb;padding:0.15em 0.5em}\n"
    "table.vx th{background:#eef}\n"
    "table.vx td,th.r{text-align:right}\n"
    "table.vx td.l,th.l{text-align:left}\n"
    "p.byline{font-weight:bold;border-bottom:1px solid #888}\n"
    "tr.omitted td{font-style:italic;text-align:center;background:#f6f6f6}\n"
    "p.note{font-style:italic}\n"
    "p.source{font-family:monospace;color:#333}\n"
    "p.log{font-family:monospace;margin:0.2em 0}\n"
    "p.log.error{color:#a00;font-weight:bold}\n"
    "p.log.warning{color:#950}\n"
    "p.log.note{color:#444}\n"
    "p.log span.level{font-weight:bold}\n"
    "figure.plot{border:1px dashed #aaa;padding:0.5em}\n"
    "figure.pages{margin:0.5em 0 1.5em 0}\n"
    "figure.pages svg,figure.pages img{display:block;max-width:100%;height:auto;margin-bottom:0.5em}\n"
    "</style>\n</head>\n<body>\n";
const char* kTail = "</body>\n</html>\n";
}  // namespace

std::string htmlescape(std::string_view s) {
    std::string o;
    o.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': o += "&amp;"; break;
        case '<': o += "&lt;"; break;
        case '>': o += "&gt;"; break;
        case '"': o += "&quot;"; break;
        default: o += c;
        }
    }
    return o;
}

bool Html::open(const std::string& dir, std::string& err) {
    if (!out_.open(dir + "/report.html", err)) return false;
    out_.write(kHead);
    return true;
}

bool Html::appendspool(const Spool& s) { return s.appendto(out_.file()); }

bool Html::commit(std::string& err) {
    out_.write(kTail);
    return out_.commit(err);
}

namespace {
char* put(char* o, std::string_view s) {
    std::memcpy(o, s.data(), s.size());
    return o + s.size();
}

// The row's line, composed in place into line (room for the tags and for every text
// character escaped, "&amp;"); text(k) gives the text of column k.
template <class Text>
std::string_view composerow(const Layout& layout, Text text, std::string& line) {
    const size_t n = layout.cols.size();
    size_t need = 16;
    for (size_t k = 0; k < n; ++k) need += 20 + 5 * text(k).size();
    if (line.size() < need) line.resize(need);
    char* const base = line.data();
    char* o = put(base, "<tr>");
    for (size_t k = 0; k < n; ++k) {
        std::string_view t = text(k);
        // number texts are escaped too: a p-value prints as "<.0001"
        o = put(o, layout.cols[k].right ? "<td>" : "<td class=\"l\">");
        for (char ch : t) {
            switch (ch) {
            case '&': o = put(o, "&amp;"); break;
            case '<': o = put(o, "&lt;"); break;
            case '>': o = put(o, "&gt;"); break;
            default: *o++ = ch;
            }
        }
        o = put(o, "</td>");
    }
    o = put(o, "</tr>\n");
    return std::string_view(base, static_cast<size_t>(o - base));
}

// A row kept for the end of the report: its texts, each after its length.
std::string_view kepttext(const std::string& kept, size_t k) {
    size_t at = 0;
    uint32_t len;
    for (;; --k) {
        std::memcpy(&len, kept.data() + at, sizeof len);
        at += sizeof len;
        if (k == 0) return std::string_view(kept.data() + at, len);
        at += len;
    }
}
}  // namespace

void HtmlTable::row(const RowTexts& texts) {
    if (rows_seen_++ < kReportHead) {
        const std::string_view l = compose(texts, line_);
        if (direct_) direct_->write(l);
        else rows_.write(l);
        return;
    }
    // Past the head a row is kept as its texts: most are overwritten by later rows before
    // the tail is shown, and only the last ones are composed.
    std::string& kept = slot();
    kept.clear();   // the slot's earlier row left room enough, mostly
    keepform(texts, kept);
}

std::string_view HtmlTable::compose(const RowTexts& texts, std::string& buf) const {
    return composerow(layout_, [&texts](size_t k) { return texts[k]; }, buf);
}

void HtmlTable::keepform(const RowTexts& texts, std::string& out) const {
    const size_t n = layout_.cols.size();
    size_t need = n * sizeof(uint32_t);
    for (size_t k = 0; k < n; ++k) need += texts[k].size();
    const size_t at = out.size();
    out.resize(at + need);
    char* o = out.data() + at;
    for (size_t k = 0; k < n; ++k) {
        const std::string_view t = texts[k];
        const auto len = static_cast<uint32_t>(t.size());
        std::memcpy(o, &len, sizeof len);
        std::memcpy(o + sizeof len, t.data(), t.size());
        o += sizeof len + t.size();
    }
}

std::string& HtmlTable::slot() {
    if (last_.size() < static_cast<size_t>(kReportTail)) return last_.emplace_back();
    std::string& s = last_[lastat_];
    lastat_ = (lastat_ + 1) % last_.size();
    return s;
}

void HtmlTable::rows(std::string_view composed, long long ncomposed, long long passed, std::string_view kept,
                     const std::vector<uint32_t>& keptends) {
    if (ncomposed > 0) {
        if (direct_) direct_->write(composed);
        else rows_.write(composed);
    }
    rows_seen_ += ncomposed + passed;
    size_t from = 0;
    for (uint32_t end : keptends) {
        ++rows_seen_;
        slot().assign(kept.data() + from, end - from);
        from = end;
    }
}

namespace {
// 1294722 as 1,294,722.
std::string grouped(long long v) {
    const std::string n = std::to_string(v);
    const size_t sign = v < 0 ? 1 : 0;
    std::string out(n, 0, sign);
    for (size_t k = sign; k < n.size(); ++k) {
        if (k > sign && (n.size() - k) % 3 == 0) out += ',';
        out += n[k];
    }
    return out;
}
}  // namespace

std::string HtmlTable::tail() const {
    std::string t;
    const long long left = rows_seen_ - kReportHead - static_cast<long long>(last_.size());
    if (left > 0) {
        t = "<tr class=\"omitted\"><td class=\"l\" colspan=\"" + std::to_string(layout_.cols.size()) + "\">" +
            grouped(left) + (left == 1 ? " row" : " rows") + " of " + grouped(rows_seen_) +
            " left out of the report here: listing.txt holds the whole table";
        if (!name_.empty()) t += ", and MAKE '" + htmlescape(name_) + "' OUT=name; saves it as a data set";
        t += ".</td></tr>\n";
    }
    std::string line;
    for (size_t k = 0; k < last_.size(); ++k) {
        const std::string& kept = last_[(lastat_ + k) % last_.size()];
        t += composerow(layout_, [&kept](size_t c) { return kepttext(kept, c); }, line);
    }
    return t;
}

std::string HtmlTable::head(const std::string& id, bool noheader, bool caption) const {
    std::string h = std::string(noheader ? "<table class=\"vx info\" id=\"" : "<table class=\"vx\" id=\"") +
                    htmlescape(id) + "\">\n";
    if (caption && !layout_.titles.empty()) {
        h += "<caption>";
        // The rest of a table that something else interrupted names the table again.
        if (continued_) h += htmlescape(layout_.titles.front()) + " (continued)";
        else
            for (size_t i = 0; i < layout_.titles.size(); ++i) h += (i ? "<br>" : "") + htmlescape(layout_.titles[i]);
        h += "</caption>\n";
    }
    // No header strip when every column header is empty (the convergence status).
    bool headers = !layout_.spans.empty();
    for (const LayoutCol& c : layout_.cols) headers = headers || !c.header.empty();
    if (noheader || !headers) return h + "<tbody>\n";
    h += "<thead>\n";
    if (!layout_.spans.empty()) {
        h += "<tr>";
        int n = static_cast<int>(layout_.cols.size());
        for (int k = 0; k < n;) {
            const LayoutSpan* sp = nullptr;
            for (auto& s : layout_.spans)
                if (s.first == k) sp = &s;
            if (sp) {
                h += "<th colspan=\"" + std::to_string(sp->last - sp->first + 1) + "\">" + htmlescape(sp->label) + "</th>";
                k = sp->last + 1;
            } else {
                h += "<th></th>";
                ++k;
            }
        }
        h += "</tr>\n";
    }
    h += "<tr>";
    for (const LayoutCol& c : layout_.cols)
        h += std::string(c.right ? "<th class=\"r\">" : "<th class=\"l\">") + htmlescape(c.header) + "</th>";
    h += "</tr>\n</thead>\n<tbody>\n";
    return h;
}

void HtmlTable::begin(Html& out, const std::string& id, bool noheader) {
    out.write(head(id, noheader, true));
    direct_ = &out;
}

bool HtmlTable::suspend(const std::string& dir, std::string& err) {
    if (!direct_) return true;
    // The part shown so far ends with its own tail; the rows that follow count anew.
    direct_->write(tail() + "</tbody>\n</table>\n");
    rows_seen_ = 0;
    last_.clear();
    lastat_ = 0;
    direct_ = nullptr;
    continued_ = true;
    return open(dir, err);
}

bool HtmlTable::publish(Html& out, const std::string& id, bool noheader) const {
    if (direct_) {
        out.write(tail() + "</tbody>\n</table>\n");
        return true;
    }
    out.write(head(continued_ ? id + "c" : id, noheader, true));
    bool ok = out.appendspool(rows_);
    out.write(tail() + "</tbody>\n</table>\n");
    return ok;
}

}  // namespace rt::out
