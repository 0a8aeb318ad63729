// Temporary files that earlier runs left in the output folder.
#pragma once
#include <string>
#include <vector>

namespace cli {

struct StaleFiles {
    std::vector<std::string> removed;   // names in the output folder ("graphics/" before those of graphics/)
    bool graphicslink = false;          // graphics/ is a link to a folder: nothing in it was looked at
};

// Removes the temporary files of runs that are no longer running, and only they: in dir,
// log.txt, listing.txt, report.html, the manifest (.vitalyx-plots) and a MAKE data set NAME.csv, each
// followed by .tmp-PID, and log.txt.part (the name older versions wrote); in dir/graphics/,
// when it is a folder and not a link, NAME.png and NAME.svg followed by .tmp-PID. A name
// whose PID is above the system's pid_max, or whose process runs, stays, and so does
// anything that is not a regular file.
StaleFiles removestale(const std::string& dir);

// The notes the log gives of it: one naming every file removed, one saying that graphics/ is
// a link in which nothing that the run did not make is removed.
std::vector<std::string> stalenotes(const StaleFiles& s, const std::string& dir);

}  // namespace cli
