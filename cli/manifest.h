// The files that runs of the command left in an output folder. The folder's manifest
// (.vitalyx-plots) lists each plot file the command put into graphics/ and each MAKE data set
// it put into the output folder itself, with its size and time of change. A run first removes
// the plot files of earlier runs that the manifest lists and that are still as the command left
// them (a data set is never removed: it stays listed while it is as the command left it), and
// then lists its own. A file the command did not write (or that was changed since) is never
// removed, and a run that replaces one says so.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace cli {

class Manifest {
public:
    // The manifest's name in the output folder.
    static constexpr const char* kName = ".vitalyx-plots";

    explicit Manifest(std::string outdir);
    ~Manifest();
    Manifest(const Manifest&) = delete;
    Manifest& operator=(const Manifest&) = delete;

    // Removes the plot files of earlier runs and starts the manifest of this run, which keeps
    // the listed plot files that could not be removed and the listed data sets that are as the
    // command left them. Returns the names removed. A missing or damaged manifest removes
    // nothing; entries that are not plain file names (of a plot, of a data set) are passed
    // over. Behind a graphics/ that is a link nothing is removed and every plot stays listed.
    std::vector<std::string> clearearlier();

    // A file this run put in place: a plot (a path in graphics/ of the output folder) or a
    // MAKE data set (a path in the output folder): listed.
    void written(const std::string& path);

    // Whether the file at path (a plot or a data set, as for written) is the command's: a plain
    // file that this run wrote, or that the manifest lists and that is as the command left it
    // (a plot clearearlier did not remove: behind a graphics/ link, or not removable; a data set).
    bool ours(const std::string& path) const;

    struct Stamp {
        long long size = 0;
        long long mtime = 0;   // nanoseconds
        bool operator==(const Stamp&) const = default;
    };

private:
    // The manifest's name of the plain file at path and its stamp; false when path is not a
    // plot of graphics/ or a data set of the output folder, or no plain file.
    bool entryof(const std::string& path, std::string& name, Stamp& st) const;

    std::string outdir_;
    int fd_ = -1;   // the manifest, open for appending
    std::map<std::string, Stamp> listed_, written_;
};

}  // namespace cli
