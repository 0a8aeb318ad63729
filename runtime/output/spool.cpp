// Spools (anonymous temporary files that hold a table's rows while it is filled) and sinks
// (files written under a temporary name and renamed into place when complete).
#include "runtime/output/spool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <mutex>
#include <set>
#include "runtime/util/paths.h"

namespace rt::out {
namespace {
constexpr size_t kBuffer = 1 << 16;

// The files the sinks of this process are writing, by util::filekey. Never destroyed: a
// program kept in a static releases its sinks when statics are destroyed at exit.
struct Writing {
    std::mutex m;
    std::set<std::string> files;
};
Writing& writing() {
    static Writing* w = new Writing;
    return *w;
}
}

bool copyfile(std::FILE* src, std::FILE* dst) {
    if (std::fflush(src) != 0 || std::fflush(dst) != 0) return false;
    int in = fileno(src), out = fileno(dst);
    struct stat st {};
    if (fstat(in, &st) != 0) return false;
    off_t size = st.st_size, off = 0;
    // The kernel copies between files without passing through user memory.
    while (off < size) {
        ssize_t n = copy_file_range(in, &off, out, nullptr, static_cast<size_t>(size - off), 0);
        if (n <= 0) break;
    }
    while (off < size) {
        ssize_t n = sendfile(out, in, &off, static_cast<size_t>(size - off));
        if (n <= 0) break;
    }
    if (off < size) {   // plain read and write, for descriptors the kernel will not splice
        static thread_local char buf[kBuffer];
        while (off < size) {
            ssize_t r = pread(in, buf, sizeof buf, off);
            if (r <= 0) return false;
            ssize_t done = 0;
            while (done < r) {
                ssize_t w = ::write(out, buf + done, static_cast<size_t>(r - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) return false;
                done += w;
            }
            off += r;
        }
    }
    return true;
}

Spool::~Spool() {
    if (f_) std::fclose(f_);
}

bool Spool::open(const std::string& dir, std::string& err) {
    std::string templ = (dir.empty() ? std::string(".") : dir) + "/.vitalyx-spool-XXXXXX";
    int fd = mkstemp(templ.data());
    if (fd < 0) {
        err = "cannot create a temporary file in " + dir + ": " + std::strerror(errno);
        return false;
    }
    unlink(templ.c_str());
    f_ = fdopen(fd, "w+");
    if (!f_) {
        close(fd);
        err = "cannot open a temporary file in " + dir;
        return false;
    }
    if (!buf_) buf_.reset(new char[kBuffer]);
    std::setvbuf(f_, buf_.get(), _IOFBF, kBuffer);
    return true;
}

bool Spool::failed() const { return !f_ || std::ferror(f_); }

bool Spool::appendto(std::FILE* dst) const { return f_ && !std::ferror(f_) && copyfile(f_, dst); }

void Spool::reset() {
    if (!f_) return;
    std::fflush(f_);
    if (ftruncate(fileno(f_), 0) != 0) return;
    std::rewind(f_);
}

namespace {
// Moves the finished file to path. An existing regular file there is swapped with it and
// then removed: the path never lacks a complete file, as with rename, but ext4 does not
// treat the swap as a replacement to write out at once (renaming over a file of 100 MB
// written a moment ago costs a quarter of a second or more). Anything else at the path
// (nothing, a directory, a link) is left to rename.
bool replace(const std::string& tmp, const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        if (lstat(tmp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            std::remove(tmp.c_str());   // the former file
            return true;
        }
        // Something else took the path meanwhile: swap back.
        renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE);
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}
}  // namespace

Sink::~Sink() { discard(); }

void Sink::release() {
    if (key_.empty()) return;
    std::lock_guard<std::mutex> lock(writing().m);
    writing().files.erase(key_);
    key_.clear();
}

bool Sink::open(const std::string& path, std::string& err) {
    discard();
    release();
    path_ = path;
    tmp_ = path + ".tmp-" + std::to_string(getpid());
    std::string key = util::filekey(path);
    {
        std::lock_guard<std::mutex> lock(writing().m);
        if (!writing().files.insert(key).second) {
            err = "cannot write " + path + ": another output of this run is writing that file";
            return false;
        }
    }
    key_ = std::move(key);
    f_ = std::fopen(tmp_.c_str(), "w");
    if (!f_) {
        err = "cannot write " + path + ": " + std::strerror(errno);
        release();
        return false;
    }
    if (!buf_) buf_.reset(new char[kBuffer]);
    std::setvbuf(f_, buf_.get(), _IOFBF, kBuffer);
    return true;
}

bool Sink::commit(std::string& err) {
    if (!f_) {
        err = "cannot write " + path_;
        return false;
    }
    bool ok = std::fflush(f_) == 0 && !std::ferror(f_);
    int e = ok ? 0 : errno;
    if (std::fclose(f_) != 0) {
        if (ok) e = errno;
        ok = false;
    }
    f_ = nullptr;
    if (ok && !replace(tmp_, path_)) {
        e = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(tmp_.c_str());
        err = "cannot write " + path_ + ": " + std::strerror(e ? e : EIO);
    }
    release();
    return ok;
}

void Sink::discard() {
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
        std::remove(tmp_.c_str());
    }
    release();
}

}  // namespace rt::out
