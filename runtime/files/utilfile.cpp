// Vector 39 of the runtime: utility files, records kept in memory in chunks and spilled to
// a temporary file when the open files grow past their limit.
#include "runtime/files/utilfile.h"

#include "runtime/files/wordcode.h"
#include "runtime/util/bigmem.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace rt::files {
namespace {

int64_t g_spilllimit = kSpillLimit;
int64_t g_inmem = 0;   // bytes of the chunks of every open file
int g_open = 0;

constexpr int kReadError = 1;
constexpr int kWriteError = 2;
constexpr int64_t kWindow = int64_t(1) << 20;

// The spilled file is read and written with pread and pwrite through its window (no stdio:
// a seek would drop a stdio buffer, and a block read back and rewritten in place would read
// the whole buffer again each time).
bool flushwindow(xcfile* f) {
    const int fd = fileno(f->spill);
    while (f->dirtybeg < f->dirtyend) {
        const ssize_t w = ::pwrite(fd, f->win.get() + (f->dirtybeg - f->winbeg), static_cast<size_t>(f->dirtyend - f->dirtybeg),
                                   f->dirtybeg);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        f->dirtybeg += w;
    }
    f->dirtybeg = f->dirtyend = 0;
    return true;
}
bool preadall(int fd, unsigned char* p, int64_t n, int64_t at) {
    while (n > 0) {
        const ssize_t r = ::pread(fd, p, static_cast<size_t>(n), at);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r, at += r, n -= r;
    }
    return true;
}
bool spillread(xcfile* f, int64_t at, void* out, int64_t n) {
    if (n <= 0) return true;
    if (at < 0 || at + n > f->size) return false;
    auto* p = static_cast<unsigned char*>(out);
    if (at >= f->winbeg && at + n <= f->winbeg + f->winlen) {
        std::memcpy(p, f->win.get() + (at - f->winbeg), static_cast<size_t>(n));
        return true;
    }
    if (!flushwindow(f)) return false;
    if (n >= kWindow / 2) {   // large reads go straight to the caller
        f->winlen = 0;
        return preadall(fileno(f->spill), p, n, at);
    }
    f->winbeg = at;
    f->winlen = std::min(kWindow, f->size - at);
    if (!preadall(fileno(f->spill), f->win.get(), f->winlen, at)) {
        f->winlen = 0;
        return false;
    }
    std::memcpy(p, f->win.get(), static_cast<size_t>(n));
    return true;
}
bool spillwrite(xcfile* f, int64_t at, const void* in, int64_t n) {
    if (n <= 0) return true;
    const auto* p = static_cast<const unsigned char*>(in);
    if (!(at >= f->winbeg && at <= f->winbeg + f->winlen && at + n <= f->winbeg + kWindow)) {
        if (!flushwindow(f)) return false;
        f->winbeg = at;
        f->winlen = 0;
        if (n > kWindow) {
            const int fd = fileno(f->spill);
            while (n > 0) {
                const ssize_t w = ::pwrite(fd, p, static_cast<size_t>(n), at);
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) return false;
                p += w, at += w, n -= w;
            }
            f->winbeg = at;
            return true;
        }
    }
    std::memcpy(f->win.get() + (at - f->winbeg), p, static_cast<size_t>(n));
    f->winlen = std::max(f->winlen, at + n - f->winbeg);
    if (f->dirtybeg < f->dirtyend) {
        f->dirtybeg = std::min(f->dirtybeg, at);
        f->dirtyend = std::max(f->dirtyend, at + n);
    } else {
        f->dirtybeg = at;
        f->dirtyend = at + n;
    }
    return true;
}

// Copies n bytes between the chunks, from byte `at` of the file on, and a buffer.
void tochunks(xcfile* f, int64_t at, const unsigned char* p, int64_t n) {
    while (n > 0) {
        const int64_t off = at % kChunk, take = n < kChunk - off ? n : kChunk - off;
        std::memcpy(f->chunks[static_cast<size_t>(at / kChunk)]+ off, p, static_cast<size_t>(take));
        at += take;
        p += take;
        n -= take;
    }
}
void fromchunks(const xcfile* f, int64_t at, unsigned char* p, int64_t n) {
    while (n > 0) {
        const int64_t off = at % kChunk, take = n < kChunk - off ? n : kChunk - off;
        std::memcpy(p, f->chunks[static_cast<size_t>(at / kChunk)]+ off, static_cast<size_t>(take));
        at += take;
        p += take;
        n -= take;
    }
}

