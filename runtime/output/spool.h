// Spools: anonymous temporary files in the output folder that hold the rows of a table
// while it is being filled, and sinks: files written under a temporary name and renamed
// into place only when complete. Memory stays at the size of the stdio buffers.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace rt::out {

class Spool {
public:
    Spool() = default;
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // An unlinked temporary file in dir; false (with err) when it cannot be made.
    bool open(const std::string& dir, std::string& err);
    void write(std::string_view s) { if (f_) fwrite_unlocked(s.data(), 1, s.size(), f_); }   // one thread writes a file
    bool failed() const;
    // Appends the whole content to the file descriptor (after flushing both sides).
    bool appendto(std::FILE* dst) const;
    void reset();            // empties the spool
    bool isopen() const { return f_ != nullptr; }
    std::FILE* file() const { return f_; }

private:
    std::FILE* f_ = nullptr;
    std::unique_ptr<char[]> buf_;   // the stdio buffer (given, as the C library ignores a size without one)
};

// A file written as path + ".tmp-<pid>" and renamed to path by commit(). One file has one
// sink at a time in the process: a second open of a file being written fails (two writers
// would share the temporary file and mix their bytes).
class Sink {
public:
    Sink() = default;
    ~Sink();
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    bool open(const std::string& path, std::string& err);
    void write(std::string_view s) { if (f_) fwrite_unlocked(s.data(), 1, s.size(), f_); }   // one thread writes a file
    std::FILE* file() const { return f_; }
    bool isopen() const { return f_ != nullptr; }
    // Flushes, closes and renames; false with err on any write failure (the file is removed).
    bool commit(std::string& err);
    // Closes and removes the temporary file.
    void discard();
    const std::string& path() const { return path_; }

private:
    std::FILE* f_ = nullptr;
    std::unique_ptr<char[]> buf_;
    std::string path_, tmp_;
    std::string key_;   // the file's key among those being written (empty: none held)
    void release();
};

// Copies everything of src (from its start) to the end of dst; both are flushed first.
bool copyfile(std::FILE* src, std::FILE* dst);

}  // namespace rt::out
