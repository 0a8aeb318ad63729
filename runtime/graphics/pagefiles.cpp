// The files of a page as they are put in place (DeviceState::endpage): a file the command did
// not write that stands at their names is replaced with a NOTE, and a page without an SVG
// removes at the SVG's name only the command's own file, never through a link.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include "runtime/graphics/devstate.h"
#include "runtime/supervisor/supervisor.h"

namespace rt::gfx {
namespace {

// "graphics/name.svg": the file as the output folder holds it.
std::string shown(const std::string& path) { return "graphics/" + path.substr(path.find_last_of('/') + 1); }

// The device and inode of the entry at path itself (a link is not followed); false when none.
bool entry(const std::string& path, std::pair<dev_t, ino_t>& id) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

// Removes the plain file at path when its folder (graphics/) is a folder and not a link.
bool removeplain(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return false;
    const std::string folder = path.substr(0, slash), name = path.substr(slash + 1);
    const size_t up = folder.find_last_of('/');
    const std::string parent = up == std::string::npos ? "." : up == 0 ? "/" : folder.substr(0, up);
    const std::string leaf = up == std::string::npos ? folder : folder.substr(up + 1);
    const int p = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (p < 0) return false;
    const int g = ::openat(p, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(p);
    if (g < 0) return false;
    struct stat st {};
    const bool done = ::fstatat(g, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                      ::unlinkat(g, name.c_str(), 0) == 0;
    ::close(g);
    return done;
}

}  // namespace

bool DeviceState::endpage(Page& p) {
    auto ours = [this](const std::string& path) { return plotours && plotours(path); };
    // The files at the page's names that are not the command's, as they stand before.
    std::vector<std::pair<std::string, std::pair<dev_t, ino_t>>> foreign;
    if (p.cairo)
        for (const std::string* path : {&p.svgpath, &p.pngpath})
            if (std::pair<dev_t, ino_t> id; !path->empty() && entry(*path, id) && !ours(*path)) foreign.emplace_back(*path, id);
    const bool ok = p.tee.end();
    if (p.cairo && p.cairo->svgdropped()) {
        std::pair<dev_t, ino_t> id;
        if (entry(p.svgpath, id) && !(ours(p.svgpath) && removeplain(p.svgpath)))
            sup::logline('N', shown(p.svgpath) + " is not the SVG of the page " + p.name + " and stays: that page has more than " +
                                  std::to_string(kSvgMarkerBudget) + " markers, so only its PNG is made.");
        std::erase_if(foreign, [&p](const auto& f) { return f.first == p.svgpath; });
        p.svgpath.clear();   // the page has no SVG
    }
    putinplace(p, ok);
    std::string replaced;
    for (const auto& [path, was] : foreign)
        if (std::pair<dev_t, ino_t> now; !entry(path, now) || now != was)
            replaced += (replaced.empty() ? "" : " and ") + shown(path);
    if (!replaced.empty())
        sup::logline('N', "The page " + p.name + " replaced " + replaced +
                              ", which this command had not written (or which was changed since it wrote it).");
    return ok;
}

}  // namespace rt::gfx
