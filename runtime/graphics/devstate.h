// The state of device graphics for one program: the graphics states and context, the
// catalogs and their pages (segments), the colour table, the text turn, the clip stack and
// the registered areas. The services of vectors 116 and 120 work on it; the output manager
// reads the finished pages from it to put them into the report.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "host/vec116_graphics.h"
#include "runtime/graphics/cairocanvas.h"
#include "runtime/graphics/recorder.h"
#include "runtime/session.h"

namespace rt::gfx {

struct Page {
    uint32_t id = 0;
    uint32_t catalog = 0;
    std::string name;                 // unique within the run: the file name without extension
    std::string description;
    std::string svgpath, pngpath;     // empty when files are not written
    bool open = false;
    bool written = false;
    double wpt = 0, hpt = 0;          // page size, points
    std::unique_ptr<CairoCanvas> cairo;
    std::unique_ptr<RecordingCanvas> rec;
    TeeCanvas tee;
};

struct Catalog {
    uint32_t id = 0;
    std::string lib, name;
};

class DeviceState {
public:
    // What becomes of the pages: files in `dir` (SVG and PNG), recordings kept in memory.
    bool writefiles = true;
    bool record = false;
    std::string dir;                  // graphics/ of the output folder
    std::function<void(const std::string&)> plotwritten;   // the session's, told of each file put in place
    std::function<bool(const std::string&)> plotours;      // the session's: is the file at a page's name the command's?

    std::vector<std::unique_ptr<ggstate>> states;
    ggstate* state = nullptr;         // the current graphics state
    ggctx ctx{};
    const ggdevice* device = nullptr;
    bool started = false;
    std::vector<Catalog> catalogs;
    std::vector<std::unique_ptr<Page>> pages;
    Page* current = nullptr;
    std::set<std::string> names;      // segment names used in the run (upper case)
    double textturn = 0;              // ggstxfm
    std::vector<ggregion> areas;      // registered areas, handle = index + 1
    int clipdepth = 0;
    std::vector<std::string> colornames;   // colour k (from 1) at index k - 1
    std::vector<Rgb> colors;
    std::set<std::string> warned;     // unknown colour and symbol names reported once

    // Page size of the current page or state, points.
    double wpt() const;
    double hpt() const;
    const ggdevice& dev() const;
    Canvas* canvas() { return current && current->open ? &current->tee : nullptr; }
    // Percent to points.
    double px(double x) const { return x / 100.0 * wpt(); }
    double py(double y) const { return y / 100.0 * hpt(); }
    Rgb color(int number) const;
    int colornumber(const std::string& name);
    Page* page(uint32_t id);
    // Ends the page and puts its files in place (tells plotwritten of them), with a NOTE for
    // every file at their names that the page replaced and that was not the command's. A page
    // that gave up its SVG removes a file at the SVG's name only when it is the command's (it
    // would stand in for the page) and a plain file of a graphics/ folder that is no link;
    // another stays, with a NOTE. False when the files could not be written.
    bool endpage(Page& p);
    // A page is written: its files are in place (tells plotwritten of them).
    void putinplace(Page& p, bool ok);
    std::string uniquename(const std::string& wanted);
    // Whether a page's files go to dir: writefiles, and dir is a folder that can be written
    // (made when it is not there). The first page that finds it is not (a file, a link that
    // leads nowhere or to itself) logs one ERROR that names the cause, and no page of the run
    // is written: nothing at dir is touched.
    bool filesready();
    // Why no page is written, once filesready() found dir unusable ("graphics/ in the output
    // folder out is a file, not a folder"); empty before and when it is usable.
    const std::string& unusable() const { return unusable_; }

private:
    int folder_ = 0;                  // dir looked at: 1 usable, -1 not, 0 not yet
    std::string unusable_;
};

// The device state of the current program; when there is none yet, one is begun for the
// session s (its pages go to graphics/ of s's output folder and are recorded when s asks for
// recordings; without a session the caller says where they go). The services pass the
// current session, the output its program's.
DeviceState& devstate(const Session* s);
// The device state when one is begun, else null; no session is looked at.
DeviceState* begundevstate();
// A new program: no pages, catalogs or states yet.
void resetdevstate();

// The first page of that id, or null; every page (tests). Neither begins a device state.
const Page* findpage(uint32_t id);
std::vector<const Page*> allpages();

}  // namespace rt::gfx
