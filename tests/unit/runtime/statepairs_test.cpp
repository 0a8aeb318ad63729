// Statements one after another in a step: the state block keeps its fields from one
// statement to the next, and its pools do not last as long. Every ordered pair of the
// analysis statements (ANALYZE, PROBPLOT, RELATIONPLOT, MCFPLOT, and MODEL with a plot
// that takes its fit), with and without BY groups and CLASS variables, the first with the
// options that leave flags and arrays behind (CENBIN, PPLOT, LAXIS, HREF/VREF lists, INSET,
// FMODE, PCTLIST, SURVTIME and more), runs without a sanitizer report (a pointer into a
// deleted pool stops the run in this build), and the second statement prints what it prints
// alone: nothing the first one left decides what it shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "../../support/testhost.h"

namespace {

namespace fs = std::filesystem;

enum Kind { ANALYZE, PROBPLOT, RELATIONPLOT, MCFPLOT, MODEL, NKINDS };
const char* const kKindNames[NKINDS] = {"ANALYZE", "PROBPLOT", "RELATIONPLOT", "MCFPLOT", "MODEL"};

// How a step is set up: BY groups, a CLASS variable on the statements, the distribution
// (a linear one takes LAXIS), failure modes combined, statistical graphics.
struct StepSetup {
    bool by, cls, normal, fmode, statistical;
    std::string name() const {
        return std::string(by ? "by" : "noby") + (cls ? "/class" : "") + (normal ? "/normal" : "/weibull") +
               (fmode ? "/fmode" : "") + (statistical ? "/statistical" : "");
    }
};

// The statements of one kind: plain, or with the options that set flags and arrays. MODEL is
// the MODEL statement and a plot statement that takes its fit.
std::string statements(Kind k, bool rich, const StepSetup& u) {
    const std::string cls = u.cls ? " = lot" : "";
    switch (k) {
    case ANALYZE:
        if (!rich) return "analyze hours*status(0)" + cls + ";\n";
        return "analyze hours*status(0)" + cls +
               " / pctlist=10 50 90 survtime=100 500 lrcl lrclper itprint covb corrb ppout confidence=0.9;\n" +
               (u.fmode ? std::string() : "analyze (lo hi)" + cls + " / printprobs itprintem;\n") +
               "analyze hours*status(0)" + cls + " / fittype=weibayes shape=1.5;\n";
    case PROBPLOT: {
        if (!rich) return "probplot hours*status(0)" + cls + ";\n";
        std::string s = "probplot hours*status(0)" + cls +
                        " / cenbin pctlist=5 50 95 href=100 300 vref=20 50 hreflabels='a' 'b' vreflabels='c' 'd'"
                        " survtime=100 500 lrcl ppout npintervals=simultaneous npoints=40";
        if (u.normal) s += " laxis=0 to 1000 by 250";
        s += ";\ninset n nfail;\n";
        if (!u.fmode) s += "probplot (lo hi)" + cls + " / pctlist=1 50 99 nofitline;\n";   // (FMODE takes no intervals)
        return s;
    }
    case RELATIONPLOT:
        if (!rich) return "relationplot hours*status(0) = temp;\n";
        return "relationplot hours*status(0) = temp / relation=arr pplot plotfit 10 50 sref=45 55 sreflabels='x' 'y'"
               " nstresstick=3 href=100 vref=30;\n";
    case MCFPLOT:
        if (!rich) return "mcfplot age*n(-1)" + cls + ";\n";
        return "mcfplot age*n(-1)" + cls + " / href=50 100 vref=1 2 hreflabels='a' 'b' variance=lawless;\n"
               "inset nunits nevents;\n" +
               (u.cls ? "mcfplot age*n(-1)" + cls + " / mcfdiff;\n" : "");
    case MODEL: {
        const std::string effects = u.cls ? " = temp" : "";
        const std::string on = u.cls ? " = temp" : "";
        if (!rich) return "model hours*status(0)" + effects + ";\nprobplot hours*status(0)" + on + " / fit=model;\n";
        return "model hours*status(0)" + effects + " / itprint covb lrcl obstats;\n"
               "probplot hours*status(0)" + on + " / fit=model pctlist=10 50 90 href=200 survtime=300;\n" +
               (u.cls ? "relationplot hours*status(0) = temp / fit=regression plotfit 50;\n" : "");
    }
    default: return "";
    }
}

std::string program(const StepSetup& u, const std::vector<std::string>& parts) {
    std::string p = u.statistical ? "options graphics=statistical;\n" : "";
    p += "proc vitalyx data=d;\n";
    if (u.by) p += "by plant;\n";
    p += "unitid unit;\n";
    p += u.normal ? "distribution normal;\n" : "distribution weibull;\n";
    if (u.fmode) p += "fmode combine mode=('wear' 'crack');\n";
    for (const auto& s : parts) p += s;
    return p + "run;\n";
}

// Recurrence records (three events and an end per unit) that are life data on the same rows.
std::string data() {
    std::mt19937 r(7);
    auto in = [&](int lo, int hi) { return lo + static_cast<int>(r() % static_cast<unsigned>(hi - lo + 1)); };
    std::string s = "plant,unit,age,n,hours,status,lo,hi,temp,lot,mode\n";
    const char* modes[] = {"wear", "crack", "seal"};
    for (const char* plant : {"P0", "P1"}) {
        for (int u = 0; u < 6; ++u) {
            int age = 0;
            const char* lot = u % 2 ? "A" : "B";   // a unit keeps its class
            for (int k = 0; k < 4; ++k) {
                age += in(5, 60);
                const int h = in(50, 900), failed = in(0, 9) < 7;
                s += std::string(plant) + "," + plant + "U" + std::to_string(u) + "," + std::to_string(age) + "," + (k < 3 ? "1" : "-1") + "," +
                     std::to_string(h) + "," + std::to_string(failed) + "," + std::to_string(h) + "," + std::to_string(h + in(5, 80)) +
                     "," + std::to_string(40 + 10 * in(0, 2)) + "," + lot + "," +
                     (failed ? modes[in(0, 2)] : "") + "\n";
            }
        }
    }
    return s;
}

struct Result {
    int status = 0;
    std::string errors;                                     // the ERROR lines of the log
    std::map<std::string, std::vector<std::string>> parts;  // listing lines per BY group
    std::multiset<std::string> pictures;                    // the SVG pictures drawn, by content
};

// The BY line "----- plant=P0 -----": its text between the dashes; empty for other lines.
std::string byline(const std::string& l) {
    if (l.rfind("----- ", 0) != 0 && l.rfind("-----", 0) != 0) return "";
    const size_t a = l.find_first_not_of('-'), b = l.find_last_not_of('-');
    if (a == std::string::npos || b <= a || l.size() - b < 6 || a < 5) return "";
    const std::string mid = l.substr(a, b - a + 1);
    return mid.size() > 2 && mid.front() == ' ' && mid.back() == ' ' && mid.find('=') != std::string::npos ? mid.substr(1, mid.size() - 2)
                                                                                                          : "";
}

// The listing by BY group, without blank lines and page titles.
std::map<std::string, std::vector<std::string>> sections(const std::string& listing) {
    std::map<std::string, std::vector<std::string>> out;
    std::string cur = "";
    std::istringstream in(listing);
    for (std::string l; std::getline(in, l);) {
        if (const std::string by = byline(l); !by.empty()) {
            cur = by;
            continue;
        }
        if (l.find_first_not_of(' ') == std::string::npos || l.find("The VITALYX Procedure") != std::string::npos) continue;
        out[cur].push_back(l);
    }
    return out;
}

// A picture with the drawing library's surface numbers (counted over the process) numbered
// from 0 in the order they appear.
std::string normalsvg(const std::string& svg) {
    static const std::string word = "surface";
    std::map<std::string, int> seen;
    std::string out;
    size_t from = 0;
    for (size_t at = svg.find(word); at != std::string::npos; at = svg.find(word, from)) {
        size_t end = at + word.size();
        while (end < svg.size() && svg[end] >= '0' && svg[end] <= '9') ++end;
        out.append(svg, from, end - from - (end - at - word.size()));
        const auto id = seen.emplace(svg.substr(at + word.size(), end - at - word.size()), static_cast<int>(seen.size())).first;
        if (end > at + word.size()) out += std::to_string(id->second);
        from = end;
    }
    out.append(svg, from, std::string::npos);
    return out;
}

class Runner {
public:
    Runner() : root_(testsupport::tempdir("pairs")) {
        std::ofstream(fs::path(root_) / "d.csv", std::ios::binary) << data();
    }
    ~Runner() {
        if (std::getenv("VITALYX_STATEPAIRS_KEEP")) std::cerr << "data kept in " << root_ << "\n";
        else fs::remove_all(root_);
    }

