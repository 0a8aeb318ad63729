#include "parsehelp.h"

namespace vxtest {

std::string keyword(const stmtrec* r) {
    std::string k(r->keyword, STMT_KEYLEN);
    k.erase(k.find_last_not_of(' ') + 1);
    return k;
}
std::string name8(const optslot* s) { return s ? std::string(s->name, 8) : std::string("<none>"); }
std::string text(const optslot* s) {
    return s && s->ptr ? std::string(static_cast<const char*>(s->ptr), static_cast<size_t>(s->count)) : "<none>";
}
std::vector<double> numbers(const optslot* s) {
    if (!s || !s->ptr) return {};
    const double* p = static_cast<const double*>(s->ptr);
    return std::vector<double>(p, p + s->count);
}
std::vector<int32_t> vars(const optslot* s) {
    if (!s || s->kind != SK_VARLIST) return {};
    const int32_t* p = static_cast<const int32_t*>(s->ptr);
    return std::vector<int32_t>(p, p + s->count);
}
std::vector<std::string> strings(const optslot* s) {
    std::vector<std::string> out;
    if (!s) return out;
    if (s->kind == SK_QSTRING || s->kind == SK_TEXT) return {text(s)};
    const slstring* p = static_cast<const slstring*>(s->ptr);
    for (int i = 0; i < s->count; ++i) out.emplace_back(p[i].s, static_cast<size_t>(p[i].len));
    return out;
}
std::vector<std::string> names(const optslot* s) {
    std::vector<std::string> out;
    if (!s || s->kind != SK_NAMELIST) return out;
    const slname* p = static_cast<const slname*>(s->ptr);
    for (int i = 0; i < s->count; ++i) out.emplace_back(p[i].s);
    return out;
}

}  // namespace vxtest
