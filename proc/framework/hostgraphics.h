// Entry routines of the host's device-graphics services (vectors 116, 117 and 120): each
// clears the vector's flag byte and jumps through the service's slot, as in hostsvc.h.
#pragma once
#include "host/vec116_graphics.h"
#include "host/vec117_gstyle.h"
#include "host/vec120_annotate.h"
#include "proc/framework/hostsvc.h"

// ---- vector 116: device graphics
inline const vec116* gg() { return hostvec<vec116>(VEC_GRAPHICS); }
inline int ggfname(const char* text, int length, char font[8]) { return gg()->ggfname(text, length, font); }
inline const ggdevice* ggdvfind(const char name[8]) { return gg()->ggdvfind(name); }
inline int gginit(ggstate* gcb) { return gg()->gginit(gcb); }
inline ggstate* ggznew(void* hostword) { return gg()->ggznew(hostword); }
inline ggctx* ggxget(void* hostword) { return gg()->ggxget(hostword); }
inline void ggdinit() { gg()->ggdinit(); }
inline void ggzrst(int mask) { gg()->ggzrst(mask); }
inline int ggcbini(void** block, int mode) { return gg()->ggcbini(block, mode); }
inline void ggdvdlt(int a, int b) { gg()->ggdvdlt(a, b); }
inline int ggstop() { return gg()->ggstop(); }
inline int ggterm() { return gg()->ggterm(); }
inline int ggadcat(int z, const char lib[8], int catlen, const char* cat, uint32_t* catent, int a, int b) {
    return gg()->ggadcat(z, lib, catlen, cat, catent, a, b);
}
inline int ggoseg(int z, int desclen, uint32_t catent, void** segment, uint32_t handles[2], const char name[8],
                  const gglongname* longname, const char* description, int one, int namegiven, int z2, void* by1, void* by2) {
    return gg()->ggoseg(z, desclen, catent, segment, handles, name, longname, description, one, namegiven, z2, by1, by2);
}
inline int ggsel(int z, void* segment) { return gg()->ggsel(z, segment); }
inline int ggcseg(int z, void** segment, int z2) { return gg()->ggcseg(z, segment, z2); }
inline int ggplrdx(void* gfilewords, txthandle description) { return gg()->ggplrdx(gfilewords, description); }
inline int ggphdr(int z, void* by1, void* by2) { return gg()->ggphdr(z, by1, by2); }
inline int ggphdrl(int z, double* window, void* by1, void* by2) { return gg()->ggphdrl(z, window, by1, by2); }
inline int ggcnum(int z, const char name[8]) { return gg()->ggcnum(z, name); }
inline int ggcnum5(int z, int n, char name[8]) { return gg()->ggcnum5(z, n, name); }
inline int ggsymbx(const char* name, int length) { return gg()->ggsymbx(name, length); }
inline int ggetsym(int z, int count, symrec* array) { return gg()->ggetsym(z, count, array); }
inline int ggetpat(int count, char* first, int stride) { return gg()->ggetpat(count, first, stride); }
inline int ggstri(ggtext* t) { return gg()->ggstri(t); }
inline int ggstrl(int z, ggtext* t) { return gg()->ggstrl(z, t); }
inline int ggstr(int z, ggtext* t) { return gg()->ggstr(z, t); }
inline int ggstxfm(double angle, double z) { return gg()->ggstxfm(angle, z); }
inline double ggcell(int z, double value, int axis, int up) { return gg()->ggcell(z, value, axis, up); }
inline double ggl2pct(int z, int unit, int axis, double length) { return gg()->ggl2pct(z, unit, axis, length); }
inline int ggdraw(int z, double x1, double y1, double x2, double y2, int ltype, int color) {
    return gg()->ggdraw(z, x1, y1, x2, y2, ltype, color);
}
inline int ggpline(int z, const ggpolyblk* b, int color, const float clip[4]) { return gg()->ggpline(z, b, color, clip); }
inline int ggpmark(int z, const ggmarkblk* b, int color, const float* clip) { return gg()->ggpmark(z, b, color, clip); }
inline int ggfill(int z, double x0, double y0, double x1, double y1, const char pattern[8], int fillcolor, int mode,
                  int linecolor, int ltype, int width) {
    return gg()->ggfill(z, x0, y0, x1, y1, pattern, fillcolor, mode, linecolor, ltype, width);
}
inline int ggsymb(int z, double x, double y, const symrec* s) { return gg()->ggsymb(z, x, y, s); }
inline int ggrba(int z, ggregion* region, int32_t* saved, int z2, int mask) { return gg()->ggrba(z, region, saved, z2, mask); }
inline int ggrdba(int z, int kind, int32_t* saved, const ggregion* region, int z2, int mask) {
    return gg()->ggrdba(z, kind, saved, region, z2, mask);
}
inline int gglsize(int z, legrec* legend, double* window) { return gg()->gglsize(z, legend, window); }
inline int ggldraw(int z, legrec* legend, const float* frame) { return gg()->ggldraw(z, legend, frame); }

// ---- vector 117: the elements of the output style
inline const vec117* gs() { return hostvec<vec117>(VEC_GRAPHICS2); }
inline int grdxcclr(const ggctx* st, const char* el, int n, char color[8]) { return gs()->grdxcclr(st, el, n, color); }
inline int grdxclr(const ggctx* st, const char* el, int n, char color[8]) { return gs()->grdxclr(st, el, n, color); }
inline int grdxbclr(const ggctx* st, const char* el, int n, char color[8]) { return gs()->grdxbclr(st, el, n, color); }
inline int grdxlsty(const ggctx* st, const char* el, int n, int32_t* ltype) { return gs()->grdxlsty(st, el, n, ltype); }
inline int grdxlwid(const ggctx* st, const char* el, int n, int32_t* width) { return gs()->grdxlwid(st, el, n, width); }
inline int grdxfont(const ggctx* st, const char* el, int n, char font[8], ggtextstyle* m) { return gs()->grdxfont(st, el, n, font, m); }

// ---- vector 120: annotate
inline int ganotat(ganoreq* request) { return hostvec<vec120>(VEC_ANNOTATE)->ganotat(request); }
