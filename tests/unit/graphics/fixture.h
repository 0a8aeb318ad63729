// A device-graphics session for the runtime's tests: a session whose output folder is a
// fresh folder under the test's working directory, the device state reset, pages recorded
// (and written when a test asks for files).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/graphics/devstate.h"
#include "runtime/graphics/graphics.h"
#include "runtime/session.h"
#include "tests/support/collectlog.h"

class GraphicsTest : public ::testing::Test {
protected:
    rt::Session session;
    testsupport::CollectLog log;
    const vec116* G = nullptr;
    std::string outdir;

    void SetUp() override {
        outdir = (std::filesystem::current_path() / ("graphics-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                     .string();
        std::filesystem::remove_all(outdir);
        std::filesystem::create_directories(outdir);
        session.outdir = outdir;
        session.log = &log;
        rt::setcurrent(&session);
        rt::gfx::resetdevstate();
        rt::gfx::devstate(&session).record = true;
        rt::gfx::devstate(&session).writefiles = false;
        G = rt::gfx::services();
    }
    void TearDown() override {
        rt::gfx::resetdevstate();
        rt::setcurrent(nullptr);
    }
    // Starts device graphics and opens a page named name; returns the page.
    void* openpage(const char* name) {
        G->ggznew(nullptr);
        EXPECT_EQ(G->gginit(rt::gfx::devstate(&session).state), 0);
        uint32_t cat = 0, handles[2] = {0, 0};
        EXPECT_EQ(G->ggadcat(0, "        ", 4, "GSEG", &cat, 4, 1), 0);
        void* seg = nullptr;
        char n8[8];
        std::memset(n8, ' ', 8);
        std::memcpy(n8, name, std::min<size_t>(8, std::strlen(name)));
        EXPECT_EQ(G->ggoseg(0, 0, cat, &seg, handles, n8, nullptr, "", 1, 1, 0, nullptr, nullptr), 0);
        return seg;
    }
    const rt::gfx::RecordingCanvas& recording(void* seg) { return *static_cast<rt::gfx::Page*>(seg)->rec; }
    static std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream b;
        b << in.rdbuf();
        return b.str();
    }
};
