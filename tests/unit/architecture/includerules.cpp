// The include rules: reading the #include lines, and the three checks (the boundary of
// proc/ and host/, the floors of proc/, the cycles of runtime/).
#include "includerules.h"

#include <algorithm>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace incrules {

namespace {

bool startswith(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }

// The path components of a relative path.
std::vector<std::string> parts(const std::string& path) {
    std::vector<std::string> v;
    for (const auto& p : fs::path(path)) v.push_back(p.string());
    return v;
}

// The folder of a file below top/ ("proc/mcf/mcf.h" -> "mcf"); top itself for a file
// directly in it.
std::string folderof(const std::string& path) {
    const auto p = parts(path);
    return p.size() > 2 ? p[1] : p.empty() ? std::string() : p[0];
}

const std::set<std::string> kFloors = {"framework", "numeric"};
// Above every folder: the main routine, which no other folder includes.
const std::string kMain = "main";

bool isfloor(const std::string& target) {
    return startswith(target, "proc/framework/") || startswith(target, "proc/numeric/");
}

// The roof: the state block made of the records of every folder.
const std::string kRoof = "proc/vyxstate.h";

std::string at(const Include& i) { return i.file + ":" + std::to_string(i.line); }

}  // namespace

// The file named by a line #include "name" (blanks allowed around the #), or empty.
static std::string quotedinclude(const std::string& line) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') return {};
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) return {};
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || line[i] != '"') return {};
    const size_t end = line.find('"', i + 1);
    return end == std::string::npos ? std::string() : line.substr(i + 1, end - i - 1);
}

std::vector<Include> scan(const fs::path& root, const std::string& top) {
    std::vector<Include> out;
    const fs::path base = root / top;
    if (!fs::exists(base)) return out;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(base)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".h" || ext == ".cpp")) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        const std::string rel = fs::relative(f, root).generic_string();
        std::ifstream in(f);
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            std::string target = quotedinclude(line);
            if (target.empty()) continue;
            // An include without a folder of the tree is read against the including file's folder.
            if (target.find('/') == std::string::npos && fs::exists(f.parent_path() / target))
                target = fs::relative(f.parent_path() / target, root).generic_string();
            out.push_back({rel, n, target});
        }
    }
    return out;
}

const char* rulename(Rule r) {
    switch (r) {
    case Rule::ProcOutsideProcAndHost: return "proc/ includes only proc/, host/ and common/";
    case Rule::HostOutsideHost: return "host/ includes only host/";
    case Rule::CommonOutsideCommon: return "common/ includes only common/";
    case Rule::NoPublicHeader: return "every proc/ folder above the floors has a public header named after it";
    case Rule::PublicHeaderIncludes: return "a public header includes only proc/framework, proc/numeric, host/ and common/";
    case Rule::FloorIncludesAbove: return "proc/framework includes no other proc/ folder, proc/numeric only proc/framework";
    case Rule::PrivateHeader: return "a folder includes no other folder's private header";
    case Rule::MainIncluded: return "no file outside proc/main includes one of its files";
    case Rule::RuntimeCycle: return "the folders of runtime/ form no include cycle";
    }
    return "";
}

std::string describe(const Violation& v) { return v.where + ": " + v.what + " (" + rulename(v.rule) + ")"; }

std::vector<Violation> checkboundary(const std::vector<Include>& proc, const std::vector<Include>& host, const std::vector<Include>& common) {
    std::vector<Violation> out;
    for (const Include& i : proc)
        if (!startswith(i.target, "proc/") && !startswith(i.target, "host/") && !startswith(i.target, "common/"))
            out.push_back({Rule::ProcOutsideProcAndHost, at(i), "includes " + i.target});
    for (const Include& i : host)
        if (!startswith(i.target, "host/")) out.push_back({Rule::HostOutsideHost, at(i), "includes " + i.target});
    for (const Include& i : common)
        if (!startswith(i.target, "common/")) out.push_back({Rule::CommonOutsideCommon, at(i), "includes " + i.target});
    return out;
}

