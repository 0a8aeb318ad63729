// The output-object call: lookup along the class chain, the miss, buckets shared by
// several methods, and the three direct interface pairs.
#include <gtest/gtest.h>
#include "host/hostdefs.h"
#include "proc/framework/wobmth.h"

namespace {

struct Calls {
    int method = 0;
    void* entryarg = nullptr;
    void* recarg = nullptr;
    int n = -1;
    int op = 0;
};
Calls g_seen;

int32_t record(obobject*, void* entryarg, void* recarg, int n, wobitem*) {
    g_seen.entryarg = entryarg;
    g_seen.recarg = recarg;
    g_seen.n = n;
    return 0;
}
int32_t m17(obobject* o, void* a, void* r, int n, wobitem* it) { g_seen.method = 17; return record(o, a, r, n, it); }
int32_t m33(obobject* o, void* a, void* r, int n, wobitem* it) { g_seen.method = 33; return record(o, a, r, n, it); }
int32_t m300(obobject* o, void* a, void* r, int n, wobitem* it) { g_seen.method = 300; return record(o, a, r, n, it); }
int32_t direct(obobject*, void* arg, int op, int n, wobitem* items) {
    g_seen.op = op;
    g_seen.entryarg = arg;
    g_seen.n = n;
    if (op == 2 && n == 1) items[0].flag = 1;
    return 40 + op;
}

// A parent class with method 300 and a child with methods 17 and 33, which share bucket 1
// of a 16-bucket table (17 & 15 == 33 & 15 == 1).
struct Classes {
    obmethrec r17{m17, nullptr, reinterpret_cast<void*>(0x17)};
    obmethrec r33{m33, nullptr, reinterpret_cast<void*>(0x33)};
    obmethrec r300{m300, nullptr, nullptr};
    obmethent e33{nullptr, reinterpret_cast<void*>(0x3300), &r33, 33};
    obmethent e17{&e33, reinterpret_cast<void*>(0x1700), &r17, 17};
    obmethent e300{nullptr, nullptr, &r300, 300};
    obmethent* childb[16] = {};
    obmethent* parentb[16] = {};
    obdirect table[1] = {direct};
    obclass parent{};
    obclass child{};
    Classes() {
        childb[1] = &e17;
        parentb[300 & 15] = &e300;
        parent.buckets = parentb;
        parent.mask = 15;
        child.parent = &parent;
        child.buckets = childb;
        child.mask = 15;
        child.info = {table, reinterpret_cast<void*>(0x45)};
        child.query = {table, reinterpret_cast<void*>(0x67)};
    }
};

TEST(Wobmth, LookupAlongTheClassChain) {
    Classes c;
    obobject obj{&c.child};
    wobitem items[2] = {obint(OBK_MORE, 1), obint(OBK_PLACE, -1)};

    g_seen = {};
    EXPECT_EQ(wobmth(&obj, nullptr, 300, 2, items), 0);   // defined by the parent only
    EXPECT_EQ(g_seen.method, 300);
    EXPECT_EQ(g_seen.n, 2);

    // Two methods in one bucket are told apart by number; entry and record arguments pass.
    g_seen = {};
    EXPECT_EQ(wobmth(&obj, nullptr, 33, 0, nullptr), 0);
    EXPECT_EQ(g_seen.method, 33);
    EXPECT_EQ(g_seen.entryarg, reinterpret_cast<void*>(0x3300));
    EXPECT_EQ(g_seen.recarg, reinterpret_cast<void*>(0x33));
    EXPECT_EQ(wobmth(&obj, nullptr, 17, 0, nullptr), 0);
    EXPECT_EQ(g_seen.method, 17);

    // An explicit class starts the search there: the parent does not know method 17.
    EXPECT_EQ(wobmth(&obj, &c.parent, 17, 0, nullptr), OB_NOMETHOD);
}

TEST(Wobmth, MissCallsNothingAndIsNegative) {
    Classes c;
    obobject obj{&c.child};
    g_seen = {};
    // 49 falls in the bucket of 17 and 33 (49 & 15 == 1) but matches neither.
    EXPECT_EQ(wobmth(&obj, nullptr, 49, 0, nullptr), OB_NOMETHOD);
    EXPECT_EQ(wobmth(&obj, nullptr, 2826, 0, nullptr), OB_NOMETHOD);
    EXPECT_EQ(g_seen.method, 0);
    EXPECT_LT(OB_NOMETHOD, 0);
    EXPECT_EQ(static_cast<uint32_t>(OB_NOMETHOD), 0x80008001u);
    // No object and no class: nothing to look in.
    EXPECT_EQ(wobmth(nullptr, nullptr, 300, 0, nullptr), OB_NOMETHOD);
}

TEST(Wobmth, DirectPairs) {
    Classes c;
    obobject obj{&c.child};
    wobitem two[2] = {obint(OBK_HIDDEN, 0), obint(OBK_LISTED, 1)};
    EXPECT_EQ(obinfocall(&obj, 2, two), 41);
    EXPECT_EQ(g_seen.op, 1);
    EXPECT_EQ(g_seen.entryarg, reinterpret_cast<void*>(0x45));
    wobitem q[1] = {obitem(OBK_SGQUERY, OBT_FLAG)};
    EXPECT_EQ(obquerycall(&obj, 1, q), 42);
    EXPECT_EQ(q[0].flag, 1);
    // The release pair is empty in this class.
    EXPECT_EQ(obrelease(&obj), OB_NOMETHOD);
}

}  // namespace
