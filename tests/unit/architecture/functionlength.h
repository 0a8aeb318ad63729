// The length of the functions of a source file, read from its text: a function is a body in
// braces whose head ends with its parameter list (and const, noexcept, override, a trailing
// return type); braces of namespaces, classes and initializers around it are passed through,
// a lambda or block inside it is part of it. Good enough for code written in the project's style.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace funclen {

struct Function {
    std::string where;   // file:line of the head's first line
    std::string name;    // the name before the parameter list
    int lines = 0;       // from the head's first line to the closing brace
};

std::vector<Function> functions(const std::string& file, const std::string& text);
// The functions longer than limit lines in the .h and .cpp files below root/top.
std::vector<Function> longer(const std::filesystem::path& root, const std::string& top, int limit);

}  // namespace funclen
