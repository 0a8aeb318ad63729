// Parameter names and labels: unique names, the VALIDVARNAME rules, the nonsingular level
// combinations and the host-packed name lists.
#include <cstring>
#include "proc/effects/names.h"
#include "proc/effects/varnames.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class Names : public EffectsHost {
protected:
    // A control block over ncols parameters named as given.
    Model& named(const std::vector<std::string>& names) {
        models.push_back(std::make_unique<Model>());
        Model& m = *models.back();
        m.d.ldpool = host->inst.pool;
        m.ls.ncols = static_cast<int32_t>(names.size());
        m.ls.pnames = static_cast<char**>(poolbytes(host->inst.pool, 8 * static_cast<int64_t>(names.size()), poolflag::zeroed_marked));
        for (size_t i = 0; i < names.size(); ++i) {
            m.ls.pnames[i] = static_cast<char*>(poolbytes(host->inst.pool, 40, poolflag::zeroed_marked));
            std::strcpy(m.ls.pnames[i], names[i].c_str());
        }
        return m;
    }
    static std::vector<std::string> pnames(const Model& m) {
        return std::vector<std::string>(m.ls.pnames, m.ls.pnames + m.ls.ncols);
    }
};

TEST_F(Names, DuplicateNamesAreNumbered) {
    Model& m = named({"A", "B", "A", "A", "A2"});
    ASSERT_EQ(UniqDups(&m.ctl), 0);
    // the third A finds A2 taken by the second and moves on with the counter of A
    EXPECT_EQ(pnames(m), (std::vector<std::string>{"A", "B", "A2", "A3", "A22"}));
    EXPECT_TRUE(m.ls.lsflags2 & LS2_RENAMED);
    const std::string long32(32, 'N');
    Model& n = named({long32, long32});
    ASSERT_EQ(UniqDups(&n.ctl), 0);
    EXPECT_EQ(pnames(n)[1], std::string(31, 'N') + "2");
}

// Level texts that look like numbers become name characters unless VALIDVARNAME=ANY; a
// variable without a name prefix of its own puts the limit less 2 characters in front.
TEST_F(Names, LevelTextsInNames) {
    auto names = [&](const std::vector<std::string>& levels) {
        poolobj* pool = host->inst.pool;
        zmnclass* c = zmnalcl(1, pool);
        const std::string nm = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";   // 32 characters
        std::memcpy(c->name, nm.data(), 32);
        std::vector<zmnparm> parms(levels.size());
        zmnlevel** link = &c->levels;
        std::vector<zmnlevel*> lv;
        for (const auto& t : levels) {
            auto* l = static_cast<zmnlevel*>(poolbytes(pool, sizeof(zmnlevel), poolflag::zeroed_record));
            std::memset(l, ' ', offsetof(zmnlevel, owner));
            std::memset(l->nested, ' ', 32);
            std::memcpy(l->cls, t.data(), t.size());
            std::memcpy(l->cname, t.data(), t.size());
            l->owner = c;
            *link = l;
            link = &l->next;
            lv.push_back(l);
        }
        zmnprcl(c, 1);
        std::vector<std::string> out;
        for (size_t i = 0; i < levels.size(); ++i) {
            parms[i].levels = &lv[i];
            parms[i].nlevels = parms[i].ncrossed = 1;
            zmname(&parms[i], 1);
            std::string s(parms[i].name, 32);
            out.push_back(s.erase(s.find_last_not_of(' ') + 1));
        }
        return out;
    };
    const std::string pre = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";   // 30 characters
    EXPECT_EQ(names({"1.5", "-2", "+3", "E5"}), (std::vector<std::string>{pre + "1D", pre + "N2", pre + "P3", pre + "E5"}));
    session.opts.validvarname = "ANY";
    EXPECT_EQ(names({"1.5", "-2"}), (std::vector<std::string>{pre + "1.", pre + "-2"}));
    session.opts.validvarname = "V6";
    EXPECT_EQ(names({"7"}), (std::vector<std::string>{"ABCDEF7"}));
}

// The nonsingular combinations skip the reference level of codings that drop it.
TEST_F(Names, NonsingularCombinationsOfAReferenceCodedVariable) {
    levclass c[1] = {};
    c[0].nlev = 3;
    c[0].coding = CODE_REF;
    c[0].reflev = 0;
    int32_t cls[1] = {0};
    leveffect e[2] = {};
    e[1].ncls = e[1].nclsall = 1;
    e[1].clsall = e[1].clsix = cls;
    levstate ls{};
    ls.classv = c;
    ls.nclassv = 1;
    ls.effects = e;
    ls.neffect = 2;
    ASSERT_EQ(zlevLevelsNonSing(&ls, host->inst.pool, 0, nullptr), 0);
    EXPECT_EQ(std::vector<int32_t>(e[1].nscombs, e[1].nscombs + 2), (std::vector<int32_t>{1, 2}));
}

TEST_F(Names, PackedNameLists) {
    // two chunks: names 0..1, then 2
    struct chunk1 {
        zmnchunk head;
        unsigned char names[16];
    } c2{{0, nullptr, 0, 2}, {5, 'G', 'A', 'M', 'M', 'A'}};
    chunk1 c1{{0, &c2.head, 0, 1}, {5, 'A', 'L', 'P', 'H', 'A', 4, 'B', 'E', 'T', 'A'}};
    const char* t = nullptr;
    int len = 0;
    ASSERT_EQ(zgetnmr(&c1.head, 0, &t, &len), 0);
    EXPECT_EQ(std::string(t, static_cast<size_t>(len)), "ALPHA");
    ASSERT_EQ(zgetnmr(&c1.head, 1, &t, &len), 0);
    EXPECT_EQ(std::string(t, static_cast<size_t>(len)), "BETA");
    ASSERT_EQ(zgetnmr(&c1.head, 2, &t, &len), 0);
    EXPECT_EQ(std::string(t, static_cast<size_t>(len)), "GAMMA");
    EXPECT_EQ(zgetnmr(&c1.head, 3, &t, &len), 1);
    EXPECT_EQ(zgetnmr(nullptr, 0, &t, &len), 1);
}

// A model's parameter names and labels end to end: the intercept, CLASS levels, crossings,
// continuous variables.
TEST_F(Names, ParameterNamesAndLabelsOfAModel) {
    writecsv("d", "y,a,b,x\n1,p,1.5,1\n2,q,-2,2\n3,p,-2,3\n");
    parse("proc vitalyx data=d; class a b; model y = a b*a x*a;");
    Model& m = model('M');
    std::vector<std::string> names(m.ls.pnames, m.ls.pnames + m.ls.ncols), labels(m.ls.plabels, m.ls.plabels + m.ls.ncols);
    EXPECT_EQ(names, (std::vector<std::string>{"Intercept", "ap", "aq", "bN2ap", "bN2aq", "b1D5ap", "apx", "aqx"}));
    EXPECT_EQ(labels, (std::vector<std::string>{"Intercept", "a p", "a q", "b -2 * a p", "b -2 * a q", "b 1.5 * a p",
                                                "x * a p", "x * a q"}));
}

}  // namespace
}  // namespace efftest
