// The output state of one program: the destinations, and the objects, bindings and MAKE
// requests of the step being run. The services of vector 320 and the object methods take
// no context argument, so the state of the current program is reached through program();
// the program keeps the session it was begun for.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>
#include "runtime/output/graphs.h"
#include "runtime/output/html.h"
#include "runtime/output/layout.h"
#include "runtime/output/listing.h"
#include "runtime/output/makeds.h"
#include "runtime/output/rowpipe.h"
#include "runtime/output/objects.h"
#include "runtime/output/texts.h"
#include "runtime/session.h"

namespace rt::out {

// Results of methods that fail (negative: the procedure ends the step).
enum : int32_t { OBR_BADOBJECT = -2, OBR_BADID = -3, OBR_NOSPACE = -4, OBR_BADITEM = -5 };

// The destination list handed out by method 2385 (names are changed in place by the caller).
struct DestStore {
    obdestlist list{};
    std::vector<obdestent> ents;
    std::vector<obdest> dests;
    std::vector<std::string> names;
};

// A data object bound to a template: rows go to every destination as they are appended.
struct Binding {
    uint32_t id = 0;
    DataObject* obj = nullptr;
    const Template* tpl = nullptr;
    Layout layout;
    bool noheader = false;
    std::vector<std::pair<std::string, std::string>> by;
    std::string byline;
    bool more = false;            // end of rows said that more groups follow
    bool noprint = false;         // a MAKE with NOPRINT names the table: no listing, no report
    bool done = false;
    std::unique_ptr<ListingTable> listing;
    std::unique_ptr<HtmlTable> html;
    std::vector<std::pair<MakeRequest*, std::unique_ptr<MakeWriter>>> makes;
    PhantomData* phantom = nullptr;
    // A phantom's columns as a row is appended: each bound column with its phantom column
    // and how its cell is read, made once and again only if the columns change.
    struct PhantomCell {
        const Column* col;
        PhantomColumn* pc;
        enum How : uint8_t { Double, Integer, Handle, Fixed } how;
    };
    std::vector<PhantomCell> phcells;
    std::vector<CellValue> vals;
    RowTexts texts;
    long long rows = 0;
    long long rowsatsuspend = -1; // rows printed when something else interrupted the streaming table
    // A long table of numbers formats its rows on worker threads (after listing and html, so
    // that it goes first).
    std::unique_ptr<RowPipe> pipe;
};

// Row i of a block of rows (method 4970) into the listed cells, as the procedure would set
// them row by row.
void setblockcells(const DataObject& obj, const std::vector<size_t>& cols, const std::vector<const void*>& vals, size_t i);

class Program {
public:
    explicit Program(Session* s);
    ~Program();

    Session* sess;
    std::string dir;
    // The width of the listing: the session's LINESIZE when a table is laid out.
    int linesize() const;
    Listing listing;
    Html html;
    TextStore texts;
    std::string failure;              // the first destination failure
    std::vector<std::unique_ptr<PhantomData>> phantoms;
    std::vector<GraphRequest> graphs;
    std::vector<PageSet> pages;

    // ---- the step
    int stepno = 0;
    bool stepactive = false;          // between beginstep and endstep
    bool stepopen = false;            // the step's heading was written to the listing
    bool htmlstep = false;            // the step's section of the report is open
    std::string proclabel;
    std::string lastby;               // the last BY line of the listing
    std::string htmlby;               // the last BY line of the report
    std::string source;               // "Line 3: proc vitalyx data=fans;"
    uint32_t nextid = 1;
    std::vector<std::unique_ptr<Env>> envs;
    std::vector<std::unique_ptr<Manager>> managers;
    std::vector<std::unique_ptr<DataObject>> datas;
    std::vector<std::unique_ptr<InfoList>> infos;
    std::vector<std::unique_ptr<OutGroup>> groups;
    std::vector<std::unique_ptr<Assoc>> assocs;
    std::vector<std::unique_ptr<List>> lists;
    std::vector<std::unique_ptr<Binding>> bindings;
    // The bindings not yet finished, in the order they came: a step of thousands of class
    // groups binds tens of thousands of tables, and every log line and table asks what is open.
    std::vector<Binding*> unfinished;
    std::map<uint32_t, Binding*> byid;
    std::vector<std::unique_ptr<MakeRequest>> makes;
    int makecalls = 0;                // MAKE requests of the step so far (method 286)
    std::vector<std::unique_ptr<DestStore>> destlists;
    std::unordered_set<const void*> live;   // every object of the step, to check handles

