// Helpers the layouts share: cells of phantom columns (a column that is absent reads as
// missing or empty), the inset of a graph, the axes of data and of life.
#pragma once
#include <cmath>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/output/phantom.h"
#include "runtime/sgraph/frame.h"
#include "runtime/sgraph/reflines.h"
#include "runtime/sgraph/vars.h"

namespace rt::sgr {

inline double num(const rt::out::PhantomData& d, int col, size_t row) { return col < 0 ? NAN : d.num(col, row); }
inline std::string text(const rt::out::PhantomData& d, int col, size_t row) {
    return col < 0 ? std::string() : trim(d.text(col, row));
}

// The inset of the request's variables; with values (the inset phantom), the values of its
// row in place of the variables' own, a line whose value is blank in the row left out.
InsetBox insetbox(const Vars& v, const rt::out::PhantomData* values, size_t row);

// An axis over a range of data values: log decades, or linear (with 0 when zero is true).
Axis dataaxis(bool log, double lo, double hi, bool zero);

// The probability axis of ticks given (positions, quoted labels) over [lo, hi] widened to
// the ticks that enclose it.
Axis probaxis(std::string_view ticks, std::string_view ticklabels, double lo, double hi);
// The time axis of a probability plot: log decades, or a linear nice range (niceaxis), over its
// points, censored marks and the fitted line's rows, its ends those the user gave (lifeaxis).
Axis probtimeaxis(const rt::out::PhantomData& d, bool log, const Vars& v);
// The life axis over the data's [lo, hi] (data units; lo > hi: no data), its ends the user's
// _LifeMin and _LifeMax where the request gives them (LIFELOWER, LIFEUPPER): the axis ends
// exactly there with a tick labelled by the value, as on the device road. A value that has
// no place on the axis (not above 0 on a log one), a pair not in order, or one end alone that
// leaves none of the data on the axis is not used.
Axis lifeaxis(const Vars& v, bool log, double lo, double hi);
// The same with the ends given as numbers (NaN: not given); nice: a linear axis of the data
// is a nice range of about four steps (niceaxis) rather than one close to the data.
Axis endsaxis(bool log, double lo, double hi, double gl, double gh, bool nice = false);
// The probability axis's range [*vlo, *vhi] on the quantile scale, from the request's variables
// (the tick list and its labels named by ticks and labels): an end the user gave with PCTLOWER
// or PCTUPPER (_PctMin, _PctMax; _VMin, _VMax hold it); else the first or last entry of a
// PCTLIST (a given list comes with the end entries 0 and 100, which are no ends); else, as the
// device road takes it, from the tick at or below the lowest plotted point to the tick at or
// above the highest (with their limits when drawn); without points [_VMin, _VMax].
void probends(const Vars& v, const rt::out::PhantomData& d, std::string_view ticks, std::string_view labels, bool limits,
              double* vlo, double* vhi);
// The least and the greatest of the values of the named columns of d that lie on the axis
// (within its ends), in axis units; values without a place or beyond the ends are left out.
Range onaxis(const rt::out::PhantomData* d, const Axis& a, std::initializer_list<const char*> cols);
// The same for points: each pair names the columns of a point's value along a and along b; a
// point counts, on both axes, when both of its values lie on their axes. Added to ra and rb.
void onaxes(const rt::out::PhantomData* d, const Axis& a, const Axis& b, std::initializer_list<std::pair<const char*, const char*>> pairs,
            Range* ra, Range* rb);
// Moves the ends of an axis out where a plotted value (r, axis units) lies closer to an end
// than room (a fraction of the axis's length): its marker stays clear of the frame's edge.
void makeroom(Axis& a, const Range& r, double room);
// The room a marker of the given size (points) needs from the edge of a frame length points
// long, as a fraction of that length.
inline double markerroom(double size, double length) { return length > 0 ? (size / 2 + 3) / length : 0; }
// Every group of a probability plot's phantom in one frame, told apart by colour, marker and
// line (the probability panel of a relation plot); turned: the time up the frame. From the
// request's variables: the percents of the probability references (_ProbRefs) and whether the
// plotted points are left out (NOPPOS, _NoPPos).
void probpanel(Canvas& c, const Frame& f, const rt::out::PhantomData& d, const Vars& v, bool turned, bool limits, bool fit,
               bool band, double alpha);
// The legend of the groups of a probability panel (their overlay texts, else their labels),
// with the markers and lines probpanel draws them with (lines: the fitted lines are drawn; a
// group without rows of a line shows its marker alone; markers false: no points are drawn).
std::vector<LegendEntry> problegend(const rt::out::PhantomData& d, bool lines, bool markers = true);

}  // namespace rt::sgr
