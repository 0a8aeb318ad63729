// Values told apart by their 16-character key: the distinct whole values of a key, and the
// warnings that name them (pooledkeys.h).
#include "proc/framework/pooledkeys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "proc/framework/bynotes.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"

// The distinct values of a key met with more than one: the first three in the order met, and a
// set of the hashes of every distinct value (open addressing, 0 marks a free place), whose size
// is their number.
struct keyseen {
    int32_t nlisted;
    const char* text[3];
    double num[3];
    uint64_t* set;
    uint32_t cap;             // a power of two
    int64_t count;
};

namespace {

constexpr int kNamed = 3;         // values a warning names
constexpr int kKeysNamed = 10;    // keys of a variable named in a BY group

uint64_t mix(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 31;
    return h ? h : 1;
}

uint64_t hashof(const char* text, int32_t width, double num) {
    if (!text) {
        if (num == 0) num = 0;    // -0 and 0 are one value
        uint64_t bits;
        std::memcpy(&bits, &num, 8);
        return mix(bits);
    }
    uint64_t h = 0xCBF29CE484222325ull;
    for (int32_t i = 0; i < width; ++i) h = (h ^ static_cast<uint8_t>(text[i])) * 0x100000001B3ull;
    return mix(h);
}

bool same(const char* a, double x, const char* b, double y, int32_t width) {
    return a ? sametext(a, b, width, 0) : samenumber(x, y);
}

// A copy of a whole text's block; null when memory ran out (logged).
const char* copytext(poolobj* pool, const char* text, int32_t width) {
    const int32_t n = wholebytes(width);
    auto* copy = static_cast<char*>(poolbytes(pool, n, poolflag::raw));
    if (!copy) {
        xmemmsg(n);
        return nullptr;
    }
    std::memcpy(copy, text, static_cast<size_t>(n));
    return copy;
}

// Puts h into the set; true when it was not there. False with *nomem set when memory ran out.
bool setadd(poolobj* pool, keyseen& m, uint64_t h, bool* nomem) {
    if ((m.count + 1) * 2 > m.cap) {
        const uint32_t cap = m.cap ? m.cap * 2 : 8;
        auto* set = poolget<uint64_t>(pool, cap, poolflag::zeroed);
        if (!set) {
            xmemmsg(int64_t(cap) * 8);
            *nomem = true;
            return false;
        }
        for (uint32_t i = 0; i < m.cap; ++i) {
            if (!m.set[i]) continue;
            uint32_t j = static_cast<uint32_t>(m.set[i]) & (cap - 1);
            while (set[j]) j = (j + 1) & (cap - 1);
            set[j] = m.set[i];
        }
        if (m.set) poolput(pool, m.set);
        m.set = set;
        m.cap = cap;
    }
    uint32_t j = static_cast<uint32_t>(h) & (m.cap - 1);
    while (m.set[j]) {
        if (m.set[j] == h) return false;
        j = (j + 1) & (m.cap - 1);
    }
    m.set[j] = h;
    ++m.count;
    return true;
}

// Starts the record of other values with the key's first.
bool startmore(poolobj* pool, keyvals& k, int32_t width) {
    auto* m = poolget<keyseen>(pool, 1, poolflag::zeroed);
    if (!m) {
        xmemmsg(sizeof(keyseen));
        return false;
    }
    m->text[0] = k.text;
    m->num[0] = k.num;
    m->nlisted = 1;
    k.more = m;
    bool nomem = false;
    setadd(pool, *m, hashof(k.text, width, k.num), &nomem);
    return !nomem;
}

// Adds one value (its hash h) to a key that has its record of other values.
bool addvalue(poolobj* pool, keyvals& k, const char* text, double num, int32_t width, uint64_t h) {
    keyseen& m = *k.more;
    bool nomem = false;
    if (!setadd(pool, m, h, &nomem)) return !nomem;
    if (m.nlisted < kNamed) {
        if (text && !(m.text[m.nlisted] = copytext(pool, text, width))) return false;
        m.num[m.nlisted] = num;
        ++m.nlisted;
    }
    return true;
}

// A value into a key's record (the first value of an empty one).
bool addto(poolobj* pool, keyvals& k, bool& started, const char* text, double num, int32_t width) {
    const wholecell c{text, text ? nullptr : &num, width};
    if (!started) {
        started = true;
        return keyfirst(pool, k, c);
    }
    return keynote(pool, k, c);
}

// Joins the values of from into into: its named values, then the hashes of all of them.
bool join(poolobj* pool, keyvals& into, bool& started, const keyvals& from, int32_t width) {
    if (!from.more) return addto(pool, into, started, from.text, from.num, width);
    for (int i = 0; i < from.more->nlisted; ++i)
        if (!addto(pool, into, started, from.more->text[i], from.more->num[i], width)) return false;
    if (!into.more && !startmore(pool, into, width)) return false;
    bool nomem = false;
    for (uint32_t i = 0; i < from.more->cap && !nomem; ++i)
        if (from.more->set[i]) setadd(pool, *into.more, from.more->set[i], &nomem);
    return !nomem;
}

// A number as the shortest text that reads back as the same number; "." when missing.
void numtext(double v, char* out, size_t len) {
    if (ismissing(v)) {
        std::snprintf(out, len, ".");
        return;
    }
    for (int p = 15; p <= 17; ++p) {
        std::snprintf(out, len, "%.*g", p, v);
        if (std::strtod(out, nullptr) == v) return;
    }
}

// One value as a message shows it: a text without its trailing blanks, in quotes; a number.
void valuetext(const char* text, double num, int32_t width, char* out, size_t len) {
    if (text)
        std::snprintf(out, len, "\"%.*s\"", wzstrip(text, width), text);
    else
        numtext(num, out, len);
}

// "a and b", "a, b and c", "a, b, c and 4 more".
void valuelist(const keyvals& k, int32_t width, char* out, size_t len) {
    const char* texts[kNamed] = {};
    double nums[kNamed] = {};
    const int n = keylisted(k, texts, nums);
    const int64_t more = keycount(k) - n;
    size_t at = 0;
    out[0] = '\0';
    for (int i = 0; i < n && at < len; ++i) {
        const char* sep = i == 0 ? "" : (i == n - 1 && more <= 0) ? " and " : ", ";
        char one[280];
        valuetext(texts[i], nums[i], width, one, sizeof one);
        at += static_cast<size_t>(std::snprintf(out + at, len - at, "%s%s", sep, one));
    }
    if (more > 0 && at < len) std::snprintf(out + at, len - at, " and %lld more", static_cast<long long>(more));
}

// The key as a message shows it: the text of a character variable in quotes, a number bare.
void keytext(const char* key, int32_t width, char* out, size_t len) {
    const int n = wzstrip(key, 16);
    if (width > 0)
        std::snprintf(out, len, "\"%.*s\"", n, key);
    else
        std::snprintf(out, len, "%.*s", n, key);
}

// Whether the key of a variable's group is named for the first time in the BY group; counts in
// *named the keys of the variable named so far (in any group).
bool keyfresh(const vyxstate* s, int32_t msg, uint32_t var, uint64_t group, const char* key, int* named) {
    const bynoterec& r = s->step.bynotes;
    *named = 0;
    for (int32_t i = 0; i < r.nkeys; ++i) {
        const bykeynote& k = r.keys[i];
        if (k.msg != msg || k.var != var) continue;
        if (k.group == group && std::memcmp(k.key, key, 16) == 0) return false;
        ++*named;
    }
    return true;
}

// Remembers a key named for the rest of the BY group (the record grows in the BY-group pool);
// false when memory ran out (logged).
bool keyremember(vyxstate* s, int32_t msg, uint32_t var, uint64_t group, const char* key) {
    bynoterec& r = s->step.bynotes;
    if (r.nkeys == r.capkeys) {
        const int32_t cap = r.capkeys ? 2 * r.capkeys : 32;
        poolobj* pool = s->pools.bypool;
        auto* keys = poolget<bykeynote>(pool, cap, poolflag::raw);
        if (!keys) {
            xmemmsg(int64_t(cap) * int64_t(sizeof(bykeynote)));
            return false;
        }
        if (r.keys) {
            std::memcpy(keys, r.keys, sizeof(bykeynote) * static_cast<size_t>(r.nkeys));
            poolput(pool, r.keys);
        }
        r.keys = keys;
        r.capkeys = cap;
    }
    bykeynote& k = r.keys[r.nkeys++];
    k.msg = msg;
    k.var = var;
    k.group = group;
    std::memcpy(k.key, key, 16);
    return true;
}

struct kindmsgs {
    int32_t each, others;
};

kindmsgs messages(keykind kind) {
    switch (kind) {
        case keykind::failmode: return {W510_FMODE_VALUE_POOLS_MODES, 0};
        case keykind::unit: return {W510_UNITID_POOLS_IDS, W510_UNITID_POOLS_MORE};
        case keykind::classlevel: break;
    }
    return {W510_CLASS_LEVEL_POOLS_VALUES, W510_CLASS_LEVEL_POOLS_MORE};
}

}  // namespace

