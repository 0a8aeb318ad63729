// The graphs of the statistical graphics as the output hands them to the renderer, and the
// renderer the host registers.
#include "runtime/output/graphs.h"

#include "runtime/util/strings.h"

namespace rt::out {

namespace {
GraphRenderer g_renderer = nullptr;
}  // namespace

const PhantomData* Graph::named(std::string_view name) const {
    for (const auto* d : data)
        if (d && util::iequal(d->name, name)) return d;
    return nullptr;
}

void setgraphrenderer(GraphRenderer r) { g_renderer = r; }
GraphRenderer graphrenderer() { return g_renderer; }

std::function<void(const Graph&)>& graphwatch() {
    static std::function<void(const Graph&)> f;
    return f;
}

}  // namespace rt::out
