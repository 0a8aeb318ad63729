// The body of a CSV file in chunks. The file is cut at line ends into chunks of about equal
// bytes; the line ends of every chunk are counted first (in parallel), which bounds its
// records and so fixes where its rows go in the columns. Then the chunks are parsed in
// parallel, each on the assumption that its first line starts a record. In file order, each
// chunk's first record is checked against the place where the chunk before it stopped: a
// quoted value with line ends that runs over the cut makes them differ, and that chunk is
// parsed again from the right place. The first failing record, in file order, is the error.
// Empty lines and quoted line ends leave rows unused at the end of a chunk's share; the
// rows are closed up afterwards.
//
// A column is numeric while its values are numbers. A chunk that meets another value turns
// the column to texts from that row on; when any chunk did, the column holds texts, and
// the rows that were read as numbers have their texts taken from the file again.
#include "runtime/datasets/csvchunks.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <utility>
#include <unistd.h>

#include "host/hostdefs.h"
#include "runtime/datasets/numparse.h"
#include "runtime/util/spread.h"

namespace rt::ds {
namespace {

std::atomic<size_t> g_minchunk{size_t{1} << 20};

// The texts of one column in one chunk, by the chunk's own rows and offsets.
struct ChunkText {
    int64_t switchrow = -1;       // first row that is not a number, -1 none
    int64_t switchline = 0;
    std::string switchtext;
    RefVec refs;
    TextArena arena;
    int32_t width = 1;
    bool leadblank = false;
    int64_t nafields = 0;         // fields written NA without quotes
};

struct Chunk {
    const char* start = nullptr;  // where its records are looked for
    const char* limit = nullptr;  // its records start before limit
    int64_t line0 = 0;            // line at start
    int64_t nl = 0;               // line ends in [start, limit)
    int64_t rowoff = 0;           // its first row in the columns
    int64_t cap = 0;              // rows it may fill
    // results
    const char* first = nullptr;  // its first record (empty lines skipped)
    const char* next = nullptr;   // where the record after its last one starts
    int64_t nextline = 0;
    int64_t rows = 0;
    BodyError err;
    std::vector<ChunkText> text;
};

using rt::util::spread;

// Drops the whole pages of [b, e) from memory (they are read again from the file if touched).
void dropspan(const char* b, const char* e) {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t lo = (reinterpret_cast<uintptr_t>(b) + page - 1) / page * page;
    const uintptr_t hi = reinterpret_cast<uintptr_t>(e) / page * page;
    if (hi > lo) madvise(reinterpret_cast<void*>(lo), hi - lo, MADV_DONTNEED);
}

bool storetext(ChunkText& t, int64_t row, std::string_view s, BodyError& err) {
    TextRef r{0, 0};
    if (!missingtext(s)) {
        TextArena& a = t.arena;
        if (a.size() + s.size() > a.capacity()) {
            if (a.size() + s.size() > UINT32_MAX) {
                err.kind = BodyError::TOOLARGE;
                return false;
            }
            const size_t want = std::min<size_t>(std::max(a.capacity() * 2, a.size() + s.size() + 4096), UINT32_MAX);
            if (!a.reserve(want)) {
                err.kind = BodyError::NOMEM;
                return false;
            }
        }
        r.off = static_cast<uint32_t>(a.size());
        r.len = static_cast<uint32_t>(s.size());
        a.append(s.data(), s.size());
        if (static_cast<int32_t>(s.size()) > t.width) t.width = static_cast<int32_t>(s.size());
        if (s[0] == ' ') t.leadblank = true;
    }
    t.refs[static_cast<size_t>(row)] = r;
    return true;
}

class Body {
public:
    Body(const char* e, std::vector<Column>& cols) : end_(e), cols_(cols), ncols_(static_cast<int>(cols.size())) {}

