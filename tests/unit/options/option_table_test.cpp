// Walks every option form of every statement: writes it as a user would, parses the statement
// and checks exactly what the record holds beyond the statement's head. The expectations are
// a table of their own (tests/data/options/option_rows.txt); a second test makes sure that
// table names every keyword, alias and value keyword the grammar accepts.
#include <gtest/gtest.h>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include "host/grammar.h"
#include "../statements/parsehelp.h"
#include "reference.h"

using namespace vxtest;

namespace {

struct Row {
    std::string stmt, text, expect;
    int line;
};

std::vector<Row> loadrows() {
    std::vector<Row> rows;
    std::ifstream in(VITALYX_TEST_DATA "/options/option_rows.txt");
    std::string l;
    int n = 0;
    while (std::getline(in, l)) {
        ++n;
        if (l.empty() || l[0] == '#') continue;
        size_t a = l.find('|'), b = l.rfind('|');
        rows.push_back({l.substr(0, a), l.substr(a + 1, b - a - 1), l.substr(b + 1), n});
    }
    return rows;
}

// The keyword a row starts with (upper case).
std::string rowkeyword(const std::string& text) {
    std::string k;
    for (char ch : text) {
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') break;
        k += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return k;
}

// The statement as written around the options, and the index of its record.
struct Head {
    std::string before;
    int record;
};
Head headof(const std::string& stmt) {
    if (stmt == "PROBPLOT") return {"probplot hours", 1};
    if (stmt == "RELATIONPLOT") return {"relationplot hours = temp", 1};
    if (stmt == "MCFPLOT") return {"mcfplot hours*nrec(0)", 1};
    if (stmt == "ANALYZE") return {"analyze hours", 1};
    if (stmt == "MODEL") return {"model hours = temp", 1};
    if (stmt == "LOGSCALE") return {"logscale temp", 1};
    if (stmt == "INSET") return {"probplot hours; inset n", 2};
    if (stmt == "FMODE") return {"fmode mode=('seal')", 1};
    return {"", -1};
}

// RELATIONPLOT takes every PROBPLOT option but these (and has a FITTYPE of its own).
const std::set<std::string> relexcept = {"ORDER1", "ORDER2", "OVERLAY", "MISSING1", "MISSING2", "NOINSET",
                                         "CENBIN", "MAXITEM", "MAXITEREM", "TOLLIKE", "TOLPROB", "PROBLIST"};
// The PROBPLOT keywords MCFPLOT takes with the same slot or flag.
const std::set<std::string> mcfshared = {
    "OVERLAY", "MISSING1", "MISSING2", "INBORDER", "NOCONF", "NOCL", "NOGRID", "NOFRAME", "TURNVLABEL",
    "TURNVLABELS", "NOCENPLOT", "MINORLOGGRID", "MLGRID", "NOINSET", "CENBIN", "CCENBIN", "SQUARE", "ORDER1",
    "ORDER2", "DESCRIPTION", "DES", "ANNOTATE", "ANNO", "NAME", "CFRAME", "CTEXT", "CT", "HREF", "LHREF", "LH",
    "CHREF", "CH", "HREFLABELS", "HREFLABEL", "HREFLAB", "VREF", "LVREF", "LV", "CVREF", "CV", "VREFLABELS",
    "VREFLABEL", "VREFLAB", "CGRID", "CAXIS", "CAXES", "CA", "CFRAMETOP", "CFRAMESIDE", "LGRID", "WAXIS",
    "VREFLABPOS", "HREFLABPOS", "HOFFSET", "VOFFSET", "INTERTILE", "LFIT", "NROWS", "NROW", "DOWN", "NCOLS",
    "NCOL", "ACROSS", "FONT", "INFONT", "HEIGHT", "INHEIGHT", "CCENSOR", "JITTER", "CENSYMBOL", "CENCOLOR"};

// Rows of a statement, with those it takes over from PROBPLOT.
std::vector<Row> rowsfor(const std::string& stmt, const std::vector<Row>& all) {
    std::vector<Row> out;
    std::set<std::string> own;
    for (const auto& r : all)
        if (r.stmt == stmt) {
            out.push_back(r);
            own.insert(rowkeyword(r.text));
        }
    for (const auto& r : all) {
        if (r.stmt != "PROBPLOT") continue;
        std::string k = rowkeyword(r.text);
        bool take = false;
        if (stmt == "RELATIONPLOT") take = !relexcept.count(k) && k != "FITTYPE" && k != "FIT" && !own.count(k);
        if (stmt == "MCFPLOT") take = mcfshared.count(k) && !own.count(k);
        if (take) {
            Row c = r;
            c.stmt = stmt;
            out.push_back(c);
        }
    }
    return out;
}

// What one expectation token says.
struct Expect {
    char what;                 // 'f' flag, 'n' number, 'm' name, 't' text, 'l' numbers, 'a' names,
                               // 'q' quoted strings, 'v' variables, 'd' data set, 'x' not given
    int index;
    double num = 0;
    std::string str;
    std::vector<double> nums;
    std::vector<std::string> strs;
};

std::vector<Expect> parseexpect(const std::string& s) {
    std::vector<Expect> out;
    size_t i = 0;
    auto number = [&]() {
        size_t j = i;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        int v = std::stoi(s.substr(i, j - i));
        i = j;
        return v;
    };
    auto until = [&](char close) {
        size_t j = s.find(close, i);
        std::string t = s.substr(i, j - i);
        i = j + 1;
        return t;
    };
    while (i < s.size()) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        Expect e{};
        if (s[i] == 'f') {
            ++i;
            e.what = 'f';
            e.index = number();
        } else if (s[i] == '-') {
            i += 2;
            e.what = 'x';
            e.index = number();
        } else {
            ++i;   // 's'
            e.index = number();
            char c = s[i++];
            if (c == '=') {
                size_t j = s.find(' ', i);
                e.what = 'n';
                e.num = std::stod(s.substr(i, j == std::string::npos ? std::string::npos : j - i));
                i = j == std::string::npos ? s.size() : j;
            } else if (c == ':') {
                size_t j = s.find(' ', i);
                e.what = 'm';
                e.str = s.substr(i, j == std::string::npos ? std::string::npos : j - i);
                i = j == std::string::npos ? s.size() : j;
            } else if (c == '\'') {
                e.what = 't';
                e.str = until('\'');
            } else if (c == '(' || (c == 'v' && s[i] == '(')) {
                e.what = c == 'v' ? 'v' : 'l';
                if (c == 'v') ++i;
                std::istringstream in(until(')'));
                double v;
                while (in >> v) e.nums.push_back(v);
            } else if (c == '[') {
                e.what = 'a';
                std::istringstream in(until(']'));
                std::string w;
                while (in >> w) e.strs.push_back(w);
            } else if (c == '{') {
                e.what = 'q';
                std::string inner = until('}');
                size_t k = 0;
                while ((k = inner.find('\'', k)) != std::string::npos) {
                    size_t m = inner.find('\'', k + 1);
                    e.strs.push_back(inner.substr(k + 1, m - k - 1));
                    k = m + 1;
                }
            } else if (c == '#') {
                e.what = 'd';
            }
        }
        out.push_back(e);
    }
    return out;
}

std::string program(const Row& r) {
    return "proc vitalyx data=fans;\n" + headof(r.stmt).before + " / " + r.text + ";";
}

// Checks one row; returns a description of what went wrong, empty when all is right.
std::string checkrow(const Row& r) {
    std::ostringstream why;
    Head h = headof(r.stmt);
    Parsed base("proc vitalyx data=fans;\n" + h.before + ";");
    if (base.rc != 0) return "the head does not parse: " + base.errors();
    Parsed p(program(r));
    if (r.expect == "!") {
        if (p.rc != 1012) why << "accepted, but should be refused";
        else if (p.errors().find(r.stmt) == std::string::npos) why << "message does not name " << r.stmt << ": " << p.errors();
        else if (p.errors().find("Line 2") == std::string::npos) why << "message does not give the line: " << p.errors();
        return why.str();
    }
    if (p.rc != 0) return "refused: " + p.errors();
    const stmtrec* rec = p.rec(h.record);
    const stmtrec* b = base.rec(h.record);
    std::set<int> wantflags, wantslots;
    for (const auto& e : parseexpect(r.expect)) {
        if (e.what == 'f') {
            wantflags.insert(e.index);
            if (!stmtflag(rec, e.index)) why << "flag " << e.index << " not set; ";
            continue;
        }
        if (e.what == 'x') {
            if (stmtslot(rec, e.index)) why << "slot " << e.index << " given; ";
            continue;
        }
        wantslots.insert(e.index);
        const optslot* s = stmtslot(rec, e.index);
        if (!s) {
            why << "slot " << e.index << " not given; ";
            continue;
        }
        switch (e.what) {
        case 'n':
            if (s->kind != SK_NUMBER || std::fabs(s->num - e.num) > 1e-12)
                why << "slot " << e.index << " holds " << s->num << " (kind " << int(s->kind) << "); ";
            if (s->given != 1) why << "slot " << e.index << " given byte " << int(s->given) << "; ";
            break;
        case 'm': {
            std::string want = e.str;
            want.resize(8, ' ');
            if (s->kind != SK_NAME || name8(s) != want) why << "slot " << e.index << " name '" << name8(s) << "'; ";
            break;
        }
        case 't':
            if ((s->kind != SK_TEXT && s->kind != SK_QSTRING) || text(s) != e.str || s->given != 2)
                why << "slot " << e.index << " text '" << text(s) << "'; ";
            break;
        case 'l': {
            auto got = numbers(s);
            bool same = s->kind == SK_NUMLIST && got.size() == e.nums.size() && s->given == 3;
            for (size_t k = 0; same && k < got.size(); ++k) same = std::fabs(got[k] - e.nums[k]) < 1e-9;
            if (!same) why << "slot " << e.index << " list differs (kind " << int(s->kind) << ", " << got.size() << " values); ";
            break;
        }
        case 'a':
            if (names(s) != e.strs) why << "slot " << e.index << " names differ; ";
            break;
        case 'q':
            if (s->kind != SK_QSLIST || strings(s) != e.strs || s->given != 3) why << "slot " << e.index << " strings differ; ";
            break;
        case 'v': {
            std::vector<int32_t> want(e.nums.begin(), e.nums.end());
            if (vars(s) != want) why << "slot " << e.index << " variables differ; ";
            break;
        }
        case 'd':
            if (s->kind != SK_DATASET || !s->handle) why << "slot " << e.index << " holds no data set; ";
            break;
        }
    }
    // nothing else changes
    for (int k = 0; k < STMT_FLAGBYTES * 8; ++k)
        if (stmtflag(rec, k) && !stmtflag(b, k) && !wantflags.count(k)) why << "flag " << k << " also set; ";
    for (int n = 0; n <= rec->highest; ++n)
        if (stmtslot(rec, n) && !stmtslot(b, n) && !wantslots.count(n)) why << "slot " << n << " also given; ";
    return why.str();
}

}  // namespace

