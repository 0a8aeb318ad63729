// The dynamic variables of a graph request, looked up by name (case-blind), and the lists
// of numbers and quoted labels some of them hold ("1 2.5 10", "'1' '50' '99'").
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "runtime/output/graphs.h"

namespace rt::sgr {

class Vars {
public:
    explicit Vars(const rt::out::GraphRequest& g) : g_(g) {}
    bool has(std::string_view name) const { return find(name) != nullptr; }
    std::string text(std::string_view name, std::string_view def = {}) const;
    int integer(std::string_view name, int def = 0) const;
    double number(std::string_view name, double def) const;
    // The inset's variables (the item list of the request).
    std::string insettext(std::string_view name, std::string_view def = {}) const;
    int insetint(std::string_view name, int def = 0) const;
    bool hasinset() const { return !g_.extravars.empty(); }

private:
    const rt::out::GraphValue* find(std::string_view name) const;
    const rt::out::GraphValue* findinset(std::string_view name) const;
    const rt::out::GraphRequest& g_;
};

// "1 2.5 -3e4": the numbers of a blank-separated list (a word that is no number is skipped).
std::vector<double> numberlist(std::string_view s);
// "'1   ' '50'": the quoted texts of a list, blanks at their ends cut.
std::vector<std::string> quotedlist(std::string_view s);
std::string trim(std::string_view s);

}  // namespace rt::sgr
