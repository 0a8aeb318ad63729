// The system options: one table of names, values and defaults, read by the command line
// (--option NAME=VALUE), the OPTIONS statement and the procedure's option queries.
#pragma once
#include <string>
#include <vector>
#include "runtime/session.h"

namespace rt::opt {

enum class Kind {
    Flag,     // on or off: NAME / NONAME in OPTIONS, NAME=YES|NO|1|0 on the command line
    Whole,    // a whole number from lo to hi
    Word,     // one of the listed words
    Name,     // a name: letters, digits and underscores, at most 32 characters
    Text,     // any text
};

struct Def {
    const char* name;
    Kind kind;
    long lo, hi;               // Whole
    const char* words;         // Word: "DEVICE|STATISTICAL"
    const char* fallback;      // the default, as text
    const char* meaning;       // one sentence for the user
};

const std::vector<Def>& table();
// The definition of name (any case); null when no such option exists.
const Def* find(const std::string& name);
// The names of every option, for messages: "THREADS, CPUCOUNT=, ...".
std::string names();

// Sets option name to value; false with err ("LINESIZE= needs a whole number from 64 to
// 256, not '40'") when the name is unknown or the value is not one the option takes.
bool set(Options& o, const std::string& name, const std::string& value, std::string& err);
// The value of an option as text (flags "1" or "0"); false when no such option exists.
bool text(const Options& o, const std::string& name, std::string& value);
// The value of a flag or a whole number; false for other options and unknown names.
bool number(const Options& o, const std::string& name, double& value);
// Every option back to its default.
void reset(Options& o);

}  // namespace rt::opt
