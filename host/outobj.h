// Output objects: the call wobmth, its 16-byte-style argument items, keys, types and
// method numbers, and the class records the host's output manager registers.
#pragma once
#include <cstdint>

struct obobject;
struct obclass;

// Item types.
enum : uint16_t {
    OBT_CHAR = 1,       // one character
    OBT_INT = 3,        // 32-bit integer
    OBT_DOUBLE = 5,     // a double
    OBT_VARPTR = 7,     // a pointer: variable descriptor, routine context, destination list
    OBT_FMTPTR = 9,     // a pointer to a format kind (int32)
    OBT_PACKED = 11,    // a pointer to a packed symmetric matrix (lower triangle by rows)
    OBT_OBJECT = 12,    // object handle (an output item receives the new object)
    OBT_FLAG = 13,      // flag word (input 1, or the answer of a query)
    OBT_POINTER = 17,   // a bound cell or a caller buffer
    OBT_ROUTINE = 14,   // a routine (matrix element accessor)
    OBT_STRING = 20,    // counted string
    OBT_REFLIST = 27,   // counted list of uint32 data-object references (len, p)
    OBT_ITEMLIST = 28,  // counted list of further items (len, p)
    OBT_TEXT = 66,      // host text handle
    OBT_SLOT = 67,      // pointer to a slot (a uint32 reference out, or an array of text handles)
};

// Item keys. The output manager of the runtime reads the ones it needs; the procedure passes
// the others (place, start-up query, layout, listed, matrix headings and separator) with the
// values its interface fixes, and they are named here for what they carry.
enum : uint16_t {
    OBK_POS = 0,          // positional object item: table id or data object
    OBK_KIND = 103,       // column kind: 5 double, 6 fixed-width text, 3 integer, 66 text handle
    OBK_NAME = 138,
    OBK_FAMILY = 143,
    OBK_CREATED = 144,
    OBK_OBJKIND = 146,
    OBK_PLACE = 148,      // a new table's place among the objects before it: -1, after them (the only value)
    OBK_CELL = 285,
    OBK_VALUE = 287,
    OBK_WIDTH = 289,
    OBK_LABEL = 296,
    OBK_TARGET = 307,
    OBK_ITEMNAME = 311,
    OBK_TEMPLATE = 339,
    OBK_MSGGROUP = 383,
    OBK_SGQUERY = 1334,
    OBK_STARTQUERY = 2558,  // flag 1: the manager's start-up query
    OBK_LAYOUT = 280,     // integer 1: the first layout of the items (start-up query, matrices)
    OBK_TEXT = 577,       // text: a note's text; in the start-up query the procedure's output label
    // further keys of tables, matrices, notes, graphs and collections
    OBK_MFORM = 105,      // matrix form: "s" packed symmetric, "fb" full through the accessor
    OBK_MACCESSOR = 112,  // matrix element accessor double (*)(void* context, int row, int col)
    OBK_EXTRAVARS = 174,  // items of extra dynamic variables (type 28)
    OBK_MCONTEXT = 226,   // the accessor's context
    OBK_TITLE = 267,
    OBK_NOTEJUST = 273,
    OBK_MORE = 300,       // end of rows: more groups follow
    OBK_DESCR = 310,
    OBK_LISTED = 333,     // integer 1 on the convergence-status and iteration tables: listed whole
    OBK_HIDDEN = 336,
    OBK_MHEADINGS = 366,  // integer 1: a matrix is printed with its row and column names
    OBK_INFOKIND = 376,   // 2: a label entry of an information list
    OBK_MPACKED = 389,
    OBK_MROWS = 390,
    OBK_MCOLS = 391,
    OBK_MFORMAT = 393,
    OBK_MSEPARATOR = 396, // the character ';': what separates a matrix's names in the item lists
    OBK_MROWNAMES = 409,
    OBK_MCOLNAMES = 399,
    OBK_REFSLOT = 784,
    OBK_VARATTR = 2224,
    OBK_BINDFLAG = 2640,
    OBK_GRAPHREFS = 2829,
    OBK_INSETHIDDEN = 2830, // a graph request's out item (OBT_POINTER to an obinsethidden): what its insets hide
    OBK_COUNT158 = 158,   // a list's count (type 3, out)
    OBK_DESTLIST = 4964,
    OBK_SEGTABLE = 4967,
    OBK_ROWCOUNT = 4971,  // the rows of a block of rows (type 3)
};

