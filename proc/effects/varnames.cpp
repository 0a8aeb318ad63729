// Naming records: class, level, continuous and parameter names and labels under the
// VALIDVARNAME rules.
#include "proc/effects/varnames.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"

namespace {

std::string fieldtext(const char* f, int len) { return std::string(f, static_cast<size_t>(striplen(f, len))); }

void setfield(char* f, int len, const std::string& s) {
    const size_t n = std::min(s.size(), static_cast<size_t>(len));
    std::memcpy(f, s.data(), n);
    std::memset(f + n, ' ', static_cast<size_t>(len) - n);
}

std::string validvarname() {
    char buf[16];
    const int n = xoptcgt("VALIDVARNAME", buf, sizeof buf);
    return n > 0 ? std::string(buf) : std::string();
}

bool optis(const std::string& v, const char* what) {
    return wzstcmn(v.data(), static_cast<int>(v.size()), what, static_cast<int>(std::strlen(what)), 0) == 0;
}

int limitof(const zmnclass* r) {
    int lim = zmnlimit();
    if (r && r->limit > 0 && r->limit < lim) lim = r->limit;
    return lim;
}

// Name-prefix length of a class record: cprefix, else what the limit leaves beside the
// level part, cut to the name.
int prefixlen(const zmnclass* r) {
    const int lim = limitof(r);
    int p = r->cprefix >= 0 ? r->cprefix : lim - std::min(lim, std::max(r->nfl, 2));
    return std::min(p, striplen(r->name, 32));
}

// Texts that look like numbers become name characters: + P, - N, . D, others _.
std::string rewritenumber(const std::string& s) {
    if (s.empty() || s[0] == 'E') return s;
    for (char ch : s)
        if (!std::strchr("1234567890.-+E", ch)) return s;
    std::string out = s;
    for (char& ch : out) {
        if (std::isalnum(static_cast<unsigned char>(ch)) || ch == '_') continue;
        ch = ch == '+' ? 'P' : ch == '-' ? 'N' : ch == '.' ? 'D' : '_';
    }
    return out;
}

// Variable part, separator and level part of a label, shared within 256 characters.
std::string joinlabel(std::string var, std::string sep, std::string lev, bool wholelabel) {
    if (var.empty()) sep.clear();
    const int S = static_cast<int>(sep.size());
    int V = static_cast<int>(var.size()), L = static_cast<int>(lev.size());
    if (V + S + L > 256 && wholelabel) {
        if (L <= 128 - S) V = 256 - S - L;
        else if (V > 128) V = 128, L = 128 - S;
        else L = 256 - S - V;
        V = std::max(V, 0);
        L = std::max(L, 0);
        var.resize(static_cast<size_t>(std::min<int>(V, static_cast<int>(var.size()))));
        lev.resize(static_cast<size_t>(std::min<int>(L, static_cast<int>(lev.size()))));
    }
    int s = S;
    while (static_cast<int>(var.size()) + s + static_cast<int>(lev.size()) > 256) {
        const int v = static_cast<int>(var.size()), l = static_cast<int>(lev.size());
        bool cut = false;
        if (v >= l && v > 9) var.pop_back(), cut = true;
        if (l >= v && l > 9) lev.pop_back(), cut = true;
        if (s > v && s > l && s > 9) --s, cut = true;
        if (!cut) break;
    }
    sep.resize(static_cast<size_t>(s));
    std::string out = var + sep + lev;
    if (out.size() > 256) out.resize(256);
    return out;
}

}  // namespace

int zmnlimit() { return optis(validvarname(), "V6") ? 8 : 32; }
bool zmnanyname() { return optis(validvarname(), "ANY"); }

