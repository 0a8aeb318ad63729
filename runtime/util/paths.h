// Telling whether two paths name one file.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

namespace rt::util {

// The path with its folder made absolute and its links resolved (as far as the folder
// exists), so that "out/a.csv", "./out/a.csv", "/home/u/out/a.csv" and a link to out give one
// key. The file itself need not exist.
std::string filekey(const std::string& path);

// The device and inode of the file at path (links followed), which every name of one file
// shares: its spellings, the links to it and its hard links. False when there is no file.
using FileId = std::pair<uint64_t, uint64_t>;
bool fileid(const std::string& path, FileId& id);

}  // namespace rt::util
