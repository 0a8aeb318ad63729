// The device state of the current program.
#include "runtime/graphics/devstate.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include "runtime/graphics/device.h"
#include "runtime/session.h"
#include "runtime/supervisor/supervisor.h"

namespace rt::gfx {

namespace {
std::unique_ptr<DeviceState>& holder() {
    static std::unique_ptr<DeviceState> s;
    return s;
}
}  // namespace

DeviceState& devstate(const Session* s) {
    auto& h = holder();
    if (!h) {
        h = std::make_unique<DeviceState>();
        if (s) {
            h->dir = (s->outdir.empty() ? std::string(".") : s->outdir) + "/graphics";
            h->record = s->recordpages;
            h->plotwritten = s->filewritten;
            h->plotours = s->fileours;
        }
    }
    return *h;
}

DeviceState* begundevstate() { return holder().get(); }

void resetdevstate() { holder().reset(); }

const ggdevice& DeviceState::dev() const { return device ? *device : defaultdevice(); }

double DeviceState::wpt() const {
    if (current) return current->wpt;
    if (state && (state->flags & GGS_WIDTH) && state->width > 0) return state->width * 72.0;
    return dev().pagew * 72.0;
}
double DeviceState::hpt() const {
    if (current) return current->hpt;
    if (state && (state->flags & GGS_HEIGHT) && state->height > 0) return state->height * 72.0;
    return dev().pageh * 72.0;
}

Rgb DeviceState::color(int number) const {
    if (number >= 1 && number <= static_cast<int>(colors.size())) return colors[static_cast<size_t>(number - 1)];
    return colors.empty() ? Rgb{} : colors[0];
}

int DeviceState::colornumber(const std::string& wanted) {
    std::string name = colorkey(wanted.c_str(), static_cast<int>(wanted.size()));
    if (colors.empty()) {
        const ggdevice& d = dev();
        for (int k = 0; k < d.ncolors; ++k) {
            std::string n = colorkey(d.colors[k], 8);
            Rgb c;
            parsecolor(n, c);
            colornames.push_back(n);
            colors.push_back(c);
        }
    }
    if (name.empty()) return 1;
    for (size_t k = 0; k < colornames.size(); ++k)
        if (colornames[k] == name) return static_cast<int>(k + 1);
    Rgb c;
    if (!parsecolor(name, c)) {
        if (warned.insert("C" + name).second)
            sup::logline('W', "The colour " + name + " is not known; the device's first colour is used.");
        return 1;
    }
    colornames.push_back(name);
    colors.push_back(c);
    return static_cast<int>(colors.size());
}

Page* DeviceState::page(uint32_t id) {
    for (auto& p : pages)
        if (p->id == id) return p.get();
    return nullptr;
}

void DeviceState::putinplace(Page& p, bool ok) {
    p.written = ok && writefiles;
    if (!p.written || !plotwritten) return;
    for (const std::string* path : {&p.svgpath, &p.pngpath})
        if (!path->empty()) plotwritten(*path);
}

// Names are made safe for files (letters, digits and underscores) and unique within the
// run: a name met before gets the first free number appended (PROBPLOT, PROBPLOT1, ...).
std::string DeviceState::uniquename(const std::string& wanted) {
    std::string base;
    for (char c : wanted) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == ' ' && base.empty()) continue;
        base.push_back(std::isalnum(u) ? static_cast<char>(std::toupper(u)) : '_');
    }
    while (!base.empty() && base.back() == '_') base.pop_back();
    if (base.empty()) base = "GRAPH";
    std::string name = base;
    for (int k = 1; names.count(name); ++k) name = base + std::to_string(k);
    names.insert(name);
    return name;
}

const Page* findpage(uint32_t id) { return holder() ? holder()->page(id) : nullptr; }

std::vector<const Page*> allpages() {
    std::vector<const Page*> v;
    if (holder())
        for (auto& p : holder()->pages) v.push_back(p.get());
    return v;
}

}  // namespace rt::gfx
