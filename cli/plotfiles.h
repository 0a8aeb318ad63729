// The plot files that runs of the command wrote into an output folder. The folder's manifest
// (.vitalyx-plots) lists each file the command put into graphics/, with its size and time of
// change; a run first removes the files of earlier runs that the manifest lists and that are
// still as the command left them, and then lists its own. A file the command did not write (or
// that was changed since) is never removed.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace cli {

class PlotFiles {
public:
    // The manifest's name in the output folder.
    static constexpr const char* kManifest = ".vitalyx-plots";

    explicit PlotFiles(std::string outdir);
    ~PlotFiles();
    PlotFiles(const PlotFiles&) = delete;
    PlotFiles& operator=(const PlotFiles&) = delete;

    // Removes the plot files of earlier runs and starts the manifest of this run, which keeps
    // the listed files that could not be removed. Returns the names removed. A missing or
    // damaged manifest removes nothing; entries that are not plain file names of graphics/
    // are passed over. Behind a graphics/ that is a link nothing is removed and every entry
    // stays listed.
    std::vector<std::string> clearearlier();

    // A plot file this run put in place (a path in graphics/ of the output folder): listed.
    void written(const std::string& path);

    // Whether the file at path (in graphics/ of the output folder) is the command's: a plain
    // file that this run wrote, or that the manifest lists and that is as the command left
    // it (one clearearlier did not remove: behind a graphics/ link, or not removable).
    bool ours(const std::string& path) const;

    struct Stamp {
        long long size = 0;
        long long mtime = 0;   // nanoseconds
        bool operator==(const Stamp&) const = default;
    };

private:
    std::string outdir_;
    int fd_ = -1;   // the manifest, open for appending
    std::map<std::string, Stamp> listed_, written_;
};

}  // namespace cli