int zname(int, const char* text, int length) {
    const int n = striplen(text, length);
    if (n < 1 || n > 32) return 1;
    if (!(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) return 1;
    for (int i = 1; i < n; ++i)
        if (!(std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) return 1;
    return 0;
}

zmnclass* zmnalcl(int n, poolobj* pool) {
    if (n < 1 || !pool) return nullptr;
    auto* r = static_cast<zmnclass*>(poolbytes(pool, static_cast<int64_t>(sizeof(zmnclass)) * n, poolflag::zeroed_record));
    if (!r) return nullptr;
    for (int i = 0; i < n; ++i) {
        std::memset(r[i].name, ' ', 32);
        std::memset(r[i].label, ' ', 256);
        std::memset(r[i].work, ' ', 256);
        std::memset(r[i].reflev, ' ', 32);
        std::memset(r[i].second, ' ', 32);
        r[i].cprefix = r[i].lprefix = -1;
    }
    return r;
}

void zmnprcl(zmnclass* records, int n) {
    const bool any = zmnanyname();
    for (int k = 0; k < n; ++k) {
        zmnclass* r = &records[k];
        // 2. numeric level labels lose their common leading blanks
        if (r->numeric && r->levels) {
            int common = 256;
            for (zmnlevel* l = r->levels; l; l = l->next) {
                int b = 0;
                while (b < 256 && l->label[b] == ' ') ++b;
                common = std::min(common, b);
            }
            if (common > 0 && common < 256)
                for (zmnlevel* l = r->levels; l; l = l->next) {
                    std::memmove(l->label, l->label + common, static_cast<size_t>(256 - common));
                    std::memset(l->label + 256 - common, ' ', static_cast<size_t>(common));
                }
        }
        // 3. The variable part of the parameter names: the label cut to the prefix length, and the
        // separator between name and level.
        const int p = prefixlen(r);
        std::string var = fieldtext(r->label, 256);
        if (r->lprefix >= 0 && static_cast<int>(var.size()) > r->lprefix) var.resize(static_cast<size_t>(r->lprefix));
        const std::string sep = r->sepnv ? std::string(r->sepnv, static_cast<size_t>(r->sepnvlen)) : std::string(" ");
        for (zmnlevel* l = r->levels; l; l = l->next) {
            // 4. labels
            setfield(l->label, 256, joinlabel(var, sep, fieldtext(l->label, 256), r->lprefix == -1));
            setfield(l->clabel, 256, joinlabel(var, sep, fieldtext(l->clabel, 256), r->lprefix == -1));
            // 5. coded name and level text as name characters
            char cn[33];
            std::memcpy(cn, l->cname, 32);
            cn[32] = '\0';
            wzstjls(cn, 32, 'l', nullptr, nullptr);
            std::string coded(cn, static_cast<size_t>(striplen(cn, static_cast<int>(std::strlen(cn)))));
            std::string lev = fieldtext(l->cls, 32);
            {
                std::string t = lev;
                const size_t b = t.find_first_not_of(' ');
                lev = b == std::string::npos ? std::string() : t.substr(b);
            }
            if (!any) {
                coded = rewritenumber(coded);
                lev = rewritenumber(lev);
            }
            setfield(l->cname, 32, coded);
            // 6. nested name piece
            std::string nested = std::string(r->name, static_cast<size_t>(p)) + lev;
            if (nested.size() > 32) nested.resize(32);
            setfield(l->nested, 32, nested);
            zname(0, l->nested, 32);
        }
    }
}

void zmname(zmnparm* records, int n) {
    for (int k = 0; k < n; ++k) {
        zmnparm* r = &records[k];
        const std::string sep = r->seplen > 0 && r->sep ? std::string(r->sep, static_cast<size_t>(r->seplen - 1)) : " * ";
        std::string cname, clabel;
        for (int j = 0; j < r->nlevels; ++j) {
            const zmnlevel* l = r->levels[j];
            if (!l) continue;
            std::string piece, lab;
            if (j < r->ncrossed) {
                const zmnclass* o = l->owner;
                const int p = o ? prefixlen(o) : 0;
                piece = (o ? std::string(o->name, static_cast<size_t>(p)) : std::string()) + fieldtext(l->cname, 32);
                lab = fieldtext(l->clabel, 256);
            } else {
                piece = fieldtext(l->nested, 32);
                lab = fieldtext(l->label, 256);
            }
            cname += piece;
            if (cname.size() > 32) cname.resize(32);
            if (!lab.empty()) clabel = clabel.empty() ? lab : clabel + sep + lab;
            if (clabel.size() > 256) clabel.resize(256);
        }
        std::string contname, contlabel;
        const int m = r->nconts;
        for (int j = 0; j < m; ++j) {
            const zmncont* c = r->conts[j];
            std::string nm = fieldtext(c->name, 32);
            const int room = 32 - static_cast<int>(cname.size()) - static_cast<int>(contname.size()) - (m - j - 1);
            if (static_cast<int>(nm.size()) > room) nm.resize(static_cast<size_t>(std::max(room, 0)));
            contname += nm;
            if (m == 1 && r->nlevels == 0) continue;
            std::string lab = fieldtext(c->label, 256);
            if (lab.empty()) lab = fieldtext(c->name, 32);
            contlabel = contlabel.empty() ? lab : contlabel + sep + lab;
            if (contlabel.size() > 256) contlabel.resize(256);
        }
        std::string name = r->order ? contname + cname : cname + contname;
        if (name.size() > 32) name.resize(32);
        setfield(r->name, 32, name);
        char lab[256];
        setfield(lab, 256, contlabel);
        zmnlcon(lab, clabel.data(), 256, static_cast<int>(clabel.size()), sep.data(), static_cast<int>(sep.size()));
        std::memcpy(r->label, lab, 256);
    }
}

void zmnlcon(char* field, const char* text, int fieldlen, int textlen, const char* sep, int seplen) {
    const int have = striplen(field, fieldlen);
    const int tl = striplen(text, textlen);
    std::string s(field, static_cast<size_t>(have));
    if (have > 0 && tl > 0 && seplen > 0) s.append(sep, static_cast<size_t>(seplen));
    s.append(text, static_cast<size_t>(tl));
    setfield(field, fieldlen, s);
}

int zgetnmr(const zmnchunk* list, int i, const char** text, int* length) {
    int firstidx = 0;
    const zmnchunk* c = list;
    while (c && i > c->last) {
        firstidx = c->last + 1;
        c = c->next;
    }
    if (!c) return 1;
    const auto* p = reinterpret_cast<const unsigned char*>(c + 1);
    for (int k = firstidx; k < i; ++k) p += 1 + *p;
    if (text) *text = reinterpret_cast<const char*>(p + 1);
    if (length) *length = *p;
    return 0;
}

// ---------------------------------------------------------------- uncalled routines

void zmnsuff(zmnparm* records, int n, int limit, const char* suffix, int suffixlen, int mode) {
    if (limit < 1 || limit > 32) limit = zmnlimit();
    for (int k = 0; k < n; ++k) {
        std::string nm = fieldtext(records[k].name, 32);
        if (static_cast<int>(nm.size()) > limit) nm.resize(static_cast<size_t>(limit));
        std::string sf(suffix, static_cast<size_t>(std::max(suffixlen, 0)));
        if (mode == 0) {
            if (static_cast<int>(nm.size() + sf.size()) > limit) nm.resize(static_cast<size_t>(std::max<int>(0, limit - static_cast<int>(sf.size()))));
            nm += sf;
        } else {
            const int keep = std::max<int>(0, std::min<int>(static_cast<int>(nm.size()), limit - static_cast<int>(sf.size())));
            nm.resize(static_cast<size_t>(keep));
            nm += sf;
        }
        if (static_cast<int>(nm.size()) > limit) nm.resize(static_cast<size_t>(limit));
        setfield(records[k].name, 32, nm);
    }
}

void zmncomp(char* dst, const char* a, const char* b, int dstlen, int alen, int blen) {
    std::memset(dst, ' ', static_cast<size_t>(dstlen));
    int d = 0;
    for (int i = 0; i < alen && d < dstlen; ++i)
        if (a[i] != ' ') dst[d++] = a[i];
    for (int i = 0; i < blen && d < dstlen; ++i)
        if (b[i] != ' ') dst[d++] = b[i];
}

void zmnjust(char* name) { wzstjls(name, 32, 'l', nullptr, nullptr); }

int zmzname(const char* text, int length) { return zmnanyname() ? 0 : zname(0, text, length); }

int zlstmem(const char* keys, int n, const char* key, int keylen) {
    for (int i = 0; i < n; ++i)
        if (std::memcmp(keys + static_cast<size_t>(i) * keylen, key, static_cast<size_t>(keylen)) == 0) return i;
    return n;
}

int zlstcmp(const char* a, int na, const char* b, int nb, int keylen) {
    for (int i = 0; i < na; ++i)
        if (zlstmem(b, nb, a + static_cast<size_t>(i) * keylen, keylen) == nb) return na == 0 ? 999 : 1;
    if (nb > na) return -1;
    return 0;
}

int zlstmel(const zmnchunk* list, int n, const char* key, int keylen) {
    for (int i = 0; i < n; ++i) {
        const char* t = nullptr;
        int len = 0;
        if (zgetnmr(list, i, &t, &len) != 0) break;
        if (wzstcom(t, len, key, keylen) == 0) return i;
    }
    return n;
}

int zlstjn(const char* a, int na, int32_t* pa, const char* b, int nb, int32_t* pb, int keylen) {
    int count = 0;
    for (int i = 0; i < na; ++i)
        for (int j = 0; j < nb; ++j)
            if (std::memcmp(a + static_cast<size_t>(i) * keylen, b + static_cast<size_t>(j) * keylen, static_cast<size_t>(keylen)) == 0) {
                if (pa) pa[count] = i;
                if (pb) pb[count] = j;
                ++count;
            }
    return count;
}

void zmnduef(const zmnparm* records, int n) {
    for (int k = 0; k < n; ++k) {
        const zmnparm& r = records[k];
        std::string line = "Name (func num,effect num,nways) -> vars -> levels: " + fieldtext(r.name, 32) + " -> " +
                           std::to_string(r.nconts) + " -> " + std::to_string(r.nlevels);
        xdebug(line.c_str());
    }
}

void zmnducl(const zmnclass* records, int n) {
    for (int k = 0; k < n; ++k) {
        const zmnclass& r = records[k];
        std::string line = std::string(r.levels ? "CLASS: " : "QUANT: ") + "name     = " + fieldtext(r.name, 32) + ".";
        xdebug(line.c_str());
    }
}
