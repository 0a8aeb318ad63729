// Who writes and who reads the state block's fields: the field table of docs/architecture.md and
// the records' headers agree with the code, writes from outside an owner's folder are those its
// header lists; and the scan and the checker on small trees made here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "fieldaccess.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace {

std::string listed(const std::vector<fieldacc::Breach>& v) {
    std::string s;
    for (const auto& b : v) s += "\n  " + b.where + ": " + b.what;
    return s;
}

TEST(FieldTable, DocsAndRecordHeadersSayWhoWritesAndReadsEveryField) {
    const fs::path root = VITALYX_SOURCE_DIR;
    const auto recs = fieldacc::records(root);
    ASSERT_GE(recs.size(), 10u);
    size_t fields = 0;
    for (const auto& r : recs) {
        EXPECT_FALSE(r.fields.empty()) << "no struct " << r.type << " with fields in a header of proc/";
        fields += r.fields.size();
    }
    ASSERT_GT(fields, 250u);
    const auto scan = fieldacc::scan(root, recs);
    ASSERT_GT(scan.uses.size(), 3000u) << "the scan found too few uses to be trusted";
    std::string odd;
    for (const auto& u : scan.unclassified) odd += "\n  " + u.where + ": " + u.text;
    EXPECT_TRUE(scan.unclassified.empty()) << "uses the scan cannot classify (write them plainly):" << odd;
    const bool update = std::getenv("VITALYX_UPDATE_DOCS") && std::string(std::getenv("VITALYX_UPDATE_DOCS")) == "1";
    for (const auto& [file, text] : fieldacc::generated(root, recs, scan.uses)) {
        if (update) {
            std::ofstream(root / file, std::ios::binary) << text;
        } else {
            ADD_FAILURE() << file << " does not say who writes and reads the fields: run scripts/fieldtable";
        }
    }
}

TEST(WriterLists, WritesFromOutsideAnOwnersFolderAreListedInItsHeader) {
    const fs::path root = VITALYX_SOURCE_DIR;
    const auto recs = fieldacc::records(root);
    const auto lists = fieldacc::listings(root, recs);
    std::set<std::string> checked;
    for (const auto& l : lists) checked.insert(l.record);
    for (const auto& r : recs)
        EXPECT_TRUE(checked.count(r.name)) << r.header << " lists no writers of " << r.type
                                           << " (// writers: with no name when only its folder writes it)";
    const auto v = fieldacc::checkwriters(recs, fieldacc::scan(root, recs), lists);
    EXPECT_TRUE(v.empty()) << listed(v);
}

// A small tree laid out like the repository: the roof, records of framework and alpha.
class Fields : public ::testing::Test {
protected:
    fs::path root;
    void SetUp() override {
        root = testsupport::tempdir("fields");
        file("proc/vyxstate.h", "struct vyxstate {\n    optsrec opts;\n    alpharec al;\n    betarec be;\n};\n");
        file("proc/framework/optsrec.h",
             "// option readers: readopts\n"
             "struct optsrec {\n"
             "    int a, b;\n"
             "    double lims[4];\n"
             "    struct {\n"
             "        unsigned char nofit, noconf;\n"
             "    } flags;\n"
             "    char label[8];\n"
             "    double* vals;\n"
             "    double (*fn)(double);\n"
             "};\n"
             "//   flags.nofit writers: fitgroup\n");
        file("proc/alpha/alpharec.h", "struct alpharec {\n    int n;\n};\n");
        file("proc/beta/betarec.h", "// writers: betafill\nstruct betarec {\n    int x, y;\n};\n");
        file("proc/framework/decls.h",
             "void fillin(double* v, int n);\nvoid show(const double* v);\nvoid setint(int& x);\nvoid lookint(const int& x);\n");
        file("docs/architecture.md", "# A\n\n### Every field of the state block\n\n| old |\n| --- |\n\n## Tests\n");
    }
    void TearDown() override { fs::remove_all(root); }
    void file(const std::string& path, const std::string& text) {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    }
    std::vector<fieldacc::Breach> check() {
        const auto recs = fieldacc::records(root);
        return fieldacc::checkwriters(recs, fieldacc::scan(root, recs), fieldacc::listings(root, recs));
    }
};

