// Modules, named globals and name suffixes of the supervisor. The procedure's graphics
// modules are part of this runtime: loading one of them succeeds at once. Named globals
// are slots of the run, looked up by name and page; they live until the program ends.
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/session.h"
#include "runtime/supervisor/svcextra.h"

namespace rt::sup {

namespace {

struct Slot {
    void* value = nullptr;
    void (*cleanup)(void*) = nullptr;
};
struct Globals {
    std::vector<Slot> slots;                       // id = index + 1
    std::map<std::string, int32_t> names;        // one name space: the page argument is not used
    std::vector<void*> exits;
};
Globals& globals() {
    static Globals g;
    return g;
}

std::string key(const char* name, int length) {
    std::string s(name ? name : "", name ? strnlen(name, static_cast<size_t>(length < 0 ? 256 : length)) : 0);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

const char* const kRuntimeModules[] = {"ZORCHT7", "ZORXGSUB", "ZORXGGXL", "ZORXGANO"};

int wiinstl(int, const char* name, int) {
    std::string n = key(name, 8);
    for (const char* m : kRuntimeModules)
        if (n == m) return 0;
    return 1;
}

int xytngl(void*, int page, const char* name, int length, int32_t* id, void** value) {
    auto& g = globals();
    (void)page;
    auto it = g.names.find(key(name, length));
    if (it == g.names.end()) return XY_NOTPRESENT;
    if (id) *id = it->second;
    if (value) *value = g.slots[static_cast<size_t>(it->second - 1)].value;
    return 0;
}

int xytnsl(void*, int page, const char* name, int length, int32_t id) {
    auto& g = globals();
    if (id < 1 || id > static_cast<int32_t>(g.slots.size())) return 1;
    (void)page;
    g.names[key(name, length)] = id;
    return 0;
}

int wtrscrt(void*, int32_t* id, int, void (*cleanup)(void*)) {
    auto& g = globals();
    g.slots.push_back(Slot{nullptr, cleanup});
    if (id) *id = static_cast<int32_t>(g.slots.size());
    return 0;
}

int wtrsset(void*, int32_t id, void* value) {
    auto& g = globals();
    if (id < 1 || id > static_cast<int32_t>(g.slots.size())) return 1;
    g.slots[static_cast<size_t>(id - 1)].value = value;
    return 0;
}

int xytexit(void* entry) {
    globals().exits.push_back(entry);
    return 0;
}

void endglobals() {
    auto& g = globals();
    for (Slot& s : g.slots)
        if (s.cleanup) s.cleanup(s.value);
    g = Globals{};
}

int znamsuf(int, const char* name, int namelen, char* prefix, int prefixlen, int32_t* number) {
    std::string n = key(name, namelen);
    size_t d = n.size();
    while (d > 0 && std::isdigit(static_cast<unsigned char>(n[d - 1]))) --d;
    int32_t v = 0;
    bool has = d < n.size() && n.size() - d <= 9;
    if (has) v = static_cast<int32_t>(std::stol(n.substr(d)));
    if (prefix && prefixlen > 0) {
        std::memset(prefix, ' ', static_cast<size_t>(prefixlen));
        std::memcpy(prefix, n.data(), std::min(has ? d : n.size(), static_cast<size_t>(prefixlen)));
    }
    if (number) *number = has ? v : 0;
    return has ? 0 : 1;
}

}  // namespace rt::sup
