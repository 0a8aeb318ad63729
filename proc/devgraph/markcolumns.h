// The markers of many rows told to a panel's ink for the labels of its reference lines, which
// ask only whether a box (a text's, of some height) meets any marker: markers of one column
// (the same left and right edges: one stress level and symbol) whose extents meet are kept as
// one box over them all, so that a million rows leave a few boxes and every answer stays what
// it was.
#pragma once
#include <map>
#include <utility>

#include "proc/devgraph/devgraph.h"

class MarkColumns {
public:
    explicit MarkColumns(PanelInk* ink) : ink_(ink) {}
    ~MarkColumns() { flush(); }
    void add(const PageBox& m);
    // Hands the joined boxes to the ink.
    void flush();

private:
    PanelInk* ink_;
    // By column (left, right edge): the bottom of each joined box to its top; no two meet.
    std::map<std::pair<double, double>, std::map<double, double>> cols_;
};
