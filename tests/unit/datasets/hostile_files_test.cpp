// Data-set files written to break the reader: a FIFO by the data set's name, a header of
// 50,000 columns, and values that would flood the log or forge a log line of their own.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fixture.h"
#include "tests/support/files.h"

using dstest::DataSets;

using testsupport::tempdir;

TEST_F(DataSets, AFifoIsRefusedWithoutWaitingForAWriter) {
    session.datadir = tempdir();
    ASSERT_EQ(mkfifo((session.datadir + "/pipe.csv").c_str(), 0600), 0);
    const auto t0 = std::chrono::steady_clock::now();
    const std::string err = failure("pipe");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
    EXPECT_NE(err.find("data set WORK.pipe: cannot read the file " + session.datadir + "/pipe.csv: not a regular file"),
              std::string::npos)
        << err;
    std::filesystem::remove_all(session.datadir);
}

TEST_F(DataSets, AHeaderOfFiftyThousandColumnsIsReadInLinearTime) {
    session.datadir = tempdir();
    {
        std::ofstream f(session.datadir + "/wide.csv");
        for (int j = 0; j < 50000; ++j) f << (j ? "," : "") << "v" << j;
        f << "\n";
        for (int j = 0; j < 50000; ++j) f << (j ? "," : "") << j;
        f << "\n";
    }
    const auto t0 = std::chrono::steady_clock::now();
    hdataset* d = open("wide");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 10.0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(rt::ds::nvars(d), 50000);
    // a name given twice far apart is still found
    {
        std::ofstream f(session.datadir + "/twice.csv");
        for (int j = 0; j < 50000; ++j) f << (j ? "," : "") << "v" << (j == 49999 ? 3 : j);
        f << "\n";
    }
    const std::string err = failure("twice");
    EXPECT_NE(err.find("the variable v3 is named twice in the header (line 1 of"), std::string::npos) << err;
    EXPECT_NE(err.find("in columns 4 and 50000"), std::string::npos) << err;
    std::filesystem::remove_all(session.datadir);
}
