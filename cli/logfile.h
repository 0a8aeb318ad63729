// The log of a run: log.txt in the output folder, and standard error.
#pragma once
#include <cstdio>
#include <string>
#include "runtime/session.h"

namespace cli {

class FileLog : public rt::Log {
public:
    // Writes into path + ".tmp-PID" and renames it to path in close().
    explicit FileLog(const std::string& path);
    ~FileLog() override;
    void line(char kind, const std::string& text) override;
    bool ok() const { return file_ != nullptr; }
    // Closes and renames; false when the file could not be completed, with the reason in
    // error(). When only the rename failed the log is kept, under a name that later runs do
    // not remove and that replaces no file (kept()), or, when no such name could be had,
    // under its temporary name (kept() is then empty).
    bool close();
    const std::string& error() const { return error_; }
    const std::string& temporary() const { return tmp_; }
    const std::string& kept() const { return kept_; }

private:
    std::string path_, tmp_, error_, kept_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    void keep();
};

}  // namespace cli
