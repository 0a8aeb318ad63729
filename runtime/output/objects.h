// The objects of the runtime's output manager. Each begins with its class-record word
// (obobject), so the procedure reaches them through wobmth; nothing here is virtual.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "host/outobj.h"
#include "host/vec203_datasets.h"
#include "runtime/numfmt/numfmt.h"

namespace rt::out {

struct Binding;

enum class ObjKind : uint8_t { Env, Manager, Data, Info, Group, Assoc, List };

struct Object : obobject {
    ObjKind kind;
};

// A column of a data object, as the add-column method defined it.
struct Column {
    int kind = 5;                 // 5 double, 6 fixed-width text, 3 integer, 66 text handle
    std::string name, label, role;
    int width = 0;                // text width (289), or the named item LabelWidth
    void* cell = nullptr;         // the bound cell, read at every appended row
    std::string spanfirst, spanlast;   // a spanning header that starts at this column
    const vardesc* var = nullptr;
    bool hasfmt = false;          // a number format given by the caller (matrix tables)
    num::NumFormat fmt;
};

struct DataObject : Object {
    std::string name, label;
    std::vector<Column> cols;
    std::vector<std::pair<std::string, std::string>> titles;   // named title items
    bool defined = false;
    Binding* binding = nullptr;   // the template binding rows go to
};

// Information list (kind "factoid"): label-and-value lines.
struct InfoLine {
    std::string label, value, varlabel;
};
struct InfoList : Object {
    std::string name, title, tpath;
    std::vector<InfoLine> lines;
    bool published = false;
};

// Output group (method 300): a section of the output until it is released.
struct OutGroup : Object {
    std::string name, label;
    bool open = true;
    bool section = false;   // its section of the report was begun (it holds a plot)
};

// Collections of the device-graphics destinations.
struct Assoc : Object {
    std::vector<std::pair<std::string, obobject*>> pairs;
};
struct List : Object {
    std::vector<void*> elems;
};

struct Manager : Object {
    std::string proclabel;        // the label of the start-up query (output label 0/1)
};

struct Env : Object {};

}  // namespace rt::out
