// Splitting CSV text into records and fields: comma separated, double-quoted fields may
// hold commas, line ends and doubled quotes (""). Blanks around a field are not part of it.
// Lines that are empty are skipped. Line ends may be LF or CR LF.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rt::ds {

struct CsvCursor {
    const char* p;
    const char* end;
    int64_t line = 1;                 // line of the file at p
};

// Skips empty lines; false when the text is exhausted.
inline bool nextrecord(CsvCursor& c) {
    while (c.p != c.end) {
        if (*c.p == '\n') {
            ++c.p, ++c.line;
        } else if (*c.p == '\r' && c.p + 1 != c.end && c.p[1] == '\n') {
            c.p += 2, ++c.line;
        } else {
            return true;
        }
    }
    return false;
}

enum class SplitStatus { OK, OPENQUOTE, AFTERQUOTE };

inline bool isblank(char c) { return c == ' ' || c == '\t'; }

// The next comma or line feed at or after p, or end: 16 bytes at a time while they last.
inline const char* finddelim(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(','), lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, comma), _mm_cmpeq_epi8(x, lf)));
        if (m) return p + __builtin_ctz(static_cast<unsigned>(m));
        p += 16;
    }
#endif
    while (p != end && *p != ',' && *p != '\n') ++p;
    return p;
}

// Splits the record at c.p, calling sink(index, text, quoted) for each field, and leaves c
// after the record's line end. nfields receives the number of fields; quoted tells whether
// the field was written in quotes. A quoted field that holds doubled quotes is unescaped into
// scratch, so a sink must use the text before it returns.
template <class Sink>
inline SplitStatus splitrecord(CsvCursor& c, std::string& scratch, int& nfields, Sink&& sink) {
    int j = 0;
    const char* p = c.p;
    const char* const end = c.end;
    for (;;) {
        while (p != end && isblank(*p)) ++p;
        std::string_view field;
        const bool quoted = p != end && *p == '"';
        if (quoted) {
            const char* b = ++p;
            bool doubled = false;
            for (;;) {
                if (p == end) {
                    c.p = p;
                    nfields = j + 1;
                    return SplitStatus::OPENQUOTE;
                }
                if (*p == '"') {
                    if (p + 1 != end && p[1] == '"') {
                        doubled = true;
                        p += 2;
                        continue;
                    }
                    break;
                }
                if (*p == '\n') ++c.line;
                ++p;
            }
            field = std::string_view(b, static_cast<size_t>(p - b));
            ++p;
            if (doubled) {
                scratch.clear();
                for (size_t i = 0; i < field.size(); ++i) {
                    scratch.push_back(field[i]);
                    if (field[i] == '"') ++i;
                }
                field = scratch;
            }
            while (p != end && isblank(*p)) ++p;
            if (p != end && *p != ',' && *p != '\n' && !(*p == '\r' && p + 1 != end && p[1] == '\n')) {
                c.p = p;
                nfields = j + 1;
                return SplitStatus::AFTERQUOTE;
            }
        } else {
            const char* b = p;
            p = finddelim(p, end);
            const char* e = p;
            while (e != b && (isblank(e[-1]) || e[-1] == '\r')) --e;
            field = std::string_view(b, static_cast<size_t>(e - b));
        }
        sink(j, field, quoted);
        ++j;
        if (p != end && *p == ',') {
            ++p;
            continue;
        }
        if (p != end && *p == '\r') ++p;
        if (p != end && *p == '\n') {
            ++p;
            ++c.line;
        }
        break;
    }
    c.p = p;
    nfields = j;
    return SplitStatus::OK;
}

}  // namespace rt::ds
