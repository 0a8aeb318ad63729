// Finding a catalog message in a collected log by its number: a line holds the longest piece
// of the catalog text between its substitutions.
#pragma once
#include <string>

#include "runtime/supervisor/messages.h"
#include "tests/support/collectlog.h"

namespace testsupport {

// The longest piece of the text of message group/n between substitutions; empty when the
// catalog has no such message.
inline std::string msgpiece(int group, int n) {
    const rt::msg::Entry* e = rt::msg::find(group, n);
    if (!e) return {};
    std::string best, piece;
    const std::string& t = e->text;
    for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || (t[i] == '%' && i + 1 < t.size() && t[i + 1] >= '1' && t[i + 1] <= '9')) {
            if (piece.size() > best.size()) best = piece;
            piece.clear();
            ++i;
        } else {
            piece += t[i];
        }
    }
    return best;
}

// Whether message group/n was logged (of the kind, when given).
inline bool hasmsg(const CollectLog& log, int group, int n, char kind = 0) {
    const std::string p = msgpiece(group, n);
    return !p.empty() && (kind ? log.has(kind, p) : log.has(p));
}

// The lines that hold message group/n.
inline int countmsg(const CollectLog& log, int group, int n) {
    const std::string p = msgpiece(group, n);
    int k = 0;
    for (const auto& l : log.lines) k += !p.empty() && l.text.find(p) != std::string::npos;
    return k;
}

}  // namespace testsupport
