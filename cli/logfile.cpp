#include "cli/logfile.h"

#include <cstdio>

namespace cli {

FileLog::FileLog(const std::string& path) : path_(path) { file_ = std::fopen((path + ".part").c_str(), "w"); }

FileLog::~FileLog() {
    if (file_) {
        std::fclose(file_);
        std::remove((path_ + ".part").c_str());
    }
}

void FileLog::line(char kind, const std::string& text) {
    const char* prefix = kind == 'N' ? "NOTE: " : kind == 'W' ? "WARNING: " : kind == 'E' ? "ERROR: " : "";
    std::fprintf(stderr, "%s%s\n", prefix, text.c_str());
    if (file_ && std::fprintf(file_, "%s%s\n", prefix, text.c_str()) < 0) failed_ = true;
}

bool FileLog::close() {
    if (!file_) return false;
    bool ok = std::fclose(file_) == 0 && !failed_;
    file_ = nullptr;
    std::string part = path_ + ".part";
    if (!ok) {
        std::remove(part.c_str());
        return false;
    }
    return std::rename(part.c_str(), path_.c_str()) == 0;
}

}  // namespace cli
