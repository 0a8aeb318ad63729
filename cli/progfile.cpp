#include "cli/progfile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "runtime/supervisor/options.h"

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

bool applyoptions(const std::map<std::string, std::string>& options, rt::Options& opts, std::string& err) {
    for (const auto& [k, v] : options) {
        if (!rt::opt::set(opts, k, v, err)) {
            err = "--option " + err;
            return false;
        }
    }
    return true;
}

}  // namespace cli
