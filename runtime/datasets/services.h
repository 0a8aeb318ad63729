// The vector-203 services, one group per file (get lists, BY groups, data-set
// information); services.cpp puts them into the table. Private to runtime/datasets/.
#pragma once
#include <cstdint>
#include "host/vec203_datasets.h"

namespace rt::ds::svc {

// getlists.cpp
int xvgeti(dshandle ds, int entries, hgetlist** list);
int xvgetd(hgetlist* list, int32_t var, int offset, void* cell, int width, int mode, int, int);
int xvgete(hgetlist* list);
int xyvget(hgetlist* list, void* buffer);
int xvget1f(dshandle ds, int32_t var, double* out);
int xvget1v(dshandle ds, int32_t var, char* out, int width);
int xvget1c(dshandle ds, int32_t var, char* out, int width);

// bygroups.cpp
int xbynext(dshandle ds);
int xbyrwnd(dshandle ds, int code);
int xybyget(dshandle ds);
int xbyline(dshandle ds, char* buffer, int buflen);
int xopnt(dshandle ds);
int xoget(dshandle ds);

// outcopy.cpp
dshandle xocreate(const char* name, int nvars, const vardesc* vars);
int xvput1f(dshandle ds, int32_t var, double value);
int xvput1c(dshandle ds, int32_t var, const char* text, int length);
int xoadd(dshandle ds);
int xoclose(dshandle ds, int del);
// Deletes every data set the procedure made (the end of a step).
void endmade();

}  // namespace rt::ds::svc
