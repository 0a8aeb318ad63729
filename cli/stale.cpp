// Removing the temporary files that killed runs left in the output folder.
#include "cli/stale.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace cli {
namespace {

// The process id of a temporary name "NAME.tmp-PID"; 0 when the name is not one.
long tmppid(const std::string& name) {
    const size_t p = name.rfind(".tmp-");
    if (p == std::string::npos || p == 0 || p + 5 >= name.size()) return 0;
    long pid = 0;
    for (size_t i = p + 5; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > 1L << 40) return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

bool running(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; }

}  // namespace

std::vector<std::string> removestale(const std::string& dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> removed;
    for (const fs::path& d : {fs::path(dir), fs::path(dir) / "graphics"}) {
        std::error_code ec;
        for (fs::directory_iterator it(d, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const long pid = tmppid(name);
            const bool stale = (pid > 0 && !running(pid)) || name == "log.txt.part";
            std::error_code rc;
            if (stale && it->is_regular_file(rc) && fs::remove(it->path(), rc)) removed.push_back(name);
        }
    }
    return removed;
}

}  // namespace cli
