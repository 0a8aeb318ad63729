// Headers that cannot name variables: lines ended by a lone carriage return (the whole file
// would be one header line) and names holding control characters.
#include "fixture.h"
#include "runtime/datasets/varnames.h"

using dstest::DataSets;

TEST_F(DataSets, HeaderWithCarriageReturnsOrControlCharacters) {
    std::string err = failure("crlines");
    EXPECT_NE(err.find("WORK.crlines"), std::string::npos) << err;
    EXPECT_NE(err.find("crlines.csv ends its lines with a lone carriage return"), std::string::npos) << err;
    err = failure("ctlname");
    EXPECT_NE(err.find("column 2 of the header (line 1 of "), std::string::npos) << err;
    EXPECT_NE(err.find("holds a control character"), std::string::npos) << err;
    EXPECT_TRUE(open("crlf"));   // CR LF line ends are read as usual
}

// Names a program cannot write (R writes `ph.ecog`) are made valid variable names: other
// characters become underscores (a UTF-8 character one underscore), a leading digit gets one
// in front, a name that then clashes gets the next free number; each renaming is noted once a
// run, however often the data set is opened, and the variables are found by their new names.
TEST_F(DataSets, HeaderNamesAProgramCannotWriteAreMadeValidAndNotedOnce) {
    hdataset* d = open("rnames");
    ASSERT_TRUE(d);
    std::vector<std::string> names;
    for (int32_t j = 1; j <= rt::ds::nvars(d); ++j) {
        vardesc desc{};
        v.xvname(d, j, &desc);
        names.push_back(desc.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"time", "ph_ecog2", "ph_ecog", "_1st", "dose__mg_", "s__", "a_b", "a_b2", "x"}));
    EXPECT_EQ(var(d, "PH_ECOG2"), 2);
    EXPECT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(log.lines[0], "N:Data set WORK.rnames: the variable named 'ph.ecog' in the header is called ph_ecog2, a name a "
                            "program can write.");
    open("rnames");
    EXPECT_EQ(log.lines.size(), 5u);   // noted once

    // Within 32 characters, the number replacing the end of a name that is already that long.
    std::vector<std::string> longnames{std::string(31, 'a') + "_", std::string(31, 'a') + "."};
    const auto r = rt::ds::validnames(longnames, 32);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(longnames[1], std::string(31, 'a') + "2");
}
