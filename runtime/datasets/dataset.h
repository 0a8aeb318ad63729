// The in-memory form of a data set: one column per variable, filled by the CSV reader,
// read by the get lists and the BY-group walker. Private to runtime/datasets/.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "runtime/datasets/formats.h"
#include "runtime/datasets/library.h"

namespace rt::ds {

// A character value: its place in the column's text arena. Length 0 is the missing value.
struct TextRef {
    uint32_t off;
    uint32_t len;
};

struct Column {
    std::string name;                 // as written in the header
    bool numeric = true;
    std::vector<double> num;          // numeric columns: one double per observation
    std::vector<TextRef> txt;         // character columns: one reference per observation
    std::vector<char> arena;          // character columns: the texts, back to back
    int32_t width = 8;                // stored width: 8, or the longest character value (>= 1)

    // Where typing decided "character": the first value that is not a number.
    int64_t badline = 0;
    std::string badtext;

    // Formatted numeric values met so far (BEST12 text, blanks cut), filled lazily.
    mutable std::unordered_map<uint64_t, FmtText> fmtcache;

    std::string_view text(int64_t row) const {
        const TextRef& r = txt[static_cast<size_t>(row)];
        return {arena.data() + r.off, r.len};
    }
};

}  // namespace rt::ds

// One entry of a get list: what to copy from which column into which place.
struct getentry {
    enum Kind : uint8_t { NUM_RAW, NUM_FMT, CHR_RAW, CHR_FMT };
    Kind kind;
    const rt::ds::Column* col;
    char* cell;                       // fixed cell, or null: offset into the xyvget buffer
    int offset;
    int width;
};

struct hgetlist {
    hdataset* ds;
    int capacity;                     // entries announced by xvgeti
    bool ended = false;
    std::vector<getentry> entries;
};

struct hdataset {
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
