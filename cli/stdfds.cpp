// Standard input, output and error opened on /dev/null where the process started without them.
#include "cli/stdfds.h"

#include <cerrno>
#include <fcntl.h>
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

}  // namespace cli