// Column kinds (key 103).
enum : int32_t { COL_DOUBLE = 5, COL_TEXT = 6, COL_INT = 3, COL_HANDLE = 66 };

// Method numbers.
enum : int {
    OB_CREATE = 147,
    OB_ADDCOL = 338,
    OB_TITLES = 316,
    OB_ENDDEF = 298,
    OB_BIND = 422,
    OB_ADDROW = 329,
    OB_ENDROWS = 299,
    OB_PUBLISH = 428,
    OB_MATRIX = 388,
    OB_INFO = 164,
    OB_GROUP = 300,
    OB_GRAPH = 2826,      // a graph request; the result is the number of reference labels its page left out for want of room
    OB_NOTE = 358,
    OB_QUERY = 439,
    OB_MAKE = 286,
    OB_DESTLIST = 175,
    OB_DESTSTART = 2385,
    OB_DESTPUB = 4966,
    OB_DESTFREE = 4968,
    OB_DEST158 = 158,
    // A block of rows in one call: {OBK_ROWCOUNT, n}, then for each column whose values vary
    // over the block a pair {OBK_CELL, its bound cell} {OBK_VALUE, an array of n values:
    // double for a column of kind 5, int32 for kind 3}. The same as setting each listed cell to
    // row i's value and adding a row (method 329), for i = 0 to n-1: the other cells keep their
    // values over the block, and the listed cells hold the last row's values afterwards. A
    // listed cell that no column is bound to is passed over.
    OB_ADDROWS = 4970,
};

// `wobitem`: key, type, a flag word and the value area (native pointers on 64 bits).
struct wobitem {
    uint16_t key;
    uint16_t type;
    int32_t flag;                 // OBT_FLAG: the flag word
    union {
        char c;                   // OBT_CHAR
        int32_t i;                // OBT_INT
        double d;                 // OBT_DOUBLE
        void* p;                  // OBT_OBJECT, OBT_POINTER, OBT_TEXT, OBT_STRING (text)
    } v;
    uint32_t len;                 // OBT_STRING: the length
    uint32_t reserved;
};

// A method routine: (object, the entry's argument, the method record's further argument, n, items).
typedef int32_t (*obmethod)(obobject* obj, void* entryarg, void* recarg, int nitems, wobitem* items);
// A direct interface routine: (object, the pair's argument, operation, n, items).
typedef int32_t (*obdirect)(obobject* obj, void* pairarg, int op, int nitems, wobitem* items);

struct obmethrec {
    obmethod routine;
    void* reserved;
    void* arg;                    // the further argument
};

struct obmethent {
    obmethent* next;
    void* arg;                    // the argument handed to the method
    obmethrec* rec;
    int32_t method;
};

// A direct interface pair {routine table, argument}; the routine is the table's first word.
struct obpair {
    const obdirect* table;
    void* arg;
};

struct obclass {
    void* reserved0;
    obclass* parent;              // null at the root
    obmethent** buckets;          // bucket array of the method hash table
    uint32_t mask;                // bucket mask
    obpair info;                  // pair 4/5: information lists (operation 1, 2 items)
    obpair query;                 // pair 6/7: statistical-graphics query (operation 2)
    obpair release;               // pair 10/11: release (operation 4, no items)
};

// Device-graphics destinations (methods 2385, 4966, 4968): a destination record holds the
// name; the list holds the entries; the segment table has one counted item list per destination.
struct obdest {
    uint16_t namelen;
    char* name;
};
struct obdestent {
    void* reserved[2];
    obdest* dest;
};
struct obdestlist {
    int16_t count;
    obdestent* entries;
};
struct obsegent {
    uint16_t count;               // number of segment items
    wobitem* items;               // items {0, pointer, segment record}
};
struct obsegtable {
    int16_t count;
    obsegent* entries;
};

// What the insets of graph requests hide of the data, where no place of theirs was clear of it
// (item OBK_INSETHIDDEN of a request): the runtime adds each page's to it.
struct obinsethidden {
    int32_t insets;               // the insets drawn over data
    int32_t points;               // the markers whose centres they hold
    uint8_t lines;                // part of a fitted line, limit or curve lies under one
    uint8_t marker;               // part of a marker
    uint8_t band;                 // part of a band
    char first[2][64];            // the class values of the first one's panel, NUL-ended (empty: a plot of one panel)
};

// An output object: its first word points to its class record.
struct obobject {
    obclass* cls;
};