bool keyfirst(poolobj* pool, keyvals& k, const wholecell& c) {
    k.more = nullptr;
    k.text = nullptr;
    k.num = c.num ? *c.num : 0.0;
    return !c.text || (k.text = copytext(pool, c.text, c.width)) != nullptr;
}

bool keyother(poolobj* pool, keyvals& k, const wholecell& c) {
    const double num = c.num ? *c.num : 0.0;
    if (!k.more) {
        if (!startmore(pool, k, c.width)) return false;
    } else {
        // the values named: two values alternating are found without a hash
        for (int i = 1; i < k.more->nlisted; ++i)
            if (same(c.text, num, k.more->text[i], k.more->num[i], c.width)) return true;
    }
    return addvalue(pool, k, c.text, num, c.width, hashof(c.text, c.width, num));
}

int64_t keycount(const keyvals& k) { return k.more ? k.more->count : 1; }

int keylisted(const keyvals& k, const char** texts, double* nums) {
    if (!k.more) {
        texts[0] = k.text;
        nums[0] = k.num;
        return 1;
    }
    for (int i = 0; i < k.more->nlisted; ++i) {
        texts[i] = k.more->text[i];
        nums[i] = k.more->num[i];
    }
    return k.more->nlisted;
}

bool keywarnings(vyxstate* s, poolobj* pool, keykind kind, const char* name, uint32_t id, int32_t width,
                 keyentry* entries, int64_t n, const keygroup* groups) {
    if (n <= 0) return true;
    std::sort(entries, entries + n, [](const keyentry& a, const keyentry& b) {
        if (a.group != b.group) return a.group < b.group;
        return std::memcmp(a.key, b.key, 16) < 0;
    });
    const kindmsgs msg = messages(kind);
    char by[512];
    bygrouptext(s, by, sizeof by);
    int64_t others = 0;
    for (int64_t i = 0; i < n;) {
        int64_t j = i + 1;
        while (j < n && entries[j].group == entries[i].group && std::memcmp(entries[j].key, entries[i].key, 16) == 0) ++j;
        keyvals joined{};
        const keyvals* vals = entries[i].vals;
        if (j - i > 1) {
            bool started = false;
            for (int64_t e = i; e < j; ++e)
                if (!join(pool, joined, started, *entries[e].vals, width)) return false;
            vals = &joined;
        }
        const char* key = entries[i].key;
        const keygroup* g = groups ? &groups[entries[i].group] : nullptr;
        i = j;
        if (!keypooled(*vals)) continue;
        int named = 0;
        const uint64_t gid = g ? g->id : 0;
        if (!keyfresh(s, msg.each, id, gid, key, &named)) continue;
        if (named >= kKeysNamed && msg.others) {
            ++others;
            continue;
        }
        if (!keyremember(s, msg.each, id, gid, key)) return false;
        char keyshown[40], list[1200], where[1024];
        keytext(key, width, keyshown, sizeof keyshown);
        valuelist(*vals, width, list, sizeof list);
        std::snprintf(where, sizeof where, "%s%s", g ? g->where : "", by);
        const long long count = keycount(*vals);
        if (kind == keykind::failmode)
            xpmlog(510, msg.each, keyshown, count, name, where, list);
        else
            xpmlog(510, msg.each, name, count, keyshown, where, list);
    }
    if (others > 0 && bynotefresh(s, msg.others, id, 0, 0)) {
        // "1 more level that stands", "20 more levels that each stand"
        const char* noun = kind == keykind::unit ? "unit id" : "level";
        char more[80];
        if (others == 1)
            std::snprintf(more, sizeof more, "1 more %s that stands", noun);
        else
            std::snprintf(more, sizeof more, "%lld more %ss that each stand", static_cast<long long>(others), noun);
        xpmlog(510, msg.others, name, more, by);
    }
    return true;
}

