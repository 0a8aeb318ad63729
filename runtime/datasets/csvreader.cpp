// Reading one CSV file into typed columns in a single pass: the header, the records split
// into fields, each column numeric until a value that is no number makes it character.
#include "runtime/datasets/csvreader.h"
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include "host/hostdefs.h"
#include "runtime/datasets/csvchunks.h"
#include "runtime/datasets/csvsplit.h"
#include "runtime/datasets/mappedfile.h"
#include "runtime/datasets/numparse.h"
#include "runtime/util/strings.h"

namespace rt::ds {
namespace {

constexpr size_t MAX_NAME = 32;
constexpr size_t RELEASE_STEP = size_t{8} << 20;   // give parsed pages back every 8 MB

using util::upper;

// A value of the file as a message quotes it: cut, with control characters escaped.
using util::quoted;

// The state of one column while the file is read.
struct Builder {
    Column* col;
    int64_t fallback = 0;        // rows read as numbers before the column turned character
    size_t reserverows = 0;      // rows the file can hold at most
};

class Reader {
public:
    Reader(const std::string& path, const std::string& dsname) : path_(path), dsname_(dsname) {}

    bool read(std::vector<Column>& cols, int64_t& nobs, std::string& err);

private:
    bool header(CsvCursor& c, std::vector<Column>& cols, std::string& err);
    bool storetext(Column& col, int64_t row, std::string_view s);
    bool growarena(Column& col, int64_t row, size_t n);
    void tocharacter(Builder& b, int64_t row, std::string_view s, int64_t line);
    bool rescan(CsvCursor c, std::vector<Builder>& bs, std::string& err);
    std::string where(int64_t line) const { return "line " + std::to_string(line) + " of " + path_; }
    bool storefail(std::string& err) const;
    bool splitfail(SplitStatus st, int64_t recline, const CsvCursor& c, std::string& err) const;

