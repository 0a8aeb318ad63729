// The calls between the object files of proc/, read from their symbols (nm, demangled): an
// object calls another when it references, undefined, a function the other defines (text
// symbols, T; weak definitions of inline functions and templates are nobody's). The folders
// lie on floors: framework lowest, numeric above it, the analysis folders above both, and main
// (the main routine) above every folder; a call into a folder on a higher floor goes upward. A
// knot is a set of object files that call one another round a cycle (a strongly connected
// component of the file graph, two files or more).
#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace callgraph {

struct Object {
    std::string source;   // proc/framework/poolscope.cpp
    std::set<std::string> defined, undefined;   // demangled function symbols
};
std::string folderof(const std::string& source);   // framework
int floorof(const std::string& folder);            // 0 framework, 1 numeric, 2 the others, 3 main

// The objects named in a list file (one path a line, as CMake writes procobjects.txt); the
// source of an object is the path after its target's ".dir/" without ".o".
std::vector<Object> readobjects(const std::filesystem::path& listfile);
// The objects in the output of nm -C over several files (the headers "path:" name each).
std::vector<Object> parsenm(const std::string& output);

struct Ref {
    std::string from, to;   // source files
    std::string symbol;     // the function, without its parameter list
};
// Every call from one object into a function another defines (one entry per caller file, callee
// file and function).
std::vector<Ref> references(const std::vector<Object>& objects);
std::vector<Ref> upward(const std::vector<Ref>& refs);

// The knots of the file graph; within folders (only calls inside one folder) or across them.
std::vector<std::vector<std::string>> knots(const std::vector<Ref>& refs, bool withinfolders);
// The folder graph: caller folder -> callee folder -> number of references.
std::map<std::string, std::map<std::string, int>> folders(const std::vector<Ref>& refs);

}  // namespace callgraph
