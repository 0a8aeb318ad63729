// Vector 472: the host sort. The caller fills a sort control block and a key list; the
// host reads the records, sorts them (stably: equal keys keep their input order) and hands
// them out through the exits or into a utility file or back into memory.
#pragma once
#include <cstdint>
#include "host/pool.h"
#include "host/vec39_files.h"

struct sortctl;

// An exit: (control block, one record or null) -> status. The get exit fills rec and
// returns 0, or returns SORT_END when the input is exhausted; the put exit receives each
// sorted record; the end exit is called once after the last record. A negative status
// ends the sort with that status.
typedef int (*sortexit)(sortctl* c, void* rec);
// A record comparison: negative, 0 or positive.
typedef int (*sortcmp)(const void* a, const void* b, sortctl* c);

enum : int { SORT_END = 1 };
// Statuses of the host sort itself.
enum : int32_t {
    SORT_EBADREQ = static_cast<int32_t>(0x80472001u),   // bad record length or key list
    SORT_ENOMEM = static_cast<int32_t>(0x80472002u),    // not enough memory
    SORT_EREAD = static_cast<int32_t>(0x80472003u),     // the input file cannot be read
    SORT_EWRITE = static_cast<int32_t>(0x80472004u),    // the output file cannot be written
};

// Key list entry: byte offset in the record, length, kind, order.
struct sortkey {
    uint32_t offset;
    uint16_t length;
    uint16_t kind;      // SORTK_*
    uint16_t order;     // SORTO_*
    uint16_t spare;
};
enum : uint16_t {
    SORTK_NUM = 1,      // a double; missing values before every number, ordered by their codes
    SORTK_CHAR = 2,     // length bytes, unsigned
    SORTK_INT = 3,      // a signed integer of 4 or 8 bytes
};
enum : uint16_t { SORTO_ASC = 1, SORTO_DESC = 2 };

// Slots of the eight optional exits.
enum : int { SORTX_GET = 0, SORTX_PUT = 1, SORTX_END = 2, SORTX_COUNT = 8 };

struct sortctl {
    sortexit start;             // the caller's start routine (the host's zsorxci, or its own)
    sortcmp compare;            // the caller's record comparison; null: the key list decides
    sortexit startentry;        // host-callable entries of the two (set by zsort)
    sortcmp compareentry;
    xchandle infile;            // input utility file, rewound; null: records in memory or the get exit
    xchandle outfile;           // output utility file; null with file input: the sort opens one
    int32_t status;             // the sort's last status
    int32_t nkeys;
    sortkey* keys;
    int32_t reclen;             // bytes per record
    int64_t nrecs;              // records in memory (inrecs), or -1
    int64_t workcap;            // records the caller's work buffer holds, or -1
    void* recbuf;               // one record, for the caller's exits
    void* inrecs;               // records in memory: the input, and the output when there is
                                // neither an output file nor a put exit (sorted in place)
    void* workbuf;              // the caller's work buffer (optional)
    sortexit startcopy;         // copy of the caller's start routine, kept by zsort
    void* user[4];              // the caller's own words
    sortexit exits[SORTX_COUNT];        // the caller's optional exits
    sortexit exitentries[SORTX_COUNT];  // their host-callable entries (set by init_wrapper)
    poolobj* pool;              // the caller's pool
    int64_t nsorted;            // records sorted (set by the host)
    void* host[4];              // the host's own words
};

struct vec472 {
    int (*zsortap)(sortctl* c);
    // The host's exits, to be stored in a control block: the start exit, the key-list
    // comparison, and the utility-file input, output and end exits (the sort reads the
    // input file and writes the output file itself when these are given).
    sortexit zsorxci;
    sortcmp zsorxct;
    sortexit zxcget;
    sortexit zxcput;
    sortexit zxcrtn;
};
