// Output texts: the handles of rdxtxt, rdxtxts, rdxmsg and rdxmsgs, valid until the end of
// the step, and the substitution of their arguments.
#include "runtime/output/texts.h"

#include <cstdio>
#include <cstring>
#include "runtime/supervisor/messages.h"
#include "runtime/util/numbers.h"

namespace rt::out {

txthandle TextStore::make(std::string text) {
    texts_.push_back(rdxtext{std::move(text)});
    return &texts_.back();
}

txthandle TextStore::message(int group, int n) {
    auto key = std::make_pair(group, n);
    auto it = messages_.find(key);
    if (it != messages_.end()) return it->second;
    txthandle h = make(rt::msg::text(group, n, 0, nullptr));
    messages_.emplace(key, h);
    return h;
}

void TextStore::clear() {
    messages_.clear();
    texts_.clear();
}

namespace {

long long intof(const msgarg& a) { return a.kind == msgarg::DBL ? rt::util::tolonglong(a.d) : a.i; }
double dblof(const msgarg& a) { return a.kind == msgarg::DBL ? a.d : static_cast<double>(a.i); }

std::string textarg(const msgarg& a) {
    if (a.kind == msgarg::TEXT) {
        if (!a.s) return {};
        size_t n = a.len >= 0 ? static_cast<size_t>(a.len) : std::strlen(a.s);
        return std::string(a.s, strnlen(a.s, n));
    }
    return rt::msg::argtext(a);
}

}  // namespace

std::string formattext(std::string_view f, int nargs, const msgarg* args) {
    std::string out;
    int next = 0;
    auto take = [&]() -> const msgarg* { return next < nargs ? &args[next++] : nullptr; };
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            out += f[i];
            continue;
        }
        if (i + 1 < f.size() && f[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Collect one conversion: flags, width, precision, length modifiers, conversion.
        std::string conversion = "%";
        size_t j = i + 1;
        while (j < f.size() && std::strchr("-+ #0", f[j])) conversion += f[j++];
        if (j < f.size() && f[j] == '*') {
            const msgarg* a = take();
            conversion += std::to_string(a ? intof(*a) : 0);
            ++j;
        }
        while (j < f.size() && f[j] >= '0' && f[j] <= '9') conversion += f[j++];
        if (j < f.size() && f[j] == '.') {
            conversion += f[j++];
            if (j < f.size() && f[j] == '*') {
                const msgarg* a = take();
                conversion += std::to_string(a ? intof(*a) : 0);
                ++j;
            }
            while (j < f.size() && f[j] >= '0' && f[j] <= '9') conversion += f[j++];
        }
        while (j < f.size() && std::strchr("hlLqjzt", f[j])) ++j;
        if (j >= f.size()) {
            out += f.substr(i);
            break;
        }
        char conv = f[j];
        const msgarg* a = take();
        char buf[512];
        buf[0] = 0;
        switch (conv) {
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
            conversion += "ll";
            conversion += conv;
            std::snprintf(buf, sizeof buf, conversion.c_str(), a ? intof(*a) : 0LL);
            break;
        case 'g': case 'G': case 'e': case 'E': case 'f': case 'F':
            conversion += conv;
            std::snprintf(buf, sizeof buf, conversion.c_str(), a ? dblof(*a) : 0.0);
            break;
        case 'c':
            conversion += 'c';
            std::snprintf(buf, sizeof buf, conversion.c_str(),
                          a ? (a->kind == msgarg::TEXT && a->s ? a->s[0] : static_cast<int>(intof(*a))) : ' ');
            break;
        default: {  // 's' and anything unknown: the argument as text
            std::string t = a ? textarg(*a) : std::string();
            conversion += 's';
            int n = std::snprintf(nullptr, 0, conversion.c_str(), t.c_str());
            std::string s(n > 0 ? static_cast<size_t>(n) : 0, ' ');
            if (n > 0) std::snprintf(s.data(), s.size() + 1, conversion.c_str(), t.c_str());
            out += s;
            i = j;
            continue;
        }
        }
        out += buf;
        i = j;
    }
    return out;
}

}  // namespace rt::out
