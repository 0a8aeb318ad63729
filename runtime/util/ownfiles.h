// The names of the files the command makes (plots, MAKE data sets) and of the temporary files
// it writes them under, "BASE.tmp-PID", which a run that was killed while writing leaves
// behind; and their removal, which touches nothing else.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rt::util {

// A plot file's name in graphics/: lower-case letters, digits and underscores, then .png or .svg.
bool plotfilename(std::string_view name);
// A MAKE data set's file name: a name of the language in lower case (a letter or an underscore,
// then letters, digits and underscores, at most 32), then .csv.
bool datasetfilename(std::string_view name);

// Removes from the folder open as dir every regular file "BASE.tmp-PID" for which base(BASE)
// holds, PID is written as the command writes a process id (digits without a leading zero)
// and is at most the system's pid_max (read at run time), and no process of that number runs.
// Links, folders and every other name stay. Returns the names removed, sorted.
std::vector<std::string> removedeadtemps(int dir, const std::function<bool(std::string_view)>& base);

}  // namespace rt::util
