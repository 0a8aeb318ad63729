// Vector 31: the statement parser and its token anchor.
#pragma once
#include <cstdint>
#include "host/instance.h"
#include "host/stmtrec.h"

struct grammar;                      // the procedure's grammar tables (host/grammar.h)

// Parse-control block: the procedure's template, copied into a pool block by vyxiag.
struct prsctl {
    uint16_t version;                // 1
    uint16_t reserved;
    const grammar* tables;           // the procedure's grammar
    void* tokenizer;                 // filled by xsparse
    void* semantic;                  // filled by xsparse
    void* anchor;                    // token anchor
};

// Parse request: zeroed by the caller, which sets only the callback check.
struct prsreq {
    int (*check)();
    void* reserved[11];
};

struct vec31 {
    // Parses the step's statements with the grammar of block; fills mpb->head and mpb->error.
    int (*xsproc)(prsctl* block, modparse* mpb, int flags, prsreq* request, int, int);
    void* (*xtanch)();                       // the token anchor
    stmtrec* (*xttkcur)(void* anchor);       // the statement record being parsed
    int (*xsfixsym)(int ntok, int nterm, int symlen, prsctl** block);
    void* (*xttk)();                         // the host's tokenizer entry
    void* (*xsem)();                         // the host's semantic entry
    void* (*zeffect)();                      // the host's effect-parser entry
    // The text of entry k (from 0) of a list of quoted strings in an option slot, with its
    // length; null (and length 0) past the end.
    const char* (*zparm)(const optslot* slot, int k, int* length);
};
