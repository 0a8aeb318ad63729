// Writing tables through the output-object protocol: creating a table object, adding its
// columns bound to cells of the state block, titles, template binding, rows and publishing.
// Every negative result of an output-object call is reported (xprrlog) and ends the step
// (xexit); the routines return only on success.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "host/outobj.h"
#include "host/vec320_output.h"

// A new table object of kind "data" on the output manager: named, with a label.
obobject* tabcreate(obobject* outmgr, const char* name, txthandle label);
// Columns: a double, a 32-bit integer, a text handle (optional width item) and a fixed-width text.
// With a template column name (role), the column takes its look from that template column.
void tabdouble(obobject* t, const char* name, double* cell, const char* role = nullptr);
void tabint(obobject* t, const char* name, void* cell);
void tabhandle(obobject* t, const char* name, void* cell, int labelwidth = -1);
void tabtext(obobject* t, const char* name, int width, char* cell);
// A double column that opens or closes a span of columns under one header.
void tabspan(obobject* t, const char* name, double* cell, const char* first, const char* last);
// Named titles.
void tabtitles(obobject* t, std::initializer_list<std::pair<const char*, txthandle>> titles);
void tabenddef(obobject* t);
// Binds the table to a template; returns the binding id.
uint32_t tabbind(obobject* outmgr, obobject* t, const char* path);
void tabrow(obobject* t);
// Ends the rows; more says that further groups of a class analysis follow.
void tabendrows(obobject* t, bool more);
void tabpublish(obobject* outmgr, uint32_t id);
// Ends the step on a negative result of an output-object call; returns rc otherwise.
int32_t obcheck(int32_t rc);
