// Files of tests: a temporary folder of their own and the whole content of a file.
#pragma once
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

// A new folder under /tmp named vx<what>-XXXXXX; the test removes it.
inline std::string tempdir(const std::string& what = "test") {
    std::string tmpl = "/tmp/vx" + what + "-XXXXXX";
    return mkdtemp(tmpl.data());
}

// The whole content of a file (empty when it cannot be read).
inline std::string readfile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace testsupport
