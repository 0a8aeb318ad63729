// The words that name the group a log line is about, so that a message logged once per class
// level or BY group says which one it is.
#pragma once
struct vyxstate;

struct grpnode;

// "type=A" for the current level of one class variable, "type=A plant=North" for the current
// cell of two (grprowix, grpcolix) (when the statement has class variables and `withclass`),
// "the BY group plant=North" for the current BY group, both joined by " in "; an empty text
// (length 0) when there is neither. Writes at most len - 1 characters and a NUL.
int grouptext(vyxstate* s, bool withclass, char* buf, int len);
// The class levels of group g of the statement as grouptext names them ("type=A",
// "type=A plant=North"); an empty text without class variables.
int groupname(const vyxstate* s, const grpnode* g, char* buf, int len);
// "type=A" for the level text (l characters) of class variable k ("group A" when the variable
// has no name).
int levelwords(const vyxstate* s, int k, const char* text, int l, char* buf, int len);
// The same after `lead` (" of ", " for "): the ending of a message about one group, or an
// empty text when there is no group to name.
const char* groupsuffix(vyxstate* s, bool withclass, const char* lead, char* buf, int len);
