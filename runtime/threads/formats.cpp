// "qxefmt": format handles of data-set variables for the effects library's workers. A handle
// formats exactly as the get lists do (runtime/datasets): numeric values with the best-width
// format, character values as written, both left-aligned and blank padded to the width, so
// that a worker and the procedure's thread find the same level texts.
#include <cstring>
#include <new>
#include <string_view>
#include "runtime/datasets/formats.h"
#include "runtime/datasets/library.h"
#include "runtime/threads/kernel.h"

namespace rt::kern {
namespace {

int run(kfmthandle* h, int) {
    if (!h || !h->in || !h->out || h->outcap < h->width || h->width < 1) {
        if (h) h->outlen = 0;
        return 1;
    }
    if (h->numeric) {
        double v;
        std::memcpy(&v, h->in, sizeof v);
        rt::ds::padleft(h->out, h->width, rt::ds::best12(v).view());
    } else {
        rt::ds::padleft(h->out, h->width,
                        std::string_view(static_cast<const char*>(h->in), static_cast<size_t>(h->inlen)));
    }
    h->outlen = h->width;
    return 0;
}

int setup(int) { return 0; }

kfmthandle* xfrfilet(dshandle ds, int32_t var, int32_t width) {
    vardesc d{};
    if (!ds || rt::ds::services()->xvname(ds, var, &d) != 0 || (d.type != 1 && d.type != 2)) return nullptr;
    auto* h = new (std::nothrow) kfmthandle{};
    if (!h) return nullptr;
    h->width = width > 0 ? width : d.fmtwidth;
    h->inkind = h->outkind = 1;
    h->numeric = d.type == 1;
    h->inlen = d.type == 1 ? 8 : d.length;
    h->run = run;
    return h;
}

void xfrdel(kfmthandle* h) { delete h; }

const kfmtext fmt = {setup, xfrfilet, xfrdel};

}  // namespace

const kfmtext* formats() { return &fmt; }

}  // namespace rt::kern
