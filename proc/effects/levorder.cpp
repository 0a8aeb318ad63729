// Level ordering and the coding matrices of the orthogonal codings.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "proc/effects/effsvc.h"
#include "proc/effects/effects_internal.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/trees.h"
#include "proc/framework/textpad.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/vecops.h"

namespace levorder {

namespace {
int cmpdouble(double x, double y) {
    const bool mx = ismissing(x), my = ismissing(y);
    if (mx || my) return mx && my ? 0 : (mx ? -1 : 1);
    return x < y ? -1 : (x > y ? 1 : 0);
}
}  // namespace

int Compare(const void* a, const void* b, const char* kind, int width) {
    const bool desc = kind[0] == '-';
    const char k = kind[desc ? 1 : 0];
    int c = 0;
    switch (k) {
        case 'S':
            c = wzbcoff(a, b, width, 0);
            break;
        case 'D': {
            double x, y;
            std::memcpy(&x, a, 8);
            std::memcpy(&y, b, 8);
            c = cmpdouble(x, y);
            break;
        }
        case 'L': {
            int64_t x, y;
            std::memcpy(&x, a, 8);
            std::memcpy(&y, b, 8);
            c = x < y ? -1 : (x > y ? 1 : 0);
            break;
        }
        case 'X': {
            int32_t x, y;
            std::memcpy(&x, a, 4);
            std::memcpy(&y, b, 4);
            c = x < y ? -1 : (x > y ? 1 : 0);
            break;
        }
        default:
            c = 0;
    }
    return desc ? -c : c;
}

void Swap(void* a, void* b, int size) {
    unsigned char tmp[256];
    auto* pa = static_cast<unsigned char*>(a);
    auto* pb = static_cast<unsigned char*>(b);
    while (size > 0) {
        const int n = size < 256 ? size : 256;
        std::memcpy(tmp, pa, static_cast<size_t>(n));
        std::memcpy(pa, pb, static_cast<size_t>(n));
        std::memcpy(pb, tmp, static_cast<size_t>(n));
        pa += n, pb += n, size -= n;
    }
}

}  // namespace levorder

void ShellSort(char* keys, int n, int32_t* index, const char* primary, const char* secondary, int width, int size) {
    const bool bycount = primary[primary[0] == '-' ? 1 : 0] == 'X';
    auto greater = [&](const char* a, const char* b) {
        int c = levorder::Compare(a, b, primary, width);
        if (bycount && c == 0) c = levorder::Compare(a + 4, b + 4, secondary, width);
        return c > 0;
    };
    for (int g = n / 2; g >= 1; g /= 2) {
        for (int j = g; j < n; ++j) {
            for (int k = j - g; k >= 0 && greater(keys + static_cast<size_t>(k) * size, keys + static_cast<size_t>(k + g) * size);
                 k -= g) {
                levorder::Swap(keys + static_cast<size_t>(k) * size, keys + static_cast<size_t>(k + g) * size, size);
                std::swap(index[k], index[k + g]);
            }
        }
    }
}