TEST(OptionTable, EveryRowOfEveryStatement) {
    const auto all = loadrows();
    ASSERT_GT(all.size(), 500u);
    int checked = 0;
    for (const char* st : {"PROBPLOT", "RELATIONPLOT", "MCFPLOT", "ANALYZE", "MODEL", "LOGSCALE", "INSET", "FMODE"}) {
        for (const auto& r : rowsfor(st, all)) {
            std::string why = checkrow(r);
            EXPECT_TRUE(why.empty()) << "line " << r.line << ": " << program(r) << "\n  " << why;
            ++checked;
        }
    }
    EXPECT_GT(checked, 800);
}

TEST(OptionTable, KeywordsAStatementDoesNotTake) {
    const auto all = loadrows();
    std::set<std::string> mcfown;
    for (const auto& r : all)
        if (r.stmt == "MCFPLOT") mcfown.insert(rowkeyword(r.text));
    for (const auto& r : all) {
        if (r.stmt != "PROBPLOT" || r.expect == "!") continue;
        const std::string k = rowkeyword(r.text);
        if (relexcept.count(k)) {
            Parsed p("proc vitalyx data=fans;\nrelationplot hours = temp / " + r.text + ";");
            EXPECT_EQ(p.rc, 1012) << "RELATIONPLOT takes " << r.text;
        }
        if (!mcfshared.count(k) && !mcfown.count(k)) {
            Parsed p("proc vitalyx data=fans;\nmcfplot hours*nrec / " + r.text + ";");
            EXPECT_EQ(p.rc, 1012) << "MCFPLOT takes " << r.text;
        }
    }
}