    const Result& run(const std::string& prog) {
        auto it = cache_.find(prog);
        if (it != cache_.end()) return it->second;
        const fs::path out = fs::path(root_) / ("out" + std::to_string(cache_.size()));
        fs::create_directories(out);
        ::testing::internal::CaptureStdout();   // the listing is echoed there
        auto r = testhost::runprogram(prog, root_, out.string());
        ::testing::internal::GetCapturedStdout();
        Result res;
        res.status = r.status;
        res.errors = r.log.all('E');
        res.parts = sections(testsupport::readfile((out / "listing.txt").string()));
        if (fs::exists(out / "graphics"))
            for (const auto& e : fs::directory_iterator(out / "graphics"))
                if (e.path().extension() == ".svg") res.pictures.insert(normalsvg(testsupport::readfile(e.path().string())));
        fs::remove_all(out);
        return cache_.emplace(prog, std::move(res)).first->second;
    }

private:
    std::string root_;
    std::map<std::string, Result> cache_;
};

std::vector<std::string> join(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> v = a;
    v.insert(v.end(), b.begin(), b.end());
    return v;
}

// The lines of b that do not begin with the lines of a (the part after a common start).
std::vector<std::string> after(const std::vector<std::string>& b, const std::vector<std::string>& a) {
    if (b.size() < a.size() || !std::equal(a.begin(), a.end(), b.begin())) return b;
    return std::vector<std::string>(b.begin() + static_cast<long>(a.size()), b.end());
}

// The pictures of a pair are those of its statements drawn alone.
bool samepictures(const Result& ab, const Result& a, const Result& b) {
    std::multiset<std::string> both = a.pictures;
    both.insert(b.pictures.begin(), b.pictures.end());
    return both == ab.pictures;
}

std::string firstdiff(const std::vector<std::string>& want, const std::vector<std::string>& got) {
    size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    return "line " + std::to_string(i + 1) + ": expected [" + (i < want.size() ? want[i] : "<end>") + "] got [" +
           (i < got.size() ? got[i] : "<end>") + "]";
}

}  // namespace