// Bytes of the file (in memory or on disk) into p.
bool getbytes(xcfile* f, int64_t at, void* p, int64_t n) {
    if (f->spill) return spillread(f, at, p, n);
    if (at < 0 || at + n > f->size) return false;
    fromchunks(f, at, static_cast<unsigned char*>(p), n);
    return true;
}
bool putbytes(xcfile* f, int64_t at, const void* p, int64_t n) {
    if (f->spill) return spillwrite(f, at, p, n);
    tochunks(f, at, static_cast<const unsigned char*>(p), n);
    return true;
}

constexpr uint64_t kCoded = uint64_t(1) << 63;
constexpr uint64_t kMoved = uint64_t(1) << 62;
constexpr uint64_t kLenMask = (uint64_t(1) << 48) - 1;

// What the length word(s) of the record at `at` say.
struct Head {
    int64_t len = 0;      // bytes as written
    int stride = 0;       // coded against this stride, 0 kept as written
    int64_t slot = 0;     // the bytes it takes after its header
    int64_t data = 0;     // where its bytes start
    int64_t moved = -1;   // where it is in the side file, when it moved there
};
bool head(xcfile* f, int64_t at, Head& h) {
    uint64_t w;
    if (at + 8 > f->size || !getbytes(f, at, &w, 8)) return false;
    if (!(w & kCoded)) {
        h = Head{static_cast<int64_t>(w), 0, static_cast<int64_t>(w), at + 8};
    } else {
        uint64_t slot;
        if (at + 16 > f->size || !getbytes(f, at + 8, &slot, 8)) return false;
        h = Head{static_cast<int64_t>(w & kLenMask), static_cast<int>((w >> 48) & 0xFF), static_cast<int64_t>(slot), at + 16};
        if (w & kMoved) {
            if (!f->side || h.slot < 8 || !getbytes(f, h.data, &h.moved, 8)) return false;
        }
    }
    return h.len >= 0 && h.slot >= 0 && h.data + h.slot <= f->size;
}

// Room for a coded form (one file at a time uses it).
thread_local std::vector<unsigned char> t_coded;
unsigned char* codedroom(int64_t n) {
    if (static_cast<int64_t>(t_coded.size()) < n) t_coded.resize(static_cast<size_t>(n));
    return t_coded.data();
}
thread_local std::vector<unsigned char> t_whole;

// The first `take` bytes of a record into out.
int cread(xchandle f, void* buffer, int64_t length);
bool getrecord(xcfile* f, const Head& h, void* out, int64_t take) {
    if (h.moved >= 0) {
        f->side->pos = h.moved;
        return cread(f->side, out, take) == 0;
    }
    if (!h.stride) return getbytes(f, h.data, out, take);
    // The coded bytes, with 8 bytes beyond them readable: in place in a chunk, or copied.
    const unsigned char* in;
    if (!f->spill && h.data / kChunk == (h.data + h.slot + 8) / kChunk) {
        in = f->chunks[static_cast<size_t>(h.data / kChunk)] + h.data % kChunk;
    } else {
        unsigned char* room = codedroom(h.slot + 8);
        if (!getbytes(f, h.data, room, h.slot)) return false;
        in = room;
    }
    if (take == h.len) {
        code::decode(in, h.len, h.stride, static_cast<unsigned char*>(out));
    } else {
        if (static_cast<int64_t>(t_whole.size()) < h.len) t_whole.resize(static_cast<size_t>(h.len));
        code::decode(in, h.len, h.stride, t_whole.data());
        std::memcpy(out, t_whole.data(), static_cast<size_t>(take));
    }
    return true;
}

// Chunks are carved from slabs and go back to a free list when a file lets them go, so that
// the next file writes into pages already in place: no fresh page to be cleared by the
// kernel. The slabs are given back when no chunk is in use (at the latest when a statement
// has closed its files). They are not offered as huge pages: chunks are written and read in
// order, and on a busy machine the kernel may have to compact memory to find a huge page
// (measured slower than small pages here).
constexpr int64_t kSlab = 32 * kChunk;
std::vector<void*> g_slabs;
std::vector<unsigned char*> g_free;
int64_t g_chunksout = 0;

