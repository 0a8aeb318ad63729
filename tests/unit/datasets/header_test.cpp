// Headers that cannot name variables: lines ended by a lone carriage return (the whole file
// would be one header line) and names holding control characters.
#include "fixture.h"

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
