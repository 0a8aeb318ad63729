// Vector 39 of the runtime: utility files, records kept in memory in chunks and spilled to
// a temporary file when the open files grow past their limit.
#include "runtime/files/utilfile.h"

#include <cstring>
#include <new>

namespace rt::files {
namespace {

int64_t g_spilllimit = kSpillLimit;
int64_t g_inmem = 0;   // bytes of the chunks of every open file
int g_open = 0;

constexpr int kReadError = 1;
constexpr int kWriteError = 2;

// Copies n bytes between the chunks, from byte `at` of the file on, and a buffer.
void tochunks(xcfile* f, int64_t at, const unsigned char* p, int64_t n) {
    while (n > 0) {
        const int64_t off = at % kChunk, take = n < kChunk - off ? n : kChunk - off;
        std::memcpy(f->chunks[static_cast<size_t>(at / kChunk)].get() + off, p, static_cast<size_t>(take));
        at += take;
        p += take;
        n -= take;
    }
}
void fromchunks(const xcfile* f, int64_t at, unsigned char* p, int64_t n) {
    while (n > 0) {
        const int64_t off = at % kChunk, take = n < kChunk - off ? n : kChunk - off;
        std::memcpy(p, f->chunks[static_cast<size_t>(at / kChunk)].get() + off, static_cast<size_t>(take));
        at += take;
        p += take;
        n -= take;
    }
}

void dropchunks(xcfile* f) {
    g_inmem -= static_cast<int64_t>(f->chunks.size()) * kChunk;
    f->chunks.clear();
}

bool spill(xcfile* f) {
    f->spill = std::tmpfile();
    if (!f->spill) return false;
    for (int64_t at = 0; at < f->size; at += kChunk) {
        const size_t n = static_cast<size_t>(f->size - at < kChunk ? f->size - at : kChunk);
        if (std::fwrite(f->chunks[static_cast<size_t>(at / kChunk)].get(), 1, n, f->spill) != n) return false;
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
        if (std::fseek(f->spill, f->pos, SEEK_SET) != 0 || std::fread(&len, 8, 1, f->spill) != 1) return kWriteError;
        if (len != static_cast<uint64_t>(length)) return kWriteError;
        if (std::fseek(f->spill, f->pos + 8, SEEK_SET) != 0) return kWriteError;
        if (length && std::fwrite(buffer, 1, len, f->spill) != len) return kWriteError;
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
        if (std::fseek(f->spill, 0, SEEK_END) != 0) return kWriteError;
        if (std::fwrite(&len, 8, 1, f->spill) != 1) return kWriteError;
        if (length && std::fwrite(buffer, 1, len, f->spill) != len) return kWriteError;
    } else {
        // Chunks are not cleared: every byte is written before it is read.
        while (static_cast<int64_t>(f->chunks.size()) * kChunk < f->size + 8 + length) {
            unsigned char* c = new (std::nothrow) unsigned char[static_cast<size_t>(kChunk)];
            if (!c) return kWriteError;
            f->chunks.emplace_back(c);
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
        if (std::fseek(f->spill, f->pos, SEEK_SET) != 0 || std::fread(&len, 8, 1, f->spill) != 1) return kReadError;
        uint64_t take = len < static_cast<uint64_t>(length) ? len : static_cast<uint64_t>(length);
        if (take && std::fread(buffer, 1, take, f->spill) != take) return kReadError;
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
            if (std::fseek(f->spill, f->pos, SEEK_SET) != 0 || std::fread(&len, 8, 1, f->spill) != 1) return false;
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
    if (f->spill && std::fseek(f->spill, 0, SEEK_SET) != 0) return false;
    int64_t got = 0;
    for (int64_t at = 0; at < f->size;) {
        uint64_t len;
        if (f->spill) {
            // sequential reads: the stream stays positioned
            if (std::fread(&len, 8, 1, f->spill) != 1) return false;
            if (got + static_cast<int64_t>(len) > bytes) return false;
            if (len && std::fread(out + got, 1, len, f->spill) != len) return false;
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

void truncate(xchandle f) {
    if (f->spill) {
        std::fclose(f->spill);
        f->spill = nullptr;
    }
    dropchunks(f);
    f->size = 0;
    f->nrecs = 0;
    f->pos = 0;
}

}  // namespace rt::files
