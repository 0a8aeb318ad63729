// The confidence level of a title as text (conflevel.h).
#include "proc/framework/conflevel.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "proc/framework/hostsvc.h"
#include "proc/framework/memnum.h"
#include "proc/framework/msg510.h"

namespace vx {

namespace {

// Does the percentage `text` stand for the level whose alpha is 1 - level?
bool readsback(const char* text, double alpha) {
    const double level = std::strtod((std::string(text) + "e-2").c_str(), nullptr);
    return 1.0 - level == alpha;
}

}  // namespace

conftext conflevel(double alpha) {
    conftext c{};
    // The shortest text that reads back as the percentage, with at most 15 significant digits
    // (as a number in a message is shown).
    const double p = confpercent(alpha);
    auto r = std::to_chars(c.text, c.text + sizeof c.text - 1, p);
    int digits = 0;
    bool lead = true;
    for (const char* q = c.text; q < r.ptr && *q != 'e'; ++q) {
        if (*q < '0' || *q > '9') continue;
        if (lead && *q == '0') continue;
        lead = false;
        ++digits;
    }
    if (digits > 15) r = std::to_chars(c.text, c.text + sizeof c.text - 1, p, std::chars_format::general, 15);
    *r.ptr = '\0';
    c.len = static_cast<int>(r.ptr - c.text);
    if (readsback(c.text, alpha)) return c;
    // The fewest significant digits of the level 1 - alpha (exact for a level of 1/2 or more)
    // that give back alpha, written as a percentage by moving the decimal point.
    const double level = 1.0 - alpha;
    for (int d = 1; d <= 17; ++d) {
        char e[48];
        std::snprintf(e, sizeof e, "%.*e", d - 1, level);
        if (!(1.0 - std::strtod(e, nullptr) == alpha)) continue;
        std::string digits;
        const char* q = e;
        for (; *q && *q != 'e'; ++q)
            if (*q >= '0' && *q <= '9') digits += *q;
        const int point = (*q == 'e' ? std::atoi(q + 1) : 0) + 3;   // digits before the point
        std::string t;
        if (point <= 0) {
            t.append("0.");
            t.append(static_cast<size_t>(-point), '0');
            t.append(digits);
        } else {
            if (static_cast<int>(digits.size()) < point) digits.append(static_cast<size_t>(point) - digits.size(), '0');
            t.append(digits, 0, static_cast<size_t>(point));
            if (static_cast<int>(digits.size()) > point) {
                t.push_back('.');
                t.append(digits, static_cast<size_t>(point), std::string::npos);
            }
        }
        if (t.find('.') != std::string::npos)
            while (t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
        if (t.size() >= sizeof c.text) break;
        std::memcpy(c.text, t.c_str(), t.size() + 1);
        c.len = static_cast<int>(t.size());
        return c;
    }
    return c;
}

bool zerolevelnote(double conf) {
    if (!(conf > 0.0 && 1.0 - conf == 1.0)) return false;
    xpmlog(510, N510_CONFIDENCE_TAKEN_AS_ZERO, conf);
    return true;
}

}  // namespace vx
