// The device state of the current program.
#include "runtime/graphics/devstate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include "runtime/graphics/device.h"
#include "runtime/session.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/util/paths.h"

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

namespace {

// Why the folder at path cannot take the plots ("a link to nowhere, which does not exist"),
// or empty when it can.
std::string foldertrouble(const std::string& path) {
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) return std::string("not there and cannot be made (") + std::strerror(errno) + ")";
    if (S_ISLNK(own.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        std::string to(1, '\'');
        to.append(n > 0 ? std::string_view(target, static_cast<size_t>(n)) : std::string_view("?"));
        to.push_back('\'');
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return errno == ELOOP     ? "a link to " + to + " that goes round in a loop of links"
                   : errno == ENOENT ? "a link to " + to + ", which does not exist"
                                     : "a link to " + to + " that cannot be followed (" + std::strerror(errno) + ")";
        if (!S_ISDIR(st.st_mode)) return "a link to " + to + ", which is not a folder";
    } else if (!S_ISDIR(own.st_mode)) {
        return "a file, not a folder";
    }
    if (::access(path.c_str(), W_OK | X_OK) != 0) return std::string("a folder that this run cannot write into (") + std::strerror(errno) + ")";
    return {};
}

}  // namespace

bool DeviceState::filesready() {
    if (!writefiles) return false;
    if (folder_ == 0) {
        ::mkdir(dir.c_str(), 0777);   // a name that is taken stays as it is
        const std::string trouble = foldertrouble(dir);
        folder_ = trouble.empty() ? 1 : -1;
        if (folder_ < 0) {
            const auto [out, leaf] = util::splitpath(dir);
            unusable_ = leaf + "/ in the output folder " + out + " is " + trouble;
            sup::logline('E', "No plot of this run is drawn: " + unusable_ + ". The tables are printed, and " + leaf +
                                  "/ stays as it is; remove or rename it, or give another output folder (--out).");
        }
    }
    return folder_ > 0;
}

const Page* findpage(uint32_t id) { return holder() ? holder()->page(id) : nullptr; }

std::vector<const Page*> allpages() {
    std::vector<const Page*> v;
    if (holder())
        for (auto& p : holder()->pages) v.push_back(p.get());
    return v;
}

}  // namespace rt::gfx
