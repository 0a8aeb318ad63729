// docs/statements.md is the grammar rendered; it must not drift from what the parser accepts.
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "proc/framework/grammar_tables.h"
#include "reference.h"

TEST(Reference, DocsMatchTheGrammar) {
    const std::string path = VITALYX_SOURCE_DIR "/docs/statements.md";
    const std::string want = renderreference(*vyxgrammar());
    if (const char* u = std::getenv("VITALYX_UPDATE_DOCS"); u && std::string(u) == "1") {
        std::ofstream(path) << want;
    }
    std::ifstream in(path);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), want) << "docs/statements.md is out of date: run unit_options with VITALYX_UPDATE_DOCS=1";
}
