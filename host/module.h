// The module's image record and procedure descriptor, read by the host after loading.
#pragma once
#include <cstdint>

struct hostinst;

constexpr uint32_t IMAGE_MAGIC = 0xB0BDEBEDu;

// Procedure descriptor (one per procedure of the module).
struct pcndesc {
    uint32_t flags;          // 0xFFFF0000
    uint32_t w1;             // 1024
    uint32_t w2;             // 1024
    char name[8];            // module name, lower case, not terminated inside the field
    uint32_t w5;             // 0
    int (*main)();           // the main routine
    uint32_t w7;             // 3
    uint32_t w8;             // 9683
    uint32_t w9;             // 0x005395D0
    uint32_t w10;            // 15
};

// Image record returned by mcn_main.
struct imagerec {
    char marker[24];         // "ZOR_Image_Information=", NUL padded
    uint32_t magic;          // IMAGE_MAGIC
    uint32_t word8;          // 8
    char release[6];
    char buildcode[20];
    char builddate[26];
    const pcndesc* const* pcns;   // null-terminated descriptor list
    const char* notice;
    char version[4];         // "001"
};

extern "C" {
typedef const imagerec* (*mcn_main_fn)(hostinst* instance, void* handle);
}