unsigned char* takechunk() {
    if (g_free.empty()) {
        void* slab = rt::util::bigalloc(static_cast<size_t>(kSlab), false);   // written and read in order
        if (!slab) return nullptr;
        g_slabs.push_back(slab);
        for (int64_t i = kSlab / kChunk - 1; i >= 0; --i) g_free.push_back(static_cast<unsigned char*>(slab) + i * kChunk);
    }
    unsigned char* c = g_free.back();
    g_free.pop_back();
    ++g_chunksout;
    return c;
}

void dropchunks(xcfile* f) {
    g_inmem -= static_cast<int64_t>(f->chunks.size()) * kChunk;
    g_chunksout -= static_cast<int64_t>(f->chunks.size());
    g_free.insert(g_free.end(), f->chunks.begin(), f->chunks.end());
    f->chunks.clear();
    if (g_chunksout == 0) {
        for (void* slab : g_slabs) rt::util::bigfree(slab);
        g_slabs.clear();
        g_free.clear();
    }
}

bool spill(xcfile* f) {
    f->win.reset(new (std::nothrow) unsigned char[static_cast<size_t>(kWindow)]);
    if (!f->win) return false;
    f->spill = std::tmpfile();
    if (!f->spill) return false;
    f->winbeg = f->winlen = f->dirtybeg = f->dirtyend = 0;
    const int64_t size = f->size;
    for (int64_t at = 0; at < size; at += kChunk) {
        const int64_t n = size - at < kChunk ? size - at : kChunk;
        if (!spillwrite(f, at, f->chunks[static_cast<size_t>(at / kChunk)], n)) return false;
    }
    dropchunks(f);
    return true;
}

int copen(xchandle* h, uint32_t) {
    *h = new (std::nothrow) xcfile;
    if (!*h) return kWriteError;
    ++g_open;
    return 0;
}

int cwrite(xchandle f, const void* buffer, int64_t length);
int cread(xchandle f, void* buffer, int64_t length);

// Replaces the record at the noted position by one of the same length. A coded record whose
// new coded form does not fit where the old one was moves, as written, to the file's side
// file, and its place keeps where it went: every position noted stays good.
int crewrite(xchandle f, const void* buffer, int64_t length) {
    f->rewrite = false;
    Head h;
    if (!head(f, f->pos, h) || h.len != length) return kWriteError;
    if (h.moved >= 0) {
        f->side->pos = h.moved;
        f->side->rewrite = true;
        if (cwrite(f->side, buffer, length) != 0) return kWriteError;
    } else if (h.stride) {
        unsigned char* room = codedroom(code::bound(length));
        const int64_t n = code::encode(static_cast<const unsigned char*>(buffer), length, h.stride, room);
        if (n <= h.slot) {
            if (!putbytes(f, h.data, room, n)) return kWriteError;
        } else {
            if (!f->side) {
                f->side = new (std::nothrow) xcfile;
                if (!f->side) return kWriteError;
                f->side->stride = -1;
            }
            const int64_t to = f->side->size;
            uint64_t word;
            if (!getbytes(f, f->pos, &word, 8) || cwrite(f->side, buffer, length) != 0) return kWriteError;
            word |= kMoved;
            if (!putbytes(f, h.data, &to, 8) || !putbytes(f, f->pos, &word, 8)) return kWriteError;
        }
    } else if (!putbytes(f, h.data, buffer, length)) {
        return kWriteError;
    }
    f->pos = h.data + h.slot;
    return 0;
}

// Chunks for the file to grow by `bytes`; a file goes to disk when the chunks it needs would
// take the files in memory together beyond the limit.
bool needroom(xcfile* f, int64_t bytes) {
    if (!f->spill) {
        const int64_t more = (f->size + bytes + kChunk - 1) / kChunk - static_cast<int64_t>(f->chunks.size());
        const int64_t limit = f->stride > 0 ? g_spilllimit : std::min(g_spilllimit, kPlainLimit);
        if (more > 0 && g_inmem + more * kChunk > limit && !spill(f)) return false;
    }
    if (f->spill) return true;
    // Chunks are not cleared: every byte is written before it is read.
    while (static_cast<int64_t>(f->chunks.size()) * kChunk < f->size + bytes) {
        unsigned char* c = takechunk();
        if (!c) return false;
        f->chunks.push_back(c);
        g_inmem += kChunk;
    }
    return true;
}

