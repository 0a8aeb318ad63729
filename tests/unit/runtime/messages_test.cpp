#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "host/hostdefs.h"
#include "runtime/session.h"
#include "runtime/supervisor/messages.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/util/strings.h"
#include "../../support/testhost.h"

TEST(Messages, CatalogEntriesCarryTheirKind) {
    const rt::msg::Entry* e = rt::msg::find(510, 2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind, 'E');
    EXPECT_NE(e->text.find("DATA="), std::string::npos);
    ASSERT_NE(rt::msg::find(510, 77), nullptr);
    EXPECT_EQ(rt::msg::find(510, 77)->kind, 'W');
    EXPECT_EQ(rt::msg::find(510, 999999), nullptr);
}

TEST(Messages, SubstitutionsInOrderWithTypes) {
    const msgarg args[] = {msgarg("HOURS   ", 8), msgarg(12), msgarg(0.1), msgarg(hostmissing())};
    EXPECT_EQ(rt::msg::substitute("%1 at line %2: %3, %4 (100%%)", 4, args), "HOURS at line 12: 0.1, . (100%)");
    // A placeholder without a value vanishes; text around it stays.
    EXPECT_EQ(rt::msg::substitute("a%2b", 1, args), "ab");
    // Doubles print in their shortest exact form, cut to 15 significant digits (every decimal
    // a user writes with at most 15 reads as written); infinities and NaN print missing.
    EXPECT_EQ(rt::msg::argtext(msgarg(1.0 / 3.0)), "0.333333333333333");
    EXPECT_EQ(rt::msg::argtext(msgarg(0.1 + 0.2)), "0.3");
    EXPECT_EQ(rt::msg::argtext(msgarg(99.999999)), "99.999999");
    EXPECT_EQ(rt::msg::argtext(msgarg(99.999999999999)), "99.999999999999");
    EXPECT_EQ(rt::msg::argtext(msgarg(1e300)), "1e+300");
    // A whole number is written whole: a count of 100000 future trials, not 1e+05.
    EXPECT_EQ(rt::msg::argtext(msgarg(100000.0)), "100000");
    EXPECT_EQ(rt::msg::argtext(msgarg(-3e14)), "-300000000000000");
    EXPECT_EQ(rt::msg::argtext(msgarg(1e15)), "1e+15");
    EXPECT_EQ(rt::msg::argtext(msgarg(-INFINITY)), ".");
    EXPECT_EQ(rt::msg::argtext(msgarg(std::nan(""))), ".");
}

TEST(Messages, AMissingMessageNamesItsNumberAndValues) {
    const msgarg a(7);
    EXPECT_EQ(rt::msg::text(510, 999999, 1, &a), "Message 510/999999: 7.");
}

TEST(Supervisor, LogKindsErrorsAndExitCodes) {
    testhost::CollectLog log;
    rt::Session s;
    s.log = &log;
    rt::setcurrent(&s);
    const vec30* v = rt::sup::services();
    v->xpmlog(510, 2, 0, nullptr);
    v->xpmlog(510, 77, 0, nullptr);
    v->xpmlog(510, 585, 0, nullptr);
    EXPECT_EQ(s.errors, 1);
    EXPECT_EQ(s.warnings, 1);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].kind, 'E');
    EXPECT_EQ(log.lines[2].kind, 'N');
    // The first non-zero exit code of the step is kept.
    EXPECT_EQ(v->xexit(1012, 0), 1012);
    EXPECT_EQ(v->xexit(2000, 0), 2000);
    EXPECT_EQ(s.exitcode, 1012);
    v->xmemmsg(4096);
    EXPECT_TRUE(log.has('E', "4096 bytes"));
    char buf[24];
    int n = v->xpmstr(buf, sizeof buf, 510, 77, 0, nullptr);
    EXPECT_EQ(n, 24);   // the text is longer than the buffer: cut to it
    EXPECT_EQ(std::string(buf, 4), "More");
    rt::setcurrent(nullptr);
}

TEST(Supervisor, SystemOptions) {
    rt::Session s;
    s.opts.debug = "syn,sem";
    s.opts.threads = false;
    s.opts.cpucount = 3;
    rt::setcurrent(&s);
    const vec30* v = rt::sup::services();
    char buf[4];
    EXPECT_EQ(v->xoptcgt("debug", buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "syn");   // cut to the buffer, terminated
    double d = -1;
    ASSERT_EQ(v->xoptngt("THREADS", &d), 0);
    EXPECT_EQ(d, 0);
    ASSERT_EQ(v->xoptngt("cpucount", &d), 0);
    EXPECT_EQ(d, 3);
    EXPECT_NE(v->xoptngt("NOSUCH", &d), 0);
    EXPECT_EQ(v->xoptcgt("NOSUCH", buf, sizeof buf), 0);
    rt::setcurrent(nullptr);
}

// A quoted value cut short ends on a whole character when it is UTF-8; a Latin-1 value keeps
// every byte up to the limit (its 0xA9 is a character, not half of one).
TEST(Messages, QuotedValuesAreCutOnWholeCharacters) {
    const std::string base(39, 'x');
    EXPECT_EQ(rt::util::shown(base + "\xC2\xA9 and more", 40), base + "...");
    EXPECT_EQ(rt::util::shown(base + "\xA9\xA9 and more", 40), base + "\xA9...");
    EXPECT_EQ(rt::util::shown(base + "\xA9", 40), base + "\xA9");
}
