// Numbers that must carry a name in proc/: read from the source text, line by line, with
// comments and string literals blanked out first.
// - a pool request is one of the poolflag names: no bare request number, no cast of a number
//   to poolflag, no call of the host's pool routines outside proc/framework/pools.h;
// - a distribution code or fit method is a DIST_* or FIT_* name: no number compared with,
//   assigned to or switched on distcode, fitmethod or fitmeth, nor on a local copied from them;
// - an exit code is an RC_* name: no number given to xexit, returned as one of the host's
//   return codes, or put into a return-code variable;
// - a message number is a name of proc/framework/msg*.h: no number as the message argument of
//   xpmlog, xpmstr, rdxmsg or rdxmsgs or of a function or constructor that passes one of its
//   parameters on as a message number (found in the sources), assigned to a local variable so
//   passed, or returned by a function whose result is so passed. 0 (no message), a bound in a
//   comparison and an index are not message numbers; tables of them are not followed.
#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace barenum {

enum class Rule {
    PoolFlag,           // a pool request written as a number, or the pool routines called directly
    DistributionCode,   // a distribution code or fit method written as a number
    ExitCode,           // an exit or return code written as a number
    MessageNumber,      // a message number written as a number
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

// The functions that take a message number, and which of their arguments (from 0) it is: the
// host's message services, and the functions of texts that pass a parameter on to one.
using msgsinks = std::map<std::string, std::set<size_t>>;
msgsinks basesinks();
msgsinks messagesinks(const std::vector<std::string>& texts);
// The lines of text that give a message number as a number.
std::vector<int> messagelines(const std::string& text, const msgsinks& sinks);

// The bare numbers of one file's text (file: its path below the root, as reported); message
// numbers passed through the functions of sinks, by default those of the text itself.
std::vector<Finding> check(const std::string& file, const std::string& text);
std::vector<Finding> check(const std::string& file, const std::string& text, const msgsinks& sinks);
// The bare numbers of every .h and .cpp file below root/top.
std::vector<Finding> checktree(const std::filesystem::path& root, const std::string& top);

}  // namespace barenum
