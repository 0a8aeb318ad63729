// The table objects of a statement and the output groups of its class groups.
#include <string>
#include <vector>

#include "fixture.h"
#include "proc/framework/clsorder.h"
#include "proc/lifedist/lifedist_internal.h"
#include "runtime/output/objects.h"

namespace {

class TableObjects : public ::testing::Test {
protected:
    void TearDown() override { lt::onanalyze = nullptr; }
    // ANALYZE up to its table objects; look at them.
    lt::Run objects(const std::string& stmts, const std::string& csv, std::function<void(vyxstate*)> look) {
        lt::onanalyze = [look](vyxstate* s) {
            if (int rc = vyxaprm(s)) return rc;
            EXPECT_EQ(vyxin(s), 0);
            EXPECT_EQ(vyxclst(s), 0);
            EXPECT_EQ(vyxordr(s), 0);
            vyxpobj(s);
            look(s);
            return 0;
        };
        return lt::run("proc vitalyx data=d;\n" + stmts + "\nrun;\n", {{"d", csv}});
    }
    static const rt::out::DataObject* table(vyxstate* s, int slot) {
        return static_cast<const rt::out::DataObject*>(static_cast<void*>(s->out.tabs[slot].obj));
    }
    static std::vector<std::string> columns(vyxstate* s, int slot) {
        std::vector<std::string> out;
        if (const auto* t = table(s, slot))
            for (const auto& c : t->cols) out.push_back(c.name);
        return out;
    }
    static int width(vyxstate* s, int slot, const std::string& name) {
        for (const auto& c : table(s, slot)->cols)
            if (c.name == name) return c.width;
        return -1;
    }
};

const std::string kData = "t,c,g,h\n10,0,a,short\n20,1,bb,a much longer level\n30,0,a,x\n";

// Without limits (a fit method other than MLE or MODEL) the estimate tables have no
// standard error and no limits, and there is no convergence table.
TEST_F(TableObjects, LimitColumnsOnlyWithLikelihoodFits) {
    objects("analyze t*c(1) / survtime=15;", kData, [](vyxstate* s) {
        EXPECT_EQ(columns(s, TAB_PARMEST), (std::vector<std::string>{"Parameter", "Estimate", "Stderr", "Lower", "Upper"}));
        EXPECT_EQ(columns(s, TAB_SURVEST), (std::vector<std::string>{"Life", "CDF", "Clower", "Cupper", "Vitlyx", "Rlower", "Rupper"}));
        EXPECT_EQ(columns(s, TAB_CONVSTATUS), (std::vector<std::string>{"Reason", "Status"}));
    });
    objects("analyze t*c(1) / fittype=lsyx survtime=15;", kData, [](vyxstate* s) {
        EXPECT_EQ(columns(s, TAB_PARMEST), (std::vector<std::string>{"Parameter", "Estimate"}));
        EXPECT_EQ(columns(s, TAB_SURVEST), (std::vector<std::string>{"Life", "CDF", "Vitlyx"}));
        EXPECT_EQ(s->out.tabs[TAB_CONVSTATUS].obj, nullptr);
        EXPECT_EQ(s->out.tabs[TAB_TURNBULLGRAD].obj, nullptr);
    });
}

// The Group column is at least 10 wide, one more than the joined level texts with two class
// variables; TurnbullGrad reads five distinct cells, in order.
TEST_F(TableObjects, GroupWidthAndTheTurnbullCells) {
    objects("analyze t*c(1) = g;", kData, [](vyxstate* s) { EXPECT_EQ(width(s, TAB_DATSUM, "Group"), 10); });
    objects("analyze t*c(1) = g h;", kData, [](vyxstate* s) {
        EXPECT_EQ(width(s, TAB_DATSUM, "Group"), 2 + 16 + 1);   // "bb" and the 16 characters of the key
    });
    objects("analyze (t t) / itprintem;", kData, [](vyxstate* s) {
        const auto* t = table(s, TAB_TURNBULLGRAD);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(t->cols.size(), 5u);
        for (int k = 0; k < 5; ++k) EXPECT_EQ(t->cols[k].cell, s->life.emgrad + k) << k;
    });
}

// Output groups: none without class variables; with two the label joins the level texts
// with a blank, and the last group written is the last cell that holds data.
TEST_F(TableObjects, OutputGroupsOfTheClassGroups) {
    lt::onanalyze = [](vyxstate* s) -> int {
        if (int rc = vyxaprm(s)) return rc;
        EXPECT_EQ(vyxin(s), 0);
        EXPECT_EQ(vyxclst(s), 0);
        EXPECT_EQ(vyxordr(s), 0);
        int counter = 0;
        if (s->groups.nclass == 0) {
            setgrp(s, &s->groups.rootgrp, 0, 0, &counter);
            EXPECT_EQ(s->out.panelobj, nullptr);
            EXPECT_EQ(s->groups.lastgrp, 1);
            return 0;
        }
        // Levels a, b by x, y; the cell (b, y) is empty.
        EXPECT_EQ(s->groups.nlev[1], 2u);
        EXPECT_EQ(s->groups.nlev[0], 2u);
        if (s->groups.nlev[0] != 2 || s->groups.nlev[1] != 2) return 1;
        std::vector<int> last;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                if (grpnode* g = s->groups.grpgrid[i * 2 + j]) {
                    setgrp(s, g, i, j, &counter);
                    last.push_back(s->groups.lastgrp);
                    EXPECT_NE(s->out.panelobj, nullptr);
                    if (i == 0 && j == 1) {
                        EXPECT_EQ(std::string(s->row.grplabel, s->row.grplablen), "a y");
                    }
                }
        EXPECT_EQ(last, (std::vector<int>{0, 0, 1}));
        EXPECT_EQ(counter, 3);
        return 0;
    };
    lt::run("proc vitalyx data=d;\n analyze t;\n analyze t = g h;\nrun;\n",
            {{"d", "t,g,h\n1,a,x\n2,a,y\n3,b,x\n"}});
}

}  // namespace
