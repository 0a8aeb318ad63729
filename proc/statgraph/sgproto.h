// Statistical graphics hand the output manager phantom data objects (tables that are never
// printed; their rows are the points, lines and reference lines of a plot) and graph
// requests naming a template with its dynamic variables. These routines make the calls in
// the order the output manager expects: create, columns, end of definition, bind, rows, end
// of rows, publish; output groups of panel graphs; graph requests.
//
// Failure: a negative result of any call, the bind included, ends the step (callfailed,
// proc/framework/stepend.h); the routine returns that result and the caller returns at once. A bind that fails therefore never leaves a graph request pointing
// at a phantom object that does not exist.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "host/outobj.h"
#include "host/vec203_datasets.h"
#include "host/vec320_output.h"

struct vyxstate;

// The object becomes curtab.
int phcreate(vyxstate* s, const char* name, const char* label);
// One column. label null: no label item. width only for text columns (kind 6). var: the
// variable whose attributes the column copies (item 2224), or null.
int phcolumn(vyxstate* s, int kind, const char* name, const char* label, int width, const char* role, void* cell,
             const vardesc* var = nullptr);
int phenddef(vyxstate* s);
// Binds curtab to the phantom template; the data-object reference goes to *ref and the
// table id to curtabid.
int phbind(vyxstate* s, uint32_t* ref);
int phrow(vyxstate* s);
// Rows of curtab appended a block at a time (method 4970): take() keeps the values the listed
// cells hold as the next row, and the block goes to the output manager when it is full and at
// flush(). Between take() and flush() the other bound cells must keep their values. Both
// return 0 or the failure's result.
class PhRowBlock {
public:
    PhRowBlock(vyxstate* s, std::initializer_list<double*> cells);
    int take() {
        for (size_t k = 0; k < cells_.size(); ++k) vals_[k * kRows + n_] = *cells_[k];
        return ++n_ == kRows ? flush() : 0;
    }
    int flush();

private:
    static constexpr int kRows = 1024;
    vyxstate* s_;
    std::vector<double*> cells_;
    std::vector<double> vals_;    // kRows values of each cell
    int n_ = 0;
};
// End of rows and publish of curtab.
int phclose(vyxstate* s);
// The output group of a panel series (panelobj), and its release after the last panel.
int phgroup(vyxstate* s, txthandle name, txthandle label);
int phgroupclose(vyxstate* s);

// A graph request being put together: name, label, description, template, the phantom
// references, the inset's variables (an item list) and the dynamic variables in order.
class GraphRequest {
public:
    GraphRequest(txthandle name, txthandle label, txthandle description, txthandle templ, const uint32_t* refs, int nrefs);
    void inset(wobitem* items, int count);
    GraphRequest& text(const char* name, txthandle value);
    GraphRequest& integer(const char* name, int32_t value);
    GraphRequest& number(const char* name, double value);
    // Method 2826; 0 or the failure's result. The reference labels the page left out for want
    // of room are added to s->sg.labelsleft, what its insets drawn over the data hide to
    // s->sg.insets.
    int issue(vyxstate* s);
    int count() const { return static_cast<int>(items_.size()); }

private:
    GraphRequest& name(const char* n);
    std::vector<wobitem> items_;
};

// While a plot's graph requests are issued: counts the reference labels their pages leave out
// for want of room and what their insets drawn over the data hide, and tells each in one note
// for the statement at its end.
class LeftOutNote {
public:
    explicit LeftOutNote(vyxstate* s);
    ~LeftOutNote();
    LeftOutNote(const LeftOutNote&) = delete;
    LeftOutNote& operator=(const LeftOutNote&) = delete;

private:
    vyxstate* s_;
};

// The ends of the axes that the statement gives, each only when given, after the request's
// other variables: the life axis's (LIFELOWER, LIFEUPPER or a LAXIS list, as the option reader
// and the life scale leave them) as _LifeMin and _LifeMax, and PCTLOWER and PCTUPPER (percent)
// as _PctMin and _PctMax, which tell the renderer that _VMin and _VMax are the user's. The
// renderer keeps them as the ends of its axes, as the device road does. With NOPPOS also
// _NoPPos 1: the plotted points' rows stay as they are, and the renderer draws none of them.
void axisends(const vyxstate* s, GraphRequest& r);

// The text of a name or string option slot with its length; null when the slot is not given.
struct optslot;
const char* slotstring(const optslot* o, int* len);

// The group cells of grid cell (i, j) of a two-class plot: grplabel and grplabel2 the two
// 16-character level texts after 40 blanks, rowtext both texts left-justified, two blanks apart.
void gridcells(vyxstate* s, int i, int j);

// Blank-padded texts of the row cells: dst gets width blanks, then len bytes of src after
// lead blanks.
void padtext(char* dst, int width, int lead, const char* src, int len);
