// Numbers that must carry a name in proc/: read from the source text, line by line, with
// comments and string literals blanked out first.
// - a pool request is one of the poolflag names: no bare request number, no cast of a number
//   to poolflag, no call of the host's pool routines outside proc/framework/pools.h;
// - a distribution code or fit method is a DIST_* or FIT_* name: no number compared with,
//   assigned to or switched on distcode, fitmethod or fitmeth, nor on a local copied from them;
// - an exit code is an RC_* name: no number given to xexit, returned as one of the host's
//   return codes, or put into a return-code variable.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace barenum {

enum class Rule {
    PoolFlag,           // a pool request written as a number, or the pool routines called directly
    DistributionCode,   // a distribution code or fit method written as a number
    ExitCode,           // an exit or return code written as a number
};
const char* rulename(Rule r);

struct Finding {
    Rule rule;
    std::string where;   // file:line
    std::string text;    // the line, trimmed
};
std::string describe(const Finding& f);

// The text with comments, string and character literals blanked out (newlines kept).
std::string codeonly(const std::string& text);

// The bare numbers of one file's text (file: its path below the root, as reported).
std::vector<Finding> check(const std::string& file, const std::string& text);
// The bare numbers of every .h and .cpp file below root/top.
std::vector<Finding> checktree(const std::filesystem::path& root, const std::string& top);

}  // namespace barenum