TEST(StatePairs, EachStatementShowsWhatItShowsAloneAfterAnyOther) {
    Runner runner;
    std::vector<StepSetup> setups;
    for (int by = 0; by < 2; ++by)
        for (int cls = 0; cls < 2; ++cls)
            setups.push_back({by == 1, cls == 1, by != cls, false, by == 1 && cls == 0});
    setups.push_back({true, false, false, true, false});   // failure modes combined (no CLASS)
    int compared = 0;
    for (const StepSetup& u : setups) {
        for (int a = 0; a < NKINDS; ++a) {
            for (int b = 0; b < NKINDS; ++b) {
                const Kind ka = static_cast<Kind>(a), kb = static_cast<Kind>(b);
                if (u.fmode && (ka == MCFPLOT || kb == MCFPLOT || ka == RELATIONPLOT || kb == RELATIONPLOT)) continue;
                const std::string first = statements(ka, true, u), second = statements(kb, false, u);
                const std::string what = u.name() + ": " + kKindNames[a] + " then " + kKindNames[b];
                const Result& ab = runner.run(program(u, {first, second}));
                const Result& ra = runner.run(program(u, {first}));
                const Result& rb = runner.run(program(u, {second}));
                EXPECT_EQ(ab.errors, ra.errors + rb.errors) << what;
                EXPECT_EQ(ab.status, ra.status || rb.status ? 1 : 0) << what;
                EXPECT_TRUE(samepictures(ab, ra, rb)) << what << ": the pictures differ from those drawn alone";
                if (ka == MODEL && kb == MODEL) continue;   // only the last MODEL statement runs
                for (const auto& [group, got] : ab.parts) {
                    std::vector<std::string> want;
                    if (kb == MODEL) {
                        // The MODEL statement runs first in every group: its tables, then the
                        // first statement's, then the plot that takes the fit.
                        const Result& m = runner.run(program(u, {statements(MODEL, false, u).substr(0, statements(MODEL, false, u).find('\n') + 1)}));
                        const auto& mp = m.parts.count(group) ? m.parts.at(group) : std::vector<std::string>{};
                        const auto& ap = ra.parts.count(group) ? ra.parts.at(group) : std::vector<std::string>{};
                        const auto& bp = rb.parts.count(group) ? rb.parts.at(group) : std::vector<std::string>{};
                        want = join(join(mp, ap), after(bp, mp));
                    } else {
                        want = join(ra.parts.count(group) ? ra.parts.at(group) : std::vector<std::string>{},
                                    rb.parts.count(group) ? rb.parts.at(group) : std::vector<std::string>{});
                    }
                    EXPECT_TRUE(want == got) << what << " (" << group << ") " << firstdiff(want, got);
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 100);
}

// ---- every option of the first statement, one at a time (a longer run: VITALYX_STATEPAIRS_ALL)

#include "host/grammar.h"
#include "proc/framework/grammar_tables.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

bool listed(const char* const* list, const std::string& kw) {
    for (; list && *list; ++list)
        if (kw == *list) return true;
    return false;
}

std::string firstname(const char* names) {
    std::string s(names ? names : "");
    return s.substr(0, s.find('|'));
}

// Each option of a statement with a value it takes: one text per value keyword.
std::vector<std::string> optiontexts(const char* stmt) {
    const grammar& g = *vyxgrammar();
    std::vector<std::string> out;
    for (int i = 0; i < g.nstmts; ++i) {
        const gstatement& st = g.stmts[i];
        if (firstname(st.names) != stmt) continue;
        for (int k = 0; k < st.nsets; ++k) {
            const goptset& set = st.sets[k];
            for (int j = 0; j < set.n; ++j) {
                const goption& o = set.opts[j];
                const std::string kw = firstname(o.names);
                if (set.only && !listed(set.only, kw)) continue;
                if (listed(set.except, kw)) continue;
                auto with = [&](const std::string& v) {
                    out.push_back(kw + (v.empty() ? "" : o.way == GW_PAREN ? "(" + v + ")" : "=" + v));
                };
                const std::string mid = o.check == GC_RANGE || o.check == GC_INTRANGE
                                            ? std::to_string(o.check == GC_INTRANGE ? static_cast<long>((o.lo + o.hi) / 2) : (o.lo + o.hi) / 2)
                                            : "2";
                switch (o.value) {
                case GV_NONE: with(""); break;
                case GV_NUMBER: with(mid); break;
                case GV_NUMBER2: with("2 3"); break;
                case GV_NUMORLIST:
                case GV_NUMLIST: with("10 50 90"); break;
                case GV_NAME: with("red"); break;
                case GV_NAMELIST: with("red blue"); break;
                case GV_TEXT:
                case GV_QSTRING:
                case GV_QSORLIST: with("'t'"); break;
                case GV_VARLIST: with("temp"); break;
                case GV_KEYWORD:
                    for (int v = 0; v < o.nvals; ++v) with(firstname(o.vals[v].names));
                    break;
                case GV_POSITION: with("ne"); break;
                case GV_RELATIONS: with("arr"); break;
                default: break;   // data sets and catalogs
                }
            }
        }
    }
    return out;
}

}  // namespace

TEST(StatePairs, EveryOptionOfTheFirstStatement) {
    const char* all = std::getenv("VITALYX_STATEPAIRS_ALL");
    if (!all || !*all) GTEST_SKIP() << "VITALYX_STATEPAIRS_ALL not set";
    const int shards = std::max(1, std::atoi(std::getenv("VITALYX_STATEPAIRS_SHARDS") ? std::getenv("VITALYX_STATEPAIRS_SHARDS") : "1"));
    const int shard = std::atoi(std::getenv("VITALYX_STATEPAIRS_SHARD") ? std::getenv("VITALYX_STATEPAIRS_SHARD") : "0");
    Runner runner;
    const StepSetup setups[] = {{false, true, false, false, false}, {true, false, true, false, true}};
    const char* names[NKINDS] = {"ANALYZE", "PROBPLOT", "RELATIONPLOT", "MCFPLOT", "MODEL"};
    const std::string heads[NKINDS][2] = {{"analyze hours*status(0)", "analyze hours*status(0) = lot"},
                                          {"probplot hours*status(0)", "probplot hours*status(0) = lot"},
                                          {"relationplot hours*status(0) = temp", "relationplot hours*status(0) = temp"},
                                          {"mcfplot age*n(-1)", "mcfplot age*n(-1) = lot"},
                                          {"model hours*status(0)", "model hours*status(0) = temp"}};
    long n = 0;
    for (const StepSetup& u : setups) {
        for (int a = 0; a < NKINDS; ++a) {
            for (const std::string& opt : optiontexts(names[a])) {
                if (n++ % shards != shard) continue;
                std::string first = heads[a][u.cls] + " / " + opt + ";\n";
                if (a == MODEL) first += u.cls ? "probplot hours*status(0) = temp / fit=model;\n" : "probplot hours*status(0) / fit=model;\n";
                const Result& ra = runner.run(program(u, {first}));
                // A first statement that fails says what happens after it by itself (a failing
                // MODEL ends the step).
                if (!ra.errors.empty()) continue;
                for (int b = 0; b < NKINDS; ++b) {
                    const Kind kb = static_cast<Kind>(b);
                    if (a == MODEL && kb == MODEL) continue;
                    // A plot that takes the MODEL's fit takes it when the step has a MODEL.
                    if (kb == MODEL && (opt == "FITTYPE=MODEL" || opt == "FITTYPE=REGRESSION")) continue;
                    const std::string second = statements(kb, false, u);
                    const Result& ab = runner.run(program(u, {first, second}));
                    const Result& rb = runner.run(program(u, {second}));
                    const std::string what = u.name() + ": " + names[a] + " / " + opt + " then " + names[b];
                    EXPECT_TRUE(samepictures(ab, ra, rb)) << what << ": the pictures differ from those drawn alone";
                    for (const auto& [group, got] : ab.parts) {
                        std::vector<std::string> want;
                        const auto& ap = ra.parts.count(group) ? ra.parts.at(group) : std::vector<std::string>{};
                        const auto& bp = rb.parts.count(group) ? rb.parts.at(group) : std::vector<std::string>{};
                        if (kb == MODEL) {
                            const std::string m = statements(MODEL, false, u);
                            const Result& rm = runner.run(program(u, {m.substr(0, m.find('\n') + 1)}));
                            const auto& mp = rm.parts.count(group) ? rm.parts.at(group) : std::vector<std::string>{};
                            want = join(join(mp, ap), after(bp, mp));
                        } else {
                            want = join(ap, bp);
                        }
                        EXPECT_TRUE(want == got) << what << " (" << group << ") " << firstdiff(want, got);
                    }
                }
            }
        }
    }
}

// ---- the cases that found the faults

namespace {

// The program of one step over the pair test's data (system options first).
std::string step(const std::string& head, const std::vector<std::string>& statements) {
    const bool opts = head.rfind("options", 0) == 0;
    const size_t cut = opts ? head.find('\n') + 1 : 0;
    std::string p = head.substr(0, cut) + "proc vitalyx data=d;\n" + head.substr(cut);
    for (const auto& s : statements) p += s;
    return p + "run;\n";
}

// The second statement of a pair prints and draws what it does alone.
void samesecond(Runner& runner, const std::string& head, const std::string& first, const std::string& second) {
    const Result& ab = runner.run(step(head, {first, second}));
    const Result& a = runner.run(step(head, {first}));
    const Result& b = runner.run(step(head, {second}));
    EXPECT_EQ(ab.status, 0) << first << second << ab.errors;
    EXPECT_EQ(ab.errors, "");
    EXPECT_TRUE(samepictures(ab, a, b)) << first << second;
    for (const auto& [group, got] : ab.parts) {
        const auto want = join(a.parts.count(group) ? a.parts.at(group) : std::vector<std::string>{},
                               b.parts.count(group) ? b.parts.at(group) : std::vector<std::string>{});
        EXPECT_TRUE(want == got) << first << second << " (" << group << ") " << firstdiff(want, got);
    }
}

}  // namespace

// A relation plot scales a stress axis from the levels of its class variable; a probability
// plot after it (in the same or the next BY group, whose pool is a new one) scales none.
TEST(StatePools, AStressAxisIsTheRelationPlotsOwn) {
    Runner runner;
    samesecond(runner, "by plant;\n", "relationplot hours*status(0) = temp / relation=arr;\n", "probplot hours*status(0);\n");
    samesecond(runner, "by plant;\n", "relationplot hours*status(0) = temp;\n", "probplot hours*status(0) = lot;\n");
    samesecond(runner, "", "model hours*status(0) = temp;\nrelationplot hours*status(0) = temp / fit=regression;\n",
               "probplot hours*status(0);\n");
}

// CENBIN counts censored values between the ticks of the life axis (statement pool): neither
// an ANALYZE of censored data nor another probability plot after it takes the counts or ticks.
TEST(StatePools, CensoredCountsAreTheirPlotsOwn) {
    Runner runner;
    const std::string cenbin = "probplot hours*status(0) / cenbin;\n";
    samesecond(runner, "", cenbin, "analyze hours*status(0);\n");
    samesecond(runner, "", cenbin, "analyze hours*status(0) = lot;\n");
    samesecond(runner, "", cenbin, "probplot hours*status(0);\n");
    samesecond(runner, "", "probplot hours*status(0) = lot / cenbin;\n", "probplot hours*status(0) = lot;\n");
    samesecond(runner, "by plant;\n", cenbin, "analyze hours*status(0);\n");
}

// Failure modes combined without a fit (FITTYPE=NONE) have no combined curve: the plot shows
// the plotting positions, alone or after a probability plot that fitted the modes.
TEST(StatePools, CombinedModesWithoutAFitDrawThePlottingPositions) {
    Runner runner;
    const std::string head = "fmode combine mode=('wear' 'crack');\n";
    const std::string none = "probplot hours*status(0) / fittype=none href=100 intersect vref=50 intersect;\n";
    const Result& alone = runner.run(step(head, {none}));
    EXPECT_EQ(alone.status, 0) << alone.errors;
    EXPECT_EQ(alone.pictures.size(), 1u);
    samesecond(runner, head, "probplot hours*status(0);\n", none);
    samesecond(runner, "options graphics=statistical;\n" + head, "probplot hours*status(0);\n", none);
}
