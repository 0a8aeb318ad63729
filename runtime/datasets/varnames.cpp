// Header names made valid variable names when a data set is opened.
#include "runtime/datasets/varnames.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "runtime/util/strings.h"

namespace rt::ds {
namespace {

bool namechar(unsigned char c) { return std::isalnum(c) || c == '_'; }

bool valid(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (unsigned char c : s)
        if (!namechar(c)) return false;
    return true;
}

// The name with every other character an underscore; a leading digit gets one in front.
std::string mended(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (namechar(c)) {
            out += static_cast<char>(c);
            continue;
        }
        out += '_';
        // The continuation bytes of a UTF-8 sequence belong to the same character.
        if (c >= 0xC0)
            while (i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) ++i;
    }
    if (out.empty() || std::isdigit(static_cast<unsigned char>(out[0]))) out.insert(out.begin(), '_');
    return out;
}

}  // namespace

std::vector<Renaming> validnames(std::vector<std::string>& names, size_t limit) {
    std::vector<Renaming> out;
    std::unordered_set<std::string> taken;   // upper case
    for (const auto& n : names)
        if (valid(n)) taken.insert(util::upper(n));
    for (size_t j = 0; j < names.size(); ++j) {
        if (valid(names[j])) continue;
        std::string base = mended(names[j]);
        if (base.size() > limit) base.resize(limit);
        std::string to = base;
        for (int k = 2; taken.count(util::upper(to)); ++k) {
            const std::string suffix = std::to_string(k);
            to = base.substr(0, std::min(base.size(), limit - suffix.size())) + suffix;
        }
        taken.insert(util::upper(to));
        out.push_back({j, names[j], to});
        names[j] = to;
    }
    return out;
}

}  // namespace rt::ds