    // Parses the chunk from its start; every result of the chunk is set anew.
    void parse(Chunk& ch) {
        CsvCursor c{ch.start, end_, ch.line0};
        ch.rows = 0;
        ch.err = BodyError{};
        ch.text.clear();
        ch.text.resize(static_cast<size_t>(ncols_));
        ch.first = nullptr;
        std::string scratch;
        const double missing = hostmissing();
        while (nextrecord(c)) {
            if (!ch.first) ch.first = c.p;
            if (c.p >= ch.limit) break;
            const int64_t line = c.line;
            const int64_t row = ch.rows;
            int n = 0;
            bool stored = true;
            auto st = splitrecord(c, scratch, n, [&](int j, std::string_view s, bool quoted) {
                if (j >= ncols_ || !stored) return;
                ChunkText& t = ch.text[static_cast<size_t>(j)];
                if (t.switchrow < 0) {
                    double v;
                    if (missingtext(s)) {
                        v = missing;
                    } else if (!parsenumber(s, v)) {
                        if (rmissing(s, quoted)) {
                            v = missing;
                            ++t.nafields;
                        } else {
                            t.switchrow = row;
                            t.switchline = line;
                            t.switchtext = std::string(s);
                            try {
                                t.refs.resize(static_cast<size_t>(ch.cap));
                            } catch (const std::bad_alloc&) {
                                ch.err.kind = BodyError::NOMEM;
                                stored = false;
                                return;
                            }
                            stored = storetext(t, row, s, ch.err);
                            return;
                        }
                    }
                    cols_[static_cast<size_t>(j)].num[static_cast<size_t>(ch.rowoff + row)] = v;
                } else {
                    if (rmissing(s, quoted)) {
                        ++t.nafields;
                        s = {};
                    }
                    stored = storetext(t, row, s, ch.err);
                }
            });
            if (st != SplitStatus::OK) {
                ch.err.kind = BodyError::SPLIT;
                ch.err.split = st;
                ch.err.recline = line;
                ch.err.line = c.line;
                break;
            }
            if (n != ncols_) {
                ch.err.kind = BodyError::COUNT;
                ch.err.recline = line;
                ch.err.nvalues = n;
                break;
            }
            if (!stored) break;
            ++ch.rows;
        }
        if (!ch.first) ch.first = c.p;
        ch.next = c.p;
        ch.nextline = c.line;
    }

