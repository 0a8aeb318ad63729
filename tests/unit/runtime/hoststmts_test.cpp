// Statements outside a step: lone semicolons are null statements; anything else that is
// not a host statement is named in the error as written, bytes that do not print included.
#include <gtest/gtest.h>

#include <filesystem>
#include "../../support/files.h"
#include "../../support/testhost.h"

namespace {
std::string outdir() { return testsupport::tempdir("host"); }
}  // namespace

TEST(HostStatements, NullStatementsAreNotErrors) {
    const std::string out = outdir();
    auto r = testhost::runprogram(";\n;;\noptions nothreads;\n  ;\nrun;\n", out, out);
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(r.log.count('E'), 0) << r.log.all();
    std::filesystem::remove_all(out);
}

TEST(HostStatements, AStatementNotStartingWithAWordIsShownAsWritten) {
    const std::string out = outdir();
    auto r = testhost::runprogram("\x01\xfe" "abc def;\n(x);\n", out, out);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "Line 1: '\\x01\\xFEabc'")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "Line 2: '(x)'")) << r.log.all();
    std::filesystem::remove_all(out);
}
