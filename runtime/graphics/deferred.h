// A canvas that hands the drawing calls of a large page to a thread of its own: the calls are
// kept in batches, with their arguments, and played in the same order onto the canvas behind
// (the cairo canvas), so the page is the same to the byte. The caller's thread goes on with
// its own work meanwhile. A page of few calls is played when it ends, on the caller's thread,
// and no thread is started. Nothing else may touch the canvas behind until end() returns.
#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "runtime/graphics/canvas.h"

namespace rt::gfx {

class DeferredCanvas : public Canvas {
public:
    // threads: whether a thread may be started (THREADS, CPUCOUNT).
    DeferredCanvas(Canvas& to, bool threads);
    ~DeferredCanvas() override;
    DeferredCanvas(const DeferredCanvas&) = delete;
    DeferredCanvas& operator=(const DeferredCanvas&) = delete;

    void begin(double width, double height, const Rgb& background) override;
    void line(double x0, double y0, double x1, double y1, const Stroke& s) override;
    void polyline(const double* xy, size_t npoints, const Stroke& s) override;
    void fill(const double* xy, size_t npoints, const Rgb& c) override;
    void hatch(const double* xy, size_t npoints, const Stroke& s, double angle, double spacing) override;
    void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t npoints) override;
    void text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) override;
    void pushclip(double x0, double y0, double x1, double y1) override;
    void popclip() override;
    bool end() override;
    std::string error() const override { return error_; }

private:
    struct Batch {
        std::vector<unsigned char> ops;     // per call: its kind, then its arguments
        size_t used = 0;
        std::vector<Stroke> strokes;        // the strokes, shapes, styles and texts the calls name
        std::vector<MarkerShape> shapes;
        std::vector<TextStyle> styles;
        std::vector<std::string> texts;
    };
    enum Op : unsigned char { Begin, Line, Polyline, Fill, Hatch, Markers, Text, PushClip, PopClip };
    unsigned char* room(size_t bytes);
    template <class T>
    void put(const T& v);
    void putpoints(const double* xy, size_t npoints);
    uint32_t stroke(const Stroke& s);
    void send();
    void play(const Batch& b);
    void work();
    // Waits for every call handed over and ends the thread.
    void stop();

    Canvas& to_;
    bool threads_;
    Batch cur_;
    std::mutex mu_;
    std::condition_variable ready_, room_;
    std::deque<Batch> full_;
    std::vector<Batch> spare_;
    bool done_ = false;
    bool failed_ = false;               // the thread could not play a call (out of memory)
    std::thread worker_;
    std::string error_;
};

}  // namespace rt::gfx
