// Get lists: each entry is resolved once to a column and a destination, so that reading
// an observation is a copy per entry. Numeric values are formatted only when a formatted
// value is asked for, through a per-column cache of the values met.
#include <cstring>
#include "host/hostdefs.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/services.h"
#include "runtime/datasets/textcopy.h"

namespace rt::ds {
namespace {

constexpr size_t FMT_CACHE_MAX = size_t{1} << 16;

size_t fmtslot(uint64_t bits, size_t mask) {
    uint64_t h = bits ^ (bits >> 30);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return static_cast<size_t>(h ^ (h >> 31)) & mask;
}

const FmtText& formatted(const Column& c, double v, FmtText& scratch) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    auto& cache = c.fmtcache;
    if (cache.empty()) cache.assign(64, Column::FmtEntry{});
    size_t mask = cache.size() - 1;
    size_t i = fmtslot(bits, mask);
    while (cache[i].used) {
        if (cache[i].bits == bits) return cache[i].text;
        i = (i + 1) & mask;
    }
    scratch = best12(v);
    if (c.fmtcount >= FMT_CACHE_MAX) return scratch;
    if ((c.fmtcount + 1) * 2 > cache.size()) {
        std::vector<Column::FmtEntry> grown(cache.size() * 2);
        mask = grown.size() - 1;
        for (const auto& e : cache) {
            if (!e.used) continue;
            size_t j = fmtslot(e.bits, mask);
            while (grown[j].used) j = (j + 1) & mask;
            grown[j] = e;
        }
        cache.swap(grown);
        i = fmtslot(bits, mask);
        while (cache[i].used) i = (i + 1) & mask;
    }
    cache[i] = Column::FmtEntry{bits, scratch, true};
    ++c.fmtcount;
    return cache[i].text;
}

void rawtext(char* dst, int width, std::string_view s) {
    copypadded(dst, width, s.data(), static_cast<uint32_t>(s.size()));
}

}  // namespace

namespace svc {

int xvgeti(dshandle ds, int entries, hgetlist** list) {
    if (!ds || !list || entries < 0) return 1;
    auto l = std::make_unique<hgetlist>();
    l->ds = ds;
    l->capacity = entries;
    l->entries.reserve(static_cast<size_t>(entries));
    *list = l.get();
    ds->lists.push_back(std::move(l));
    return 0;
}

// mode GET_RAW: the stored value (a double, width at least 8; or the raw text of a
// character variable); GET_FORMATTED: the formatted value, left-aligned, blank padded.
int xvgetd(hgetlist* list, int32_t var, int offset, void* cell, int width, int mode, int, int) {
    if (!list || list->ended || static_cast<int>(list->entries.size()) >= list->capacity) return 1;
    const Column* c = list->ds->column(var);
    if (!c || width <= 0 || offset < 0) return 1;
    getentry e;
    if (mode == GET_RAW) {
        if (c->numeric && width < static_cast<int>(sizeof(double))) return 1;
        e.kind = c->numeric ? getentry::NUM_RAW : getentry::CHR_RAW;
    } else if (mode == GET_FORMATTED) {
        // Left-aligning a text that starts with no blank is a raw copy.
        e.kind = c->numeric ? getentry::NUM_FMT : c->leadblank ? getentry::CHR_FMT : getentry::CHR_RAW;
    } else {
        return 1;
    }
    e.col = c;
    e.num = c->numeric ? c->num.data() : nullptr;
    e.refs = c->numeric ? nullptr : c->txt.data();
    e.arena = c->numeric ? nullptr : c->arena.data();
    e.cell = static_cast<char*>(cell);
    e.offset = offset;
    e.width = width;
    list->entries.push_back(e);
    return 0;
}

int xvgete(hgetlist* list) {
    if (!list) return 1;
    list->ended = true;
    list->onlyrawnums = !list->entries.empty();
    for (const getentry& e : list->entries)
        if (e.kind != getentry::NUM_RAW || !e.cell) list->onlyrawnums = false;
    if (list->onlyrawnums)
        for (const getentry& e : list->entries) list->rawnums.push_back({e.cell + e.offset, e.num});
    return 0;
}

// Fills every entry's cell (or its place in buffer) from the current observation.
int xyvget(hgetlist* list, void* buffer) {
    if (!list || !list->ds->valid) return 1;
    const size_t row = static_cast<size_t>(list->ds->cur);
    if (list->onlyrawnums) {
        for (const hgetlist::rawcopy& c : list->rawnums) std::memcpy(c.dst, c.src + row, sizeof(double));
        return 0;
    }
    int rc = 0;
    for (const getentry& e : list->entries) {
        char* dst = e.cell ? e.cell + e.offset : buffer ? static_cast<char*>(buffer) + e.offset : nullptr;
        if (!dst) {
            rc = 1;
            continue;
        }
        switch (e.kind) {
            case getentry::NUM_RAW:
                std::memcpy(dst, e.num + row, sizeof(double));
                break;
            case getentry::CHR_RAW:
                copypadded(dst, e.width, e.arena + e.refs[row].off, e.refs[row].len);
                break;
            case getentry::NUM_FMT: {
                FmtText t;
                padleft(dst, e.width, formatted(*e.col, e.num[row], t).view());
                break;
            }
            case getentry::CHR_FMT:
                padleft(dst, e.width, e.col->text(static_cast<int64_t>(row)));
                break;
        }
    }
    return rc;
}

int xvget1f(dshandle ds, int32_t var, double* out) {
    const Column* c = ds ? ds->column(var) : nullptr;
    if (!out) return 1;
    if (!c || !c->numeric || !ds->valid) {
        *out = hostmissing();
        return 1;
    }
    *out = c->num[static_cast<size_t>(ds->cur)];
    return 0;
}

int xvget1v(dshandle ds, int32_t var, char* out, int width) {
    const Column* c = ds ? ds->column(var) : nullptr;
    if (!c || !out || width <= 0 || !ds->valid) return 1;
    FmtText t;
    if (c->numeric) padleft(out, width, formatted(*c, c->num[static_cast<size_t>(ds->cur)], t).view());
    else padleft(out, width, c->text(ds->cur));
    return 0;
}

int xvget1c(dshandle ds, int32_t var, char* out, int width) {
    const Column* c = ds ? ds->column(var) : nullptr;
    if (!c || c->numeric || !out || width <= 0 || !ds->valid) return 1;
    rawtext(out, width, c->text(ds->cur));
    return 0;
}

}  // namespace svc
}  // namespace rt::ds
