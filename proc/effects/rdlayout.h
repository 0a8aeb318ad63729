// The default reader's observation buffers, for the passes that read through GetVals many
// times per model (the design rows, the producer of the level workers): they take the values
// straight from the buffer instead of copying them out role by role.
#pragma once
#include <cstdint>
#include "proc/effects/effects_internal.h"

struct levwork;

// Places of one get list's values in its observation buffer.
struct levrdlayout {
    int32_t cont;              // first continuous value
    int32_t resp;
    int32_t wgt;
    int32_t freq;
    int32_t* fmtoff;           // per CLASS variable (glcls only)
    int32_t* rawoff;           // per CLASS variable
    int32_t allcont;           // every continuous record names a variable
    int32_t nnum, nchr;        // numeric and character CLASS variables with a variable
    int32_t* numoff;           // offsets of the numeric raw values, in their order
    int32_t* chroff;           // offsets and stored lengths of the character raw values
    int32_t* chrlen;
    int32_t nchrall;           // character CLASS records, with or without a variable
    int32_t formatted;         // the list holds the formatted CLASS values
    int32_t ncut;              // the CLASS variables whose format is wider than their level texts: their
    int32_t* cutoff;           // whole formatted values are read, the texts cut back as keychars.h says
};

// Reads the current observation into the buffer of the default reader's list with (cls) or
// without the formatted CLASS values, building the list on first use; an observation is read
// once however often it is asked for. Returns the buffer, or null when the observation could
// not be read (reported as GetVals reports it). *lay receives the buffer's layout. At least 8
// bytes can be read from the place of any value (the buffer ends with 8 spare bytes).
const char* levreadobs(levctl* ctl, bool cls, const levrdlayout** lay);

// Copies the values of one role letter of GetVals ('z', 'y', 'w', 'f', 'c', 'u' or 'b') from
// an observation buffer into dst (a null dst copies nothing); other letters copy nothing.
void levcopyrole(const levctl* ctl, const levrdlayout* lay, const char* buf, char role, void* dst);

// The continuous values, the responses, the weight and the frequency (roles z, y, w and f).
void levcopyvalues(const levctl* ctl, const levrdlayout* lay, const char* buf, double* cont, double* y, double* w,
                   double* f);

// Whether the model reads through the default values reader (the buffers above apply).
bool levdefaultvals(const levctl* ctl);

// The level pass reading the default reader's buffer directly: the CLASS and continuous values
// of an observation where they lie in the buffer, the completeness test and the continuous
// ranges of the level pass (those of levcomplete and levranges) on them.
struct levbufview {
    struct clsval {
        int32_t raw;           // place of the raw value
        int32_t fmt;           // place of the formatted value (list with formatted values), else -1
        int32_t len;           // 8, or the stored length of a character variable
        uint8_t numeric;
        uint8_t tested;        // a missing value makes the observation incomplete
    };
    const levrdlayout* lay = nullptr;
    clsval* cls = nullptr;     // per CLASS variable
    int32_t ncls = 0;
    int32_t* contvar = nullptr;   // the continuous variables with a variable, and their places
    int32_t* contoff = nullptr;
    int32_t ncont = 0;

    // Places the values of the layout (the pool keeps the arrays); false when memory is short.
    bool plan(const levstate* ls, const levrdlayout* layout, poolobj* pool);
    bool complete(const char* buf) const;
    void ranges(levwork* w, const char* buf) const;
};

// The model whose level pass reads through the forwarding readers of the default reader, every
// CLASS record naming a variable and no observation filter installed; else null.
levctl* levdirectreader(levwork* w);

// A get list that reads an observation of the model straight into a record of the level
// workers: the frequency at freqoff (none when freqoff < 0), each CLASS variable's raw value at
// recoff[i] (valw[i] bytes, a text blank padded), and the continuous values with a variable
// from contoff on, 8 bytes each. Null when it cannot be made. The data set keeps the list.
hgetlist* levrecordlist(levctl* ctl, const int32_t* recoff, const int32_t* valw, int32_t freqoff, int32_t contoff);

// Reads the next observations of the model (its rdnext) through such a list into records of
// recsize bytes from rec on, each record's first 8 bytes the observation's number (counted in
// *obsno), until room records are written or the data end (*end set); the records written.
// An observation that cannot be read ends the data too (reported, and the step ended, as
// levreadobs does).
int32_t levreadrecords(levctl* ctl, hgetlist* list, char* rec, int32_t recsize, int32_t room, uint64_t* obsno,
                       bool* end);
