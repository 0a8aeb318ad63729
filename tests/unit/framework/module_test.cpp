// The module entry and what the host reads from it: mcn_main keeps its two arguments and the
// kernel instance; the image record and the procedure descriptor carry their fixed words. The
// loader refuses what is not such a module, naming the path or what is missing.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/instance.h"
#include "host/module.h"
#include "proc/framework/anchor.h"
#include "proc/main/zorduvex.h"
#include "runtime/loader/module.h"

extern "C" const imagerec* mcn_main(hostinst* instance, void* handle);

TEST(ModuleEntry, GlobalsImageRecordAndDescriptor) {
    hostinst inst{};
    int kernel = 0, handle = 0;
    inst.kernel = &kernel;
    hostinst* before = v_global_gcb_anchor;
    void* beforeh = v_global_pidb_anchor;
    void* beforek = Exported_QXHandle;
    const imagerec* im = mcn_main(&inst, &handle);
    EXPECT_EQ(v_global_gcb_anchor, &inst);
    EXPECT_EQ(v_global_pidb_anchor, &handle);
    EXPECT_EQ(Exported_QXHandle, &kernel);
    ASSERT_NE(im, nullptr);
    EXPECT_STREQ(im->marker, "ZOR_Image_Information=");
    EXPECT_EQ(im->magic, 0xB0BDEBEDu);
    EXPECT_EQ(im->word8, 8u);
    EXPECT_STREQ(im->version, "001");
    ASSERT_NE(im->notice, nullptr);
    ASSERT_NE(im->pcns, nullptr);
    const pcndesc* d = im->pcns[0];
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(im->pcns[1], nullptr) << "one descriptor";
    EXPECT_EQ(d->flags, 0xFFFF0000u);
    EXPECT_EQ(d->w1, 1024u);
    EXPECT_EQ(d->w2, 1024u);
    EXPECT_EQ(std::string(d->name, 8), "zorduvex");
    EXPECT_EQ(d->w5, 0u);
    EXPECT_EQ(d->main, &zorduvex);
    EXPECT_EQ(d->w7, 3u);
    EXPECT_EQ(d->w8, 9683u);
    EXPECT_EQ(d->w9, 0x005395D0u);
    EXPECT_EQ(d->w10, 15u);
    v_global_gcb_anchor = before;
    v_global_pidb_anchor = beforeh;
    Exported_QXHandle = beforek;
}

namespace {
imagerec g_bad{};
const imagerec* badentry(hostinst*, void*) { return &g_bad; }
const imagerec* nullentry(hostinst*, void*) { return nullptr; }
}  // namespace

TEST(ModuleLoader, RefusesWhatIsNotTheModule) {
    hostinst inst{};
    rt::loader::Module m;
    std::string err;
    EXPECT_FALSE(rt::loader::load("/nonexistent/libzorduvex.so", "zorduvex", &inst, m, err));
    EXPECT_NE(err.find("/nonexistent/libzorduvex.so"), std::string::npos) << err;
    err.clear();
    EXPECT_FALSE(rt::loader::load("libm.so.6", "zorduvex", &inst, m, err));
    EXPECT_NE(err.find("has no entry mcn_main"), std::string::npos) << err;
    EXPECT_EQ(m.dl, nullptr) << "a refused library is closed again";
    err.clear();
    EXPECT_FALSE(rt::loader::attach(nullentry, "zorduvex", &inst, m, err));
    EXPECT_NE(err.find("no valid image record"), std::string::npos) << err;
    err.clear();
    EXPECT_FALSE(rt::loader::attach(badentry, "zorduvex", &inst, m, err)) << "marker and magic word missing";
    err.clear();
    hostinst* before = v_global_gcb_anchor;
    EXPECT_FALSE(rt::loader::attach(mcn_main, "other", &inst, m, err));
    EXPECT_NE(err.find("no procedure descriptor named other"), std::string::npos) << err;
    ASSERT_TRUE(rt::loader::attach(mcn_main, "zorduvex", &inst, m, err)) << err;
    EXPECT_EQ(m.pcn->main, &zorduvex);
    v_global_gcb_anchor = before;
}

TEST(ModuleLoader, TheBuiltModuleExportsOnlyItsEntry) {
    void* dl = dlopen(VITALYX_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(dl, nullptr) << dlerror();
    EXPECT_NE(dlsym(dl, "mcn_main"), nullptr);
    // the main routine and the module's globals are the module's own business
    for (const char* internal : {"_Z8zorduvexv", "v_global_gcb_anchor", "v_global_pidb_anchor", "_Z5xinitv"})
        EXPECT_EQ(dlsym(dl, internal), nullptr) << internal << " is exported";
    dlclose(dl);
}
