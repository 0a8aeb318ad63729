// The command's program file and --option values: a usage error names the file or the option
// and its value before anything is written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/manifest.h"
#include "cli/progfile.h"
#include "cli/stale.h"
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

// The plot files of earlier runs: what the manifest lists is removed when it is still as the
// command wrote it, a plain file of graphics/; nothing outside the folder, no link, no file of
// the user's, and nothing at all from a manifest without its header or through a graphics/ that
// is a link. A MAKE data set it lists is never removed, and is the command's while unchanged.
TEST(Manifest, EarlierRunsPlotsGoAndNothingElse) {
    namespace fs = std::filesystem;
    const std::string dir = tempdir(), out = dir + "/out", g = out + "/graphics";
    fs::create_directories(g);
    auto put = [](const std::string& path, const std::string& text) { std::ofstream(path) << text; };
    {   // a run that draws two plots
        cli::Manifest run(out);
        run.clearearlier();
        for (const char* f : {"vitalyx.png", "vitalyx1.svg"}) {
            put(g + "/" + f, "plot");
            run.written(g + "/" + f);
        }
        put(out + "/pe.csv", "data");
        run.written(out + "/pe.csv");
    }
    put(g + "/mine.png", "the user's");
    put(dir + "/outside.png", "outside");
    fs::create_symlink(dir + "/outside.png", g + "/link.png");
    // entries no run of the command writes, and one whose file was changed since
    std::ofstream(out + "/" + cli::Manifest::kName, std::ios::app)
        << "7 0 ../outside.png\n7 0 /tmp/outside.png\n4 0 sub/x.png\n7 0 link.png\n4 1 mine.png\n";
    cli::Manifest next(out);
    EXPECT_EQ(next.clearearlier(), (std::vector<std::string>{"vitalyx.png", "vitalyx1.svg"}));
    EXPECT_FALSE(fs::exists(g + "/vitalyx.png"));
    EXPECT_TRUE(fs::exists(g + "/mine.png") && fs::exists(dir + "/outside.png") && fs::is_symlink(g + "/link.png"));

    // This run's plot, in a manifest whose header is damaged, or behind a graphics/ link: kept.
    put(g + "/vitalyx.png", "plot");
    next.written(g + "/vitalyx.png");
    std::string text = testsupport::readfile(out + "/" + cli::Manifest::kName);
    put(out + "/" + cli::Manifest::kName, "x" + text);
    EXPECT_TRUE(cli::Manifest(out).clearearlier().empty());
    EXPECT_TRUE(fs::exists(g + "/vitalyx.png"));
    put(out + "/" + cli::Manifest::kName, text);
    fs::rename(g, dir + "/real");
    fs::create_directory_symlink(dir + "/real", g);
    EXPECT_TRUE(cli::Manifest(out).clearearlier().empty());
    EXPECT_TRUE(fs::exists(dir + "/real/vitalyx.png"));
    cli::Manifest last(out);
    EXPECT_TRUE(last.clearearlier().empty());
    EXPECT_TRUE(fs::exists(out + "/pe.csv") && last.ours(out + "/pe.csv"));
    put(out + "/pe.csv", "the user's");
    EXPECT_FALSE(last.ours(out + "/pe.csv"));
    fs::remove_all(dir);
}

// Temporary files of killed runs: only the names the command writes under (its outputs in the
// output folder, plots in graphics/), with the number of a process that is gone and no larger
// than pid_max, and only regular files; nothing at all behind a graphics/ link.
TEST(StaleFiles, OnlyTheCommandsTemporaryNamesOfGoneProcessesGo) {
    namespace fs = std::filesystem;
    const std::string dir = tempdir(), out = dir + "/out", g = out + "/graphics";
    fs::create_directories(g);
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string gone = std::to_string(child), live = std::to_string(getpid());
    long pidmax = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> pidmax;
    ASSERT_GT(pidmax, 0);
    auto put = [](const std::string& path) { std::ofstream(path) << "x"; };
    const std::vector<std::string> removed = {"log.txt.tmp-" + gone,     ".vitalyx-plots.tmp-" + gone, "a_1.csv.tmp-" + gone,
                                              "report.html.tmp-" + gone, "log.txt.part",              "graphics/p_2.png.tmp-" + gone,
                                              "graphics/q.svg.tmp-" + gone};
    const std::vector<std::string> kept = {
        "listing.txt.tmp-" + live, "listing.txt.tmp-0" + gone, "pe.csv.tmp-" + std::to_string(pidmax + 1), "A.csv.tmp-" + gone,
        "1a.csv.tmp-" + gone,      "notes.tmp-" + gone,        "x.txt.tmp-" + gone,   "listing.txt.tmp-" + gone + "x",
        "graphics/log.txt.part",   "graphics/P.png.tmp-" + gone, "graphics/x.csv.tmp-" + gone};
    for (const auto& f : removed) put(out + "/" + f);
    for (const auto& f : kept) put(out + "/" + f);
    put(dir + "/outside");
    fs::create_symlink(dir + "/outside", out + "/b.csv.tmp-" + gone);
    fs::create_directory(out + "/c.csv.tmp-" + gone);

    cli::StaleFiles s = cli::removestale(out);
    std::vector<std::string> want = {".vitalyx-plots.tmp-" + gone, "a_1.csv.tmp-" + gone, "log.txt.tmp-" + gone,
                                     "report.html.tmp-" + gone, "log.txt.part", "graphics/p_2.png.tmp-" + gone,
                                     "graphics/q.svg.tmp-" + gone};
    EXPECT_EQ(s.removed, want);
    EXPECT_FALSE(s.graphicslink);
    for (const auto& f : kept) EXPECT_TRUE(fs::exists(out + "/" + f)) << f;
    EXPECT_TRUE(fs::is_symlink(out + "/b.csv.tmp-" + gone) && fs::exists(dir + "/outside") && fs::is_directory(out + "/c.csv.tmp-" + gone));

    fs::rename(g, dir + "/real");
    fs::create_directory_symlink(dir + "/real", g);
    put(dir + "/real/p_2.png.tmp-" + gone);
    s = cli::removestale(out);
    EXPECT_TRUE(s.removed.empty());
    EXPECT_TRUE(s.graphicslink);
    EXPECT_TRUE(fs::exists(dir + "/real/p_2.png.tmp-" + gone) && fs::exists(dir + "/real/log.txt.part"));
    EXPECT_EQ(cli::stalenotes(s, "out"), (std::vector<std::string>{
                                              "graphics/ in the output folder out is a link to a folder elsewhere: the plots are "
                                              "written there, but nothing this run did not make is removed from it."}));
    fs::remove_all(dir);
}
