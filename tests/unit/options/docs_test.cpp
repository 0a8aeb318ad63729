// docs/statements.md (for users) and docs/option-slots.md (for developers) are the grammar
// rendered; they must not drift from what the parser accepts, and every statement and option
// must say what it does.
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "proc/framework/grammar_tables.h"
#include "reference.h"
#include "tests/support/files.h"

namespace {

void compare(const std::string& name, const std::string& want) {
    const std::string path = VITALYX_SOURCE_DIR "/docs/" + name;
    if (const char* u = std::getenv("VITALYX_UPDATE_DOCS"); u && std::string(u) == "1") std::ofstream(path) << want;
    EXPECT_EQ(testsupport::readfile(path), want) << "docs/" << name
                                                 << " is out of date: run unit_options with VITALYX_UPDATE_DOCS=1";
}

}  // namespace

TEST(Reference, DocsMatchTheGrammarAndSayWhatEveryOptionDoes) {
    std::vector<std::string> missing;
    const std::string users =
        renderreference(*vyxgrammar(), loadmeanings(VITALYX_TEST_DATA "/options/meanings.txt"), missing);
    std::string list;
    for (const auto& m : missing) list += "\n  " + m;
    EXPECT_TRUE(missing.empty()) << "statements and options without a sentence in tests/data/options/meanings.txt:"
                                 << list;
    // the table of the rows the life-data statements skip closes the page
    compare("statements.md", users + testsupport::readfile(VITALYX_TEST_DATA "/options/skipped-rows.md"));
    compare("option-slots.md", renderslots(*vyxgrammar()));
}