    // The texts of the character columns for the chunk's rows that were read as numbers.
    void texts(Chunk& ch, const std::vector<char>& character) {
        bool any = false;
        for (int j = 0; j < ncols_; ++j) {
            ChunkText& t = ch.text[static_cast<size_t>(j)];
            if (!character[static_cast<size_t>(j)] || t.switchrow == 0) continue;
            any = true;
            if (t.refs.size() < static_cast<size_t>(ch.rows)) {
                try {
                    t.refs.resize(static_cast<size_t>(ch.cap));
                } catch (const std::bad_alloc&) {
                    ch.err.kind = BodyError::NOMEM;
                    return;
                }
            }
        }
        if (!any) return;
        CsvCursor c{ch.first, end_, 0};
        std::string scratch;
        for (int64_t row = 0; row < ch.rows && nextrecord(c); ++row) {
            int n = 0;
            bool stored = true;
            splitrecord(c, scratch, n, [&](int j, std::string_view s, bool quoted) {
                if (j >= ncols_ || !stored || !character[static_cast<size_t>(j)]) return;
                ChunkText& t = ch.text[static_cast<size_t>(j)];
                if (t.switchrow < 0 || row < t.switchrow) stored = storetext(t, row, textvalue(s, quoted), ch.err);
            });
            if (!stored) return;
        }
    }

private:
    const char* end_;
    std::vector<Column>& cols_;
    int ncols_;
};

}  // namespace

size_t minchunkbytes() { return g_minchunk.load(); }
void setminchunkbytes(size_t bytes) { g_minchunk.store(bytes ? bytes : size_t{1} << 20); }

bool splitbody(size_t bytes, int threads) { return threads > 1 && bytes >= 2 * minchunkbytes(); }

bool parsechunks(const char* b, const char* e, int64_t line, std::vector<Column>& cols, int threads, int64_t& nobs,
                 BodyError& error) {
    const size_t bytes = static_cast<size_t>(e - b);
    const size_t perchunk = std::max(minchunkbytes(), bytes / (4 * static_cast<size_t>(std::max(threads, 1))) + 1);
    // Cut at the line end at or after each multiple of perchunk.
    std::vector<Chunk> ch;
    for (const char* at = b; at < e;) {
        Chunk c;
        c.start = at;
        const char* want = at + std::min(perchunk, static_cast<size_t>(e - at));
        const char* cut = want < e ? static_cast<const char*>(std::memchr(want, '\n', static_cast<size_t>(e - want))) : nullptr;
        c.limit = cut ? cut + 1 : e;
        at = c.limit;
        ch.push_back(std::move(c));
    }
    const int n = static_cast<int>(ch.size());
    spread(threads, n, [&](int i) {
        int64_t k = 0;
        for (const char* q = ch[static_cast<size_t>(i)].start;
             (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(ch[static_cast<size_t>(i)].limit - q))));
             ++q)
            ++k;
        ch[static_cast<size_t>(i)].nl = k;
    });
    int64_t rows = 0, at = line;
    for (int i = 0; i < n; ++i) {
        Chunk& c = ch[static_cast<size_t>(i)];
        c.line0 = at;
        c.rowoff = rows;
        c.cap = c.nl + (i == n - 1 ? 1 : 0);
        rows += c.cap;
        at += c.nl;
    }
    for (Column& col : cols) col.num.resize(static_cast<size_t>(rows));

    Body body(e, cols);
    spread(threads, n, [&](int i) {
        Chunk& c = ch[static_cast<size_t>(i)];
        try {
            body.parse(c);
        } catch (const std::bad_alloc&) {
            c.err.kind = BodyError::NOMEM;
            return;
        }
        dropspan(c.start, c.next);
    });
    // In file order: a chunk that did not start on a record is parsed again from where the
    // one before it stopped; the first failing record is the error.
    for (int i = 0; i < n; ++i) {
        Chunk& c = ch[static_cast<size_t>(i)];
        if (i > 0) {
            const Chunk& before = ch[static_cast<size_t>(i) - 1];
            if (c.first != before.next) {
                c.start = before.next;
                c.line0 = before.nextline;
                body.parse(c);
            }
        }
        if (c.err.kind != BodyError::NONE) {
            error = c.err;
            return false;
        }
    }

    // Character columns: texts for the rows read as numbers, then one store per column.
    const size_t ncols = cols.size();
    std::vector<char> character(ncols, 0);
    bool anychar = false;
    for (size_t j = 0; j < ncols; ++j)
        for (const Chunk& c : ch)
            if (c.text[j].switchrow >= 0) character[j] = 1, anychar = true;
    if (anychar) {
        spread(threads, n, [&](int i) {
            try {
                body.texts(ch[static_cast<size_t>(i)], character);
            } catch (const std::bad_alloc&) {
                ch[static_cast<size_t>(i)].err.kind = BodyError::NOMEM;
            }
        });
        for (const Chunk& c : ch)
            if (c.err.kind != BodyError::NONE) {
                error = c.err;
                return false;
            }
    }
    int64_t total = 0;
    for (const Chunk& c : ch) total += c.rows;
    for (size_t j = 0; j < ncols; ++j) {
        Column& col = cols[j];
        for (const Chunk& c : ch) col.nafields += c.text[j].nafields;
        if (!character[j]) {
            // Close up the rows that empty lines or quoted line ends left unused.
            int64_t to = 0;
            for (const Chunk& c : ch) {
                if (to != c.rowoff && c.rows > 0)
                    std::memmove(col.num.data() + to, col.num.data() + c.rowoff, static_cast<size_t>(c.rows) * sizeof(double));
                to += c.rows;
            }
            col.num.resize(static_cast<size_t>(total));
            continue;
        }
        size_t bytesj = 0;
        for (const Chunk& c : ch) bytesj += c.text[j].arena.size();
        if (bytesj > UINT32_MAX) {
            error.kind = BodyError::TOOLARGE;
            return false;
        }
        col.numeric = false;
        col.width = 1;
        for (const Chunk& c : ch)
            if (c.text[j].switchrow >= 0) {
                col.badline = c.text[j].switchline;
                col.badtext = c.text[j].switchtext;
                break;
            }
        NumVec().swap(col.num);
        if (!col.arena.reserve(bytesj)) {
            error.kind = BodyError::NOMEM;
            return false;
        }
        col.txt.resize(static_cast<size_t>(total));
        int64_t to = 0;
        for (Chunk& c : ch) {
            ChunkText& t = c.text[j];
            const uint32_t base = static_cast<uint32_t>(col.arena.size());
            col.arena.append(t.arena.data(), t.arena.size());
            for (int64_t r = 0; r < c.rows; ++r) {
                TextRef ref = t.refs[static_cast<size_t>(r)];
                if (ref.len) ref.off += base;
                col.txt[static_cast<size_t>(to + r)] = ref;
            }
            to += c.rows;
            col.width = std::max(col.width, t.width);
            col.leadblank = col.leadblank || t.leadblank;
            t = ChunkText{};
        }
    }
    nobs = total;
    return true;
}

}  // namespace rt::ds