// Each line's comment says what the scan finds there: W (write) or R (read) and the path.
TEST_F(Fields, ReadsAndWritesAsEachLineSays) {
    file("proc/alpha/fit.cpp",
         "#include <cstring>\n"
         "void fit(vyxstate* s) {\n"
         "    s->opts.a = 1;                                   // W a\n"
         "    ++s->opts.b;                                     // W b\n"
         "    s->opts.lims[2] += 1;                            // W lims\n"
         "    s->opts.flags.nofit = s->opts.flags.noconf;      // W flags.nofit, R flags.noconf\n"
         "    fillin(s->opts.lims, 4);                         // W lims\n"
         "    show(s->opts.lims);                              // R lims\n"
         "    setint(s->opts.a);                               // W a\n"
         "    lookint(s->opts.b);                              // R b\n"
         "    std::memcpy(s->opts.label, s->opts.label, 2);    // W label, R label\n"
         "    double* p = &s->opts.lims[1];                    // W lims\n"
         "    const double* q = s->opts.lims;                  // R lims\n"
         "    double* r = s->opts.vals;                        // R vals\n"
         "    s->opts.vals[3] = s->opts.fn(2);                 // W vals, R fn\n"
         "    if (sizeof s->opts.label > 3 && p != &s->opts.lims[0]) {}   // R lims\n"
         "    for (double& v : s->opts.lims) v = 0;            // W lims\n"
         "    for (const double& v : s->opts.lims) (void)v;    // R lims\n"
         "    auto& o = s->opts;\n"
         "    o.b = o.a;                                       // W b, R a\n"
         "    s->al.n++;                                       // W n\n"
         "    struct local { int opts; } g{};\n"
         "    g.opts = 1;\n"
         "}\n"
         "int look(const optsrec& o) { return o.a; }          // R a\n"
         "void readopts(optsrec& o, vyxstate* st) {\n"
         "    o.a = st->be.x;                                  // W a, R x\n"
         "}\n");
    const auto recs = fieldacc::records(root);
    ASSERT_EQ(recs.size(), 3u);
    ASSERT_EQ(recs[0].fields.size(), 7u);   // a b lims flags label vals fn
    EXPECT_EQ(recs[0].owner, "framework");
    EXPECT_TRUE(recs[0].fields[2].array);
    const auto scan = fieldacc::scan(root, recs);
    std::map<int, std::string> got, want;
    for (const auto& u : scan.uses) got[u.line] += std::string(got[u.line].empty() ? "" : ", ") + (u.write ? "W " : "R ") + u.path;
    std::istringstream in(testsupport::readfile((root / "proc/alpha/fit.cpp").string()));
    int n = 0;
    for (std::string l; std::getline(in, l);)
        if (++n, l.find("// ") != std::string::npos && l.find("#include") == std::string::npos) want[n] = l.substr(l.find("// ") + 3);
    EXPECT_EQ(got, want);
    EXPECT_TRUE(scan.unclassified.empty());
    std::set<std::string> routines;
    for (const auto& u : scan.uses) routines.insert(u.routine);
    EXPECT_EQ(routines, (std::set<std::string>{"fit", "look", "readopts"}));
}

// A settings record seen through a writable and a const member of an anonymous union is one
// record: a write through the writable view is a write of the record, checked like any other;
// a pointer of another type named like the state is not the state.
TEST_F(Fields, AWritableViewInAUnionIsTheSameRecord) {
    file("proc/vyxstate.h",
         "struct vyxstate {\n    union {\n        optsrec optsw;\n        const optsrec opts{};\n    };\n    alpharec al;\n"
         "    betarec be;\n};\n");
    file("proc/alpha/fit.cpp",
         "void fit(vyxstate* s) {\n    s->optsw.a = s->opts.b;\n    auto& o = s->optsw;\n    o.lims[0] = s->al.n;\n}\n"
         "void readopts(vyxstate* s) {\n    s->optsw.flags.noconf = 1;\n}\n"
         "void fitgroup(vyxstate*) {}\nvoid betafill(vyxstate*) {}\n"
         "void other(spline* s) {\n    s->opts = nullptr;   // another type's member\n}\n");
    const auto recs = fieldacc::records(root);
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].name, "opts");
    EXPECT_EQ(recs[0].views, std::vector<std::string>{"optsw"});
    EXPECT_EQ(recs[1].name, "al");
    const auto scan = fieldacc::scan(root, recs);
    EXPECT_TRUE(scan.unclassified.empty());
    std::vector<std::string> got;
    for (const auto& u : scan.uses)
        got.push_back(std::to_string(u.line) + (u.write ? " W " : " R ") + u.record + "." + u.path);
    EXPECT_EQ(got, (std::vector<std::string>{"2 W opts.a", "2 R opts.b", "4 W opts.lims", "4 R al.n", "7 W opts.flags.noconf"}));
    const auto v = check();
    ASSERT_EQ(v.size(), 2u) << listed(v);
    EXPECT_NE(v[0].what.find("fit writes opts.a"), std::string::npos) << v[0].what;
    EXPECT_NE(v[1].what.find("fit writes opts.lims"), std::string::npos) << v[1].what;
}

