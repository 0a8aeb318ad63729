// The file of a MAKE data set in its folder: it is never written over data the run has read,
// the temporary copies that killed runs left beside it go before it is written, and a file it
// replaces that is not the command's is said.
#pragma once
#include <string>
#include "runtime/output/makeds.h"
#include "runtime/session.h"

namespace rt::out {

// The ERROR for a MAKE whose file is one the run has read as a data set (the same file by
// device and inode, whatever the spelling, link or library) and has not written itself;
// empty when the data set may be written.
std::string overinput(const Session& s, const MakeRequest& r);

// What the ERROR of a MAKE with NOPRINT whose data set cannot be saved adds: its table (named
// as given) is printed after all ("; table ParmEst is printed in spite of NOPRINT, so that it
// is not lost").
std::string printedinstead(const std::string& table);

// Removes the temporary files "NAME.csv.tmp-PID" of runs no longer running beside the data
// set's file path, and only they; the NOTE naming them, empty when there were none.
std::string cleardeadtemps(const std::string& path);

// The NOTE to log once the data set is put in place, asked before: the file at its name is
// not the command's. In the output folder that is a file the command's list does not hold as
// it left it and this run did not write; in a library's folder (where the command keeps no
// list) one this run did not write. Empty when there is no such file.
std::string replacednote(const Session& s, const MakeRequest& r);

// The run has written the data set at path: a later step may read it and replace it, and in
// the output folder the command lists it.
void madeby(Session& s, const std::string& path);

}  // namespace rt::out
