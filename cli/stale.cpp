// Removing the temporary files that killed runs left in the output folder (stale.h). The
// files are reached through the folders' descriptors, graphics/ without following a link.
#include "cli/stale.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/manifest.h"
#include "runtime/util/ownfiles.h"
#include "runtime/util/strings.h"

namespace cli {
namespace {

// The files of the output folder that the command writes under a temporary name.
bool outputbase(std::string_view base) {
    return base == "log.txt" || base == "listing.txt" || base == "report.html" || base == Manifest::kName ||
           rt::util::datasetfilename(base);
}

}  // namespace

StaleFiles removestale(const std::string& dir) {
    StaleFiles s;
    const int out = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (out < 0) return s;
    s.removed = rt::util::removedeadtemps(out, outputbase);
    // the log's temporary name of older versions, in the output folder only
    struct stat st {};
    if (::fstatat(out, "log.txt.part", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        ::unlinkat(out, "log.txt.part", 0) == 0)
        s.removed.emplace_back("log.txt.part");
    // a link that leads to a folder; one that leads nowhere is said when a plot is drawn
    if (struct stat to {}; ::fstatat(out, "graphics", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode) &&
                           ::fstatat(out, "graphics", &to, 0) == 0 && S_ISDIR(to.st_mode))
        s.graphicslink = true;
    const int graphics = ::openat(out, "graphics", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (graphics >= 0) {
        for (const std::string& n : rt::util::removedeadtemps(graphics, rt::util::plotfilename))
            s.removed.push_back("graphics/" + n);
        ::close(graphics);
    }
    ::close(out);
    return s;
}

std::vector<std::string> stalenotes(const StaleFiles& s, const std::string& dir) {
    std::vector<std::string> notes;
    if (!s.removed.empty()) {
        std::string names;
        for (const std::string& n : s.removed) names += (names.empty() ? "" : ", ") + rt::util::shown(n);
        notes.push_back("Removed from the output folder " + dir + " the temporary " + (s.removed.size() == 1 ? "file " : "files ") +
                        names + ", left by runs that stopped while writing them.");
    }
    if (s.graphicslink)
        notes.push_back("graphics/ in the output folder " + dir +
                        " is a link to a folder elsewhere: the plots are written there, but nothing this run did not make is removed from it.");
    return notes;
}

}  // namespace cli