// The table above must name every keyword, alias and value keyword of the grammar.
TEST(OptionTable, TheTableCoversTheWholeGrammar) {
    const auto all = loadrows();
    const grammar* g = vyxgrammar();
    const std::map<std::string, std::string> stmtof = {
        {"PROBPLOT", "PROBPLOT"}, {"RELATIONPLOT", "RELATIONPLOT"}, {"MCFPLOT", "MCFPLOT"}, {"ANALYZE", "ANALYZE"},
        {"MODEL", "MODEL"},       {"LOGSCALE", "LOGSCALE"},         {"INSET", "INSET"},     {"FMODE", "FMODE"}};
    int keywords = 0;
    for (int i = 0; i < g->nstmts; ++i) {
        const gstatement& gs = g->stmts[i];
        const std::string name = split(gs.names)[0];
        if (!stmtof.count(name)) continue;
        const auto rows = rowsfor(name, all);
        std::set<std::string> rowkeys;
        std::string alltext;
        for (const auto& r : rows) {
            rowkeys.insert(rowkeyword(r.text));
            std::string t = r.text;
            for (auto& ch : t) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            alltext += " " + t + " ";
        }
        auto mentioned = [&](const std::string& w) {
            for (size_t k = alltext.find(w); k != std::string::npos; k = alltext.find(w, k + 1)) {
                char a = alltext[k - 1], b = alltext[k + w.size()];
                if (!std::isalnum(static_cast<unsigned char>(a)) && !std::isalnum(static_cast<unsigned char>(b))) return true;
            }
            return false;
        };
        std::function<void(const goption&)> values = [&](const goption& o) {
            for (int v = 0; v < o.nvals; ++v) {
                for (const auto& a : split(o.vals[v].names)) EXPECT_TRUE(mentioned(a)) << name << " " << o.names << "=" << a;
                for (int s = 0; s < o.vals[v].nsubopts; ++s) {
                    if (o.vals[v].subopts[s].names[0]) {
                        for (const auto& a : split(o.vals[v].subopts[s].names))
                            EXPECT_TRUE(mentioned(a)) << name << " " << o.names << " sub-option " << a;
                    }
                    values(o.vals[v].subopts[s]);
                }
            }
            for (int t = 0; t < o.ntrail; ++t)
                for (const auto& a : split(o.trail[t].names)) EXPECT_TRUE(mentioned(a)) << name << " " << o.names << " " << a;
            for (int s = 0; s < o.nsubopts; ++s) {
                for (const auto& a : split(o.subopts[s].names)) EXPECT_TRUE(mentioned(a)) << name << " " << o.names << "(" << a;
                values(o.subopts[s]);
            }
        };
        for (int s = 0; s < gs.nsets; ++s) {
            const goptset& set = gs.sets[s];
            for (int k = 0; k < set.n; ++k) {
                const goption& o = set.opts[k];
                if (set.except && listed(set.except, split(o.names)[0])) continue;
                bool taken = false;
                for (const auto& a : split(o.names)) {
                    if (set.only && !listed(set.only, a)) continue;
                    EXPECT_TRUE(rowkeys.count(a)) << name << " option " << a << " has no row";
                    ++keywords;
                    taken = true;
                }
                if (taken) values(o);
            }
        }
    }
    EXPECT_GT(keywords, 400);
}
