#include "cli/progfile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace cli {

bool readprogram(const std::string& path, std::string& text, std::string& err) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        err = "the program file " + path + " is a folder";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        err = "cannot read the program file " + path + ": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) {
        err = "cannot read the program file " + path;
        return false;
    }
    return true;
}

namespace {

// A whole number from lo to hi.
bool whole(const std::string& v, long lo, long hi, long& n) {
    char* end = nullptr;
    errno = 0;
    n = std::strtol(v.c_str(), &end, 10);
    return !v.empty() && *end == '\0' && errno == 0 && n >= lo && n <= hi;
}

}  // namespace

bool applyoptions(const std::map<std::string, std::string>& options, rt::Options& opts, std::string& err) {
    for (const auto& [k, v] : options) {
        long n = 0;
        if (k == "THREADS") {
            std::string u = v;
            for (auto& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (u == "1" || u == "YES") {
                opts.threads = true;
            } else if (u == "0" || u == "NO") {
                opts.threads = false;
            } else {
                err = "--option THREADS= takes YES or NO (1 or 0), not '" + v + "'";
                return false;
            }
        } else if (k == "CPUCOUNT") {
            if (!whole(v, 1, 1024, n)) {
                err = "--option CPUCOUNT= needs a whole number from 1 to 1024, not '" + v + "'";
                return false;
            }
            opts.cpucount = static_cast<int>(n);
        } else if (k == "LINESIZE") {
            if (!whole(v, 64, 256, n)) {
                err = "--option LINESIZE= needs a whole number from 64 to 256, not '" + v + "'";
                return false;
            }
            opts.linesize = static_cast<int>(n);
        } else if (k == "DEBUG") {
            opts.debug = v;
        } else {
            opts.extra[k] = v;
        }
    }
    return true;
}

}  // namespace cli
