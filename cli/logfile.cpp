// The log of a run: every line to standard error and to a temporary file beside log.txt,
// which is renamed into place when the run ends.
#include "cli/logfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

FileLog::FileLog(const std::string& path) : path_(path), tmp_(path + ".tmp-" + std::to_string(getpid())) {
    file_ = std::fopen(tmp_.c_str(), "w");
    if (!file_) error_ = std::strerror(errno);
}

FileLog::~FileLog() {
    if (file_) {
        std::fclose(file_);
        std::remove(tmp_.c_str());
    }
}

void FileLog::line(char kind, const std::string& text) {
    const char* prefix = kind == 'N' ? "NOTE: " : kind == 'W' ? "WARNING: " : kind == 'E' ? "ERROR: " : "";
    std::fprintf(stderr, "%s%s\n", prefix, text.c_str());
    if (file_ && std::fprintf(file_, "%s%s\n", prefix, text.c_str()) < 0) failed_ = true;
}

bool FileLog::close() {
    if (!file_) return false;
    const bool ok = std::fclose(file_) == 0 && !failed_;
    file_ = nullptr;
    if (!ok) {
        error_ = "a write failed (" + std::string(std::strerror(errno)) + ")";
        std::remove(tmp_.c_str());
        return false;
    }
    if (std::rename(tmp_.c_str(), path_.c_str()) != 0) {
        error_ = std::strerror(errno);
        keep();
        return false;
    }
    return true;
}

// The temporary name "log.txt.tmp-PID" is one that the next run removes as a killed run's
// file: the log that could not be put in place moves to "log.txt.kept-PID" (then -PID-2, ...),
// a name outside that rule, and never over a file that is there.
void FileLog::keep() {
    const std::string base = path_ + ".kept-" + std::to_string(getpid());
    for (int k = 1; k <= 100; ++k) {
        const std::string name = k == 1 ? base : base + "-" + std::to_string(k);
        if (renameat2(AT_FDCWD, tmp_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
            kept_ = name;
            return;
        }
        if (errno == EEXIST) continue;
        // a file system that cannot rename without replacing: a second link does not replace either
        if ((errno == EINVAL || errno == ENOSYS) && ::link(tmp_.c_str(), name.c_str()) == 0) {
            ::unlink(tmp_.c_str());
            kept_ = name;
            return;
        }
        if (errno != EEXIST) return;
    }
}

}  // namespace cli
