// Drawing is never the slow part of a plot: one page with N markers and a polyline of 10,000
// points, written as SVG and PNG together; a page of more than 50,000 markers keeps its PNG
// only. Goals: under 1.5 s for both files, and an SVG under 10 MB (the counters report the
// sizes; an SVG that was not kept counts 0). `page` scatters the markers at random, so that
// hardly two share a pixel; `sorted` draws them as a probability plot does: along a curve,
// in the order of the data, a hundred per call, inside a clipping rectangle. `limitbars` draws
// the confidence limits of an MCF plot of many events: two short horizontal bars per event
// along two rising curves, one line each, and the estimates as points, as the MCF plot hands
// them over (N events; goal: 4.8 million events, the limits of a million units, in under 1 s).
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "runtime/graphics/devstate.h"
#include "runtime/graphics/graphics.h"
#include "runtime/session.h"

namespace {

class NullLog : public rt::Log {
public:
    void line(char k, const std::string& t) override {
        if (k == 'E') std::fprintf(stderr, "%s\n", t.c_str());
    }
};

// The markers of one page, handed over `per` at a time (all at once when per is 0).
void page(benchmark::State& state, const std::vector<double>& marks, int per) {
    const std::string dir = (std::filesystem::temp_directory_path() / "vitalyx-bench-graphics").string();
    std::filesystem::create_directories(dir);
    rt::Session sess;
    NullLog log;
    sess.outdir = dir;
    sess.log = &log;
    rt::setcurrent(&sess);
    std::vector<double> curve(20000);
    for (int k = 0; k < 10000; ++k) curve[2 * k] = 5 + k * 0.009, curve[2 * k + 1] = 50 + 40 * std::sin(k * 0.003);
    double svgbytes = 0, pngbytes = 0;
    for (auto _ : state) {
        rt::gfx::resetdevstate();
        const vec116* G = rt::gfx::services();
        G->gginit(G->ggznew(nullptr));
        uint32_t cat = 0, handles[2];
        G->ggadcat(0, "        ", 4, "GSEG", &cat, 4, 1);
        void* seg = nullptr;
        G->ggoseg(0, 0, cat, &seg, handles, "BENCH   ", nullptr, "", 1, 1, 0, nullptr, nullptr);
        ggmarkblk m{};
        m.symbol[0] = 13;   // circles
        m.size = 1.2f;
        m.attr = GGM_POINTS;
        const int n = static_cast<int>(marks.size() / 2), step = per > 0 ? per : n;
        const float clip[4] = {5.5f, 5.5f, 94.5f, 94.5f};
        for (int at = 0; at < n; at += step) {
            m.count = std::min(step, n - at);
            m.pts = const_cast<double*>(marks.data()) + 2 * static_cast<size_t>(at);
            G->ggpmark(0, &m, G->ggcnum(0, "CX2A5CAA"), per > 0 ? clip : nullptr);
        }
        ggpolyblk p{10000, 1, 0, GGP_CURVE, 0, curve.data()};
        G->ggpline(0, &p, G->ggcnum(0, "RED     "), nullptr);
        if (G->ggcseg(0, &seg, 0) != 0) state.SkipWithError("the page could not be written");
        const std::string svg = dir + "/graphics/bench.svg";
        svgbytes = std::filesystem::exists(svg) ? static_cast<double>(std::filesystem::file_size(svg)) : 0;
        pngbytes = static_cast<double>(std::filesystem::file_size(dir + "/graphics/bench.png"));
    }
    state.counters["svg_MB"] = svgbytes / 1e6;
    state.counters["png_MB"] = pngbytes / 1e6;
    rt::gfx::resetdevstate();
    rt::setcurrent(nullptr);
    std::filesystem::remove_all(dir);
}

void scattered(benchmark::State& state) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(5, 95);
    std::vector<double> marks(2 * static_cast<size_t>(state.range(0)));
    for (double& v : marks) v = u(gen);
    page(state, marks, 0);
}
BENCHMARK(scattered)->Arg(40000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void sorted(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> marks(2 * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double p = (k + 0.5) / n;
        marks[2 * k] = 6 + 88 * p;
        marks[2 * k + 1] = 50 + 14 * std::log(-std::log1p(-p)) / 3;
    }
    page(state, marks, 100);
}
BENCHMARK(sorted)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void limitbars(benchmark::State& state) {
    const std::string dir = (std::filesystem::temp_directory_path() / "vitalyx-bench-bars").string();
    std::filesystem::create_directories(dir);
    rt::Session sess;
    NullLog log;
    sess.outdir = dir;
    sess.log = &log;
    rt::setcurrent(&sess);
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        rt::gfx::resetdevstate();
        const vec116* G = rt::gfx::services();
        G->gginit(G->ggznew(nullptr));
        uint32_t cat = 0, handles[2];
        G->ggadcat(0, "        ", 4, "GSEG", &cat, 4, 1);
        void* seg = nullptr;
        G->ggoseg(0, 0, cat, &seg, handles, "BARS    ", nullptr, "", 1, 1, 0, nullptr, nullptr);
        const int black = G->ggcnum(0, "BLACK   ");
        // the estimates as points, 200 a call, and each event's two limit bars, as the MCF plot
        // draws them (so many points that the page keeps its PNG only)
        std::vector<double> pts;
        ggmarkblk m{};
        m.symbol[0] = 1;
        m.size = 1;
        m.attr = GGM_POINTS;
        for (int k = 0; k < n; ++k) {
            const double p = (k + 0.5) / n, x = 8 + 88 * p, y = 8 + 80 * std::sqrt(p), half = 0.4;
            pts.insert(pts.end(), {x, y});
            if (pts.size() == 400 || k + 1 == n) {
                m.count = static_cast<int>(pts.size() / 2);
                m.pts = pts.data();
                G->ggpmark(0, &m, black, nullptr);
                pts.clear();
            }
            G->ggdraw(0, x - half, y - 1.5, x + half, y - 1.5, 1, black);
            G->ggdraw(0, x - half, y + 1.5, x + half, y + 1.5, 1, black);
        }
        if (G->ggcseg(0, &seg, 0) != 0) state.SkipWithError("the page could not be written");
    }
    state.SetItemsProcessed(state.iterations() * n);
    rt::gfx::resetdevstate();
    rt::setcurrent(nullptr);
    std::filesystem::remove_all(dir);
}
BENCHMARK(limitbars)->Arg(4800000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
