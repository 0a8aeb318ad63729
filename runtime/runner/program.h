// Running a program: host statements and PROC steps, in order.
#pragma once
#include <string>
#include "host/module.h"
#include "runtime/session.h"

namespace rt::runner {

struct Config {
    std::string modulepath;      // the procedure module (libzorduvex.so)
    mcn_main_fn linked = nullptr;  // or a module linked into the program (tests)
};

// Runs program text (already read) in session s; the program is echoed to the log
// with line numbers, step by step. Returns the exit status: 0 when no ERROR was
// logged and every step ended with code 0, else 1.
int run(const std::string& text, Session& s, const Config& cfg);

}  // namespace rt::runner
