// Paths: whether two name one file, and a path's folder and name.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

namespace rt::util {

// The path with its folder made absolute and its links resolved (as far as the folder
// exists), so that "out/a.csv", "./out/a.csv", "/home/u/out/a.csv" and a link to out give one
// key. The file itself need not exist.
std::string filekey(const std::string& path);

// The device and inode of the file at path, which every name of one file shares: its
// spellings, the links to it and its hard links. With follow false, of the entry at path
// itself (a link is not followed). False when there is none.
using FileId = std::pair<uint64_t, uint64_t>;
bool fileid(const std::string& path, FileId& id, bool follow = true);

// The folder of path and the name in it, as written: "out/graphics/a.png" gives
// "out/graphics" and "a.png", "a.csv" gives "." and "a.csv", "/a.csv" gives "/" and "a.csv".
std::pair<std::string, std::string> splitpath(const std::string& path);

}  // namespace rt::util
