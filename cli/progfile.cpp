// Reading the program file (a regular file of bounded size) and applying the system options
// given on the command line through the runtime's table of options.
#include "cli/progfile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/supervisor/options.h"

namespace cli {

bool readprogram(const std::string& path, std::string& text, std::string& err) {
    // Only a regular file of a sane size is read: a folder, a FIFO or /dev/zero would block
    // or grow without end.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        err = "cannot read the program file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        err = "cannot read the program file " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        err = "the program file " + path + (S_ISDIR(st.st_mode) ? " is a folder" : " is not a regular file");
        ::close(fd);
        return false;
    }
    if (st.st_size > kMaxProgramBytes) {
        err = "the program file " + path + " has " + std::to_string(st.st_size) + " bytes; a program may have at most " +
              std::to_string(kMaxProgramBytes) + " bytes";
        ::close(fd);
        return false;
    }
    text.clear();
    text.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) {
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > static_cast<size_t>(kMaxProgramBytes)) break;   // it grew while being read
    }
    const int why = errno;
    ::close(fd);
    if (n < 0) {
        err = "cannot read the program file " + path + ": " + std::strerror(why);
        return false;
    }
    if (text.size() > static_cast<size_t>(kMaxProgramBytes)) {
        err = "the program file " + path + " has more than " + std::to_string(kMaxProgramBytes) + " bytes";
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
