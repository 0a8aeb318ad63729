// Utility files: scratch stores of records, kept in memory and spilled to a temporary
// file when they grow large. Records keep their lengths; a read returns one record. Large
// records are kept in a compact form where that saves (wordcode.h), and read back as written.
// A write appends a record, except right after xcpntd: then it replaces the record that
// starts at the noted position (it must have the same length) and the position moves past
// it, so that a reader can update a block it has read in place.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>
#include "host/vec39_files.h"

struct xcfile {
    // Records while in memory: 8-byte length, then the bytes, in chunks of kChunk bytes (no
    // copy when the file grows, and no more memory than its size rounded up to a chunk). A
    // record kept coded has the top bit of its length word set and its stride in bits 48 to
    // 55, then a word with the bytes its coded form may take (its slot), then that form.
    std::vector<unsigned char*> chunks;
    std::FILE* spill = nullptr;       // the same layout on disk once spilled
    // A window on the spilled file: its bytes [winbeg, winbeg + winlen) as they are (read from
    // the file or written since), of which [dirtybeg, dirtyend) are still to be written out.
    // Reads and writes of records inside the window, and writes that extend it, cost no call.
    std::unique_ptr<unsigned char[]> win;
    int64_t winbeg = 0, winlen = 0, dirtybeg = 0, dirtyend = 0;
    int64_t size = 0;                 // bytes written
    int64_t nrecs = 0;                // records written
    int64_t rawbytes = 0;             // the bytes of the records as written
    int stride = 0;                   // the stride of its coded records; 0 not chosen yet, -1 none
    // Records rewritten whose coded form outgrew their place, kept as written (the place has
    // bit 62 of its length word set and the position here in its first word).
    xcfile* side = nullptr;
    int64_t pos = 0;                  // read position
    bool rewrite = false;             // set by xcpntd: the next write replaces the record at pos
};

namespace rt::files {
// Bytes the open files keep in memory together; a file whose next chunk would pass it moves
// to a temporary file. A file of coded records may grow in memory to kSpillLimit, one whose
// records are kept as written to kPlainLimit (as setspilllimit lowers both). A long
// product-limit curve, coded in some 36 bytes a point of 192, thus stays in memory, in the
// chunks that the group's rows file and the sort's keys let go (no fresh pages, where on disk
// every byte would be copied into the page cache and back); rows files and the MCF's events
// go to disk beyond 64 MiB: data written once as they are cost the kernel less in its page
// cache than in fresh pages, which must be cleared as well as filled, and the records of a
// file on disk are sorted where they lie (mapped).
constexpr int64_t kSpillLimit = int64_t(512) << 20;
constexpr int64_t kPlainLimit = int64_t(64) << 20;
constexpr int64_t kChunk = int64_t(1) << 20;
// Records of at least this many bytes (blocks of curve points) are kept coded when that saves.
constexpr int64_t kCodeMin = int64_t(64) << 10;
constexpr int64_t kCodeMax = int64_t(16) << 20;
const vec39* services();
// Bytes the open utility files keep in memory together before the one written spills to disk.
void setspilllimit(int64_t bytes);
// Every record of a file, in order (the sort service replaces a file's records).
bool readall(xchandle h, std::vector<std::vector<unsigned char>>& out);
// The bytes of all the records of a file (without their length words); -1 when unreadable.
int64_t payload(xchandle h);
// Every record of a file, in order, one after another into out (payload(h) bytes), with the
// length of each in lengths (the sort service reads a large file without a copy per record).
bool readconcat(xchandle h, unsigned char* out, int64_t bytes, std::vector<int64_t>& lengths);
// The records of a file read where they lie: the address of each of its fixed-length records
// (reclen bytes; a file record holds a whole number of them, counted in blocks; a file with
// coded records is refused: the caller reads it with readconcat). A file kept
// in memory gives addresses in its chunks (records cut by the end of a chunk are copied into
// spare); a file on disk is mapped whole (the mapping in map, to be let go with unmap). False
// when the records do not divide into reclen bytes or the file cannot be mapped. The
// addresses hold until the file is written or closed (the sort service orders a large file
// without a copy of it).
struct Mapping {
    void* p = nullptr;
    size_t bytes = 0;
    Mapping() = default;
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping();
};
// With `even` given, a file whose blocks but the last hold the same number of records gives
// no addresses (at stays empty) but that layout (no list of ten million addresses to fill):
// record i lies at offset o = (i / per) * stride + (i % per) * reclen, which is base + o for
// a file on disk; for a file in memory, o + 8 is its place in the chunks, and a record cut by
// the end of chunk c is copied to spare at c * reclen.
struct EvenBlocks {
    const unsigned char* base = nullptr;
    const unsigned char* const* chunks = nullptr;
    const unsigned char* spare = nullptr;
    size_t per = 0, stride = 0;
};
bool recordaddresses(xchandle h, int64_t reclen, std::vector<const unsigned char*>& at, std::vector<unsigned char>& spare,
                     std::vector<int64_t>& blocks, Mapping& map, EvenBlocks* even = nullptr);
// A large work buffer its owner is done with (from rt::util::bigalloc), taken as room for the
// chunks of files to come while any file holds chunks (its pages are in place: no fresh page
// for the kernel to clear); freed at once otherwise.
void donate(void* p, size_t bytes);
// Empties the file (for the sort service, which then writes the sorted records).
void truncate(xchandle h);
// Number of utility files open (for tests: every statement must close its files).
int openfiles();
}  // namespace rt::files