wholecell classwhole(const vyxstate* s, int k) {
    const obsvalues& v = s->inwork.obsvals;
    return wholeof(s->input.clsdesc[k], v.clswhole[k], &v.clsnum[k]);
}

wholecell unitwhole(const vyxstate* s) {
    const obsvalues& v = s->inwork.obsvals;
    return wholeof(s->input.procvars[PV_UNITID], v.unitwhole, &v.unitnum);
}

bool unitidkeywarnings(vyxstate* s, poolobj* pool, keyentry* entries, int64_t n, const keygroup* groups) {
    const vardesc& d = s->input.procvars[PV_UNITID];
    return keywarnings(s, pool, keykind::unit, d.name, varnameid(d.name, d.namelen), unitwhole(s).width, entries, n, groups);
}

namespace {

// Calls f for every node of a class tree (its nodes linked as a tree, in key order).
template <class F>
void eachtree(grpnode* t, F& f) {
    if (!t) return;
    eachtree(t->tleft, f);
    f(t);
    eachtree(t->tright, f);
}

// The nodes of class variable k (CV_* place): the first-level nodes, or every second-level node
// of every first-level one.
template <class F>
void eachlevel(groupstate& g, int k, F f) {
    if (k == CV_FIRST) {
        eachtree(g.grplist.head, f);
        return;
    }
    auto down = [&](grpnode* x) { eachtree(x->subtree.head, f); };
    eachtree(g.grplist.head, down);
}

}  // namespace