    const std::string& path_;
    const std::string& dsname_;
    std::string scratch_;
    size_t rowsmax_ = 0;
    bool toolarge_ = false;          // a text store would pass 4 GB
    bool nomem_ = false;             // a text store could not grow

public:
    int threads = 1;                 // threads that may parse the body
    bool chunks(CsvCursor c, const char* e, std::vector<Column>& cols, int64_t& nobs, std::string& err);
    bool finish(std::vector<Column>& cols, int64_t row, int64_t& nobs, std::string& err);
    bool countfail(int64_t line, int n, int ncols, std::string& err) const;
};

bool Reader::countfail(int64_t line, int n, int ncols, std::string& err) const {
    err = "data set " + dsname_ + ": " + where(line) + " has " + std::to_string(n) +
          (n == 1 ? " value" : " values") + " but the header names " + std::to_string(ncols) +
          (ncols == 1 ? " variable" : " variables");
    return false;
}

// The body in chunks on several threads; the messages are those of the one-pass read.
bool Reader::chunks(CsvCursor c, const char* e, std::vector<Column>& cols, int64_t& nobs, std::string& err) {
    BodyError be;
    if (parsechunks(c.p, e, c.line, cols, threads, nobs, be)) return true;
    switch (be.kind) {
        case BodyError::SPLIT:
            c.line = be.line;
            return splitfail(be.split, be.recline, c, err);
        case BodyError::COUNT:
            return countfail(be.recline, be.nvalues, static_cast<int>(cols.size()), err);
        case BodyError::TOOLARGE:
            toolarge_ = true;
            return storefail(err);
        default:
            nomem_ = true;
            return storefail(err);
    }
}

bool Reader::splitfail(SplitStatus st, int64_t recline, const CsvCursor& c, std::string& err) const {
    if (st == SplitStatus::OPENQUOTE)
        err = "data set " + dsname_ + ": a quoted value in the record that starts on " + where(recline) +
              " is not closed before the end of the file";
    else
        err = "data set " + dsname_ + ": " + where(c.line) +
              " has text after the closing quote of a value (a quote inside a quoted value is written \"\")";
    return false;
}

bool Reader::storefail(std::string& err) const {
    if (toolarge_)
        err = "data set " + dsname_ + ": the character values of one column of " + path_ + " exceed 4 GB";
    else
        err = "data set " + dsname_ + ": not enough memory to read " + path_;
    return false;
}

bool Reader::header(CsvCursor& c, std::vector<Column>& cols, std::string& err) {
    if (!nextrecord(c)) {
        err = "data set " + dsname_ + ": the file " + path_ +
              " is empty; its first line must name the variables";
        return false;
    }
    const int64_t line = c.line;
    int n = 0;
    auto st = splitrecord(c, scratch_, n, [&](int, std::string_view s, bool) {
        cols.emplace_back();
        cols.back().name = std::string(s);
    });
    if (st != SplitStatus::OK) return splitfail(st, line, c, err);
    bool anyname = false;
    for (auto& col : cols) anyname = anyname || !col.name.empty();
    if (!anyname) {
        err = "data set " + dsname_ + ": the first line of " + path_ + " names no variable";
        return false;
    }
    std::unordered_map<std::string, size_t> seen;   // upper-case name -> column
    seen.reserve(cols.size());
    for (size_t j = 0; j < cols.size(); ++j) {
        const std::string& nm = cols[j].name;
        if (nm.empty()) {
            err = "data set " + dsname_ + ": column " + std::to_string(j + 1) + " of the header (" +
                  where(line) + ") has no variable name";
            // R's write.csv heads its column of row names so; the file is read once written without it
            if (j == 0) err += " (R's write.csv writes row names so: write the file with row.names = FALSE)";
            return false;
        }
        if (nm.find('\r') != std::string::npos) {
            err = "data set " + dsname_ + ": " + path_ +
                  " ends its lines with a lone carriage return (CR); save it with LF or CR LF line ends";
            return false;
        }
        if (std::any_of(nm.begin(), nm.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; })) {
            err = "data set " + dsname_ + ": the variable name in column " + std::to_string(j + 1) + " of the header (" +
                  where(line) + ") holds a control character";
            return false;
        }
        if (nm.size() > MAX_NAME) {
            err = "data set " + dsname_ + ": the variable name " + quoted(nm) + " in " + where(line) +
                  " is longer than " + std::to_string(MAX_NAME) + " characters";
            return false;
        }
        auto [at, fresh] = seen.emplace(upper(nm), j);
        if (!fresh) {
            err = "data set " + dsname_ + ": the variable " + nm + " is named twice in the header (" + where(line) +
                  "), in columns " + std::to_string(at->second + 1) + " and " + std::to_string(j + 1);
            return false;
        }
    }
    return true;
}

bool Reader::growarena(Column& col, int64_t row, size_t n) {
    TextArena& a = col.arena;
    if (a.size() + n > UINT32_MAX) {
        toolarge_ = true;
        return false;
    }
    // Grow towards the size the whole file will need, judged from the rows so far, but by
    // an eighth at least so that a poor guess never grows it row by row.
    const size_t need = a.size() + n + 4096;
    size_t want = std::max(a.capacity() * 2, need);
    if (row > 1024) {
        const double proj = static_cast<double>(a.size()) * static_cast<double>(rowsmax_) /
                            static_cast<double>(row) * 1.05;
        want = std::max({need, a.capacity() + a.capacity() / 8, static_cast<size_t>(proj)});
    }
    if (!a.reserve(std::min<size_t>(want, UINT32_MAX))) {
        nomem_ = true;
        return false;
    }
    return true;
}

bool Reader::storetext(Column& col, int64_t row, std::string_view s) {
    TextRef r{0, 0};
    if (!missingtext(s)) {
        TextArena& a = col.arena;
        if (a.size() + s.size() > a.capacity() && !growarena(col, row, s.size())) return false;
        r.off = static_cast<uint32_t>(a.size());
        r.len = static_cast<uint32_t>(s.size());
        a.append(s.data(), s.size());
        if (static_cast<int32_t>(s.size()) > col.width) col.width = static_cast<int32_t>(s.size());
        if (s[0] == ' ') col.leadblank = true;
    }
    if (static_cast<size_t>(row) < col.txt.size()) col.txt[static_cast<size_t>(row)] = r;
    else col.txt.push_back(r);
    return true;
}

// The column held numbers up to this row: from now on it holds texts. The texts of the
// rows before are taken from the file again after the pass (rescan).
void Reader::tocharacter(Builder& b, int64_t row, std::string_view s, int64_t line) {
    Column& col = *b.col;
    col.numeric = false;
    col.width = 1;
    col.badline = line;
    col.badtext = std::string(s);
    NumVec().swap(col.num);
    b.fallback = row;
    col.txt.reserve(b.reserverows);
    col.txt.resize(static_cast<size_t>(row), TextRef{0, 0});
}

bool Reader::rescan(CsvCursor c, std::vector<Builder>& bs, std::string& err) {
    int64_t last = 0;
    for (auto& b : bs) last = std::max(last, b.fallback);
    int n = 0;
    for (int64_t row = 0; row < last && nextrecord(c); ++row) {
        const int64_t line = c.line;
        auto st = splitrecord(c, scratch_, n, [&](int j, std::string_view s, bool quoted) {
            Builder& b = bs[static_cast<size_t>(j)];
            if (row < b.fallback) storetext(*b.col, row, textvalue(s, quoted));
        });
        if (st != SplitStatus::OK) return splitfail(st, line, c, err);
    }
    return true;
}

bool Reader::read(std::vector<Column>& cols, int64_t& nobs, std::string& err) {
    MappedFile file;
    std::string why;
    if (!file.open(path_, why)) {
        err = "data set " + dsname_ + ": cannot read the file " + path_ + ": " + why;
        return false;
    }
    const char* b = file.data();
    const char* e = b + file.size();
    if (e - b >= 3 && std::memcmp(b, "\xEF\xBB\xBF", 3) == 0) b += 3;   // UTF-8 byte-order mark
    CsvCursor c{b, e};
    cols.clear();
    if (!header(c, cols, err)) return false;
    const int ncols = static_cast<int>(cols.size());
    int64_t row = 0;
    if (splitbody(static_cast<size_t>(e - c.p), threads)) {
        if (!chunks(c, e, cols, row, err)) return false;
        file.releaseall();
        return finish(cols, row, nobs, err);
    }

    // Every observation ends a line: the line ends bound the rows, so no column grows twice.
    rowsmax_ = 1;
    for (const char* q = c.p; (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(e - q)))); ++q)
        ++rowsmax_;
    file.releaseall();
    std::vector<Builder> bs(cols.size());
    for (size_t j = 0; j < cols.size(); ++j) {
        bs[j].col = &cols[j];
        bs[j].reserverows = rowsmax_;
        cols[j].num.reserve(rowsmax_);
    }
    const CsvCursor data = c;
    const double missing = hostmissing();
    int64_t line = 0;
    const char* released = c.p;
    while (nextrecord(c)) {
        line = c.line;
        int n = 0;
        auto st = splitrecord(c, scratch_, n, [&](int j, std::string_view s, bool quoted) {
            if (j >= ncols) return;
            Builder& bl = bs[static_cast<size_t>(j)];
            Column& col = *bl.col;
            if (col.numeric) {
                double v;
                if (missingtext(s)) {
                    v = missing;
                } else if (!parsenumber(s, v)) {
                    if (!rmissing(s, quoted)) {
                        tocharacter(bl, row, s, line);
                        storetext(col, row, s);
                        return;
                    }
                    v = missing;
                    ++col.nafields;
                }
                col.num.push_back(v);
            } else {
                if (rmissing(s, quoted)) {
                    ++col.nafields;
                    s = {};
                }
                storetext(col, row, s);
            }
        });
        if (st != SplitStatus::OK) return splitfail(st, line, c, err);
        if (n != ncols) return countfail(line, n, ncols, err);
        if (toolarge_ || nomem_) return storefail(err);
        ++row;
        if (static_cast<size_t>(c.p - released) >= RELEASE_STEP) {
            file.release(c.p);
            released = c.p;
        }
    }
    file.releaseall();
    if (!rescan(data, bs, err)) return false;
    file.releaseall();
    if (toolarge_ || nomem_) return storefail(err);
    return finish(cols, row, nobs, err);
}

// Gives back what the bound reserved beyond the rows read, when that is worth a copy, and
// ends every text store with its blanks.
bool Reader::finish(std::vector<Column>& cols, int64_t row, int64_t& nobs, std::string& err) {
    const size_t nr = static_cast<size_t>(row);
    for (auto& col : cols) {
        if (col.numeric && col.num.capacity() - nr > nr / 8 + 1024) col.num.shrink_to_fit();
        if (col.numeric) continue;
        if (col.txt.capacity() - nr > nr / 8 + 1024) col.txt.shrink_to_fit();
        if (!col.arena.reserve(col.arena.size() + TEXT_SLACK)) {
            nomem_ = true;
            return storefail(err);
        }
        col.arena.appendblanks(TEXT_SLACK);
    }
    nobs = row;
    return true;
}

}  // namespace

bool readcsv(const std::string& path, const std::string& dsname, std::vector<Column>& cols,
             int64_t& nobs, std::string& err, int threads) {
    Reader r(path, dsname);
    r.threads = threads;
    nobs = 0;
    try {
        return r.read(cols, nobs, err);
    } catch (const std::bad_alloc&) {
        cols.clear();
        err = "data set " + dsname + ": not enough memory to read " + path;
        return false;
    }
}

}  // namespace rt::ds
