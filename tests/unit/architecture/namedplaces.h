// Arrays whose places have names are indexed by those names. A member of a struct declared in a
// header of proc/ opts in with a note at the end of its comment:
//     double lims[4];     // lower and upper ends (LIM_* places)
// Then, in every file of proc/, a number written as its index (`s->opts.lims[1]`, `o.lims[0]`)
// is a finding, and so is a note whose prefix names no enumerator of proc/ or host/.
// A member name that is also declared elsewhere without a note is checked only where the object
// it belongs to can be told: a chain from the state block (`s->life.fit.itstatus[1]`).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace places {

struct Note {
    std::string type;     // the struct that declares the member ("" for an unnamed struct)
    std::string member;
    std::string prefix;   // LIM_
    std::string where;    // header:line
};

struct Finding {
    std::string where;    // file:line
    std::string what;
};

// The notes of the headers below root/proc.
std::vector<Note> notes(const std::filesystem::path& root);

// The findings of the tree below root/proc (its headers and sources).
std::vector<Finding> checktree(const std::filesystem::path& root);

}  // namespace places
