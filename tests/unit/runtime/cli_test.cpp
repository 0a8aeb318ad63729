// The command's program file and --option values: a usage error names the file or the option
// and its value before anything is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/progfile.h"
#include "tests/support/files.h"

using testsupport::tempdir;

TEST(ProgramFile, MissingFoldersAndFilesWithBinaryBytes) {
    const std::string dir = tempdir();
    std::string text, err;
    EXPECT_FALSE(cli::readprogram(dir + "/nosuch.vx", text, err));
    EXPECT_NE(err.find("nosuch.vx"), std::string::npos) << err;
    err.clear();
    EXPECT_FALSE(cli::readprogram(dir, text, err)) << "a folder is not a program";
    EXPECT_NE(err.find("is a folder"), std::string::npos) << err;
    // every byte comes back, NULs included
    const std::string bytes("proc vitalyx;\0\xff\r\nrun;", 21);
    std::ofstream(dir + "/p.vx", std::ios::binary) << bytes;
    ASSERT_TRUE(cli::readprogram(dir + "/p.vx", text, err)) << err;
    EXPECT_EQ(text, bytes);
    std::filesystem::remove_all(dir);
}

TEST(CommandOptions, ValuesAreCheckedAndUnknownNamesRefused) {
    struct Bad {
        const char* name;
        const char* value;
    };
    for (const Bad& b : {Bad{"LINESIZE", "abc"}, Bad{"LINESIZE", "40"}, Bad{"CPUCOUNT", "0"}, Bad{"CPUCOUNT", "2x"},
                         Bad{"THREADS", "maybe"}, Bad{"GRAPHICS", "vector"}, Bad{"STYLE", "a b"},
                         Bad{"VALIDVARNAME", "V8"}, Bad{"NOSUCHOPTION", "1"}}) {
        rt::Options o;
        std::string err;
        EXPECT_FALSE(cli::applyoptions({{b.name, b.value}}, o, err)) << b.name << "=" << b.value;
        EXPECT_NE(err.find(b.name), std::string::npos) << err;
        if (std::string(b.name) != "NOSUCHOPTION") {
            EXPECT_NE(err.find(std::string("'") + b.value + "'"), std::string::npos) << err;
        }
    }
    rt::Options o;
    EXPECT_EQ(o.linesize, 100);
    EXPECT_FALSE(o.gstyle);
    EXPECT_EQ(o.style, "DEFAULT");
    std::string err;
    ASSERT_TRUE(cli::applyoptions({{"LINESIZE", "120"}, {"CPUCOUNT", "3"}, {"THREADS", "no"}, {"DEBUG", "syn"},
                                   {"GSTYLE", "1"}, {"STYLE", "journal"}, {"GRAPHICS", "Statistical"}},
                                  o, err))
        << err;
    EXPECT_EQ(o.linesize, 120);
    EXPECT_EQ(o.cpucount, 3);
    EXPECT_FALSE(o.threads);
    EXPECT_EQ(o.debug, "syn");
    EXPECT_TRUE(o.gstyle);
    EXPECT_EQ(o.style, "JOURNAL");
    EXPECT_TRUE(o.statistical);
}
