// Sinks put a finished file in place whatever the path held: nothing, a former file (which
// is replaced without a stray temporary left), or a folder (an error, the folder kept).
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include "fixture.h"
#include "runtime/output/spool.h"

namespace {

namespace fs = std::filesystem;

class SinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxsink-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }
    bool write(const std::string& path, const std::string& text, std::string& err) {
        rt::out::Sink s;
        if (!s.open(path, err)) return false;
        s.write(text);
        return s.commit(err);
    }
    int entries() const {
        int n = 0;
        for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
        return n;
    }
    std::string dir;
};

TEST_F(SinkTest, NewThenReplacedFile) {
    std::string path = dir + "/listing.txt", err;
    ASSERT_TRUE(write(path, "first run\n", err)) << err;
    EXPECT_EQ(outtest::readfile(path), "first run\n");
    // A hard link keeps the former content: the file is replaced, not overwritten in place.
    fs::create_hard_link(path, dir + "/kept.txt");
    ASSERT_TRUE(write(path, "second, longer run\n", err)) << err;
    EXPECT_EQ(outtest::readfile(path), "second, longer run\n");
    EXPECT_EQ(outtest::readfile(dir + "/kept.txt"), "first run\n");
    EXPECT_EQ(entries(), 2);   // no temporary file left behind
}

TEST_F(SinkTest, FolderInTheWayIsAnError) {
    std::string path = dir + "/report.html", err;
    fs::create_directories(path + "/inside");
    EXPECT_FALSE(write(path, "<html>", err));
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
    EXPECT_EQ(entries(), 1);
}

TEST_F(SinkTest, LinkInTheWayIsReplacedByTheFile) {
    std::string path = dir + "/big.csv", err;
    { std::ofstream(dir + "/target.csv") << "a,b\n"; }
    fs::create_symlink(dir + "/target.csv", path);
    ASSERT_TRUE(write(path, "x,y\n", err)) << err;
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(outtest::readfile(path), "x,y\n");
    EXPECT_EQ(outtest::readfile(dir + "/target.csv"), "a,b\n");
    EXPECT_EQ(entries(), 2);
}

}  // namespace