int cwrite(xchandle f, const void* buffer, int64_t length) {
    if (!f || length < 0) return kWriteError;
    if (f->rewrite) return crewrite(f, buffer, length);
    uint64_t words[2] = {static_cast<uint64_t>(length), 0};
    int64_t headbytes = 8;
    const void* bytes = buffer;
    int64_t stored = length;
    if (length >= kCodeMin && length <= kCodeMax && f->stride >= 0) {
        const auto* rec = static_cast<const unsigned char*>(buffer);
        if (f->stride == 0) {
            const int stride = code::choosestride(rec, length);
            f->stride = stride > 0 ? stride : -1;
        }
        if (f->stride > 0) {
            unsigned char* room = codedroom(code::bound(length));
            const int64_t n = code::encode(rec, length, f->stride, room);
            if (n < length - length / 8) {
                words[0] |= kCoded | static_cast<uint64_t>(f->stride) << 48;
                words[1] = static_cast<uint64_t>(n);
                headbytes = 16;
                bytes = room;
                stored = n;
            }
        }
    }
    if (!needroom(f, headbytes + stored)) return kWriteError;
    // (the size grows after both parts are in place: a read checks against it)
    if (!putbytes(f, f->size, words, headbytes) || !putbytes(f, f->size + headbytes, bytes, stored)) return kWriteError;
    f->size += headbytes + stored;
    f->nrecs += 1;
    f->rawbytes += length;
    return 0;
}

int cread(xchandle f, void* buffer, int64_t length) {
    if (!f) return kReadError;
    f->rewrite = false;
    if (f->pos >= f->size) return XC_EOF;
    Head h;
    if (!head(f, f->pos, h)) return kReadError;
    if (!getrecord(f, h, buffer, length < h.len ? length : h.len)) return kReadError;
    f->pos = h.data + h.slot;
    return 0;
}

int cpoint(xchandle f, int64_t position) {
    if (!f || position < 0 || position > f->size) return kReadError;
    f->pos = position;
    f->rewrite = false;
    return 0;
}

int64_t cnoted(xchandle f) { return f ? f->pos : -1; }

int cpntd(xchandle f, int64_t position) {
    int rc = cpoint(f, position);
    if (rc == 0) f->rewrite = true;
    return rc;
}

// The file's side file let go (its records moved there are gone with it).
void dropside(xcfile* f) {
    if (!f->side) return;
    if (f->side->spill) std::fclose(f->side->spill);
    dropchunks(f->side);
    delete f->side;
    f->side = nullptr;
}

int cclose(xchandle f, int) {
    if (!f) return 0;
    if (f->spill) std::fclose(f->spill);  // a tmpfile is removed when closed
    dropchunks(f);
    dropside(f);
    delete f;
    --g_open;
    return 0;
}

const vec39 table = {copen, cwrite, cread, cpoint, cnoted, cpntd, cclose};

}  // namespace

const vec39* services() { return &table; }
void setspilllimit(int64_t bytes) { g_spilllimit = bytes; }
int openfiles() { return g_open; }

bool readall(xchandle f, std::vector<std::vector<unsigned char>>& out) {
    out.clear();
    for (int64_t at = 0; at < f->size;) {
        Head h;
        if (!head(f, at, h)) return false;
        std::vector<unsigned char> rec(static_cast<size_t>(h.len));
        if (!getrecord(f, h, rec.data(), h.len)) return false;
        out.push_back(std::move(rec));
        at = h.data + h.slot;
    }
    return true;
}

int64_t payload(xchandle f) { return f ? f->rawbytes : -1; }

bool readconcat(xchandle f, unsigned char* out, int64_t bytes, std::vector<int64_t>& lengths) {
    lengths.clear();
    int64_t got = 0;
    for (int64_t at = 0; at < f->size;) {
        Head h;
        if (!head(f, at, h) || got + h.len > bytes) return false;
        if (!getrecord(f, h, out + got, h.len)) return false;
        at = h.data + h.slot;
        got += h.len;
        lengths.push_back(h.len);
    }
    return got == bytes;
}

Mapping::~Mapping() {
    if (p) ::munmap(p, bytes);
}

