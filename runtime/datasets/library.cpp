// Opening data sets: finding the library's folder and the member's file, reading it.
#include "runtime/datasets/library.h"
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include "runtime/datasets/csvreader.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/varnames.h"
#include "runtime/session.h"
#include "runtime/util/paths.h"
#include "runtime/util/strings.h"

namespace rt::ds {
namespace {

using util::upper;

// Any entry counts, so that a folder or a device by that name is reported as unreadable
// rather than missing.
bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The member's file in folder: MEMBER.csv as written, else the one file whose name
// matches it without regard to case. Empty when there is none.
std::string findfile(const std::string& folder, const std::string& member) {
    const std::string want = member + ".csv";
    std::string exact = folder + "/" + want;
    if (exists(exact)) return exact;
    DIR* d = opendir(folder.c_str());
    if (!d) return {};
    std::string found;
    const std::string key = upper(want);
    while (dirent* ent = readdir(d)) {
        if (upper(ent->d_name) == key && exists(folder + "/" + ent->d_name)) {
            found = folder + "/" + ent->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

// Header names a program cannot write become valid names, each renaming noted once a run.
void mendnames(Session& s, hdataset& ds, const std::string& name) {
    std::vector<std::string> names;
    names.reserve(ds.cols.size());
    for (const auto& c : ds.cols) names.push_back(c.name);
    for (const Renaming& r : validnames(names, 32)) {
        ds.cols[r.column].name = r.to;
        if (s.log && s.notedrenames.insert(ds.path + '\n' + r.from).second)
            s.log->line('N', "Data set " + name + ": the variable named " + util::quoted(r.from) + " in the header is called " +
                                 r.to + ", a name a program can write.");
    }
}

// R writes a missing value as NA without quotes; such fields were read as missing values. One
// note a run for the file, with the count of each column that had them.
void notena(Session& s, const hdataset& ds, const std::string& name) {
    int64_t total = 0;
    std::string where;
    for (const Column& c : ds.cols) {
        if (c.nafields == 0) continue;
        total += c.nafields;
        where += (where.empty() ? "" : ", ") + c.name + " " + std::to_string(c.nafields);
    }
    if (total == 0 || !s.log || !s.notedna.insert(ds.path).second) return;
    s.log->line('N', "Data set " + name + ": " + std::to_string(total) + (total == 1 ? " field" : " fields") +
                         " written NA without quotes " + (total == 1 ? "is" : "are") + " read as missing (" + where +
                         "); a quoted \"NA\" stays the text NA.");
}

}  // namespace

hdataset* open(Session& s, const std::string& lib, const std::string& member, std::string& err) {
    std::string L = upper(lib);
    if (L.empty()) L = "WORK";
    const std::string M = upper(member);
    const std::string name = (lib.empty() ? "WORK" : lib) + "." + member;   // as written
    std::string folder;
    if (L == "WORK") {
        folder = !s.datadir.empty() ? s.datadir : ".";
    } else {
        if (!s.libs.count(L)) {
            err = "data set " + name + " cannot be read: no library " + L + " is assigned";
            return nullptr;
        }
        folder = s.libs.at(L);
    }
    if (member.empty()) {
        err = "no data set name was given for library " + L;
        return nullptr;
    }
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        err = "data set " + name + " cannot be read: the folder " + folder + " of library " + L +
              (stat(folder.c_str(), &st) != 0 ? " does not exist" : " is not a folder");
        return nullptr;
    }
    const std::string path = findfile(folder, member);
    if (path.empty()) {
        err = "data set " + name + " not found: there is no file " + folder + "/" + member + ".csv";
        return nullptr;
    }
    // Read as input, whatever comes of the reading: no MAKE of the run writes over it.
    if (util::FileId id; util::fileid(path, id)) s.readfiles.emplace(id, L + "." + M);
    auto ds = std::make_unique<hdataset>();
    ds->session = &s;
    ds->lib = L;
    ds->member = M;
    ds->path = path;
    // The records are parsed on up to CPUCOUNT threads (the machine's processors when it is
    // not set), on one with NOTHREADS.
    const unsigned hw = std::thread::hardware_concurrency();
    const int threads = !s.opts.threads ? 1 : s.opts.cpucount > 0 ? s.opts.cpucount : hw ? static_cast<int>(hw) : 1;
    if (!readcsv(path, name, ds->cols, ds->nobs, err, threads)) return nullptr;
    mendnames(s, *ds, name);
    notena(s, *ds, name);
    return ds.release();
}

void close(hdataset* ds) { delete ds; }

int32_t findvar(hdataset* ds, const std::string& name) {
    if (!ds) return 0;
    const std::string key = upper(name);
    for (size_t j = 0; j < ds->cols.size(); ++j)
        if (upper(ds->cols[j].name) == key) return static_cast<int32_t>(j + 1);
    return 0;
}

int32_t nvars(hdataset* ds) { return ds ? static_cast<int32_t>(ds->cols.size()) : 0; }
int64_t nobs(hdataset* ds) { return ds ? ds->nobs : 0; }

std::string displayname(hdataset* ds) { return ds ? ds->lib + "." + ds->member : std::string(); }

bool firstnonnumeric(hdataset* ds, int32_t var, int64_t* line, std::string* text) {
    const Column* c = ds ? ds->column(var) : nullptr;
    if (!c || c->numeric) return false;
    if (line) *line = c->badline;
    if (text) *text = c->badtext;
    return true;
}

}  // namespace rt::ds
