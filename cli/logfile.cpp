// The log of a run: every line to standard error and to a temporary file beside log.txt,
// which is renamed into place when the run ends.
#include "cli/logfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

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
        return false;
    }
    return true;
}

}  // namespace cli
