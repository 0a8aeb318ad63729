// The architecture tool of proc/ (scripts/fieldtable, scripts/archreport):
//   archtool fieldtable ROOT          rewrites the field table of docs/architecture.md and the
//                                     lists of fields used outside their owner in the records'
//                                     headers from the code
//   archtool uses ROOT                prints every use of a field: file:line routine record.path read|write
//   archtool report ROOT OBJECTS      prints who writes what of the state block, the public
//                                     headers' names used only inside their folder and the call
//                                     graph of the object files named in OBJECTS (procobjects.txt)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/unit/architecture/callgraph.h"
#include "tests/unit/architecture/fieldaccess.h"
#include "tests/unit/architecture/functionlength.h"
#include "tests/unit/architecture/srctokens.h"

namespace fs = std::filesystem;
using fieldacc::Use;

namespace {

std::string joined(const std::set<std::string>& s) {
    std::string out;
    for (const auto& x : s) out += (out.empty() ? "" : ", ") + x;
    return out;
}

std::string lastname(const std::string& n) { return n.substr(n.rfind(':') + 1); }

// The option readers and the per-statement defaults, with the routines of their own folder
// they call, directly or through one another (a call goes to the routine of its own file when
// there is one): file:routine.
std::set<std::string> readers(const fs::path& root, const std::set<std::string>& roots) {
    std::map<std::string, std::set<std::string>> calls, where;   // file:routine -> names called; routine -> files
    for (const auto& file : srctok::sources(root, "proc")) {
        const std::string text = srctok::readtext(root / file);
        const auto t = srctok::tokenize(text);
        for (const auto& f : funclen::functions(file, text)) {
            const int first = std::stoi(f.where.substr(f.where.rfind(':') + 1)), last = first + f.lines - 1;
            where[lastname(f.name)].insert(file);
            auto& c = calls[file + ":" + lastname(f.name)];
            for (size_t i = 1; i + 1 < t.size(); ++i)
                if (t[i].line >= first && t[i].line <= last && t[i + 1].t == "(" && srctok::isname(t[i].t) &&
                    t[i - 1].t != "." && t[i - 1].t != "->")
                    c.insert(t[i].t);
        }
    }
    std::set<std::string> out;
    std::vector<std::string> todo;
    for (const auto& r : roots)
        for (const auto& file : where[r]) todo.push_back(file + ":" + r), out.insert(todo.back());
    while (!todo.empty()) {
        const std::string f = todo.back(), file = f.substr(0, f.find(':'));
        todo.pop_back();
        for (const auto& g : calls[f]) {
            const auto& files = where[g];
            for (const auto& gf : files)
                if (files.count(file) ? gf == file : callgraph::folderof(gf) == callgraph::folderof(file))
                    if (out.insert(gf + ":" + g).second) todo.push_back(gf + ":" + g);
        }
    }
    return out;
}

// The names a public header declares at namespace scope: routines, types, enumerators,
// constants and aliases.
std::set<std::string> declared(const std::string& text) {
    const auto t = srctok::tokenize(text);
    std::set<std::string> out;
    static const std::set<std::string> kNot = {"return", "if", "while", "for", "switch", "sizeof", "operator", "const", "noexcept"};
    for (size_t i = 0; i < t.size(); ++i) {
        const std::string& x = t[i].t;
        auto next = [&](size_t k) { return k < t.size() ? t[k].t : std::string(); };
        if (x == "namespace" || x == "extern") {
            while (i < t.size() && t[i].t != "{" && t[i].t != ";") ++i;
            continue;
        }
        if (x == "template" && next(i + 1) == "<") {
            for (int depth = 0; i < t.size(); ++i) {
                depth += (t[i].t == "<") - (t[i].t == ">") - 2 * (t[i].t == ">>");
                if (t[i].t == ">" || t[i].t == ">>") if (depth <= 0) break;
            }
            continue;
        }
        if ((x == "struct" || x == "class" || x == "union" || x == "enum") && i + 1 < t.size()) {
            size_t k = i + 1;
            if (next(k) == "class" || next(k) == "struct") ++k;
            std::string name = srctok::isname(next(k)) ? next(k) : std::string();
            while (k < t.size() && t[k].t != "{" && t[k].t != ";" && t[k].t != "(" && t[k].t != "*" && t[k].t != "&") ++k;
            if (next(k) != "{") continue;   // a declaration only, or an elaborated type
            if (!name.empty()) out.insert(name);
            const size_t close = srctok::closing(t, k);
            if (x == "enum")   // the enumerators
                for (size_t e = k + 1; e < close; ++e)
                    if (srctok::isname(t[e].t) && (t[e - 1].t == "{" || t[e - 1].t == ",")) out.insert(t[e].t);
            i = close;
            continue;
        }
        if (x == "typedef" || (x == "using" && next(i + 2) == "=")) {
            size_t k = i;
            while (k < t.size() && t[k].t != ";") ++k;
            if (x == "using") out.insert(next(i + 1));
            else
                for (size_t e = i; e < k; ++e)
                    if (t[e].t == "(" && next(e + 1) == "*") { out.insert(next(e + 2)); break; }
                    else if (e + 1 == k) out.insert(t[e].t);
            i = k;
            continue;
        }
        if (x == "{") {   // a body: passed over
            i = srctok::closing(t, i);
            continue;
        }
        if (!srctok::isname(x) || kNot.count(x) || i == 0) continue;
        const std::string& prev = t[i - 1].t;
        const bool typed = (srctok::isname(prev) && !kNot.count(prev)) || prev == "*" || prev == "&" || prev == ">" || prev == "const";
        if (typed && next(i + 1) == "(") {
            out.insert(x);
            i = srctok::closing(t, i + 1);
        } else if (typed && (next(i + 1) == "=" || next(i + 1) == ";" || next(i + 1) == "[") && prev != "return") {
            out.insert(x);
            while (i < t.size() && t[i].t != ";") i = t[i].t == "{" || t[i].t == "(" ? srctok::closing(t, i) + 1 : i + 1;
        }
    }
    return out;
}

void publicnames(const fs::path& root) {
    std::map<std::string, std::set<std::string>> used;   // folder -> names its files use
    for (const auto& file : srctok::sources(root, "proc"))
        for (const auto& tok : srctok::tokenize(srctok::readtext(root / file))) used[callgraph::folderof(file)].insert(tok.t);
    std::cout << "\nPublic-header names used only inside their folder (routines, types, enumerators, constants\n"
                 "and aliases a header declares at namespace scope; used = named in a file of another folder):\n";
    for (const auto& [folder, _] : used) {
        const fs::path h = root / "proc" / folder / (folder + ".h");
        if (folder.empty() || !fs::exists(h)) continue;
        const auto names = declared(srctok::readtext(h));
        std::set<std::string> inside;
        for (const auto& n : names) {
            bool outside = false;
            for (const auto& [other, words] : used) outside |= other != folder && words.count(n);
            if (!outside) inside.insert(n);
        }
        std::printf("  %-28s %3zu of %3zu: %s\n", ("proc/" + folder + "/" + folder + ".h").c_str(), inside.size(), names.size(),
                    joined(inside).c_str());
    }
}

void fieldreport(const fs::path& root) {
    const auto recs = fieldacc::records(root);
    const auto scan = fieldacc::scan(root, recs);
    size_t nfields = 0, writes = 0;
    for (const auto& r : recs) nfields += r.fields.size();
    for (const auto& u : scan.uses) writes += u.write;
    std::cout << "The state block: " << recs.size() << " records, " << nfields << " fields; " << scan.uses.size()
              << " uses in proc/, " << writes << " of them writes.\n";
    std::map<std::string, const fieldacc::Record*> byname;
    for (const auto& r : recs) byname[r.name] = &r;

    std::map<std::string, std::set<std::string>> outside, reached;   // rec.field -> folders
    for (const Use& u : scan.uses) {
        const std::string key = u.record + "." + u.field;
        reached[key].insert(u.folder);
        if (u.write && u.folder != byname[u.record]->owner) outside[key].insert(u.folder);
    }
    std::cout << "\nFields written outside the folder of their record's owner: " << outside.size() << "\n";
    for (const auto& [k, f] : outside) std::cout << "  " << k << " (" << byname[k.substr(0, k.find('.'))]->owner << "): " << joined(f) << "\n";

    const std::set<std::string> roots = {"vyxinit", "vyxxvgi", "vyxaprm", "vyxpprm", "vyxmprm", "vyxcfpm", "fitstate_start",
                                         "plotstate_start", "modelstate_start", "settings_stmtgone"};
    const auto rd = readers(root, roots);
    std::map<std::string, int> perfile, perrecord;
    std::map<std::string, std::set<std::string>> perroutine;
    std::set<std::string> lines;
    int n = 0;
    for (const Use& u : scan.uses)
        if (u.write && (u.record == "opts" || u.record == "popt" || u.record == "input") && !rd.count(u.file + ":" + lastname(u.routine))) {
            ++n, ++perfile[u.file], ++perrecord[u.record], lines.insert(u.file + ":" + std::to_string(u.line));
            perroutine[u.file + " " + u.routine].insert(u.record + "." + u.path);
        }
    std::cout << "\nWrites into the settings records opts, popt and input outside their readers: " << n << " (opts "
              << perrecord["opts"] << ", popt " << perrecord["popt"] << ", input " << perrecord["input"] << ") on "
              << lines.size() << " lines in " << perfile.size() << " files.\nThe readers: " << joined(roots) << " and the "
              << rd.size() - roots.size() << " routines of their folders they call:\n  " << joined(rd)
              << "\nThe writes, by file and routine:\n";
    for (const auto& [k, f] : perroutine) std::cout << "  " << k << ": " << joined(f) << "\n";

    std::string list;
    int three = 0;
    for (const auto& [k, f] : reached)
        if (f.size() >= 3) ++three, list += "  " + k + ": " + joined(f) + "\n";
    std::cout << "\nFields reached from three or more folders (read or written, the owner's folder counted): " << three
              << "\n" << list;

    std::cout << "\nUses the scan could not classify: " << scan.unclassified.size() << "\n";
    for (const auto& u : scan.unclassified) std::cout << "  " << u.where << ": " << u.text << "\n";
}

void callreport(const fs::path& objects) {
    const auto objs = callgraph::readobjects(objects);
    const auto refs = callgraph::references(objs);
    std::cout << "\nThe call graph of " << objs.size() << " object files (" << objects.string() << "): " << refs.size()
              << " references between files.\nFolder -> folder (functions referenced):\n";
    for (const auto& [from, tos] : callgraph::folders(refs)) {
        std::cout << "  " << from << " ->";
        for (const auto& [to, k] : tos) std::cout << " " << to << " (" << k << ")";
        std::cout << "\n";
    }
    const auto up = callgraph::upward(refs);
    std::cout << "Upward references (a floor calling a folder above it): " << up.size() << "\n";
    for (const auto& r : up) std::cout << "  " << r.from << " -> " << r.symbol << " (" << r.to << ")\n";
    for (bool within : {true, false}) {
        const auto ks = callgraph::knots(refs, within);
        size_t files = 0;
        for (const auto& k : ks) files += k.size();
        std::cout << (within ? "Knots within a folder: " : "Knots of the whole file graph: ") << ks.size() << ", "
                  << files << " files\n";
        for (const auto& k : ks) {
            std::set<std::string> f;
            for (const auto& s : k) f.insert(callgraph::folderof(s));
            std::cout << "  [" << joined(f) << "] " << k.size() << ":";
            for (const auto& s : k) std::cout << " " << s.substr(s.rfind('/') + 1);
            std::cout << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "fieldtable" && argc == 3) {
        const fs::path root = argv[2];
        const auto recs = fieldacc::records(root);
        const auto scan = fieldacc::scan(root, recs);
        for (const auto& [file, text] : fieldacc::generated(root, recs, scan.uses)) {
            std::ofstream(root / file, std::ios::binary) << text;
            std::cout << "rewrote " << file << "\n";
        }
        return 0;
    }
    if (cmd == "uses" && argc == 3) {
        const auto recs = fieldacc::records(argv[2]);
        for (const Use& u : fieldacc::scan(argv[2], recs).uses)
            std::cout << u.file << ":" << u.line << " " << (u.routine.empty() ? "-" : u.routine) << " " << u.record << "."
                      << u.path << " " << (u.write ? "write" : "read") << "\n";
        return 0;
    }
    if (cmd == "report" && argc == 4) {
        fieldreport(argv[2]);
        publicnames(argv[2]);
        callreport(argv[3]);
        return 0;
    }
    std::cerr << "usage: archtool fieldtable ROOT | archtool uses ROOT | archtool report ROOT OBJECTS\n";
    return 2;
}