bool recordaddresses(xchandle f, int64_t reclen, std::vector<const unsigned char*>& at, std::vector<unsigned char>& spare,
                     std::vector<int64_t>& blocks, Mapping& map, EvenBlocks* even) {
    at.clear();
    spare.clear();
    blocks.clear();
    if (!f || reclen <= 0) return false;
    const unsigned char* mapped = nullptr;
    if (f->spill) {
        if (f->size == 0 || !flushwindow(f)) return false;
        void* p = ::mmap(nullptr, static_cast<size_t>(f->size), PROT_READ, MAP_SHARED, fileno(f->spill), 0);
        if (p == MAP_FAILED) return false;
        map.p = p;
        map.bytes = static_cast<size_t>(f->size);
        ::madvise(p, map.bytes, MADV_SEQUENTIAL);
        mapped = static_cast<const unsigned char*>(p);
    }
    auto lengthat = [&](int64_t pos) {
        uint64_t len;
        if (mapped) std::memcpy(&len, mapped + pos, 8);
        else fromchunks(f, pos, reinterpret_cast<unsigned char*>(&len), 8);
        return len & kCoded ? int64_t(-1) : static_cast<int64_t>(len);   // coded: read with readconcat
    };
    // First the blocks and the number of records cut by a chunk's end, so that spare does not
    // move once addresses into it are handed out.
    int64_t cut = 0, n = 0;
    for (int64_t pos = 0; pos < f->size;) {
        const int64_t len = lengthat(pos);
        if (len < 0 || len % reclen || pos + 8 + len > f->size) return false;
        blocks.push_back(len / reclen);
        for (int64_t r = pos + 8; r < pos + 8 + len; r += reclen, ++n)
            if (!mapped && r / kChunk != (r + reclen - 1) / kChunk) ++cut;
        pos += 8 + len;
    }
    if (even && !blocks.empty() && blocks.front() > 0 &&
        std::all_of(blocks.begin(), blocks.end() - 1, [&](int64_t b) { return b == blocks.front(); })) {
        const int64_t per = blocks.front(), stride = 8 + per * reclen, nblocks = static_cast<int64_t>(blocks.size());
        even->per = static_cast<size_t>(per);
        even->stride = static_cast<size_t>(stride);
        if (mapped) {
            even->base = mapped + 8;
            return true;
        }
        // The record cut by each chunk's end, if any, into spare.
        spare.resize(f->chunks.size() * static_cast<size_t>(reclen));
        for (int64_t c = 0; c < static_cast<int64_t>(f->chunks.size()); ++c) {
            const int64_t end = (c + 1) * kChunk, b = end / stride, inside = end - b * stride;
            if (b >= nblocks || inside <= 8) continue;
            const int64_t j = (inside - 8) / reclen, start = b * stride + 8 + j * reclen;
            if (j < blocks[static_cast<size_t>(b)] && start < end && start + reclen > end)
                fromchunks(f, start, spare.data() + c * reclen, reclen);
        }
        even->chunks = f->chunks.data();
        even->spare = spare.data();
        return true;
    }
    at.resize(static_cast<size_t>(n));
    spare.resize(static_cast<size_t>(cut * reclen));
    size_t k = 0, s = 0;
    for (int64_t pos = 0, b = 0; pos < f->size; ++b) {
        const int64_t len = blocks[static_cast<size_t>(b)] * reclen;
        for (int64_t r = pos + 8; r < pos + 8 + len; r += reclen) {
            if (mapped) {
                at[k++] = mapped + r;
            } else if (r / kChunk != (r + reclen - 1) / kChunk) {
                fromchunks(f, r, spare.data() + s, reclen);
                at[k++] = spare.data() + s;
                s += static_cast<size_t>(reclen);
            } else {
                at[k++] = f->chunks[static_cast<size_t>(r / kChunk)] + r % kChunk;
            }
        }
        pos += 8 + len;
    }
    return true;
}

void donate(void* p, size_t bytes) {
    if (!p) return;
    if (g_chunksout == 0 || bytes < static_cast<size_t>(kChunk)) {
        rt::util::bigfree(p);
        return;
    }
    g_slabs.push_back(p);
    for (size_t at = 0; at + static_cast<size_t>(kChunk) <= bytes; at += static_cast<size_t>(kChunk))
        g_free.push_back(static_cast<unsigned char*>(p) + at);
}

void truncate(xchandle f) {
    if (f->spill) {
        std::fclose(f->spill);
        f->spill = nullptr;
        f->win.reset();
        f->winbeg = f->winlen = f->dirtybeg = f->dirtyend = 0;
    }
    dropchunks(f);
    dropside(f);
    f->size = 0;
    f->nrecs = 0;
    f->rawbytes = 0;
    f->pos = 0;
}

}  // namespace rt::files
