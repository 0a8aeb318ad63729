// The runtime's session: what every service of the host shares while a program runs.
// The services are plain function pointers without a context argument, so the host
// keeps one current session (set by the step runner, or by a test).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "host/instance.h"
#include "host/vec203_datasets.h"

struct stmtrec;

namespace rt {

// The statements of one PROC step, as the user wrote them.
struct StepSource {
    std::string text;          // from the PROC keyword up to (not including) RUN;/QUIT;
    int firstline = 1;         // program line on which text starts
    int firstcol = 1;          // column of the first character of text
    std::string procname;      // upper case
};

// Where messages go: the runtime's log (log.txt and standard error).
class Log {
public:
    virtual ~Log() = default;
    // kind: 'N' note, 'W' warning, 'E' error, ' ' a plain line (program echo).
    virtual void line(char kind, const std::string& text) = 0;
};

// The system options of a run. Every option is defined once, with its name, its values and
// its default, in runtime/supervisor/options.cpp; the command line (--option), the OPTIONS
// statement and the procedure's queries (xoptcgt, xoptngt) all go through that table.
struct Options {
    Options();                        // the defaults of the table
    bool threads;                     // THREADS
    int cpucount;                     // CPUCOUNT (0: the number of processors)
    std::string debug;                // DEBUG
    int linesize;                     // LINESIZE
    bool statistical;                 // GRAPHICS=STATISTICAL (--graphics statistical)
    bool gstyle;                      // GSTYLE
    std::string style;                // STYLE, upper case
    std::string device;               // DEVICE: the device of device plots, upper case (blank: VITALYX)
    std::string validvarname;         // VALIDVARNAME, upper case
    std::string testthread;           // _TESTTHREAD: "0", "1", "." or empty (not set)
    std::string testthreadzlev;       // _TESTTHREADZLEV
};

struct Session {
    std::string datadir;                          // the WORK library
    std::map<std::string, std::string> libs;      // library name (upper case) -> folder
    std::string outdir;                           // output folder
    Options opts;
    Log* log = nullptr;
    // Device graphics as the tests want them: every page also kept as a recording of its
    // primitives (rt::gfx::allpages), and the names of the output destinations offered to
    // device plots (empty: the one destination of the runtime, HTML).
    bool recordpages = false;
    std::vector<std::string> destinations;
    // Told the path of every plot file the run puts in place in graphics/ and of every MAKE
    // data set it puts in place in the output folder (outdir, "/" and the file's name,
    // whatever library wrote it): the command keeps the list, so that the next run removes the
    // plots this one drew and knows its data sets. Empty: nobody asks.
    std::function<void(const std::string& path)> filewritten;
    // Asked of such a file that a page or a MAKE is about to replace or leave: whether it is
    // the command's own (one this run wrote, or one of an earlier run as it left it); empty:
    // none is, and every such file is noted.
    std::function<bool(const std::string& path)> fileours;
    // Notes of the command's own (the files it removed before the program began), logged
    // when the program begins.
    std::vector<std::string> startnotes;
    // The files the run has read as data sets (with the name of the first reading) and the
    // MAKE data sets it has written, by device and inode: a MAKE does not write over a file
    // read unless the run wrote it.
    std::map<std::pair<uint64_t, uint64_t>, std::string> readfiles;
    std::set<std::pair<uint64_t, uint64_t>> madefiles;
    // Header names of data sets renamed so far (file and name): each is noted once a run.
    std::set<std::string> notedrenames;
    // Files whose fields written NA were noted as missing values: each once a run.
    std::set<std::string> notedna;

    // The step being run.
    const StepSource* step = nullptr;
    hdataset* input = nullptr;                    // DATA= of the step (set by the parser)
    hostinst* inst = nullptr;
    int exitcode = 0;                             // the code given to xexit
    int errors = 0;                               // ERROR lines logged in this step
    int warnings = 0;
    bool syntaxerrors = false;                    // the parser refused the step's statements
    const stmtrec* running = nullptr;             // the statement the procedure runs (xpmstmt)
};

// The current session; null when none is active.
Session* current();
void setcurrent(Session* s);

}  // namespace rt
