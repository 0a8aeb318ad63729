// The vector-203 table, and the services that describe a data set and its variables.
#include <cstring>
#include <string>
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/library.h"
#include "runtime/datasets/services.h"

namespace rt::ds {
namespace {

void (*g_bylistener)() = nullptr;   // told of every BY group that begins (onbygroup)

template <size_t N>
uint16_t copyname(char (&dst)[N], const std::string& s) {
    const size_t n = s.size() < N - 1 ? s.size() : N - 1;
    std::memcpy(dst, s.data(), n);
    dst[n] = '\0';
    return static_cast<uint16_t>(n);
}

int xvsele(dshandle ds) { return ds ? 0 : 1; }

int xoinfo(dshandle ds, int item, void* out) {
    if (!ds || !out) return 1;
    switch (item) {
        case DSI_INFO: {
            dsinfo* d = static_cast<dsinfo*>(out);
            std::memset(d, 0, sizeof *d);
            d->nobs = ds->nobs;
            d->nvars = static_cast<int32_t>(ds->cols.size());
            d->namelen = copyname(d->name, displayname(ds));
            return 0;
        }
        case DSI_NOBS:
            *static_cast<int64_t*>(out) = ds->nobs;
            return 0;
        case DSI_USABLE:
            *static_cast<int32_t*>(out) = 1;
            return 0;
        case DSI_NAME: {
            dsnamerec* n = static_cast<dsnamerec*>(out);
            n->namelen = copyname(n->name, displayname(ds));
            return 0;
        }
        default:
            return 1;
    }
}

int xvname(dshandle ds, int32_t var, vardesc* out) {
    const Column* c = ds ? ds->column(var) : nullptr;
    if (!c || !out) return 1;
    std::memset(out, 0, sizeof *out);
    out->namelen = copyname(out->name, c->name);
    out->type = c->numeric ? 1 : 2;
    out->length = c->width;
    out->fmtwidth = c->numeric ? BEST_WIDTH : c->width;
    return 0;
}

// Formatted values need no preparation here (they are made when asked for); the request
// and the variables are checked.
int xffile(dshandle ds, int request, const int32_t* vars, int count) {
    if (!ds || request != FF_FORMATS || count < 0 || (count > 0 && !vars)) return 1;
    for (int i = 0; i < count; ++i)
        if (!ds->column(vars[i])) return 1;
    return 0;
}

int64_t xobsnum(dshandle ds) { return ds && ds->valid ? ds->cur + 1 : 0; }

// Values are read straight from the columns: nothing is left to finish after a fetch.
int xofprc(dshandle ds) { return ds ? 0 : 1; }

// A new BY group is shown in the report (the output listens).
int xbynext(dshandle ds) {
    const int r = svc::xbynext(ds);
    if (r && g_bylistener) g_bylistener();
    return r;
}

const vec203 table = {
    xvsele,       xoinfo,       xvname,       xffile,       svc::xvgeti,  svc::xvgetd,
    svc::xvgete,  xbynext, svc::xbyrwnd, svc::xybyget, svc::xyvget,  xofprc,
    xobsnum,      svc::xbyline, svc::xvget1f, svc::xvget1v, svc::xvget1c, svc::xopnt,
    svc::xoget,   svc::xocreate, svc::xvput1f, svc::xvput1c, svc::xoadd, svc::xoclose,
};

}  // namespace

const vec203* services() { return &table; }

void onbygroup(void (*listener)()) { g_bylistener = listener; }

}  // namespace rt::ds
