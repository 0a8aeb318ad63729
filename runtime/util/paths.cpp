// Paths: whether two name one file, and a path's folder and name (paths.h).
#include "runtime/util/paths.h"

#include <sys/stat.h>

#include <filesystem>

namespace rt::util {

std::string filekey(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path p(path);
    std::error_code ec;
    fs::path folder = fs::absolute(p.has_parent_path() ? p.parent_path() : fs::path("."), ec);
    if (!ec) {
        fs::path real = fs::weakly_canonical(folder, ec);
        folder = ec ? folder.lexically_normal() : real;
    }
    return (folder / p.filename()).string();
}

bool fileid(const std::string& path, FileId& id, bool follow) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

std::pair<std::string, std::string> splitpath(const std::string& path) {
    const size_t p = path.find_last_of('/');
    if (p == std::string::npos) return {".", path};
    return {p == 0 ? "/" : path.substr(0, p), path.substr(p + 1)};
}

}  // namespace rt::util
