// A library whose folder does not exist is reported as such, not as a missing file in it.
#include "fixture.h"

using dstest::DataSets;

TEST_F(DataSets, MissingLibraryFolderIsNamed) {
    session.libs["MYLIB"] = "/nonexistent/vitalyx-lib";
    std::string err = failure("fans", "mylib");
    EXPECT_NE(err.find("mylib.fans"), std::string::npos) << err;
    EXPECT_NE(err.find("the folder /nonexistent/vitalyx-lib of library MYLIB does not exist"), std::string::npos) << err;
    session.datadir = "/nonexistent/vitalyx-work";
    err = failure("fans");
    EXPECT_NE(err.find("the folder /nonexistent/vitalyx-work of library WORK does not exist"), std::string::npos) << err;
}
