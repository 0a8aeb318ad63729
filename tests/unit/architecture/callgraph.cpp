// Calls between the objects of proc/ (callgraph.h).
#include "callgraph.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;

namespace callgraph {

std::string folderof(const std::string& source) {
    const size_t a = source.find('/'), b = source.find('/', a + 1);
    return b == std::string::npos ? std::string() : source.substr(a + 1, b - a - 1);
}

int floorof(const std::string& folder) {
    return folder == "framework" ? 0 : folder == "numeric" ? 1 : folder == "main" ? 3 : 2;
}

std::vector<Object> parsenm(const std::string& output) {
    std::vector<Object> out;
    std::istringstream in(output);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == ':' && l[0] != ' ' && l.find(' ') == std::string::npos) {
            std::string src = l.substr(0, l.size() - 1);
            if (const size_t d = src.find(".dir/"); d != std::string::npos) src = src.substr(d + 5);
            if (src.size() > 2 && src.compare(src.size() - 2, 2, ".o") == 0) src.resize(src.size() - 2);
            out.push_back({src, {}, {}});
            continue;
        }
        if (out.empty() || l.size() < 20 || l[16] != ' ' || l[18] != ' ') continue;
        const char kind = l[17];
        if (kind == 'T') out.back().defined.insert(l.substr(19));
        else if (kind == 'U') out.back().undefined.insert(l.substr(19));
    }
    return out;
}

std::vector<Object> readobjects(const fs::path& listfile) {
    std::ifstream in(listfile);
    std::string cmd = "nm -C";
    int n = 0;
    for (std::string l; std::getline(in, l);)
        if (!l.empty()) cmd += " '" + l + "'", ++n;
    if (n < 2) return {};   // nm names the files only when it reads several
    std::string output;
    if (FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r")) {
        char buf[65536];
        for (size_t got; (got = fread(buf, 1, sizeof buf, p)) > 0;) output.append(buf, got);
        pclose(p);
    }
    return parsenm(output);
}

std::vector<Ref> references(const std::vector<Object>& objects) {
    std::map<std::string, const Object*> definer;
    for (const Object& o : objects)
        for (const auto& d : o.defined) definer[d] = &o;
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    std::vector<Ref> out;
    for (const Object& o : objects)
        for (const auto& u : o.undefined)
            if (const auto d = definer.find(u); d != definer.end() && d->second != &o) {
                const Ref r{o.source, d->second->source, u.substr(0, u.find('('))};
                if (seen.insert({r.from, r.to, r.symbol}).second) out.push_back(r);
            }
    return out;
}

std::vector<Ref> upward(const std::vector<Ref>& refs) {
    std::vector<Ref> out;
    for (const Ref& r : refs)
        if (floorof(folderof(r.to)) > floorof(folderof(r.from))) out.push_back(r);
    return out;
}

std::vector<std::vector<std::string>> knots(const std::vector<Ref>& refs, bool withinfolders) {
    std::map<std::string, std::set<std::string>> next;
    for (const Ref& r : refs)
        if (!withinfolders || folderof(r.from) == folderof(r.to)) next[r.from].insert(r.to), next[r.to];
    // Tarjan's strongly connected components
    std::map<std::string, int> index, low;
    std::vector<std::string> stack;
    std::set<std::string> onstack;
    std::vector<std::vector<std::string>> out;
    int counter = 0;
    std::function<void(const std::string&)> visit = [&](const std::string& v) {
        index[v] = low[v] = counter++;
        stack.push_back(v);
        onstack.insert(v);
        for (const auto& w : next[v]) {
            if (!index.count(w)) visit(w), low[v] = std::min(low[v], low[w]);
            else if (onstack.count(w)) low[v] = std::min(low[v], index[w]);
        }
        if (low[v] != index[v]) return;
        std::vector<std::string> c;
        for (std::string w; w != v;) {
            w = stack.back();
            stack.pop_back();
            onstack.erase(w);
            c.push_back(w);
        }
        if (c.size() > 1) out.push_back((std::sort(c.begin(), c.end()), c));
    };
    for (const auto& [v, _] : next)
        if (!index.count(v)) visit(v);
    std::sort(out.begin(), out.end());
    return out;
}

std::map<std::string, std::map<std::string, int>> folders(const std::vector<Ref>& refs) {
    std::map<std::string, std::map<std::string, int>> out;
    for (const Ref& r : refs)
        if (folderof(r.from) != folderof(r.to)) ++out[folderof(r.from)][folderof(r.to)];
    return out;
}

}  // namespace callgraph