std::vector<Violation> checkfloors(const fs::path& root, const std::vector<Include>& proc) {
    std::vector<Violation> out;
    std::set<std::string> folders;
    if (fs::exists(root / "proc"))
        for (const auto& e : fs::directory_iterator(root / "proc"))
            if (e.is_directory()) folders.insert(e.path().filename().string());
    auto publicheader = [](const std::string& folder) { return "proc/" + folder + "/" + folder + ".h"; };
    for (const std::string& f : folders)
        if (!kFloors.count(f) && f != kMain && !fs::exists(root / publicheader(f)))
            out.push_back({Rule::NoPublicHeader, "proc/" + f, "has no " + publicheader(f)});
    for (const Include& i : proc) {
        if (!startswith(i.target, "proc/")) continue;   // the boundary check's business
        const std::string from = folderof(i.file), to = folderof(i.target);
        if (to == kMain && from != kMain) {
            out.push_back({Rule::MainIncluded, at(i), "includes " + i.target});
            continue;
        }
        if (i.file == kRoof) continue;   // the roof gathers the records of every folder
        const bool floorfile = from == "framework" || from == "numeric";
        const bool source = i.file.size() > 4 && i.file.compare(i.file.size() - 4, 4, ".cpp") == 0;
        if (i.target == kRoof && (source || (!floorfile && i.file != publicheader(from)))) continue;
        if (from == "framework") {
            if (to != "framework") out.push_back({Rule::FloorIncludesAbove, at(i), "includes " + i.target});
        } else if (from == "numeric") {
            if (to != "numeric" && to != "framework") out.push_back({Rule::FloorIncludesAbove, at(i), "includes " + i.target});
        } else if (i.file == publicheader(from)) {
            if (!isfloor(i.target)) out.push_back({Rule::PublicHeaderIncludes, at(i), "includes " + i.target});
        } else if (to != from && !isfloor(i.target) && i.target != publicheader(to)) {
            out.push_back({Rule::PrivateHeader, at(i), "includes " + i.target + ", a private header of proc/" + to});
        }
    }
    return out;
}

std::map<std::string, std::set<std::string>> runtimegraph(const std::vector<Include>& runtime) {
    std::map<std::string, std::set<std::string>> g;
    for (const Include& i : runtime) {
        const std::string from = folderof(i.file);
        g[from];
        if (!startswith(i.target, "runtime/")) continue;
        const std::string to = folderof(i.target);
        if (to != from) g[from].insert(to);
    }
    return g;
}

std::vector<Violation> checkruntimecycles(const std::vector<Include>& runtime) {
    const auto g = runtimegraph(runtime);
    // Tarjan's strongly connected components: a component of more than one folder holds a cycle.
    std::map<std::string, int> index, low;
    std::vector<std::string> stack;
    std::set<std::string> onstack;
    std::vector<std::set<std::string>> components;
    int next = 0;
    std::function<void(const std::string&)> visit = [&](const std::string& v) {
        index[v] = low[v] = next++;
        stack.push_back(v);
        onstack.insert(v);
        auto it = g.find(v);
        if (it != g.end())
            for (const std::string& w : it->second) {
                if (!index.count(w)) {
                    visit(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (onstack.count(w)) {
                    low[v] = std::min(low[v], index[w]);
                }
            }
        if (low[v] == index[v]) {
            std::set<std::string> c;
            std::string w;
            do {
                w = stack.back();
                stack.pop_back();
                onstack.erase(w);
                c.insert(w);
            } while (w != v);
            if (c.size() > 1) components.push_back(c);
        }
    };
    for (const auto& [v, _] : g)
        if (!index.count(v)) visit(v);

    std::vector<Violation> out;
    for (const auto& c : components) {
        std::string names, edges;
        for (const std::string& f : c) names += (names.empty() ? "" : ", ") + f;
        // one include for each edge inside the component, so that the reader sees where to cut
        std::set<std::pair<std::string, std::string>> shown;
        for (const Include& i : runtime) {
            const std::string from = folderof(i.file), to = startswith(i.target, "runtime/") ? folderof(i.target) : "";
            if (from == to || !c.count(from) || !c.count(to) || !shown.insert({from, to}).second) continue;
            edges += "\n    " + from + " -> " + to + ": " + at(i) + " includes " + i.target;
        }
        out.push_back({Rule::RuntimeCycle, "runtime/", "the folders " + names + " include one another" + edges});
    }
    return out;
}

}  // namespace incrules
