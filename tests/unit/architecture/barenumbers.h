// Numbers that must carry a name in proc/: read from the source text, line by line, with
// comments and string literals blanked out first.
// - a pool request is one of the poolflag names: no bare request number, no cast of a number
//   to poolflag, no call of the host's pool routines outside proc/framework/pools.h;
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace barenum {

enum class Rule {
    PoolFlag,   // a pool request written as a number, or the pool routines called directly
};
const char* rulename(Rule r);

struct Finding {
    Rule rule;
    std::string where;   // file:line
    std::string text;    // the line, trimmed
};
std::string describe(const Finding& f);

// The bare numbers of one file's text (file: its path below the root, as reported).
std::vector<Finding> check(const std::string& file, const std::string& text);
// The bare numbers of every .h and .cpp file below root/top.
std::vector<Finding> checktree(const std::filesystem::path& root, const std::string& top);

}  // namespace barenum
