// The device: its description, colours, line types, plot symbols and fill patterns.
// docs/graphics.md lists them for users.
#pragma once
#include <string>
#include <vector>
#include "host/vec116_graphics.h"
#include "runtime/graphics/canvas.h"

namespace rt::gfx {

// The device every destination draws on ("VITALYX": 8 x 6 inches, PNG at 120 dpi).
const ggdevice& defaultdevice();
// A device by name (blank: the default); null when unknown. Tests add devices of their own.
const ggdevice* finddevice(const char name[8]);
void adddevice(const ggdevice& d);
void removedevices();

// A colour name (8 characters, blank padded or shorter): the named colours, CXrrggbb and
// GRAYxx (xx hexadecimal, 00 black to FF white). False for an unknown name.
bool parsecolor(std::string name, Rgb& out);
std::string colorkey(const char* name, int len);   // upper case, blanks cut

// Dash pattern of line type 1 to 46 at the given line width (points); solid for type 1
// and for types outside 1 to 46.
std::vector<double> dashes(int ltype, double width);

// Plot symbols: number of a name (0 when unknown), and the shape of a number (1 .. count).
int symbolnumber(std::string name);
const MarkerShape& symbolshape(int number);
int symbolcount();
const char* symbolname(int number);

// Fill patterns: S (SOLID), E (EMPTY), Ln, Rn and Xn (n 1 to 5: lines slanting left, right,
// crossed; n the density). False for an unknown name.
struct Pattern {
    enum Kind { Solid, Empty, Hatch } kind = Solid;
    double angle = 45;          // first hatch angle, degrees
    bool cross = false;
    int density = 1;
};
bool parsepattern(std::string name, Pattern& out);

}  // namespace rt::gfx
