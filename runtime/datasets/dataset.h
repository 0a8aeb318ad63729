// The in-memory form of a data set: one column per variable, filled by the CSV reader,
// read by the get lists and the BY-group walker. Private to runtime/datasets/.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>
#include "runtime/datasets/formats.h"
#include "runtime/datasets/library.h"

namespace rt::ds {

// A character value: its place in the column's text arena. Length 0 is the missing value.
// The arena ends with TEXT_SLACK blanks, so that 16 bytes can be read from any value.
constexpr size_t TEXT_SLACK = 16;

struct TextRef {
    uint32_t off;
    uint32_t len;
};

// An allocator whose resize leaves plain values unset: the reader sizes a column once and
// its threads write every value, so a clearing pass first would only cost time.
template <class T>
struct UninitAlloc : std::allocator<T> {
    using std::allocator<T>::allocator;
    template <class U>
    struct rebind {
        using other = UninitAlloc<U>;
    };
    template <class U, class... A>
    void construct(U* p, A&&... a) {
        if constexpr (sizeof...(A) == 0) ::new (static_cast<void*>(p)) U;
        else ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};
using NumVec = std::vector<double, UninitAlloc<double>>;
using RefVec = std::vector<TextRef, UninitAlloc<TextRef>>;

// The text store of a character column, grown with realloc: a large block is moved by the
// system without a copy, so growing never holds the old and the new store at once.
class TextArena {
public:
    TextArena() = default;
    TextArena(TextArena&& o) noexcept : p_(o.p_), n_(o.n_), cap_(o.cap_) { o.p_ = nullptr, o.n_ = o.cap_ = 0; }
    TextArena& operator=(TextArena&& o) noexcept {
        std::swap(p_, o.p_), std::swap(n_, o.n_), std::swap(cap_, o.cap_);
        return *this;
    }
    ~TextArena() { std::free(p_); }

    const char* data() const { return p_; }
    size_t size() const { return n_; }
    size_t capacity() const { return cap_; }
    // Sets the capacity (not below the size); false when memory is short.
    bool reserve(size_t cap) {
        if (cap < n_) cap = n_;
        void* q = std::realloc(p_, cap ? cap : 1);
        if (!q) return false;
        p_ = static_cast<char*>(q);
        cap_ = cap;
        return true;
    }
    // The caller has made room. Nothing to add is no copy: an arena that never held a text
    // (a chunk without values of its column) has no storage at all.
    void append(const char* s, size_t n) {
        if (n == 0) return;
        std::memcpy(p_ + n_, s, n);
        n_ += n;
    }
    void appendblanks(size_t n) {
        if (n == 0) return;
        std::memset(p_ + n_, ' ', n);
        n_ += n;
    }

private:
    char* p_ = nullptr;
    size_t n_ = 0, cap_ = 0;
};

struct Column {
    std::string name;                 // as written in the header
    bool numeric = true;
    NumVec num;                       // numeric columns: one double per observation
    RefVec txt;                       // character columns: one reference per observation
    TextArena arena;                  // character columns: the texts, back to back
    int32_t width = 8;                // stored width: 8, or the longest character value (>= 1)
    bool leadblank = false;           // some character value starts with a blank

    // Where typing decided "character": the first value that is not a number.
    int64_t badline = 0;
    std::string badtext;

    // Fields written NA without quotes, read as missing values (rmissing).
    int64_t nafields = 0;

    // Formatted numeric values met so far (BEST12 text, blanks cut), filled lazily: an
    // open-addressing table keyed by the value's bits.
    struct FmtEntry {
        uint64_t bits;
        FmtText text;
        bool used;
    };
    mutable std::vector<FmtEntry> fmtcache;
    mutable size_t fmtcount = 0;

    std::string_view text(int64_t row) const {
        const TextRef& r = txt[static_cast<size_t>(row)];
        return {arena.data() + r.off, r.len};
    }
};

}  // namespace rt::ds

// One entry of a get list: what to copy from which column into which place. The column's
// storage is resolved when the entry is made (columns do not change once read).
struct getentry {
    enum Kind : uint8_t { NUM_RAW, NUM_FMT, CHR_RAW, CHR_FMT };
    Kind kind;
    const rt::ds::Column* col;
    const double* num;                // numeric columns
    const rt::ds::TextRef* refs;      // character columns
    const char* arena;
    char* cell;                       // fixed cell, or null: offset into the xyvget buffer
    int offset;
    int width;
};

struct hgetlist {
    hdataset* ds;
    int capacity;                     // entries announced by xvgeti
    bool ended = false;
    std::vector<getentry> entries;
    // When every entry copies a stored double into a fixed cell (the common list of a life-data
    // pass), the copies themselves, made once when the list is ended: destination, column.
    struct rawcopy {
        char* dst;
        const double* src;
    };
    std::vector<rawcopy> rawnums;
    bool onlyrawnums = false;
};

struct hdataset {
    rt::Session* session = nullptr;   // the session that opened it: its log takes the messages
    std::string lib;                  // upper case; "WORK" for the work library
    std::string member;               // upper case
    std::string path;                 // the file read
    int64_t nobs = 0;
    std::vector<rt::ds::Column> cols;

    // BY groups.
    std::vector<rt::ds::ByVar> by;
    bool notsorted = false;
    bool started = false;             // xbynext was called since the last setby
    bool orderbad = false;            // the order check failed: no group is handed out
    std::vector<int64_t> groupstarts; // first observation of each BY group, then nobs
    size_t group = 0;                 // index of the next group in groupstarts
    int64_t gstart = 0, gend = 0;     // current group: observations [gstart, gend)
    bool ingroup = false;

    // The current observation (0-based); -1 before the first, nobs or gend past the end.
    int64_t cur = -1;
    bool valid = false;               // cur names an observation that was read

    std::vector<std::unique_ptr<hgetlist>> lists;   // get lists, freed with the data set

    const rt::ds::Column* column(int32_t var) const {
        if (var < 1 || var > static_cast<int32_t>(cols.size())) return nullptr;
        return &cols[static_cast<size_t>(var - 1)];
    }
};
