// Class levelization: the distinct formatted values (levels) of every CLASS variable of a
// model, their weighted counts and smallest raw values, and the minimum and maximum of every
// continuous variable. zlevini makes the level work block, zlevadd passes over the data (in
// this thread, or through the worker threads of workers.h), zlevlls and zlevllm finish each
// variable, zlevlwh finds the level of a formatted value.
#pragma once
#include <cstddef>
#include <cstdint>
#include "host/vec10_trees.h"
#include "proc/effects/effects.h"

struct levwork;
struct levtexthash;

typedef int (*lwrdfn)(levwork* w, levstate* ls);

// Level node, one per distinct formatted value of a variable (lwnodesz bytes): tree head,
// raw value, weighted count, first appearance, then the formatted text as key.
struct levnode {
    trenode head;
    double raw;                // numeric variables
    char* rawtext;             // character variables: a copy of the smallest raw text
    int32_t rawlen;
    int32_t count;             // weighted count
    int64_t first;             // first-appearance number (single-threaded) or observation number
    char text[8];              // fmtlen bytes (the node is allocated longer)
};
constexpr int LEVNODE_KEYOFF = static_cast<int>(offsetof(levnode, text));

struct levwork {
    poolobj* lwpool;           // the block's own pool
    int32_t lwkeyoff;          // offset of the key in a level node
    int32_t lwnodesz;          // size of a level node
    int32_t* lwcount;          // per CLASS variable: levels found so far
    levnode** lwroot;          // per CLASS variable: root word of its level tree (and a spare word)
    levthreads* lwthr;         // worker threads, null when none run
    double* lwmin;             // per continuous variable
    double* lwmax;
    int32_t lwnnum;            // numeric CLASS variables
    int32_t lwnchr;            // character CLASS variables
    int32_t* lwnumix;          // CLASS index of each numeric CLASS variable
    int32_t* lwchrix;          // CLASS index of each character CLASS variable
    int32_t* lwactive;         // per CLASS variable: levelize it for this observation
    double* lwcont;            // continuous values of the current observation
    char** lwfmt;              // per CLASS variable its formatted value
    double* lwnumraw;          // raw value per numeric CLASS variable
    levrawtext* lwchrraw;      // raw text per character CLASS variable
    void* lwowner;             // the data set (zlevini), then the model's levctl (zlevrgi)
    uint8_t lwwantfmt;         // the values read include the formatted CLASS values
    lwrdfn lwinit, lwnext, lwvals;
    int (*lwfilt)(levwork* w);
    // Our own: the spare node, and per CLASS variable a hash of its level texts in front of
    // the tree, so that a repeated value does not walk the tree.
    levnode* lwspare;
    levtexthash* lwhash;
};

// Makes the work block (its own pool) and settles each CLASS variable's fmtlen, fmtoff and
// the level-state's fmttot and fmtmax. Null when the pool or a block cannot be had.
levwork* zlevini(dshandle dsh, levstate* ls);
// The data pass over every observation the readers give. Runs on the workers when lwthr has
// some, else in this thread; a failure of the workers redoes the pass here.
void zlevadd(dshandle dsh, levwork* w, levstate* ls);
// Adds the current observation (read with lwvals) to the level trees and continuous ranges.
int zlevad1(levwork* w, levstate* ls);
// Finishes CLASS variable i into its ordered level list (model pool); returns its level count,
// or minus the return code of a failure (RC_NOMEM after xmemmsg, RC_EFFECTS from zlevror).
int zlevlls(poolobj* pool, levwork* w, levstate* ls, int i);
// Finishes continuous variable j: 0 no value, 1 constant, 2 varying; sets cloc and cscale.
int zlevllm(poolobj* pool, levwork* w, levstate* ls, int j);
// Level index of a formatted value (left-justified in place unless keepjst), -1 when none.
int zlevlwh(levwork* w, const levclass* c, char* text);

// The lookup without a work block (zlevlwh ignores it).
int levlookup(const levclass* c, char* text);

// Level ordering of CLASS variable i (levorder.cpp): puts nodes[0..n) (ascending text, the
// tree order) into their final order in c->levels and c->levval, resolves reflev and builds
// codemat. mode 'T' reads the nodes from the level tree instead. Returns 0, RC_NOMEM, or
// RC_EFFECTS after message 172/394 when a reference level by value is not a level.
int zlevror(poolobj* pool, levwork* w, levstate* ls, int i, levnode** nodes, char mode);

// The sort of the level ordering: n keys of `size` bytes with a parallel index array. A kind
// is "S" bytes (width), "D" a double (missing first, missing values equal), "L" a signed
// 64-bit integer, "X" a leading 32-bit count then the secondary kind on the rest; a leading
// '-' sorts that part descending.
void ShellSort(char* keys, int n, int32_t* index, const char* primary, const char* secondary, int width, int size);
namespace levorder {
int Compare(const void* a, const void* b, const char* kind, int width);
void Swap(void* a, void* b, int size);
}  // namespace levorder

// ---- shared with the worker threads (workers.cpp)
// Adds one level text of CLASS variable i with its raw value (rawtext null for a numeric
// variable), count and first appearance (-1: the next first-appearance number); keeps the
// smaller raw value and first appearance of an existing level. Nonzero when memory is short.
int levnoteone(levwork* w, levstate* ls, int i, const char* text, double raw, const char* rawtext, int rawlen,
               int32_t count, int64_t first);
// Whether the observation read into the work block is complete (CLASS values that must be
// present, every continuous value).
bool levcomplete(const levwork* w, const levstate* ls);
// Widens the continuous ranges by the values cont.
void levranges(levwork* w, const levstate* ls, const double* cont);
// Empties the level trees and ranges (before a pass is redone).
void levresettrees(levwork* w, levstate* ls);
