// A file mapped read-only into memory for one sequential pass. Pages already parsed can
// be given back so that a large file never sits whole in memory next to its columns.
#pragma once
#include <cstddef>
#include <string>

namespace rt::ds {

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Maps path; on failure returns false with the system's reason in err.
    bool open(const std::string& path, std::string& err);
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    // Drops the pages below upto from memory (they are read again if touched).
    void release(const char* upto);
    // Drops every page of the mapping from memory; later releases start again from the top.
    void releaseall() {
        released_ = 0;
        release(data_ + size_);
        released_ = 0;
    }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t released_ = 0;
};

}  // namespace rt::ds
