// The manifest of the plot files the command wrote into an output folder (plotfiles.h). Every
// file is reached through the folder's own descriptors without following links: a listed name
// is a plain file name of graphics/ (lower-case letters, digits and underscores, then .png or .svg), so
// that no entry, however written, reaches outside the folder.
#include "cli/plotfiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <utility>

#include "runtime/util/ownfiles.h"

namespace cli {
namespace {

constexpr const char* kHeader = "vitalyx plot files 1\n";
constexpr off_t kMostBytes = off_t(64) << 20;   // a larger manifest is not one the command wrote

PlotFiles::Stamp stampof(const struct stat& st) {
    return {static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

bool writeall(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The manifest's text; empty when there is none, or it is no regular file or too large.
std::string readmanifest(int dir) {
    const int fd = ::openat(dir, PlotFiles::kManifest, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMostBytes) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        text.resize(got);
    }
    ::close(fd);
    return text;
}

bool number(const std::string& t, long long* v) {
    if (t.empty() || t.size() > 19) return false;
    long long x = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        x = x * 10 + (c - '0');
    }
    *v = x;
    return true;
}

// The entries "SIZE MTIME NAME" of a manifest, the last of a name counting. A manifest without
// the header lists nothing; a line that is not whole (a run stopped while writing it) or not of
// that form is passed over.
std::map<std::string, PlotFiles::Stamp> entries(const std::string& text) {
    std::map<std::string, PlotFiles::Stamp> list;
    const std::string head = kHeader;
    if (text.compare(0, head.size(), head) != 0) return list;
    for (size_t at = head.size(); at < text.size();) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t a = line.find(' '), b = a == std::string::npos ? a : line.find(' ', a + 1);
        if (b == std::string::npos) continue;
        PlotFiles::Stamp st;
        const std::string name = line.substr(b + 1);
        if (number(line.substr(0, a), &st.size) && number(line.substr(a + 1, b - a - 1), &st.mtime) && rt::util::plotfilename(name))
            list[name] = st;
    }
    return list;
}

std::string entryline(const std::string& name, const PlotFiles::Stamp& st) {
    return std::to_string(st.size) + " " + std::to_string(st.mtime) + " " + name + "\n";
}

// A folder's descriptor that closes itself.
struct dirfd {
    int fd;
    explicit dirfd(int f) : fd(f) {}
    ~dirfd() {
        if (fd >= 0) ::close(fd);
    }
    dirfd(const dirfd&) = delete;
    dirfd& operator=(const dirfd&) = delete;
};

}  // namespace

PlotFiles::PlotFiles(std::string outdir) : outdir_(std::move(outdir)) {}

PlotFiles::~PlotFiles() {
    if (fd_ >= 0) ::close(fd_);
}

std::vector<std::string> PlotFiles::clearearlier() {
    std::vector<std::string> removed;
    const dirfd out(::open(outdir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (out.fd < 0) return removed;
    std::string kept = kHeader;
    // graphics/ itself must be a folder, not a link to one elsewhere: behind a link nothing is
    // removed, and the list stays as it is.
    const dirfd graphics(::openat(out.fd, "graphics", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat gst {};
    if (graphics.fd < 0 && ::fstatat(out.fd, "graphics", &gst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(gst.st_mode)) {
        for (const auto& [name, was] : entries(readmanifest(out.fd))) kept += entryline(name, was);
    } else if (graphics.fd >= 0) {
        for (const auto& [name, was] : entries(readmanifest(out.fd))) {
            struct stat st {};
            // Only a regular file as this command left it: not a link, not changed since.
            if (::fstatat(graphics.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || !(stampof(st) == was))
                continue;
            if (::unlinkat(graphics.fd, name.c_str(), 0) == 0)
                removed.push_back(name);
            else
                kept += entryline(name, was);   // tried again by the next run
        }
    }
    // What stays listed is still the command's: behind a graphics/ link, or not removable.
    for (const auto& [name, was] : entries(kept)) listed_[name] = was;
    // The new manifest goes into place whole, and this run's files are appended to it.
    const std::string tmp = std::string(kManifest) + ".tmp-" + std::to_string(::getpid());
    ::unlinkat(out.fd, tmp.c_str(), 0);
    const int fd = ::openat(out.fd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return removed;
    if (!writeall(fd, kept) || ::renameat(out.fd, tmp.c_str(), out.fd, kManifest) != 0) {
        ::close(fd);
        ::unlinkat(out.fd, tmp.c_str(), 0);
        return removed;
    }
    fd_ = fd;
    return removed;
}

void PlotFiles::written(const std::string& path) {
    const std::string folder = outdir_ + "/graphics/";
    if (path.compare(0, folder.size(), folder) != 0) return;
    const std::string name = path.substr(folder.size());
    struct stat st {};
    if (!rt::util::plotfilename(name) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    written_[name] = stampof(st);
    if (fd_ >= 0) writeall(fd_, entryline(name, stampof(st)));
}

bool PlotFiles::ours(const std::string& path) const {
    const std::string folder = outdir_ + "/graphics/";
    if (path.compare(0, folder.size(), folder) != 0) return false;
    const std::string name = path.substr(folder.size());
    struct stat st {};
    if (!rt::util::plotfilename(name) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    for (const auto* list : {&listed_, &written_})
        if (auto it = list->find(name); it != list->end() && it->second == stampof(st)) return true;
    return false;
}

}  // namespace cli
