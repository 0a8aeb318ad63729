// The dynamic variables of a graph request, looked up by name, and their lists of numbers
// and quoted labels.
#include "runtime/sgraph/vars.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include "runtime/util/numbers.h"
#include "runtime/util/strings.h"

namespace rt::sgr {

using rt::out::GraphValue;

namespace {
const GraphValue* lookup(const std::vector<std::pair<std::string, GraphValue>>& v, std::string_view name) {
    for (auto& [n, val] : v)
        if (util::iequal(n, name)) return &val;
    return nullptr;
}
std::string astext(const GraphValue* v, std::string_view def) {
    if (!v) return std::string(def);
    if (v->kind == GraphValue::Text) return v->s;
    if (v->kind == GraphValue::Int) return std::to_string(v->i);
    char b[32];
    std::snprintf(b, sizeof b, "%.15g", v->d);
    return b;
}
int asint(const GraphValue* v, int def) {
    if (!v) return def;
    if (v->kind == GraphValue::Int) return v->i;
    if (v->kind == GraphValue::Double) return std::isfinite(v->d) ? rt::util::toint(v->d) : def;
    return v->s.empty() ? def : std::atoi(v->s.c_str());
}
}  // namespace

const GraphValue* Vars::find(std::string_view name) const { return lookup(g_.vars, name); }
const GraphValue* Vars::findinset(std::string_view name) const { return lookup(g_.extravars, name); }

std::string Vars::text(std::string_view name, std::string_view def) const { return astext(find(name), def); }
int Vars::integer(std::string_view name, int def) const { return asint(find(name), def); }
double Vars::number(std::string_view name, double def) const {
    const GraphValue* v = find(name);
    if (!v) return def;
    if (v->kind == GraphValue::Double) return v->d;
    if (v->kind == GraphValue::Int) return v->i;
    char* end = nullptr;
    double d = std::strtod(v->s.c_str(), &end);
    return end && end != v->s.c_str() ? d : def;
}
std::string Vars::insettext(std::string_view name, std::string_view def) const { return astext(findinset(name), def); }
int Vars::insetint(std::string_view name, int def) const { return asint(findinset(name), def); }

std::vector<double> numberlist(std::string_view s) {
    std::vector<double> v;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        if (j > i) {
            std::string w(s.substr(i, j - i));
            char* end = nullptr;
            double d = std::strtod(w.c_str(), &end);
            if (end && *end == '\0' && std::isfinite(d)) v.push_back(d);
        }
        i = j;
    }
    return v;
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> quotedlist(std::string_view s) {
    std::vector<std::string> v;
    size_t i = 0;
    while (i < s.size()) {
        size_t a = s.find('\'', i);
        if (a == std::string_view::npos) break;
        size_t b = s.find('\'', a + 1);
        if (b == std::string_view::npos) break;
        v.push_back(trim(s.substr(a + 1, b - a - 1)));
        i = b + 1;
    }
    return v;
}

}  // namespace rt::sgr
