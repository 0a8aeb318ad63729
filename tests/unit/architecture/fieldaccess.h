// Who reads and who writes the fields of the state block, read from the sources of proc/.
// The records are the members of struct vyxstate (proc/vyxstate.h); a record's fields are the
// top-level members of its type, declared in its header (the record's owner is that header's
// folder). A use is s->rec.field or s.rec.field through a name declared as a vyxstate pointer or
// reference anywhere in proc/ (s, st, s_), or name.field / name->field through a name a function
// binds to a record (a parameter or local of the record's type, auto& o = s->opts). A use is a
// write when the field (or an element or member of it) is assigned, compound-assigned,
// incremented or decremented, has its address taken (unless it goes to a const pointer
// parameter or is the source of a copy), is bound to a non-const reference (also in a range
// for), is the destination of memset, memcpy, strncpy and the like, or is passed to a non-const
// reference parameter; an array field decays into a write when it initializes a non-const
// pointer or is passed to a non-const pointer parameter of a routine declared in proc/ or host/.
// A write through a pointer field (s->plot.frame->x = 1) is a read of the field. Uses inside
// sizeof and decltype are no uses.
#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fieldacc {

struct Field {
    std::string name;
    bool array = false;
};

struct Record {
    std::string name;     // the member of vyxstate: opts
    std::vector<std::string> views;   // other members that are the same record: the writable view optsw
    std::string type;     // stmtopts
    std::string header;   // proc/framework/stmtopts.h
    std::string owner;    // framework
    std::vector<Field> fields;
    const Field* field(const std::string& n) const;
};

// The records of root/proc/vyxstate.h in their order, each with its fields. A record declared
// twice in an anonymous union, as `union { stmtopts optsw; const stmtopts opts; };`, is one
// record: named by its const member, the other member a view of it (a use through optsw is a
// use of opts).
std::vector<Record> records(const std::filesystem::path& root);

struct Use {
    std::string file, folder, routine;   // routine: the enclosing function ("" at file scope)
    int line = 0;
    std::string record, field;
    std::string path;                    // the field and the member names after it: pflags.nofitline
    bool write = false;
};

// What the scan found and could not classify: a record used whole, a use through a name that is
// not known as the state, an array passed to a routine whose parameters are unknown.
struct Unclassified {
    std::string where, text;
};

struct Scan {
    std::vector<Use> uses;
    std::vector<Unclassified> unclassified;
    std::map<std::string, std::set<std::string>> routines;   // every function name, with its files
};

// Every use in the .h and .cpp files below root/proc.
Scan scan(const std::filesystem::path& root, const std::vector<Record>& recs);

// The field table of docs/architecture.md (its heading line and separator included), and the
// comment that ends a record's header listing the fields that other folders use.
std::string fieldtable(const std::vector<Record>& recs, const std::vector<Use>& uses);
std::string outsidelist(const Record& rec, const std::vector<Use>& uses);
// The texts with the table (after "### Every field of the state block") or the record's list
// (after the record's struct, replacing the one there) put in.
std::string withtable(const std::string& doc, const std::string& table);
std::string withlist(const std::string& header, const Record& rec, const std::string& list);
// The docs and headers as they should read: path relative to root -> text, only those that differ.
std::map<std::string, std::string> generated(const std::filesystem::path& root, const std::vector<Record>& recs,
                                             const std::vector<Use>& uses);

// The writer lists of the owners' headers:
//   //   FIELD writers: routine, routine        (FIELD may name a member: pflags.nofitline)
//   // writers: routine, routine                (above a record's struct: every field)
//   // option readers: routine, routine         (every field of the header's records)
// A writer is a routine's name (Class::name or name), or a source file below proc/
// (lifedist/optread.cpp) for every routine in it.
struct Listing {
    std::string where;    // header:line
    std::string record;
    std::string field;    // "" for the whole record
    std::set<std::string> routines;
};
std::vector<Listing> listings(const std::filesystem::path& root, const std::vector<Record>& recs);

// A write into a record from outside its owner's folder by a routine its header does not list
// (only records whose header has a list are checked), and a listed writer that is no function or
// source file of proc/.
struct Breach {
    std::string where, what;
};
std::vector<Breach> checkwriters(const std::vector<Record>& recs, const Scan& scan, const std::vector<Listing>& lists);

}  // namespace fieldacc
