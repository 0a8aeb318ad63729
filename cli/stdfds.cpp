// Standard input, output and error opened on /dev/null where the process started without them.
#include "cli/stdfds.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

void ensurestandardfds() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free descriptor, which is fd: the lower ones are open by now
        const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got >= 0 && got != fd) {
            dup2(got, fd);
            ::close(got);
        }
    }
}

void bufferstandardoutput() {
    // A listing of millions of rows echoed into a file or a pipe goes out in large writes; a
    // terminal keeps the C library's own buffering.
    if (isatty(STDOUT_FILENO)) return;
    static char buf[1 << 20];
    std::setvbuf(stdout, buf, _IOFBF, sizeof buf);
#ifdef F_SETPIPE_SZ
    // A pipe takes each write whole when it can hold it (64 KiB by default): fewer waits for
    // the reader. Refused beyond the system's limit, which is then as good as it gets.
    struct stat st;
    if (fstat(STDOUT_FILENO, &st) == 0 && S_ISFIFO(st.st_mode)) fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
#endif
}

}  // namespace cli
