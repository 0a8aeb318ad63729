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
#include "runtime/util/paths.h"

namespace rt::gfx {
namespace {

// "graphics/name.svg": the file as the output folder holds it.
std::string ingraphics(const std::string& path) { return "graphics/" + util::splitpath(path).second; }

// Removes the plain file at path when its folder (graphics/) is a folder and not a link.
bool removeplain(const std::string& path) {
    const auto [folder, name] = util::splitpath(path);
    const auto [parent, leaf] = util::splitpath(folder);
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
    std::vector<std::pair<std::string, util::FileId>> foreign;
    if (p.cairo)
        for (const std::string* path : {&p.svgpath, &p.pngpath})
            if (util::FileId id; !path->empty() && util::fileid(*path, id, false) && !ours(*path)) foreign.emplace_back(*path, id);
    const bool ok = p.tee.end();
    if (p.cairo && p.cairo->svgdropped()) {
        util::FileId id;
        if (util::fileid(p.svgpath, id, false) && !(ours(p.svgpath) && removeplain(p.svgpath)))
            sup::logline('N', ingraphics(p.svgpath) + " is not the SVG of the page " + p.name + " and stays: that page has more than " +
                                  std::to_string(kSvgMarkerBudget) + " markers, so only its PNG is made.");
        std::erase_if(foreign, [&p](const auto& f) { return f.first == p.svgpath; });
        p.svgpath.clear();   // the page has no SVG
    }
    putinplace(p, ok);
    std::string replaced;
    for (const auto& [path, was] : foreign)
        if (util::FileId now; !util::fileid(path, now, false) || now != was)
            replaced += (replaced.empty() ? "" : " and ") + ingraphics(path);
    if (!replaced.empty())
        sup::logline('N', "The page " + p.name + " replaced " + replaced +
                              ", which this command had not written (or which was changed since it wrote it).");
    return ok;
}

}  // namespace rt::gfx