    template <class T>
    T* add(std::vector<std::unique_ptr<T>>& v, ObjKind kind, obclass* cls) {
        v.push_back(std::make_unique<T>());
        T* o = v.back().get();
        o->cls = cls;
        o->kind = kind;
        live.insert(o);
        return o;
    }
    bool islive(const void* o, ObjKind kind) const {
        return o && live.count(o) && static_cast<const Object*>(o)->kind == kind;
    }

    // Binds a data object to a template (or continues its open binding); null on failure.
    Binding* bind(DataObject* obj, const Template* tpl, bool phantom);
    // Reads the bound cells and sends the row to the destinations.
    void append(Binding& b);
    // A block of rows (method 4970): n rows whose columns cols[k] take their values from
    // the arrays vals[k] (double or int32 by the column's kind), the others their bound cells.
    void appendrows(Binding& b, size_t n, const std::vector<size_t>& cols, const std::vector<const void*>& vals);
    // The phantom's next n rows: the bound cells repeated, but for a column k with byarray[k]
    // set, whose n values come from that array.
    void appendphantom(Binding& b, size_t n = 1, const std::vector<const void*>* byarray = nullptr);
    // Starts the data sets of the MAKE requests that name the bound table; a data set that
    // cannot be started is an ERROR, and its request fails.
    void addmakes(Binding& b, std::string& err);
    // A MAKE request with NOPRINT names the table, and its data set has not failed: the table
    // is saved and not printed. A table whose data set cannot be saved is printed.
    bool hidden(const DataObject& obj) const;
    // Prints a finished table (titles, BY line, headers, rows) in publish order.
    void finish(Binding& b);
    // An output group (a class level of a statement). Its tables are one table of the
    // statement with a Group column, so in the report the level gets a section of its own
    // only for what it draws (sectionfor); its notes name the level.
    void opengroup(OutGroup& g);
    void closegroup(OutGroup& g);
    void sectionfor();
    std::string levelof() const;
    std::vector<OutGroup*> openstack;   // the open output groups, innermost last
    void note(const std::string& text);
    // A graph request of the statistical graphics: drawn from its template and phantom data
    // as a page in graphics/ (SVG and PNG, as the device pages are) and inlined in the report.
    // Gives the number of reference labels the page left out for want of room, and adds what
    // its insets hide of the data to *insets (when given).
    int statgraph(const GraphRequest& g, obinsethidden* insets = nullptr);
    // The pages of a device-graphics plot, in the current output group of the report.
    void devicepages(const PageSet& ps);

    // Ends the direct mode of the table being streamed before anything else is written.
    void interrupt();
    // Writes the rows every table's pipe holds (before anything else is written).
    void drainrows();
    // Starts a table's pipe once it has printed enough rows the plain way.
    void startpipe(Binding& b);
    Binding* direct = nullptr;    // the table whose rows go straight to the destinations

    void beginstep();
    void endstep();
    // "The step made the tables Nobs and ParameterEstimates.": what a MAKE request that matched
    // nothing could have named (stopped: the step ended on an error).
    std::string madetables(bool stopped) const;
    // Writes the step heading (once per step) and the BY line when it changed.
    void heading(const std::string& byline);
    // The report's part of the heading: the step's section with its statement line, and the
    // BY line when it changed.
    void htmlheading(const std::string& byline);
    // A note, warning or error of the log, shown in the report where it happened, or, when
    // it comes while a table streams, right after that table (heldlog until then).
    void logged(char kind, const std::string& text);
    void writeheldlog();
    std::string heldlog;
    // The report never ends empty: a line saying that nothing ran.
    void endreport();
    bool reported = false;            // the report holds a step or a message
    void fail(const std::string& what);
};

// Told of the name of every data object bound (a table, an information list, a matrix or
// phantom data: what MAKE can take), for the tests that hold the documentation to them.
std::function<void(const std::string& name)>& tablewatch();

// The current program (the host runs one at a time); null before one is begun
// (beginprogram, or the first service of vector 320 a test calls without the step runner).
Program* program();
void setprogram(std::unique_ptr<Program> p);
std::unique_ptr<Program> takeprogram();

// Class records of the output objects.
struct Classes {
    obclass env, manager, table, data, info, group, assoc, list;
};
const Classes& classes();

// Values of items.
std::string itemtext(const wobitem& it);
const wobitem* finditem(int n, wobitem* items, uint16_t key, int nth = 0);

// BY variables of the step's input data set in its current group.
std::vector<std::pair<std::string, std::string>> currentby(const Session* s);
std::string bylinetext(const std::vector<std::pair<std::string, std::string>>& by);

}  // namespace rt::out
