// Module entry: the image record, the procedure descriptor and mcn_main.
#include "host/module.h"

#include "proc/framework/anchor.h"
#include "proc/main/zorduvex.h"

namespace {
const char kNotice[] = "VITALYX life-data analysis procedure";
}

extern "C" {

const pcndesc pcn_ZORDUVEX = {
    0xFFFF0000u, 1024, 1024, {'z', 'o', 'r', 'd', 'u', 'v', 'e', 'x'}, 0, zorduvex, 3, 9683, 0x005395D0u, 15,
};

const pcndesc* const mcn_pcns[] = {&pcn_ZORDUVEX, nullptr};

const imagerec vi_mcn = {
    "ZOR_Image_Information=", IMAGE_MAGIC, 8, "1.0", "vitalyx", "Dec 07 2026", mcn_pcns, kNotice, "001",
};

// An empty hook, called once at load.
void himodcn() {}

__attribute__((visibility("default"))) const imagerec* mcn_main(hostinst* instance, void* handle) {
    v_global_gcb_anchor = instance;
    v_global_pidb_anchor = handle;
    himodcn();
    Exported_QXHandle = instance->kernel;
    return &vi_mcn;
}

}  // extern "C"
