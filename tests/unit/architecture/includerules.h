// The include rules of the source tree, read from the #include lines of its files:
// - proc/ includes only host/, common/ and proc/ (never runtime/), host/ only host/, and
//   common/ (pure computations of the procedure and the runtime both) only common/;
// - the floors of proc/: every other proc/ folder X has one public header proc/X/X.h, which
//   includes only proc/framework, proc/numeric, host/ and common/; proc/framework includes no other
//   proc/ folder, proc/numeric only proc/framework; any folder includes its own headers, the
//   floors, and other folders' public headers, never their private ones;
// - the roof proc/vyxstate.h, the state block made of its owners' records, lies above the
//   folders: it includes their state headers, and any file may include it but a header of the
//   floors or a public header (those only declare struct vyxstate);
// - proc/main, the main routine, lies above every folder: it has no public header, may include
//   every folder's public header, and no file outside it includes one of its files;
// - the folders of runtime/ form no include cycle.
// The checker runs on any tree laid out like the repository (the tests build small ones).
#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace incrules {

// One #include "..." line: the including file and the included one, both relative to the
// root of the tree (an include without a folder resolves against the including file's folder).
struct Include {
    std::string file;
    int line = 0;
    std::string target;
};

// Every quoted include of the .h and .cpp files below root/top (top: "proc", "runtime", ...).
std::vector<Include> scan(const std::filesystem::path& root, const std::string& top);

enum class Rule {
    ProcOutsideProcAndHost,   // a proc/ file includes something that is neither proc/, host/ nor common/
    HostOutsideHost,          // a host/ header includes something outside host/
    CommonOutsideCommon,      // a common/ file includes something outside common/
    NoPublicHeader,           // a proc/ folder above the floors has no proc/X/X.h
    PublicHeaderIncludes,     // a public header includes more than framework, numeric and host/
    FloorIncludesAbove,       // framework includes another proc/ folder, numeric more than framework
    PrivateHeader,            // a folder includes another folder's private header
    MainIncluded,             // a file outside proc/main includes a file of proc/main
    RuntimeCycle,             // runtime/ folders include one another round a cycle
};
const char* rulename(Rule r);

struct Violation {
    Rule rule;
    std::string where;   // file:line, or the folder
    std::string what;
};
std::string describe(const Violation& v);

// The boundaries: proc/ reaches only host/ and common/, host/ and common/ only themselves.
std::vector<Violation> checkboundary(const std::vector<Include>& proc, const std::vector<Include>& host,
                                     const std::vector<Include>& common = {});
// The floors of proc/; folders are the folders of root/proc.
std::vector<Violation> checkfloors(const std::filesystem::path& root, const std::vector<Include>& proc);
// Include cycles between the folders of runtime/ (files directly in runtime/ form the folder
// "runtime"); one violation per cycle, naming its folders and an include of each edge.
std::vector<Violation> checkruntimecycles(const std::vector<Include>& runtime);

// The folder graph of runtime/: each folder and the folders it includes.
std::map<std::string, std::set<std::string>> runtimegraph(const std::vector<Include>& runtime);

}  // namespace incrules
