// Vector 39 of the runtime: utility files, records kept in memory in chunks and spilled to
// a temporary file when the open files grow past their limit.
#include "runtime/files/utilfile.h"

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

// Chunks are carved from slabs on huge pages and go back to a free list when a file lets them
// go, so that the next file writes into pages already in place: no fresh page to be cleared
// by the kernel, and a page fault per 2 MiB instead of per 4 KiB. The slabs are given back
// when no chunk is in use (at the latest when a statement has closed its files).
constexpr int64_t kSlab = 32 * kChunk;
std::vector<void*> g_slabs;
std::vector<unsigned char*> g_free;
int64_t g_chunksout = 0;

unsigned char* takechunk() {
    if (g_free.empty()) {
        void* slab = rt::util::bigalloc(static_cast<size_t>(kSlab));
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

// Replaces the record at the noted position by one of the same length.
int crewrite(xchandle f, const void* buffer, int64_t length) {
    f->rewrite = false;
    uint64_t len;
    if (f->pos + 8 > f->size) return kWriteError;
    if (f->spill) {
        if (!spillread(f, f->pos, &len, 8)) return kWriteError;
        if (len != static_cast<uint64_t>(length)) return kWriteError;
        if (!spillwrite(f, f->pos + 8, buffer, length)) return kWriteError;
    } else {
        fromchunks(f, f->pos, reinterpret_cast<unsigned char*>(&len), 8);
        if (len != static_cast<uint64_t>(length)) return kWriteError;
        tochunks(f, f->pos + 8, static_cast<const unsigned char*>(buffer), length);
    }
    f->pos += 8 + length;
    return 0;
}

int cwrite(xchandle f, const void* buffer, int64_t length) {
    if (!f || length < 0) return kWriteError;
    if (f->rewrite) return crewrite(f, buffer, length);
    uint64_t len = static_cast<uint64_t>(length);
    // A file goes to disk when the chunks it needs would take the files in memory together
    // beyond the limit.
    if (!f->spill) {
        const int64_t more = (f->size + 8 + length + kChunk - 1) / kChunk - static_cast<int64_t>(f->chunks.size());
        if (more > 0 && g_inmem + more * kChunk > g_spilllimit && !spill(f)) return kWriteError;
    }
    if (f->spill) {
        // (the size grows after both parts are in place: a read checks against it)
        if (!spillwrite(f, f->size, &len, 8) || !spillwrite(f, f->size + 8, buffer, length)) return kWriteError;
    } else {
        // Chunks are not cleared: every byte is written before it is read.
        while (static_cast<int64_t>(f->chunks.size()) * kChunk < f->size + 8 + length) {
            unsigned char* c = takechunk();
            if (!c) return kWriteError;
            f->chunks.push_back(c);
            g_inmem += kChunk;
        }
        tochunks(f, f->size, reinterpret_cast<const unsigned char*>(&len), 8);
        tochunks(f, f->size + 8, static_cast<const unsigned char*>(buffer), length);
    }
    f->size += 8 + length;
    f->nrecs += 1;
    return 0;
}

int cread(xchandle f, void* buffer, int64_t length) {
    if (!f) return kReadError;
    f->rewrite = false;
    if (f->pos >= f->size) return XC_EOF;
    uint64_t len;
    if (f->spill) {
        if (!spillread(f, f->pos, &len, 8)) return kReadError;
        uint64_t take = len < static_cast<uint64_t>(length) ? len : static_cast<uint64_t>(length);
        if (!spillread(f, f->pos + 8, buffer, static_cast<int64_t>(take))) return kReadError;
    } else {
        fromchunks(f, f->pos, reinterpret_cast<unsigned char*>(&len), 8);
        uint64_t take = len < static_cast<uint64_t>(length) ? len : static_cast<uint64_t>(length);
        fromchunks(f, f->pos + 8, static_cast<unsigned char*>(buffer), static_cast<int64_t>(take));
    }
    f->pos += 8 + static_cast<int64_t>(len);
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

int cclose(xchandle f, int) {
    if (!f) return 0;
    if (f->spill) std::fclose(f->spill);  // a tmpfile is removed when closed
    dropchunks(f);
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
    int64_t keep = f->pos;
    f->pos = 0;
    out.clear();
    while (f->pos < f->size) {
        uint64_t len;
        if (f->spill) {
            if (!spillread(f, f->pos, &len, 8)) return false;
        } else {
            fromchunks(f, f->pos, reinterpret_cast<unsigned char*>(&len), 8);
        }
        std::vector<unsigned char> rec(len);
        if (cread(f, rec.data(), static_cast<int64_t>(len)) != 0) return false;
        out.push_back(std::move(rec));
    }
    f->pos = keep;
    return true;
}

int64_t payload(xchandle f) { return f ? f->size - 8 * f->nrecs : -1; }

bool readconcat(xchandle f, unsigned char* out, int64_t bytes, std::vector<int64_t>& lengths) {
    lengths.clear();
    int64_t got = 0;
    for (int64_t at = 0; at < f->size;) {
        uint64_t len;
        if (f->spill) {
            if (!spillread(f, at, &len, 8)) return false;
            if (got + static_cast<int64_t>(len) > bytes) return false;
            if (!spillread(f, at + 8, out + got, static_cast<int64_t>(len))) return false;
        } else {
            fromchunks(f, at, reinterpret_cast<unsigned char*>(&len), 8);
            if (got + static_cast<int64_t>(len) > bytes) return false;
            fromchunks(f, at + 8, out + got, static_cast<int64_t>(len));
        }
        at += 8 + static_cast<int64_t>(len);
        got += static_cast<int64_t>(len);
        lengths.push_back(static_cast<int64_t>(len));
    }
    return got == bytes;
}

Mapping::~Mapping() {
    if (p) ::munmap(p, bytes);
}

bool recordaddresses(xchandle f, int64_t reclen, std::vector<const unsigned char*>& at, std::vector<unsigned char>& spare,
                     std::vector<int64_t>& blocks, Mapping& map) {
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
        return static_cast<int64_t>(len);
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
    f->size = 0;
    f->nrecs = 0;
    f->pos = 0;
}

}  // namespace rt::files
