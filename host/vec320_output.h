// Vector 320: the output system: environment, text and message handles.
#pragma once
#include <cstdint>
#include "host/msgarg.h"

struct obobject;
struct rdxtext;                       // an output text, the host's
typedef rdxtext* txthandle;

// The output system's current graph control block: a name for the next graph, when the
// output system holds one (its length is then set to 0 by the taker).
struct rdxgcb {
    int16_t namelen;
    char name[32];
};

struct vec320 {
    int (*xobinit)(obobject** env, int flags);
    txthandle (*rdxtxt)(const char* text, int length);
    txthandle (*rdxtxts)(const char* format, int length, int nargs, const msgarg* args);
    txthandle (*rdxmsg)(int group, int n);
    txthandle (*rdxmsgs)(int group, int n, int nargs, const msgarg* args);
    // The text of a handle (for the host's own destinations and for tests).
    const char* (*rdxstr)(txthandle h, int* length);
    rdxgcb* (*rdxggcb)(int zero);
};
