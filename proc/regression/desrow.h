// The design rows of a MODEL fit: one row of 12-byte cells per usable observation, and the
// layout that says which design column each effect cell feeds. The data pass writes the rows
// and the layout; the likelihood, the starting values, the limits and the observation
// statistics read them without going back to the effect records.
#pragma once
#include <cstdint>

// One cell: a value and a 32-bit index, 12 bytes without padding (the row file's format).
#pragma pack(push, 4)
struct descell {
    double value;
    int32_t col;
};
#pragma pack(pop)
static_assert(sizeof(descell) == 12, "a design cell is 12 bytes");

// Censoring codes of the censoring cell.
enum : int32_t { CEN_EXACT = 0, CEN_RIGHT = -1, CEN_LEFT = -2, CEN_INTERVAL = -3 };

// The layout of the rows of one model. Effect cells come first: the MODEL effects (the
// intercept first), then the LOGSCALE effects; then the response, the upper end of an
// interval, the censoring code (in the index) and, with FREQ, the frequency.
struct mdllayout {
    int32_t ne;                // MODEL effect cells
    int32_t nl;                // LOGSCALE effect cells (0 without LOGSCALE)
    int32_t ncol;              // MODEL design columns (column 0 the intercept)
    int32_t nls;               // LOGSCALE design columns (column ncol its intercept)
    int32_t ncells;            // cells per row
    int32_t hasfreq;           // a frequency cell ends the row
    // Per effect cell (ne + nl): the design column of its index 0 (LOGSCALE columns are
    // numbered from ncol), its number of design columns, whether the cell's value multiplies
    // the coefficient (the effect has continuous variables) and whether it has CLASS variables.
    int32_t* firstcol;
    int32_t* effcols;
    uint8_t* hascont;
    uint8_t* hascls;

    int32_t rsp() const { return ne + nl; }
    int32_t upper() const { return ne + nl + 1; }
    int32_t cens() const { return ne + nl + 2; }
    int32_t freq() const { return ne + nl + 3; }
    int32_t rowbytes() const { return ncells * static_cast<int32_t>(sizeof(descell)); }
};

// Row i of a block of rows.
inline descell* desrowat(char* rows, const mdllayout* lay, int64_t i) {
    return reinterpret_cast<descell*>(rows + i * lay->rowbytes());
}
