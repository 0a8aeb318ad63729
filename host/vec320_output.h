// Vector 320: the output system: environment, text and message handles.
#pragma once
#include <cstdint>
#include "host/msgarg.h"

struct obobject;
struct rdxtext;                       // an output text, the host's
typedef rdxtext* txthandle;

struct vec320 {
    int (*xobinit)(obobject** env, int flags);
    txthandle (*rdxtxt)(const char* text, int length);
    txthandle (*rdxtxts)(const char* format, int length, int nargs, const msgarg* args);
    txthandle (*rdxmsg)(int group, int n);
    txthandle (*rdxmsgs)(int group, int n, int nargs, const msgarg* args);
    // The text of a handle (for the host's own destinations and for tests).
    const char* (*rdxstr)(txthandle h, int* length);
};