namespace {

bool validorder(char k) { return k == 'M' || k == 'F' || k == 'D' || k == 'X' || k == 'Y' || k == 'Z' || k == 'I'; }

// The coding matrix of an orthogonal coding: rows as the coding says, columns centred,
// orthonormalised and scaled by sqrt(n).
int buildcodemat(poolobj* pool, levclass* c) {
    const int n = c->nlev, w = n - 1;
    double* m = poolget<double>(pool, static_cast<int64_t>(n) * w, poolflag::zeroed_marked);
    if (!m) {
        xmemmsg(8LL * n * w);
        return RC_NOMEM;
    }
    const int ref = c->reflev;
    for (int r = 0; r < n; ++r) {
        double* row = m + static_cast<size_t>(r) * w;
        switch (c->coding) {
            case CODE_OEFF:
            case CODE_OREF:
                if (r < ref) row[r] = 1.0;
                else if (r == ref) {
                    if (c->coding == CODE_OEFF)
                        for (int j = 0; j < w; ++j) row[j] = -1.0;
                } else row[r - 1] = 1.0;
                break;
            case CODE_OPOLY: {
                double x;
                if (levisnumeric(c)) x = c->levval[r].num;
                else if (2 * r == n - 1) x = 0.0;
                else x = (r - (n - 1) / 2.0) / ((n - 1) / 2.0);
                double p = 1.0;
                for (int j = 0; j < w; ++j) {
                    p *= x;
                    row[j] = x == 0.0 ? 0.0 : p;
                }
                break;
            }
            case CODE_OORD:
                for (int j = 0; j < r && j < w; ++j) row[j] = 1.0;
                break;
            case CODE_OBATH: {
                const double d = std::sqrt(1.5 * n / (static_cast<double>(n) * n - 1.0));
                for (int j = 0; j < w; ++j) row[j] = j < r ? d : -d;
                break;
            }
            default:
                break;
        }
    }
    for (int j = 0; j < w; ++j) {
        double s = 0.0;
        for (int r = 0; r < n; ++r) s += m[static_cast<size_t>(r) * w + j];
        s /= n;
        for (int r = 0; r < n; ++r) m[static_cast<size_t>(r) * w + j] -= s;
    }
    std::vector<double> q(static_cast<size_t>(n) * w), rr(static_cast<size_t>(w) * (w + 1) / 2 + 1);
    zgsorth(n, w, m, q.data(), rr.data());
    std::memcpy(m, q.data(), sizeof(double) * q.size());
    zvscl11(m, m, n * w, std::sqrt(static_cast<double>(n)));
    c->codemat = m;
    return 0;
}

}  // namespace

