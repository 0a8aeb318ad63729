// The output program: the destinations of one run, the objects and bindings of the step
// being run, and the way a bound table's rows reach the listing, the report and MAKE data sets.
#include "runtime/output/program.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>
#include "host/hostdefs.h"
#include "runtime/datasets/library.h"
#include "runtime/output/makefile.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/util/strings.h"

namespace rt::out {

namespace {
// A printed table of numbers goes to a pipe of worker threads after this many rows (a
// shorter one never starts threads), with at most this many workers.
constexpr long long kPipeAfter = 8192;
constexpr int kPipeWorkers = 4;
// The id attribute of a table in the report.
std::string tableid(uint32_t id) {
    std::string s(1, 't');
    s.append(std::to_string(id));
    return s;
}
// The state of the program being run (the host runs one program at a time).
std::unique_ptr<Program> g_program;
}  // namespace

std::function<void(const std::string&)>& tablewatch() {
    static std::function<void(const std::string&)> watch;
    return watch;
}

Program* program() { return g_program.get(); }
void setprogram(std::unique_ptr<Program> p) { g_program = std::move(p); }
std::unique_ptr<Program> takeprogram() { return std::move(g_program); }

Program::Program(Session* s) : sess(s) {
    dir = s && !s->outdir.empty() ? s->outdir : std::string(".");
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string err;
    if (!listing.open(dir, true, err) || !html.open(dir, err)) fail(err);
}

int Program::linesize() const { return sess ? sess->opts.linesize : Options().linesize; }

Program::~Program() {
    listing.discard();
    html.discard();
}

void Program::fail(const std::string& what) {
    if (failure.empty()) failure = what;
}

std::string itemtext(const wobitem& it) {
    switch (it.type) {
    case OBT_TEXT:
        return std::string(textof(static_cast<txthandle>(it.v.p)));
    case OBT_STRING:
        return it.v.p ? std::string(static_cast<const char*>(it.v.p), it.len) : std::string();
    case OBT_CHAR:
        return std::string(1, it.v.c);
    case OBT_INT:
        return std::to_string(it.v.i);
    case OBT_DOUBLE:
        return num::formatnum(num::NumFormat{num::Fmt::Best, 12, 0}, it.v.d);
    default:
        return std::string();
    }
}

const wobitem* finditem(int n, wobitem* items, uint16_t key, int nth) {
    for (int k = 0; k < n && items; ++k)
        if (items[k].key == key && nth-- == 0) return &items[k];
    return nullptr;
}

std::vector<std::pair<std::string, std::string>> currentby(const Session* s) {
    if (!s || !s->input) return {};
    return rt::ds::byvalues(s->input);
}

std::string bylinetext(const std::vector<std::pair<std::string, std::string>>& by) {
    std::string t;
    for (auto& [n, v] : by) {
        if (!t.empty()) t += ' ';
        t += n + "=" + v;
    }
    return t;
}

Binding* Program::bind(DataObject* obj, const Template* tpl, bool phantom) {
    Binding* open = obj->binding;
    if (open && !open->done) {
        // The next class group of a table that said more groups follow continues it.
        if (open->more && open->tpl == tpl) {
            open->more = false;
            uint32_t id = nextid++;
            byid[id] = open;
            open->id = id;
            return open;
        }
        finish(*open);
    }
    if (const auto& watch = tablewatch()) watch(obj->name);
    bindings.push_back(std::make_unique<Binding>());
    Binding& b = *bindings.back();
    unfinished.push_back(&b);
    b.id = nextid++;
    byid[b.id] = &b;
    b.obj = obj;
    b.tpl = tpl;
    obj->binding = &b;
    b.by = currentby(sess);
    b.byline = bylinetext(b.by);
    std::string err;
    if (phantom) {
        phantoms.push_back(std::make_unique<PhantomData>());
        b.phantom = phantoms.back().get();
        b.phantom->ref = b.id;
        b.phantom->name = obj->name;
        b.phantom->label = obj->label;
        for (auto& c : obj->cols) {
            PhantomColumn& pc = b.phantom->cols.emplace_back();
            pc.name = c.name;
            pc.label = c.label;
            pc.role = c.role;
            pc.kind = c.kind;
            pc.width = c.width;
        }
        addmakes(b, err);
        return &b;
    }
    // A table that NOPRINT keeps from the listing goes to its data set only, unless that data
    // set cannot be saved: then it is printed, so that it is not lost.
    const bool makesfirst = hidden(*obj);
    if (makesfirst) {
        addmakes(b, err);
        if (hidden(*obj)) {
            b.noprint = true;
            return &b;
        }
    }
    b.layout = makelayout(*obj, *tpl);
    b.noheader = tpl->kind == TplKind::Info || tpl->kind == TplKind::InfoLabel;
    b.listing = std::make_unique<ListingTable>(b.layout, linesize());
    b.html = std::make_unique<HtmlTable>(b.layout, obj->name);
    // With no other table open, rows go straight to the listing and the report; otherwise
    // to spools of the table's own, printed when it is published.
    bool others = false;
    for (const Binding* o : unfinished)
        if (o != &b && !o->phantom && !o->noprint) others = true;
    if (!others && !direct && b.listing->panels().size() == 1) {
        heading(b.byline);
        b.listing->begin(listing, b.noheader);
        b.html->begin(html, tableid(b.id), b.noheader);
        direct = &b;
    } else if (!b.listing->open(dir, err) || !b.html->open(dir, err)) {
        fail(err);
    }
    if (!makesfirst) addmakes(b, err);
    return &b;
}

bool Program::hidden(const DataObject& obj) const {
    for (const auto& r : makes)
        if (r->noprint && !r->failed && iequal(r->table, obj.name)) return true;
    return false;
}

// The MAKE requests that name the bound object: its rows go to their data sets as well.
void Program::addmakes(Binding& b, std::string& err) {
    std::vector<std::pair<const MakeRequest*, std::string>> failed;
    for (auto& r : makes) {
        if (r->failed || r->path.empty() || !iequal(r->table, b.obj->name)) continue;
        if (!r->started)
            if (const std::string note = cleardeadtemps(r->path); !note.empty()) rt::sup::logline(sess, 'N', note);
        auto w = std::make_unique<MakeWriter>();
        if (!w->start(*r, *b.obj, b.by, err)) {
            r->failed = true;
            failed.emplace_back(r.get(), err);
            continue;
        }
        b.makes.emplace_back(r.get(), std::move(w));
    }
    // Said once every request is known: a table that NOPRINT kept from the listing is printed
    // when none of its NOPRINT data sets can be saved.
    for (const auto& [r, why] : failed)
        rt::sup::logline(sess, 'E', "MAKE: the data set " + r->lib + "." + r->mem + " for table " + rt::util::shown(r->table) +
                                  " cannot be written: " + why + (r->noprint && !hidden(*b.obj) ? printedinstead("table " + rt::util::shown(r->table)) : std::string()));
}

// Phantom rows go into their columns straight from the bound cells (or the block's arrays).
void Program::appendphantom(Binding& b, size_t nrows, const std::vector<const void*>* byarray) {
    const std::vector<Column>& cols = b.obj->cols;
    PhantomData& d = *b.phantom;
    const size_t n = std::min(cols.size(), d.cols.size());
    if (b.phcells.size() != n || (n > 0 && b.phcells.front().col != cols.data())) {
        b.phcells.clear();
        for (size_t k = 0; k < n; ++k) {
            using H = Binding::PhantomCell;
            const H::How how = d.cols[k].numeric() ? (cols[k].kind == 5 ? H::Double : H::Integer)
                               : cols[k].kind == 66 ? H::Handle
                                                    : H::Fixed;
            b.phcells.push_back({&cols[k], &d.cols[k], how});
        }
    }
    auto number = [nrows](PhantomColumn& pc, double v) {
        if (nrows == 1) pc.num.append(v);
        else pc.num.repeat(v, nrows);
    };
    for (size_t k = 0; k < b.phcells.size(); ++k) {
        const Binding::PhantomCell& pcell = b.phcells[k];
        const void* cell = pcell.col->cell;
        if (byarray && (*byarray)[k]) {
            if (pcell.how == Binding::PhantomCell::Double) pcell.pc->num.append(static_cast<const double*>((*byarray)[k]), nrows);
            else pcell.pc->num.append(static_cast<const int32_t*>((*byarray)[k]), nrows);
            continue;
        }
        switch (pcell.how) {
        case Binding::PhantomCell::Double: {
            double v = hostmissing();
            if (cell) std::memcpy(&v, cell, sizeof v);
            number(*pcell.pc, v);
            break;
        }
        case Binding::PhantomCell::Integer: {
            double v = hostmissing();
            if (cell) {
                int32_t i;
                std::memcpy(&i, cell, sizeof i);
                v = i;
            }
            number(*pcell.pc, v);
            break;
        }
        case Binding::PhantomCell::Handle: {
            if (!cell) {
                pcell.pc->text.repeat(std::string_view(), nrows);
                break;
            }
            txthandle h;
            std::memcpy(&h, cell, sizeof h);
            pcell.pc->text.repeat(textof(h), nrows);
            break;
        }
        case Binding::PhantomCell::Fixed: {
            if (!cell) {
                pcell.pc->text.repeat(std::string_view(), nrows);
                break;
            }
            const int width = pcell.col->width;
            const char* p = static_cast<const char*>(cell);
            size_t len = strnlen(p, static_cast<size_t>(width > 0 ? width : 16));
            while (len > 0 && p[len - 1] == ' ') --len;
            pcell.pc->text.repeat(std::string_view(p, len), nrows);
            break;
        }
        }
    }
    d.rows += nrows;
}

void setblockcells(const DataObject& obj, const std::vector<size_t>& cols, const std::vector<const void*>& vals, size_t i) {
    for (size_t k = 0; k < cols.size(); ++k) {
        const Column& c = obj.cols[cols[k]];
        const size_t size = c.kind == 5 ? sizeof(double) : sizeof(int32_t);
        std::memcpy(c.cell, static_cast<const char*>(vals[k]) + i * size, size);
    }
}

void Program::appendrows(Binding& b, size_t n, const std::vector<size_t>& cols, const std::vector<const void*>& vals) {
    if (n == 0) return;
    auto setcells = [&](size_t i) { setblockcells(*b.obj, cols, vals, i); };
    if (b.done || !b.phantom || !b.makes.empty()) {
        // A printed table or a MAKE data set takes the rows one at a time.
        for (size_t i = 0; i < n; ++i) {
            setcells(i);
            append(b);
        }
        return;
    }
    std::vector<const void*> byarray(b.obj->cols.size(), nullptr);
    for (size_t k = 0; k < cols.size(); ++k) byarray[cols[k]] = vals[k];
    b.rows += static_cast<long long>(n);
    appendphantom(b, n, &byarray);
    setcells(n - 1);
}

void Program::append(Binding& b) {
    if (b.done) return;
    ++b.rows;
    if (b.pipe) {
        b.pipe->add();
        return;
    }
    if (b.phantom) {
        appendphantom(b);
        if (b.makes.empty()) return;
        readrow(*b.obj, b.vals);
        for (auto& [r, w] : b.makes)
            if (!r->failed) w->row(*r, b.vals);
        return;
    }
    if (b.makes.empty()) readshown(*b.obj, b.layout, b.vals);   // only the printed cells are read
    else readrow(*b.obj, b.vals);
    if (b.noprint) {
        for (auto& [r, w] : b.makes)
            if (!r->failed) w->row(*r, b.vals);
        return;
    }
    b.texts.format(b.layout, b.vals);
    b.listing->row(b.texts);
    b.html->row(b.texts);
    for (auto& [r, w] : b.makes)
        if (!r->failed) w->row(*r, b.vals);
    if (b.rows == kPipeAfter) startpipe(b);
}

void Program::startpipe(Binding& b) {
    if (!b.makes.empty() || b.noprint || !b.listing || !b.html || !sess || !sess->opts.threads) return;
    if (!RowPipe::suits(*b.obj, b.layout, *b.listing)) return;
    const unsigned hw = std::thread::hardware_concurrency();
    const int cpus = sess->opts.cpucount > 0 ? sess->opts.cpucount : hw ? static_cast<int>(hw) : 1;
    if (cpus < 2) return;
    try {
        b.pipe = std::make_unique<RowPipe>(*b.obj, b.layout, *b.listing, *b.html, std::min(cpus - 1, kPipeWorkers));
    } catch (...) {
        b.pipe.reset();   // no threads: the rows go on the plain way
    }
}

void Program::drainrows() {
    for (Binding* b : unfinished)
        if (b->pipe && !b->pipe->drain()) fail("not enough memory to print the rows of table " + b->obj->name);
}

void Program::htmlheading(const std::string& byline) {
    drainrows();
    if (!stepactive) return;
    if (!htmlstep) {
        htmlstep = true;
        reported = true;
        const std::string label = proclabel.empty() ? std::string("The VITALYX Procedure") : proclabel;
        std::string h("<section class=\"step\" id=\"step");
        h.append(std::to_string(stepno)).append("\">\n<h1>").append(htmlescape(label)).append("</h1>\n");
        if (!source.empty()) h.append("<p class=\"source\">").append(htmlescape(source)).append("</p>\n");
        html.write(h);
        htmlby.clear();
    }
    if (!byline.empty() && byline != htmlby) {
        htmlby = byline;
        html.write("<p class=\"byline\">" + htmlescape(byline) + "</p>\n");
    }
}

void Program::logged(char kind, const std::string& text) {
    const char* cls = kind == 'E' ? "error" : kind == 'W' ? "warning" : kind == 'N' ? "note" : nullptr;
    if (!cls || !html.isopen()) return;
    reported = true;
    const char* prefix = kind == 'E' ? "ERROR: " : kind == 'W' ? "WARNING: " : "NOTE: ";
    const std::string p = std::string("<p class=\"log ") + cls + "\">" + levelof() + prefix + htmlescape(text) + "</p>\n";
    // The listing holds no messages, so a table streaming there goes on; in the report the
    // message follows the table rather than cutting it in two.
    if (direct) {
        heldlog += p;
        return;
    }
    htmlheading(std::string());
    html.write(p);
}

void Program::writeheldlog() {
    if (heldlog.empty()) return;
    html.write(heldlog);
    heldlog.clear();
}

void Program::endreport() {
    if (!reported) html.write("<p class=\"log note\">The program ran no step and wrote no message.</p>\n");
}

void Program::heading(const std::string& byline) {
    drainrows();
    if (!stepopen) {
        stepopen = true;
        std::string label = proclabel.empty() ? std::string("The VITALYX Procedure") : proclabel;
        std::string l("\n");
        l.append(centred(label, linesize())).append("\n\n");
        listing.write(l);
        lastby.clear();
    }
    htmlheading(byline);
    if (!byline.empty() && byline != lastby) {
        lastby = byline;
        std::string t(" ");
        t.append(byline).append(" ");
        int w = linesize();
        int left = (w - static_cast<int>(t.size())) / 2;
        std::string line = left > 0 ? std::string(static_cast<size_t>(left), '-') + t +
                                          std::string(static_cast<size_t>(w - left - static_cast<int>(t.size())), '-')
                                    : byline;
        listing.write(line + "\n\n");
    }
}

void Program::interrupt() {
    drainrows();
    if (!direct) return;
    Binding* b = direct;
    direct = nullptr;
    b->rowsatsuspend = b->rows;
    std::string err;
    if (!b->listing->suspend(dir, err) || !b->html->suspend(dir, err)) fail(err);
    writeheldlog();
}

void Program::finish(Binding& b) {
    if (b.done) return;
    if (b.pipe) {
        if (!b.pipe->drain()) fail("not enough memory to print the rows of table " + b.obj->name);
        b.pipe.reset();
    }
    if (direct == &b) direct = nullptr;
    else if (!b.phantom && !b.noprint) interrupt();
    b.done = true;
    if (const auto at = std::find(unfinished.begin(), unfinished.end(), &b); at != unfinished.end()) unfinished.erase(at);
    if (b.obj && b.obj->binding == &b) b.obj->binding = nullptr;
    for (auto& [r, w] : b.makes) r->appeared = true;
    if (b.phantom || b.noprint) return;
    // The rest of a table that streamed until something else was printed continues under
    // repeated headers; with no row after the interruption there is nothing to continue.
    if (b.rows == b.rowsatsuspend) {
        b.listing.reset();
        b.html.reset();
        return;
    }
    heading(b.byline);
    bool ok = b.listing->publish(listing, b.noheader);
    ok = b.html->publish(html, tableid(b.id), b.noheader) && ok;
    if (!ok) fail("cannot write the listing or the report in " + dir);
    b.listing.reset();
    b.html.reset();
    writeheldlog();   // the messages logged while the table streamed
}

void Program::opengroup(OutGroup& g) { openstack.push_back(&g); }

void Program::sectionfor() {
    for (OutGroup* g : openstack) {
        if (g->section) continue;
        interrupt();
        heading(std::string());
        g->section = true;
        html.write("<section class=\"group\">\n<h2>" + htmlescape(g->label.empty() ? g->name : g->label) + "</h2>\n");
    }
}

void Program::closegroup(OutGroup& g) {
    std::erase(openstack, &g);
    if (!g.open) return;
    g.open = false;
    if (!g.section) return;
    interrupt();
    html.write("</section>\n");
}

void Program::note(const std::string& text) {
    interrupt();
    heading(std::string());
    listing.write(text + "\n\n");
    html.write("<p class=\"note\">" + levelof() + htmlescape(text) + "</p>\n");
}

// A note or message inside a class level without a section of its own names the level: the
// statement's notes stand together, each with the level it concerns.
std::string Program::levelof() const {
    if (openstack.empty() || openstack.back()->section) return std::string();
    const OutGroup* g = openstack.back();
    return "<span class=\"level\">" + htmlescape(g->label.empty() ? g->name : g->label) + ":</span> ";
}

void Program::beginstep() {
    ++stepno;
    stepactive = true;
    stepopen = false;
    htmlstep = false;
    lastby.clear();
    htmlby.clear();
    proclabel.clear();
    source.clear();
    if (sess && sess->step) {
        // the PROC statement as written, on one line
        const std::string& t = sess->step->text;
        size_t end = t.find(';');
        std::string stmt = t.substr(0, end == std::string::npos ? t.size() : end + 1);
        for (auto& c : stmt)
            if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        source = "Line " + std::to_string(sess->step->firstline) + ": " + rt::util::shown(stmt, 200);
    }
}

// What a MAKE request that matched nothing could have named: the tables the step made, each
// name once in the order they came, or that it made none.
std::string Program::madetables(bool stopped) const {
    std::vector<std::string> names;
    for (const auto& b : bindings) {
        if (!b->obj || b->obj->name.empty()) continue;
        bool seen = false;
        for (const auto& n : names) seen = seen || n == b->obj->name;
        if (!seen) names.push_back(b->obj->name);
    }
    if (names.empty()) return stopped ? "The step made no table before it stopped on an error." : "The step made no table.";
    std::string t = names.size() == 1 ? "The step made the table " : "The step made the tables ";
    for (size_t i = 0; i < names.size(); ++i) t += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return t + ".";
}

void Program::endstep() {
    // A step that stopped on an error (its exit code) can leave a table unfinished: the data
    // sets of its MAKE requests would hold the rows it got as if they were all of it.
    const bool stopped = sess && sess->exitcode != 0;
    for (auto& b : bindings) {
        if (b->done) continue;
        if (stopped)
            for (auto& [r, w] : b->makes)
                if (r->cut.empty()) r->cut = b->obj ? b->obj->name : r->table;
        finish(*b);
    }
    for (auto& g : groups) closegroup(*g);
    interrupt();
    if (stepactive) {
        htmlheading(std::string());   // a step without output still shows in the report
        html.write("</section>\n");
    }
    stepactive = false;
    stepopen = false;
    htmlstep = false;
    for (auto& r : makes) {
        if (r->lines) r->lines->finish();   // every row written
        if (r->failed || r->path.empty()) {
            r->sink.discard();
            continue;
        }
        if (!r->cut.empty()) {
            r->sink.discard();
            rt::sup::logline(sess, 'W', "MAKE: the table " + rt::util::shown(r->cut) +
                                      " was cut short when the step stopped on an error; the data set " + r->lib + "." + r->mem +
                                      " was not made (a data set of that name from before stays as it was).");
            continue;
        }
        if (!r->appeared) {
            r->sink.discard();
            rt::sup::logline(sess, 'W', "MAKE: no table named " + rt::util::shown(r->table) + " was produced in this step; the data set " +
                                      r->lib + "." + r->mem + " was not made. " + madetables(stopped));
            continue;
        }
        std::string err;
        const std::string replaced = sess ? replacednote(*sess, *r) : std::string();   // as the file stands before
        if (!r->sink.commit(err)) {
            rt::sup::logline(sess, 'E', "MAKE: the data set " + r->lib + "." + r->mem + " could not be written: " + err +
                                          (r->noprint ? "; table " + rt::util::shown(r->table) +  " was not printed either (NOPRINT)" : std::string()));
        } else if (sess) {
            madeby(*sess, r->path);
            if (!replaced.empty()) rt::sup::logline(sess, 'N', replaced);
        }
    }
    makes.clear();
    makecalls = 0;
    direct = nullptr;
    byid.clear();
    bindings.clear();
    unfinished.clear();
    phantoms.clear();   // the step's graphs have been drawn
    datas.clear();
    infos.clear();
    groups.clear();
    assocs.clear();
    lists.clear();
    managers.clear();
    envs.clear();
    destlists.clear();
    live.clear();
    texts.clear();
    openstack.clear();
}

}  // namespace rt::out
