#include "runtime/graphics/deferred.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rt::gfx {

namespace {
constexpr size_t kBatchBytes = size_t(1) << 20;
constexpr size_t kBatchesAhead = 4;

template <class T>
T take(const unsigned char*& p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}
}  // namespace

DeferredCanvas::DeferredCanvas(Canvas& to, bool threads) : to_(to), threads_(threads) {}

DeferredCanvas::~DeferredCanvas() { stop(); }

unsigned char* DeferredCanvas::room(size_t bytes) {
    if (cur_.used + bytes > cur_.ops.size()) cur_.ops.resize(std::max(kBatchBytes, cur_.used + bytes));
    unsigned char* p = cur_.ops.data() + cur_.used;
    cur_.used += bytes;
    return p;
}

template <class T>
void DeferredCanvas::put(const T& v) {
    std::memcpy(room(sizeof v), &v, sizeof v);
}

void DeferredCanvas::putpoints(const double* xy, size_t npoints) {
    put(npoints);
    if (npoints) std::memcpy(room(npoints * 2 * sizeof(double)), xy, npoints * 2 * sizeof(double));
}

// The stroke's place in the batch: the one before when it is the same (a page's limit bars).
uint32_t DeferredCanvas::stroke(const Stroke& s) {
    if (cur_.strokes.empty() || !(cur_.strokes.back().color == s.color && cur_.strokes.back().width == s.width &&
                                  cur_.strokes.back().dashes == s.dashes))
        cur_.strokes.push_back(s);
    return static_cast<uint32_t>(cur_.strokes.size() - 1);
}

void DeferredCanvas::begin(double width, double height, const Rgb& background) {
    put(Begin);
    put(width);
    put(height);
    put(background);
}

void DeferredCanvas::line(double x0, double y0, double x1, double y1, const Stroke& s) {
    if (cur_.used > kBatchBytes - 64) send();
    const uint32_t k = stroke(s);
    const double xy[4] = {x0, y0, x1, y1};
    unsigned char* p = room(1 + sizeof xy + sizeof k);
    *p = Line;
    std::memcpy(p + 1, xy, sizeof xy);
    std::memcpy(p + 1 + sizeof xy, &k, sizeof k);
}

void DeferredCanvas::polyline(const double* xy, size_t npoints, const Stroke& s) {
    if (cur_.used > kBatchBytes - 64) send();
    put(Polyline);
    put(stroke(s));
    putpoints(xy, npoints);
}

void DeferredCanvas::fill(const double* xy, size_t npoints, const Rgb& c) {
    if (cur_.used > kBatchBytes - 64) send();
    put(Fill);
    put(c);
    putpoints(xy, npoints);
}

void DeferredCanvas::hatch(const double* xy, size_t npoints, const Stroke& s, double angle, double spacing) {
    if (cur_.used > kBatchBytes - 64) send();
    put(Hatch);
    put(stroke(s));
    put(angle);
    put(spacing);
    putpoints(xy, npoints);
}

void DeferredCanvas::markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t npoints) {
    if (cur_.used > kBatchBytes - 64) send();
    const MarkerShape* last = cur_.shapes.empty() ? nullptr : &cur_.shapes.back();
    if (!last || last->name != m.name || last->paths != m.paths || last->closed != m.closed || last->filled != m.filled ||
        last->circle != m.circle || last->dot != m.dot)
        cur_.shapes.push_back(m);
    put(Markers);
    put(static_cast<uint32_t>(cur_.shapes.size() - 1));
    put(stroke(s));
    put(size);
    putpoints(xy, npoints);
}

void DeferredCanvas::text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) {
    if (cur_.used > kBatchBytes - 64) send();
    cur_.texts.emplace_back(utf8);
    cur_.styles.push_back(t);
    put(Text);
    put(x);
    put(y);
    put(angle);
    put(a);
}

void DeferredCanvas::pushclip(double x0, double y0, double x1, double y1) {
    put(PushClip);
    const double xy[4] = {x0, y0, x1, y1};
    put(xy);
}

void DeferredCanvas::popclip() { put(PopClip); }

