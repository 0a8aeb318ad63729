// Telling whether two paths name one file.
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

bool fileid(const std::string& path, FileId& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

}  // namespace rt::util
