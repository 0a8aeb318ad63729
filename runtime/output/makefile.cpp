// The file of a MAKE data set in its folder (makefile.h).
#include "runtime/output/makefile.h"

#include <fcntl.h>
#include <unistd.h>

#include "runtime/util/ownfiles.h"
#include "runtime/util/paths.h"
#include "runtime/util/strings.h"

namespace rt::out {
namespace {

// The data set's file as the command's list names it, outdir/NAME.csv, when its folder is the
// output folder (by device and inode: whatever the spelling, link or library); empty when the
// file is elsewhere.
std::string inoutput(const Session& s, const std::string& path) {
    const auto [folder, file] = util::splitpath(path);
    util::FileId here, out;
    if (!util::fileid(folder, here) || !util::fileid(s.outdir.empty() ? "." : s.outdir, out) || here != out) return {};
    return (s.outdir.empty() ? "." : s.outdir) + "/" + file;
}

}  // namespace

std::string overinput(const Session& s, const MakeRequest& r) {
    util::FileId id;
    if (r.path.empty() || !util::fileid(r.path, id) || s.madefiles.count(id)) return {};
    const auto read = s.readfiles.find(id);
    if (read == s.readfiles.end()) return {};
    const std::string elsewhere = r.lib == "WORK" ? "give the run another output folder (--out)"
                                                  : "assign library " + r.lib + " to another folder (--lib " + r.lib + "=DIR)";
    return "MAKE: OUT=" + r.lib + "." + r.mem + " is the file " + r.path + ", which this run has read as the data set " +
           read->second + "; it is not written over, and table " + util::shown(r.table) + " is not saved" +
           (r.noprint ? printedinstead("it") : std::string()) + ". Give the MAKE statement another OUT= data set, or " + elsewhere + ".";
}

std::string printedinstead(const std::string& table) {
    return "; " + table + " is printed in spite of NOPRINT, so that it is not lost";
}

std::string cleardeadtemps(const std::string& path) {
    const auto [folder, file] = util::splitpath(path);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return {};
    const std::vector<std::string> gone = util::removedeadtemps(dir, [&file](std::string_view base) { return base == file; });
    ::close(dir);
    if (gone.empty()) return {};
    std::string names;
    for (const std::string& n : gone) names += (names.empty() ? "" : ", ") + util::shown(n);
    return "MAKE: removed from " + folder + " the temporary " + (gone.size() == 1 ? "file " : "files ") + names +
           ", left by " + (gone.size() == 1 ? "a run" : "runs") + " that stopped while writing " + file + ".";
}

std::string replacednote(const Session& s, const MakeRequest& r) {
    util::FileId id;
    if (r.path.empty() || !util::fileid(r.path, id, false)) return {};
    if (util::FileId file; util::fileid(r.path, file) && s.madefiles.count(file)) return {};
    const std::string listed = inoutput(s, r.path);
    if (!listed.empty() && s.fileours && s.fileours(listed)) return {};
    return "MAKE: the data set " + r.lib + "." + r.mem + " replaced " + r.path +
           (listed.empty() ? ", which this run had not written." : ", which this command had not written (or which was changed since it wrote it).");
}

void madeby(Session& s, const std::string& path) {
    if (util::FileId id; util::fileid(path, id)) s.madefiles.insert(id);
    if (const std::string listed = inoutput(s, path); !listed.empty() && s.filewritten) s.filewritten(listed);
}

}  // namespace rt::out
