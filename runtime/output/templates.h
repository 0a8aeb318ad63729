// Table templates of the runtime: for every template path the procedure binds, how the
// columns of a table print: header, number format, justification, spanning headers,
// columns kept out of print, and the text of a missing value.
#pragma once
#include "runtime/util/strings.h"
#include <string>
#include <string_view>
#include <vector>
#include "runtime/numfmt/numfmt.h"

namespace rt::out {

enum class TplKind { Table, Info, InfoLabel, Matrix, Phantom };

struct ColSpec {
    std::string header;
    num::NumFormat fmt;
    bool hidden = false;
    bool set = false;        // false: nothing known about this column
};

struct SpanSpec {
    std::string first, last, label;
};

struct Template {
    std::string path;
    TplKind kind = TplKind::Table;
    std::string missing = ".";
    // Per column name (case-insensitive); the entries of the template itself first,
    // then the names every table template shares.
    std::vector<std::pair<std::string, ColSpec>> cols;
    std::vector<SpanSpec> spans;
    // The columns before the first of these name the row (the response and input columns of
    // the observation statistics): a table wider than the line repeats them in every panel.
    std::vector<std::string> leadbefore;
    // The title of a table that has neither a title nor a label of its own.
    std::string title;

    // How the column prints: by its name, else by its role (the column's template item),
    // else by its kind (5 double, 3 integer, 6 and 66 text).
    ColSpec column(std::string_view name, std::string_view role, int kind) const;
    std::string spanlabel(std::string_view first, std::string_view last) const;
};

// The template of a path (case-insensitive); null when the runtime has none.
const Template* findtemplate(std::string_view path);
// What a table bound to an unknown path prints with.
const Template& defaulttemplate();
// Every template path the runtime knows (for tests and the documentation).
std::vector<std::string> templatepaths();

using util::iequal;

}  // namespace rt::out
