// The closest valid keyword to a misspelt one, for messages.
#include "runtime/statements/suggest.h"
#include <algorithm>

namespace rt::stmt {

int editdistance(const std::string& a, const std::string& b) {
    const size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
    for (size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i) {
        for (size_t j = 1; j <= m; ++j) {
            int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

std::string closest(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    int bestd = 1 << 30;
    // more than about a third of the word changed is no longer a spelling slip
    const int limit = std::max<int>(2, static_cast<int>(word.size()) / 3 + 1);
    for (const auto& c : candidates) {
        // the lengths alone tell that c is too far (so a very long word costs nothing)
        const int apart = static_cast<int>(word.size() > c.size() ? word.size() - c.size() : c.size() - word.size());
        const bool abbreviation = c.size() > word.size() && c.compare(0, word.size(), word) == 0;
        if (apart > limit && !abbreviation) continue;
        int dist = editdistance(word, c);
        // a candidate that begins with the word (an abbreviation) counts as close
        if (c.size() > word.size() && c.compare(0, word.size(), word) == 0) dist = std::min(dist, 1);
        if (dist < bestd) {
            bestd = dist;
            best = c;
        }
    }
    return bestd <= limit ? best : std::string();
}

bool matches(const char* names, const std::string& kw) {
    const size_t n = kw.size();
    for (const char* p = names; p && *p;) {
        const char* e = p;
        while (*e && *e != '|') ++e;
        if (static_cast<size_t>(e - p) == n && std::equal(p, e, kw.data())) return true;
        p = *e ? e + 1 : e;
    }
    return false;
}

std::string first(const char* names) {
    const char* e = names;
    while (*e && *e != '|') ++e;
    return std::string(names, e);
}

std::vector<std::string> aliases(const char* names) {
    std::vector<std::string> out;
    std::string cur;
    for (const char* p = names; p && *p; ++p) {
        if (*p == '|') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (names) out.push_back(cur);
    return out;
}

}  // namespace rt::stmt
