// The note of the insets drawn over the data (insetnote.h).
#include "proc/framework/insetnote.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"

void insetsovernote(int stmtkind, const char* panel, int len, const InsetsOver& over) {
    if (over.insets <= 0) return;
    char plot[41];
    std::memset(plot, ' ', 40);
    const int pl = wzstrip(plot, std::clamp(xpmstr(plot, 40, 510, plotdescmsg(stmtkind)), 0, 40));
    char what[80];
    int w = 0;
    if (over.points > 0) w = std::snprintf(what, sizeof what, "%d plotted point(s)%s", over.points, over.lines ? " and part of the lines" : "");
    else if (over.lines) w = std::snprintf(what, sizeof what, "part of the lines");
    else if (over.marker) w = std::snprintf(what, sizeof what, "part of a marker");
    else w = std::snprintf(what, sizeof what, "part of the band");
    w = std::clamp(w, 0, static_cast<int>(sizeof what) - 1);
    if (len > 0)
        xpmlog(510, N510_INSET_FILLED_PANEL, txtarg(plot, pl), txtarg(panel, len), over.insets, txtarg(what, w));
    else
        xpmlog(510, N510_INSET_FILLED, txtarg(plot, pl), txtarg(what, w));
}
