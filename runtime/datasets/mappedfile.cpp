// A file mapped read-only for one pass, its parsed pages given back as the pass moves on.
#include "runtime/datasets/mappedfile.h"
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rt::ds {

MappedFile::~MappedFile() {
    if (data_) munmap(data_, size_);
}

bool MappedFile::open(const std::string& path, std::string& err) {
    // O_NONBLOCK: a FIFO (or a device) by the data set's name must not block the run; it is
    // refused below as not a regular file
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        err = std::strerror(errno);
        return false;
    }
    struct stat st;
    const bool statok = fstat(fd, &st) == 0;
    if (!statok || !S_ISREG(st.st_mode)) {
        err = !statok ? std::strerror(errno) : "not a regular file";
        ::close(fd);
        return false;
    }
    size_ = static_cast<size_t>(st.st_size);
    if (size_ > 0) {
        void* p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            err = std::strerror(errno);
            ::close(fd);
            size_ = 0;
            return false;
        }
        data_ = static_cast<char*>(p);
        madvise(data_, size_, MADV_SEQUENTIAL);
    }
    ::close(fd);
    return true;
}

void MappedFile::release(const char* upto) {
    if (!data_) return;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t end = static_cast<size_t>(upto - data_);
    if (end >= size_) end = size_;
    else end -= end % page;
    if (end > released_) {
        madvise(data_ + released_, end - released_, MADV_DONTNEED);
        released_ = end;
    }
}

}  // namespace rt::ds
