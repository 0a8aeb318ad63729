// Output texts: the handles that rdxtxt, rdxtxts, rdxmsg and rdxmsgs give the procedure.
// A handle stays valid until the end of the step that made it.
#pragma once
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include "host/msgarg.h"
#include "host/vec320_output.h"

struct rdxtext {
    std::string text;
};

namespace rt::out {

class TextStore {
public:
    txthandle make(std::string text);
    // Message texts without substitutions are made once per step.
    txthandle message(int group, int n);
    void clear();

private:
    std::deque<rdxtext> texts_;
    std::map<std::pair<int, int>, txthandle> messages_;
};

// The text of a handle; empty for a null handle.
inline std::string_view textof(txthandle h) { return h ? std::string_view(h->text) : std::string_view(); }

// printf-like formatting with msgarg values: %d %i %u %x %g %e %f %s %c %%, flags, widths
// and precisions, '*' taking an integer argument. A text argument keeps its length.
std::string formattext(std::string_view format, int nargs, const msgarg* args);

}  // namespace rt::out