void DeferredCanvas::play(const Batch& b) {
    const unsigned char* p = b.ops.data();
    const unsigned char* const e = p + b.used;
    size_t text = 0;
    auto points = [&p](size_t& n) {
        n = take<size_t>(p);
        const auto* xy = reinterpret_cast<const double*>(p);
        p += n * 2 * sizeof(double);
        return xy;
    };
    std::vector<double> xy;   // points copied where they may lie unaligned
    auto aligned = [&xy](const double* q, size_t n) {
        xy.resize(2 * n);
        if (n) std::memcpy(xy.data(), q, 2 * n * sizeof(double));
        return xy.data();
    };
    while (p < e) {
        const auto op = static_cast<Op>(*p++);
        switch (op) {
        case Begin: {
            const double w = take<double>(p), h = take<double>(p);
            to_.begin(w, h, take<Rgb>(p));
            break;
        }
        case Line: {
            double v[4];
            std::memcpy(v, p, sizeof v);
            p += sizeof v;
            to_.line(v[0], v[1], v[2], v[3], b.strokes[take<uint32_t>(p)]);
            break;
        }
        case Polyline: {
            const Stroke& s = b.strokes[take<uint32_t>(p)];
            size_t n;
            const double* q = points(n);
            to_.polyline(aligned(q, n), n, s);
            break;
        }
        case Fill: {
            const Rgb c = take<Rgb>(p);
            size_t n;
            const double* q = points(n);
            to_.fill(aligned(q, n), n, c);
            break;
        }
        case Hatch: {
            const Stroke& s = b.strokes[take<uint32_t>(p)];
            const double angle = take<double>(p), spacing = take<double>(p);
            size_t n;
            const double* q = points(n);
            to_.hatch(aligned(q, n), n, s, angle, spacing);
            break;
        }
        case Markers: {
            const MarkerShape& m = b.shapes[take<uint32_t>(p)];
            const Stroke& s = b.strokes[take<uint32_t>(p)];
            const double size = take<double>(p);
            size_t n;
            const double* q = points(n);
            to_.markers(m, size, s, aligned(q, n), n);
            break;
        }
        case Text: {
            const double x = take<double>(p), y = take<double>(p), angle = take<double>(p);
            const Anchor a = take<Anchor>(p);
            to_.text(b.texts[text], x, y, angle, a, b.styles[text]);
            ++text;
            break;
        }
        case PushClip: {
            double v[4];
            std::memcpy(v, p, sizeof v);
            p += sizeof v;
            to_.pushclip(v[0], v[1], v[2], v[3]);
            break;
        }
        case PopClip:
            to_.popclip();
            break;
        }
    }
}

void DeferredCanvas::send() {
    if (cur_.used == 0) return;
    if (!worker_.joinable()) {
        if (!threads_) {
            play(cur_);   // no thread: played as the batches fill
            cur_.used = 0;
            cur_.strokes.clear();
            cur_.shapes.clear();
            cur_.styles.clear();
            cur_.texts.clear();
            return;
        }
        worker_ = std::thread([this] { work(); });
    }
    std::unique_lock<std::mutex> lock(mu_);
    room_.wait(lock, [this] { return full_.size() < kBatchesAhead; });
    full_.push_back(std::move(cur_));
    cur_ = Batch{};
    if (!spare_.empty()) {
        cur_ = std::move(spare_.back());
        spare_.pop_back();
    }
    ready_.notify_one();
}

void DeferredCanvas::work() {
    for (;;) {
        Batch b;
        {
            std::unique_lock<std::mutex> lock(mu_);
            ready_.wait(lock, [this] { return done_ || !full_.empty(); });
            if (full_.empty()) return;
            b = std::move(full_.front());
            full_.pop_front();
        }
        room_.notify_one();
        try {
            if (!failed_) play(b);
        } catch (const std::bad_alloc&) {
            failed_ = true;   // read after the join
        }
        b.used = 0;
        b.strokes.clear();
        b.shapes.clear();
        b.styles.clear();
        b.texts.clear();
        std::lock_guard<std::mutex> lock(mu_);
        spare_.push_back(std::move(b));
    }
}

void DeferredCanvas::stop() {
    if (!worker_.joinable()) return;
    send();
    {
        std::lock_guard<std::mutex> lock(mu_);
        done_ = true;
    }
    ready_.notify_one();
    worker_.join();
}

bool DeferredCanvas::end() {
    if (worker_.joinable()) stop();
    else if (cur_.used) {
        play(cur_);   // a small page: played here
        cur_.used = 0;
    }
    if (failed_) {
        error_ = "out of memory while drawing";
        return false;
    }
    const bool ok = to_.end();
    error_ = to_.error();
    return ok;
}

}  // namespace rt::gfx