TEST_F(Fields, TheTableAndTheHeadersListsAreWrittenOnceAndThenHold) {
    file("proc/alpha/fit.cpp", "void fit(vyxstate* s) {\n    s->opts.a = s->al.n;\n}\n");
    file("proc/framework/main.cpp", "void run(vyxstate* s) {\n    s->opts.a = 0;\n    s->al.n = 1;\n}\n");
    const auto recs = fieldacc::records(root);
    auto uses = fieldacc::scan(root, recs).uses;
    auto gen = fieldacc::generated(root, recs, uses);
    ASSERT_EQ(gen.size(), 3u);   // the docs, optsrec.h and alpharec.h
    const std::string doc = gen["docs/architecture.md"];
    EXPECT_NE(doc.find("| `a` | `opts.a` | `optsrec` (framework) | alpha, framework | - |\n"), std::string::npos) << doc;
    EXPECT_NE(doc.find("| `n` | `al.n` | `alpharec` (alpha) | framework | alpha |\n"), std::string::npos) << doc;
    EXPECT_NE(doc.find("| `y` | `be.y` | `betarec` (beta) | - | - |\n\n## Tests\n"), std::string::npos) << doc;
    EXPECT_EQ(doc.find("| old |"), std::string::npos);
    EXPECT_NE(gen["proc/alpha/alpharec.h"].find("};\n\n// Fields of alpharec used outside alpha"), std::string::npos);
    EXPECT_NE(gen["proc/alpha/alpharec.h"].find("//   n            written in framework; read in alpha\n"), std::string::npos);
    for (const auto& [f, text] : gen) file(f, text);
    EXPECT_TRUE(fieldacc::generated(root, recs, uses).empty());
    // the list goes when no other folder uses the record's fields
    file("proc/framework/main.cpp", "void run(vyxstate* s) {\n    s->opts.a = 0;\n}\n");
    file("proc/alpha/fit.cpp", "void fit(vyxstate* s) {\n    s->al.n = 1;\n}\n");
    uses = fieldacc::scan(root, recs).uses;
    gen = fieldacc::generated(root, recs, uses);
    EXPECT_EQ(gen["proc/alpha/alpharec.h"], "struct alpharec {\n    int n;\n};\n");
}

TEST_F(Fields, WriterListsEachRuleBrokenOnce) {
    // sound: the option reader, the listed member writer, the whole record's writer; alpha's
    // record has no list, framework owns opts, beta owns be
    const std::string fit =
        "void readopts(vyxstate* s) {\n    s->opts.a = 1;\n    s->opts.flags.noconf = 0;\n}\n"
        "void fitgroup(vyxstate* s) {\n    s->opts.flags.nofit = 1;\n}\n"
        "void betafill(vyxstate* s) {\n    s->be.x = s->be.y = 0;\n}\n";
    file("proc/alpha/fit.cpp", fit);
    file("proc/beta/draw.cpp", "void draw(vyxstate* s) {\n    s->al.n = s->opts.a;\n    s->be.y = 2;\n}\n");
    file("proc/framework/main.cpp", "void run(vyxstate* s) {\n    s->opts.b = 0;\n}\n");
    EXPECT_TRUE(check().empty()) << listed(check());

    auto expectone = [&](const std::string& where, const std::string& what) {
        const auto v = check();
        ASSERT_EQ(v.size(), 1u) << listed(v);
        EXPECT_EQ(v[0].where, where);
        EXPECT_NE(v[0].what.find(what), std::string::npos) << v[0].what;
    };
    // a member the listing does not name
    file("proc/alpha/fit.cpp", fit + "void flags(vyxstate* s) {\n    s->opts.flags.noconf = 1;\n}\n");
    expectone("proc/alpha/fit.cpp:12", "flags writes opts.flags.noconf (owner framework), and proc/framework/optsrec.h lists no such writer");
    // a field of a record whose writers are listed above it
    file("proc/alpha/fit.cpp", fit + "void more(vyxstate* s) {\n    int* p = &s->be.x;\n}\n");
    expectone("proc/alpha/fit.cpp:12", "more writes be.x (owner beta)");
    file("proc/alpha/fit.cpp", fit);
    // a listing of no field, and a listed writer that is no function
    file("proc/beta/betarec.h", "// writers: betafill\nstruct betarec {\n    int x, y;\n};\n//   z writers: draw\n");
    expectone("proc/beta/betarec.h:5", "lists writers of z, which is no field");
    file("proc/beta/betarec.h", "// writers: betafill, drawx\nstruct betarec {\n    int x, y;\n};\n");
    expectone("proc/beta/betarec.h:1", "lists the writer drawx, which is no function or source file of proc/");
    // a source file for every routine in it
    file("proc/beta/betarec.h", "// writers: alpha/fit.cpp\nstruct betarec {\n    int x, y;\n};\n");
    EXPECT_TRUE(check().empty()) << listed(check());
}

}  // namespace
