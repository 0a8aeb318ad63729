// vitalyx: runs a program file of PROC VITALYX steps against CSV data sets.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>

#include "cli/args.h"
#include "cli/logfile.h"
#include "cli/manifest.h"
#include "cli/progfile.h"
#include "cli/stale.h"
#include "cli/stdfds.h"
#include "runtime/output/output.h"
#include "runtime/runner/program.h"
#include "runtime/session.h"


namespace {

// The module beside the executable, unless VITALYX_MODULE names another.
std::string modulepath() {
    if (const char* env = std::getenv("VITALYX_MODULE"); env && *env) return env;
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "libzorduvex.so";
    buf[n] = '\0';
    return (std::filesystem::path(buf).parent_path() / "libzorduvex.so").string();
}

// The run proper; the exceptions it lets through are caught by main.
int run(int argc, char** argv) {
    cli::Args a;
    std::string err;
    if (!cli::parse(argc, argv, a, err)) {
        std::fprintf(stderr, "vitalyx: %s\n%s", err.c_str(), cli::usage().c_str());
        return 2;
    }
    if (a.help) {
        std::fputs(cli::usage().c_str(), stdout);
        return 0;
    }
    std::string program;
    rt::Session s;
    if (!cli::readprogram(a.program, program, err) || !cli::applyoptions(a.options, s.opts, err)) {
        std::fprintf(stderr, "vitalyx: %s\n", err.c_str());
        return 2;
    }

    std::error_code ec;
    std::filesystem::create_directories(a.outdir, ec);
    if (ec) {
        std::fprintf(stderr, "vitalyx: cannot create the output folder %s: %s\n", a.outdir.c_str(), ec.message().c_str());
        return 2;
    }
    // what earlier runs that crashed or were killed left behind, and the plots of earlier runs
    // (this run draws its own; a plot an earlier run drew and this one does not must not stay)
    const cli::StaleFiles stale = cli::removestale(a.outdir);
    cli::Manifest own(a.outdir);
    own.clearearlier();
    cli::FileLog log(a.outdir + "/log.txt");
    if (!log.ok()) {
        std::fprintf(stderr, "vitalyx: cannot write the log into %s: %s\n", a.outdir.c_str(), log.error().c_str());
        return 2;
    }

    s.datadir = a.datadir;
    s.libs = a.libs;
    s.outdir = a.outdir;
    s.log = &log;
    s.filewritten = [&own](const std::string& path) { own.written(path); };
    s.fileours = [&own](const std::string& path) { return own.ours(path); };
    s.startnotes = cli::stalenotes(stale, a.outdir);

    rt::runner::Config cfg;
    cfg.modulepath = modulepath();
    int status = rt::runner::run(program, s, cfg);
    rt::setcurrent(&s);
    std::string oerr;
    if (rt::out::endprogram(oerr) != 0) {
        log.line('E', oerr);
        status = 1;
    }
    rt::setcurrent(nullptr);
    if (!log.close()) {
        std::string where;
        if (!log.kept().empty()) where = "; it is kept as " + log.kept() + ", which later runs do not remove";
        else if (std::filesystem::exists(log.temporary()))
            where = "; it is kept in " + log.temporary() + " until the next run, which removes it as a stopped run's file";
        std::fprintf(stderr, "vitalyx: ERROR: the log could not be put in place as %s/log.txt: %s%s\n", a.outdir.c_str(),
                     log.error().c_str(), where.c_str());
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // before any file is opened: the log must not land on a closed standard descriptor
    cli::ensurestandardfds();
    cli::bufferstandardoutput();
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vitalyx: ERROR: out of memory; the run was stopped.\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vitalyx: ERROR: the run was stopped by an internal error: %s\n", e.what());
    }
    return 1;
}
