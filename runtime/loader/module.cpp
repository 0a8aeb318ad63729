// Loading the procedure module: the shared library, its entry mcn_main, its image record
// and the procedure descriptor.
#include "runtime/loader/module.h"

#include <dlfcn.h>
#include <cstring>

namespace rt::loader {
namespace {

int g_handle;   // the second argument of mcn_main: the host's identification of the load

bool readimage(const imagerec* image, const char* name, Module& m, std::string& err) {
    if (!image || std::strncmp(image->marker, "ZOR_Image_Information=", 22) != 0 || image->magic != IMAGE_MAGIC) {
        err = "the module returned no valid image record";
        return false;
    }
    m.image = image;
    size_t n = std::strlen(name);
    for (const pcndesc* const* p = image->pcns; p && *p; ++p) {
        if (std::strncmp((*p)->name, name, n < 8 ? n : 8) == 0 && (*p)->main) {
            m.pcn = *p;
            return true;
        }
    }
    err = std::string("the module has no procedure descriptor named ") + name;
    return false;
}

}  // namespace

bool attach(mcn_main_fn entry, const char* name, hostinst* instance, Module& m, std::string& err) {
    return readimage(entry(instance, &g_handle), name, m, err);
}

bool load(const std::string& path, const char* name, hostinst* instance, Module& m, std::string& err) {
    m.dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m.dl) {
        const char* e = dlerror();
        err = "cannot load the procedure module " + path + (e ? std::string(": ") + e : std::string());
        return false;
    }
    auto entry = reinterpret_cast<mcn_main_fn>(dlsym(m.dl, "mcn_main"));
    if (!entry) {
        err = "the procedure module " + path + " has no entry mcn_main";
        unload(m);
        return false;
    }
    if (!attach(entry, name, instance, m, err)) {
        unload(m);
        return false;
    }
    return true;
}

void unload(Module& m) {
    if (m.dl) dlclose(m.dl);
    m = Module{};
}

}  // namespace rt::loader
