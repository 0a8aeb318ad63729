// The manifest of the files the command left in an output folder (manifest.h). Every file is
// reached through the folder's own descriptors without following links: a listed name is a
// plain file name, of graphics/ for a plot (lower-case letters, digits and underscores, then
// .png or .svg), of the output folder for a data set (NAME.csv), so that no entry, however
// written, reaches outside the folder.
#include "cli/manifest.h"

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

Manifest::Stamp stampof(const struct stat& st) {
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
    const int fd = ::openat(dir, Manifest::kName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
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
std::map<std::string, Manifest::Stamp> entries(const std::string& text) {
    std::map<std::string, Manifest::Stamp> list;
    const std::string head = kHeader;
    if (text.compare(0, head.size(), head) != 0) return list;
    for (size_t at = head.size(); at < text.size();) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t a = line.find(' '), b = a == std::string::npos ? a : line.find(' ', a + 1);
        if (b == std::string::npos) continue;
        Manifest::Stamp st;
        const std::string name = line.substr(b + 1);
        if (number(line.substr(0, a), &st.size) && number(line.substr(a + 1, b - a - 1), &st.mtime) &&
            (rt::util::plotfilename(name) || rt::util::datasetfilename(name)))
            list[name] = st;
    }
    return list;
}

std::string entryline(const std::string& name, const Manifest::Stamp& st) {
    return std::to_string(st.size) + " " + std::to_string(st.mtime) + " " + name + "\n";
}

// Whether the entry name of the folder open as dir is a plain file with that stamp.
bool unchanged(int dir, const std::string& name, const Manifest::Stamp& was) {
    struct stat st {};
    return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && stampof(st) == was;
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

Manifest::Manifest(std::string outdir) : outdir_(std::move(outdir)) {}

Manifest::~Manifest() {
    if (fd_ >= 0) ::close(fd_);
}

std::vector<std::string> Manifest::clearearlier() {
    std::vector<std::string> removed;
    const dirfd out(::open(outdir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (out.fd < 0) return removed;
    std::string kept = kHeader;
    // graphics/ itself must be a folder, not a link to one elsewhere: behind a link no plot is
    // removed, and the plots stay listed as they are.
    const dirfd graphics(::openat(out.fd, "graphics", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat gst {};
    const bool graphicslink =
        graphics.fd < 0 && ::fstatat(out.fd, "graphics", &gst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(gst.st_mode);
    for (const auto& [name, was] : entries(readmanifest(out.fd))) {
        if (rt::util::datasetfilename(name)) {
            // a data set stays, and stays listed while it is as the command left it
            if (unchanged(out.fd, name, was)) kept += entryline(name, was);
        } else if (graphicslink) {
            kept += entryline(name, was);
        } else if (graphics.fd >= 0 && unchanged(graphics.fd, name, was)) {
            // only a regular file as this command left it: not a link, not changed since
            if (::unlinkat(graphics.fd, name.c_str(), 0) == 0)
                removed.push_back(name);
            else
                kept += entryline(name, was);   // tried again by the next run
        }
    }
    // What stays listed is still the command's.
    for (const auto& [name, was] : entries(kept)) listed_[name] = was;
    // The new manifest goes into place whole, and this run's files are appended to it.
    const std::string tmp = std::string(kName) + ".tmp-" + std::to_string(::getpid());
    ::unlinkat(out.fd, tmp.c_str(), 0);
    const int fd = ::openat(out.fd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return removed;
    if (!writeall(fd, kept) || ::renameat(out.fd, tmp.c_str(), out.fd, kName) != 0) {
        ::close(fd);
        ::unlinkat(out.fd, tmp.c_str(), 0);
        return removed;
    }
    fd_ = fd;
    return removed;
}

bool Manifest::entryof(const std::string& path, std::string& name, Stamp& st) const {
    const std::string folder = outdir_ + "/", graphics = folder + "graphics/";
    if (path.compare(0, graphics.size(), graphics) == 0 && rt::util::plotfilename(path.substr(graphics.size())))
        name = path.substr(graphics.size());
    else if (path.compare(0, folder.size(), folder) == 0 && rt::util::datasetfilename(path.substr(folder.size())))
        name = path.substr(folder.size());
    else
        return false;
    struct stat s {};
    if (::lstat(path.c_str(), &s) != 0 || !S_ISREG(s.st_mode)) return false;
    st = stampof(s);
    return true;
}

void Manifest::written(const std::string& path) {
    std::string name;
    Stamp st;
    if (!entryof(path, name, st)) return;
    written_[name] = st;
    if (fd_ >= 0) writeall(fd_, entryline(name, st));
}

bool Manifest::ours(const std::string& path) const {
    std::string name;
    Stamp st;
    if (!entryof(path, name, st)) return false;
    for (const auto* list : {&listed_, &written_})
        if (auto it = list->find(name); it != list->end() && it->second == st) return true;
    return false;
}

}  // namespace cli
