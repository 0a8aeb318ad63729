// Services of vector 30 beyond the core supervisor: formatting, name suffixes, modules and
// named globals (formatting.cpp, modules.cpp).
#pragma once
#include <cstdint>
#include "host/vec30_supervisor.h"

namespace rt::sup {
int xpfs(double value, int width, int decimals, char* buffer);
int xpils(int64_t value, int width, char* buffer);
int xpis(int64_t value, int width, char* buffer);
int xpsstr(char* buffer, int buflen, const char* format, int nargs, const msgarg* args);
int znamsuf(int mode, const char* name, int namelen, char* prefix, int prefixlen, int32_t* number);
int wiinstl(int number, const char* name, int mode);
int xytngl(void* table, int page, const char* name, int length, int32_t* id, void** value);
int xytnsl(void* table, int page, const char* name, int length, int32_t id);
int wtrscrt(void* table, int32_t* id, int zero, void (*cleanup)(void*));
int wtrsset(void* table, int32_t id, void* value);
int xytexit(void* entry);
// The end of a program: every named global's clean-up runs and the table is emptied.
void endglobals();
}  // namespace rt::sup
