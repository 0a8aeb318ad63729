// The command line of vitalyx.
#pragma once
#include <map>
#include <string>

namespace cli {

struct Args {
    std::string program;
    std::string datadir;                         // --data (default: the program's folder)
    std::map<std::string, std::string> libs;     // --lib NAME=DIR
    std::string outdir;                          // --out (default: vitalyx-out/ beside the program)
    std::string graphics = "device";             // --graphics device|statistical
    std::map<std::string, std::string> options;  // --option NAME=VALUE
    bool help = false;
};

// Parses argv; on a usage error returns false with err set.
bool parse(int argc, char** argv, Args& a, std::string& err);
// The usage text, with the system options --option takes.
std::string usage();

}  // namespace cli