bool classkeywarnings(vyxstate* s) {
    groupstate& g = s->groups;
    poolobj* pool = s->pools.stmtpool;
    for (int k = 0; k < g.nclass && k <= CV_SECOND; ++k) {
        const wholecell c = classwhole(s, k);
        if (!c.on()) continue;
        // A first-level node is its level; a second-level level has a node in every group.
        const bool all = k == CV_SECOND;
        int64_t n = 0;
        eachlevel(g, k, [&](const grpnode* x) { n += all || keypooled(x->whole); });
        if (n == 0) continue;
        auto* e = poolget<keyentry>(pool, n, poolflag::raw);
        if (!e) {
            xmemmsg(n * static_cast<int64_t>(sizeof(keyentry)));
            return false;
        }
        int64_t i = 0;
        eachlevel(g, k, [&](const grpnode* x) {
            if (all || keypooled(x->whole)) e[i++] = keyentry{x->key, &x->whole, 0};
        });
        const bool ok = keywarnings(s, pool, keykind::classlevel, g.clsnames[k], varnameid(g.clsnames[k], g.clsnamelen[k]),
                                    c.width, e, n);
        poolput(pool, e);
        if (!ok) return false;
    }
    return true;
}

bool fmodekeywarnings(vyxstate* s, poolobj* pool, const keyslot* keys) {
    const fmodesettings& f = s->groups.fmodeset;
    if (!keys || f.nvals <= 0) return true;
    const wholecell c = wholeof(f.desc, s->inwork.obsvals.fmodewhole, &s->inwork.obsvals.fmodenum);
    int64_t n = 0;
    for (int i = 0; i < f.nvals; ++i) n += keys[i].seen && keypooled(keys[i].vals);
    if (n == 0 || !c.on()) return true;
    auto* e = poolget<keyentry>(pool, n, poolflag::raw);
    auto* padded = static_cast<char*>(poolbytes(pool, 16 * n, poolflag::raw));
    if (!e || !padded) {
        xmemmsg(n * static_cast<int64_t>(sizeof(keyentry) + 16));
        return false;
    }
    int64_t j = 0;
    for (int i = 0; i < f.nvals; ++i) {
        if (!keys[i].seen || !keypooled(keys[i].vals)) continue;
        char* key = padded + 16 * j;
        std::memset(key, ' ', 16);
        std::memcpy(key, f.vals[i], static_cast<size_t>(f.lens[i] < 16 ? f.lens[i] : 16));
        e[j++] = keyentry{key, &keys[i].vals, 0};
    }
    return keywarnings(s, pool, keykind::failmode, f.desc.name, varnameid(f.desc.name, f.desc.namelen), c.width, e, n);
}

