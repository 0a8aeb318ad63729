// The command's own file names and the temporary files of killed runs (ownfiles.h).
#include "runtime/util/ownfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace rt::util {
namespace {

constexpr std::string_view kTemp = ".tmp-";
// The largest process id any Linux system gives, for a system whose pid_max cannot be read.
constexpr long kPidLimit = 1L << 22;

bool lower(char c) { return c >= 'a' && c <= 'z'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

// The system's largest process id, read at run time.
long pidmax() {
    long v = 0;
    if (std::FILE* f = std::fopen("/proc/sys/kernel/pid_max", "re")) {
        if (std::fscanf(f, "%ld", &v) != 1) v = 0;
        std::fclose(f);
    }
    return v > 0 ? v : kPidLimit;
}

// The process number of "BASE.tmp-PID" by the rule of removedeadtemps; 0 for any other name.
long pidin(std::string_view name, const std::function<bool(std::string_view)>& base, long most) {
    const size_t p = name.rfind(kTemp);
    if (p == std::string_view::npos || p == 0) return 0;
    const std::string_view digits = name.substr(p + kTemp.size());
    if (digits.empty() || digits.size() > 10 || digits[0] == '0') return 0;
    long pid = 0;
    for (char c : digits) {
        if (!digit(c)) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid <= most && base(name.substr(0, p)) ? pid : 0;
}

// No process of that number: kill() finds none (a process of another user is refused, not missing).
bool gone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

}  // namespace

bool plotfilename(std::string_view n) {
    if (n.size() < 5 || n.size() > 255) return false;
    const std::string_view ext = n.substr(n.size() - 4);
    if (ext != ".png" && ext != ".svg") return false;
    for (char c : n.substr(0, n.size() - 4))
        if (!lower(c) && !digit(c) && c != '_') return false;
    return true;
}

bool datasetfilename(std::string_view n) {
    if (n.size() < 5 || n.size() > 32 + 4 || n.substr(n.size() - 4) != ".csv") return false;
    const std::string_view stem = n.substr(0, n.size() - 4);
    if (!lower(stem[0]) && stem[0] != '_') return false;
    for (char c : stem)
        if (!lower(c) && !digit(c) && c != '_') return false;
    return true;
}

std::vector<std::string> removedeadtemps(int dir, const std::function<bool(std::string_view)>& base) {
    std::vector<std::string> removed;
    const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return removed;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return removed;
    }
    const long most = pidmax();
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const long pid = pidin(e->d_name, base, most);
        if (pid > 0 && gone(pid)) names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        struct stat st {};
        if (::fstatat(dir, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && ::unlinkat(dir, n.c_str(), 0) == 0)
            removed.push_back(n);
    }
    return removed;
}

}  // namespace rt::util
