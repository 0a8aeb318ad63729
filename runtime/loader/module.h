// Loading the procedure module: the shared library, its entry, image record and descriptor.
#pragma once
#include <string>
#include "host/module.h"

namespace rt::loader {

struct Module {
    void* dl = nullptr;                 // dlopen handle; null for a module linked in
    const imagerec* image = nullptr;
    const pcndesc* pcn = nullptr;       // the descriptor whose name is the module's
};

// Loads the shared library at path, calls its mcn_main(instance, handle) once and finds
// the descriptor named name. On failure returns false with err set.
bool load(const std::string& path, const char* name, hostinst* instance, Module& m, std::string& err);
// The same for a module linked into the running program (tests).
bool attach(mcn_main_fn entry, const char* name, hostinst* instance, Module& m, std::string& err);
void unload(Module& m);

}  // namespace rt::loader