int keywhich(const keyvals& k, const wholecell& c) {
    if (!k.more || !c.on()) return 0;
    const double num = c.num ? *c.num : 0.0;
    for (int i = 0; i < k.more->nlisted; ++i)
        if (same(c.text, num, k.more->text[i], k.more->num[i], c.width)) return i;
    return kNamed;
}

namespace {

void plaintext(const char* text, double num, int32_t width, char* out, int len) {
    if (text) {
        std::snprintf(out, static_cast<size_t>(len), "%.*s", wzstrip(text, width), text);
        return;
    }
    numtext(num, out, static_cast<size_t>(len));
}

}  // namespace

bool keykeep(poolobj* pool, keyvalue& v, int which, const wholecell& c) {
    v.which = which;
    if (which < kNamed || !c.on()) return true;
    // a value met after the third: keep it whole, in the block kept before when there is one
    if (!c.text) {
        v.num = *c.num;
        return true;
    }
    if (!v.text) {
        const int32_t bytes = wholebytes(c.width);
        auto* copy = static_cast<char*>(poolbytes(pool, bytes, poolflag::raw));
        if (!copy) {
            xmemmsg(bytes);
            return false;
        }
        v.text = copy;
    }
    std::memcpy(const_cast<char*>(v.text), c.text, static_cast<size_t>(wholebytes(c.width)));
    return true;
}

bool keysame(const keyvalue& v, int which, const wholecell& c) {
    if (v.which != which) return false;
    if (which < kNamed || !c.on()) return true;
    return c.text ? sametext(v.text, c.text, c.width, 0) : samenumber(v.num, *c.num);
}

void keyshown(const keyvals& k, const keyvalue& v, const wholecell& c, char* out, int len) {
    if (v.which >= kNamed) {
        plaintext(c.text ? v.text : nullptr, v.num, c.width, out, len);
        return;
    }
    const char* texts[kNamed] = {};
    double nums[kNamed] = {};
    const int n = keylisted(k, texts, nums);
    const int i = v.which < n ? v.which : 0;
    plaintext(texts[i], nums[i], c.width, out, len);
}

void currentshown(const wholecell& c, char* out, int len) { plaintext(c.text, c.num ? *c.num : 0.0, c.width, out, len); }

uint32_t varnameid(const char* name, int len) {
    uint32_t h = 2166136261u;
    for (int i = 0; name && i < len; ++i) h = (h ^ static_cast<uint8_t>(name[i])) * 16777619u;
    return h;
}
