#include "runtime/files/utilfile.h"

#include <cstring>

namespace rt::files {
namespace {

int64_t g_spilllimit = int64_t(256) << 20;
int g_open = 0;

constexpr int kReadError = 1;
constexpr int kWriteError = 2;

bool spill(xcfile* f) {
    f->spill = std::tmpfile();
    if (!f->spill) return false;
    if (!f->mem.empty() && std::fwrite(f->mem.data(), 1, f->mem.size(), f->spill) != f->mem.size()) return false;
    std::vector<unsigned char>().swap(f->mem);
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
        std::memcpy(&len, f->mem.data() + f->pos, 8);
        if (len != static_cast<uint64_t>(length)) return kWriteError;
        if (length) std::memcpy(f->mem.data() + f->pos + 8, buffer, len);
    }
    f->pos += 8 + length;
    return 0;
}

int cwrite(xchandle f, const void* buffer, int64_t length) {
    if (!f || length < 0) return kWriteError;
    if (f->rewrite) return crewrite(f, buffer, length);
    uint64_t len = static_cast<uint64_t>(length);
    if (!f->spill && f->size + 8 + length > g_spilllimit && !spill(f)) return kWriteError;
    if (f->spill) {
        if (std::fseek(f->spill, 0, SEEK_END) != 0) return kWriteError;
        if (std::fwrite(&len, 8, 1, f->spill) != 1) return kWriteError;
        if (length && std::fwrite(buffer, 1, len, f->spill) != len) return kWriteError;
    } else {
        size_t at = f->mem.size();
        f->mem.resize(at + 8 + len);
        std::memcpy(f->mem.data() + at, &len, 8);
        if (length) std::memcpy(f->mem.data() + at + 8, buffer, len);
    }
    f->size += 8 + length;
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
        std::memcpy(&len, f->mem.data() + f->pos, 8);
        uint64_t take = len < static_cast<uint64_t>(length) ? len : static_cast<uint64_t>(length);
        if (take) std::memcpy(buffer, f->mem.data() + f->pos + 8, take);
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
            std::memcpy(&len, f->mem.data() + f->pos, 8);
        }
        std::vector<unsigned char> rec(len);
        if (cread(f, rec.data(), static_cast<int64_t>(len)) != 0) return false;
        out.push_back(std::move(rec));
    }
    f->pos = keep;
    return true;
}

void truncate(xchandle f) {
    if (f->spill) {
        std::fclose(f->spill);
        f->spill = nullptr;
    }
    f->mem.clear();
    f->size = 0;
    f->pos = 0;
}

}  // namespace rt::files
