// Telling whether two paths name one file.
#pragma once
#include <string>

namespace rt::util {

// The path with its folder made absolute and its links resolved (as far as the folder
// exists), so that "out/a.csv", "./out/a.csv", "/home/u/out/a.csv" and a link to out give one
// key. The file itself need not exist.
std::string filekey(const std::string& path);

}  // namespace rt::util
