// The note of a plot statement whose insets, no place of theirs being clear of the data, are
// drawn on a box of the background colour over some of it: once for the statement on both
// roads, with what every such inset hides.
#pragma once

// What the insets of a statement drawn over the data hide, summed over its panels.
struct InsetsOver {
    int insets = 0;        // the insets drawn over the data
    int points = 0;        // the markers whose centres they hold
    bool lines = false;    // part of a fitted line, limit or curve lies under one
    bool marker = false;   // part of a marker
    bool band = false;     // part of a band
};

// The note of a plot statement (stmtkind: 3 MCFPLOT, 4 RELATIONPLOT, else PROBPLOT); panel: the
// class levels of the first such panel as grouptext names them (len 0: a plot of one panel).
// None when no inset was drawn over the data.
void insetsovernote(int stmtkind, const char* panel, int len, const InsetsOver& over);
