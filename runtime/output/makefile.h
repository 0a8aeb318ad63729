// The file of a MAKE data set in its folder: it is never written over data the run has read,
// and the temporary copies that killed runs left beside it go before it is written.
#pragma once
#include <string>
#include "runtime/output/makeds.h"
#include "runtime/session.h"

namespace rt::out {

// The ERROR for a MAKE whose file is one the run has read as a data set (the same file by
// device and inode, whatever the spelling, link or library) and has not written itself;
// empty when the data set may be written.
std::string overinput(const Session& s, const MakeRequest& r);

// Removes the temporary files "NAME.csv.tmp-PID" of runs no longer running beside the data
// set's file path, and only they; the NOTE naming them, empty when there were none.
std::string cleardeadtemps(const std::string& path);

// The run has written the data set at path: a later step may read it and replace it.
void madeby(Session& s, const std::string& path);

}  // namespace rt::out