int zlevror(poolobj* pool, levwork* w, levstate* ls, int i, levnode** nodes, char mode) {
    levclass* c = &ls->classv[i];
    const int n = c->nlev;
    std::vector<levnode*> walked;
    if (mode == 'T') {
        for (void* p = ztreord(&w->lwroot[i]); p; p = ztreord(&w->lwroot[i])) walked.push_back(static_cast<levnode*>(p));
        nodes = walked.data();
    }
    // 1. normalise
    if (!validorder(c->ordkey)) c->ordkey = ls->ordcode;
    if (c->reflev != REF_FIRST && c->reflev != REF_LAST && c->reflev != REF_VALUE && (c->reflev < 0 || c->reflev >= n))
        c->reflev = REF_LAST;
    if (c->descflag != 0 && c->descflag != 1) c->descflag = 0;
    // 2. an unformatted numeric variable in formatted order goes by its raw values
    char key = c->ordkey;
    const bool rawasfmt = key == 'M' && levisnumeric(c) && !levhasformat(c);
    if (rawasfmt) key = 'I';
    // 3.-6. sort keys and reorder
    if (n > 1 && !(key == 'M' && !c->descflag)) {
        const bool num = levisnumeric(c);
        const int fl = c->fmtlen;
        const int rawlen = num ? 8 : (nodes[0]->rawlen > 0 ? nodes[0]->rawlen : 1);
        const char* prim = "S";
        const char* sec = "S";
        int width = fl, rest = 0;
        switch (key) {
            case 'M': prim = "-S"; width = fl; rest = fl; break;
            case 'I': prim = num ? (c->descflag ? "-D" : "D") : (c->descflag ? "-S" : "S"); width = rawlen; rest = rawlen; break;
            case 'D': prim = c->descflag ? "-L" : "L"; rest = 8; break;
            case 'F': prim = c->descflag ? "L" : "-L"; rest = 8; break;
            case 'X': prim = c->descflag ? "X" : "-X"; sec = c->descflag ? "-S" : "S"; width = fl; rest = 4 + fl; break;
            case 'Y': prim = c->descflag ? "X" : "-X"; sec = c->descflag ? "-L" : "L"; rest = 12; break;
            case 'Z':
                prim = c->descflag ? "X" : "-X";
                sec = num ? (c->descflag ? "-D" : "D") : (c->descflag ? "-S" : "S");
                width = rawlen;
                rest = 4 + rawlen;
                break;
        }
        const int size = (rest + 3) / 4 * 4;
        std::vector<char> keys(static_cast<size_t>(size) * n, '\0'), orig;
        std::vector<int32_t> index(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            char* kp = keys.data() + static_cast<size_t>(k) * size;
            const levnode* nd = nodes[k];
            index[static_cast<size_t>(k)] = k;
            const int64_t cnt = nd->count, first = nd->first;
            const int32_t cnt32 = nd->count;
            switch (key) {
                case 'M': std::memcpy(kp, nd->text, static_cast<size_t>(fl)); break;
                case 'I':
                    if (num) std::memcpy(kp, &nd->raw, 8);
                    else std::memcpy(kp, nd->rawtext, static_cast<size_t>(std::min(rawlen, nd->rawlen)));
                    break;
                case 'D': std::memcpy(kp, &first, 8); break;
                case 'F': std::memcpy(kp, &cnt, 8); break;
                case 'X': std::memcpy(kp, &cnt32, 4); std::memcpy(kp + 4, nd->text, static_cast<size_t>(fl)); break;
                case 'Y': std::memcpy(kp, &cnt32, 4); std::memcpy(kp + 4, &first, 8); break;
                case 'Z':
                    std::memcpy(kp, &cnt32, 4);
                    if (num) std::memcpy(kp + 4, &nd->raw, 8);
                    else std::memcpy(kp + 4, nd->rawtext, static_cast<size_t>(std::min(rawlen, nd->rawlen)));
                    break;
            }
        }
        if (rawasfmt) orig = keys;
        ShellSort(keys.data(), n, index.data(), prim, sec, width, size);
        // 5. an unformatted numeric variable whose raw order differs from its formatted order
        if (rawasfmt && keys != orig && !c->descflag && !(ls->lsflags & LS_NOORDCHG) && c->ordchg == 0) c->ordchg = 1;
        // 6. level k of the final order is the old level index[k]
        std::vector<char*> lv(c->levels, c->levels + n);
        std::vector<levvalue> vv(c->levval, c->levval + n);
        for (int k = 0; k < n; ++k) {
            c->levels[k] = lv[static_cast<size_t>(index[static_cast<size_t>(k)])];
            c->levval[k] = vv[static_cast<size_t>(index[static_cast<size_t>(k)])];
        }
    }
    // 7. reference level
    if (c->reflev == REF_FIRST) c->reflev = 0;
    else if (c->reflev == REF_LAST) c->reflev = n - 1;
    else if (c->reflev == REF_VALUE) {
        // the reference text is justified as the levels are (the driver accepts it so)
        std::string rv = c->refval ? c->refval : "";
        if (!c->keepjst) rv.erase(0, std::min(rv.find_first_not_of(' '), rv.size()));
        const int rl = striplen(rv.data(), static_cast<int>(rv.size()));
        int found = -1;
        for (int k = 0; k < n && found < 0; ++k) {
            const int ll = striplen(c->levels[k], c->fmtlen);
            if (ll == rl && std::memcmp(c->levels[k], rv.data(), static_cast<size_t>(rl)) == 0) found = k;
        }
        if (found < 0) {
            xpmlog(172, E172_REF_LEVEL_UNKNOWN, txtarg(levvarname(c), levvarnamelen(c)));
            xexit(RC_EFFECTS, 0);
            return RC_EFFECTS;
        }
        c->reflev = found;
    }
    // 8. coding matrix
    c->codemat = nullptr;
    const int cd = c->coding;
    if (cd != CODE_EFFECT && cd != CODE_REF && cd != CODE_POLY && cd != CODE_ORDINAL && cd != CODE_SPLIT && n > 1)
        return buildcodemat(pool, c);
    return 0;
}
