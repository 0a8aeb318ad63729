// Writing one MODEL table through the output-object protocol. The first failing call ends
// the step (reported, xexit, stepend); every later call of the same writer does nothing, so
// that one failure is reported once and nothing is written half.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "host/outobj.h"
#include "proc/vyxstate.h"

class mtable {
public:
    explicit mtable(vyxstate* s) : s_(s) {}
    // A table object of kind "data": the items of the create call after family and kind.
    // label may be null (no label item); extra items (key 333) follow the minus-one item.
    bool create(const char* name, txthandle name_handle, txthandle label, bool listed = false);
    bool create(const char* name, txthandle label) { return create(name, nullptr, label); }
    bool coldouble(txthandle name, double* cell, const char* role = nullptr);
    bool coldouble(const char* name, double* cell, const char* role = nullptr);
    bool colint(const char* name, void* cell);
    bool colhandle(const char* name, void* cell, int labelwidth = -1);
    bool coltext(const char* name, int width, char* cell, const char* role = nullptr, txthandle label = nullptr);
    bool coltext(txthandle name, int width, char* cell, const char* role, txthandle label);
    bool colspan(const char* name, double* cell, const char* first, const char* last);
    bool titles(std::initializer_list<std::pair<const char*, txthandle>> t);
    bool history(int32_t key);   // the first class method (1) with {336: 0, key: 1}
    bool enddef();
    bool bind(const char* path);
    bool row();
    bool endrows();
    bool publish();
    // Any call with items: the result is checked like the others.
    bool call(obobject* target, int method, int n, wobitem* items);
    obobject* object() const { return obj_; }
    bool ok() const { return !s_->step.stepend; }

private:
    vyxstate* s_;
    obobject* obj_ = nullptr;
    uint32_t id_ = 0;
};

// The text handle of a NUL-terminated text.
txthandle mtext(const char* t);
