#include "runtime/output/makelines.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/output/makeds.h"
#include "runtime/numfmt/numfmt.h"

namespace rt::out {

namespace {
constexpr size_t kBatchBytes = size_t(1) << 20;
constexpr size_t kBatchesAhead = 4;   // waiting batches, besides one for each worker

template <class T>
T take(const unsigned char*& p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}
}  // namespace

size_t composeline(const MakeShape& s, const std::vector<CellValue>& vals, std::string& l) {
    static const num::NumFormat full{num::Fmt::Full, 24, 0};
    // Composed in place: room for every number and quoted text.
    size_t need = s.byprefix.size() + 1;
    for (size_t i = 0; i < s.map.size(); ++i)
        need += 1 + (s.map[i] < 0 ? 0 : s.kinds[i] == 5 || s.kinds[i] == 3 ? 64 : 2 * vals[static_cast<size_t>(s.map[i])].s.size() + 2);
    if (l.size() < need) l.resize(need);
    char* const base = l.data();
    char* o = base;
    if (!s.byprefix.empty()) o = static_cast<char*>(std::memcpy(o, s.byprefix.data(), s.byprefix.size())) + s.byprefix.size();
    bool first = !s.bys;
    for (size_t i = 0; i < s.map.size(); ++i) {
        if (!first) *o++ = ',';
        first = false;
        if (s.map[i] < 0) continue;
        const CellValue& v = vals[static_cast<size_t>(s.map[i])];
        switch (s.kinds[i]) {
        case 5:
            if (!v.missing) o += num::formatnum(full, v.d, o);
            break;
        case 3:
            o = std::to_chars(o, o + 16, v.i).ptr;
            break;
        default:
            o = csvput(o, v.s);
        }
    }
    *o++ = '\n';
    return static_cast<size_t>(o - base);
}

MakeLines::MakeLines(Sink& sink, int workers) : sink_(sink) {
    workers = std::max(workers, 1);
    most_ = kBatchesAhead + static_cast<size_t>(workers);
    for (int k = 0; k < workers; ++k) workers_.emplace_back([this] { work(); });
}

MakeLines::~MakeLines() { finish(); }

void MakeLines::row(const std::shared_ptr<MakeShape>& shape, const std::vector<CellValue>& vals) {
    const MakeShape& s = *shape;
    size_t need = 4;
    for (size_t i = 0; i < s.map.size(); ++i)
        if (s.map[i] >= 0) need += s.kinds[i] == 5 || s.kinds[i] == 3 ? 8 : 4 + vals[static_cast<size_t>(s.map[i])].s.size();
    if (cur_.used + need > kBatchBytes && cur_.rows > 0) send();
    if (cur_.bytes.size() < cur_.used + need) cur_.bytes.resize(std::max(kBatchBytes, cur_.used + need));
    if (cur_.shapes.empty() || cur_.shapes.back() != shape) cur_.shapes.push_back(shape);
    unsigned char* o = cur_.bytes.data() + cur_.used;
    auto put = [&o](const auto& v) {
        std::memcpy(o, &v, sizeof v);
        o += sizeof v;
    };
    put(static_cast<uint32_t>(cur_.shapes.size() - 1));
    for (size_t i = 0; i < s.map.size(); ++i) {
        if (s.map[i] < 0) continue;
        const CellValue& v = vals[static_cast<size_t>(s.map[i])];
        switch (s.kinds[i]) {
        case 5:
            put(v.missing ? std::nan("") : v.d);   // (missing: not a finite number)
            break;
        case 3:
            put(v.i);
            break;
        default:
            put(static_cast<uint32_t>(v.s.size()));
            if (!v.s.empty()) std::memcpy(o, v.s.data(), v.s.size());
            o += v.s.size();
        }
    }
    cur_.used = static_cast<size_t>(o - cur_.bytes.data());
    ++cur_.rows;
}

void MakeLines::send() {
    if (cur_.rows == 0) return;
    std::unique_lock<std::mutex> lock(mu_);
    room_.wait(lock, [this] { return ahead_ < most_; });
    cur_.seq = sent_++;
    ++ahead_;
    full_.push_back(std::move(cur_));
    cur_ = Batch{};
    if (!spare_.empty()) {
        cur_ = std::move(spare_.back());
        spare_.pop_back();
    }
    ready_.notify_one();
}

void MakeLines::finish() {
    if (workers_.empty()) return;
    send();
    {
        std::lock_guard<std::mutex> lock(mu_);
        done_ = true;
    }
    ready_.notify_all();
    for (std::thread& w : workers_) w.join();
    workers_.clear();
}

void MakeLines::work() {
    std::string line;
    std::vector<CellValue> vals;
    for (;;) {
        Batch b;
        {
            std::unique_lock<std::mutex> lock(mu_);
            ready_.wait(lock, [this] { return done_ || !full_.empty(); });
            if (full_.empty()) return;
            b = std::move(full_.front());
            full_.pop_front();
        }
        const unsigned char* p = b.bytes.data();
        b.text.clear();
        for (size_t r = 0; r < b.rows; ++r) {
            const MakeShape& s = *b.shapes[take<uint32_t>(p)];
            vals.resize(static_cast<size_t>(s.ncols));
            for (size_t i = 0; i < s.map.size(); ++i) {
                if (s.map[i] < 0) continue;
                CellValue& v = vals[static_cast<size_t>(s.map[i])];
                switch (s.kinds[i]) {
                case 5:
                    v.d = take<double>(p);
                    v.missing = !std::isfinite(v.d);
                    break;
                case 3:
                    v.i = take<int32_t>(p);
                    break;
                default: {
                    const uint32_t n = take<uint32_t>(p);
                    v.s = std::string_view(reinterpret_cast<const char*>(p), n);
                    p += n;
                }
                }
            }
            const size_t n = composeline(s, vals, line);
            b.text.append(line.data(), n);
        }
        b.used = 0;
        b.shapes.clear();
        b.rows = 0;
        std::unique_lock<std::mutex> lock(mu_);
        turn_.wait(lock, [&] { return written_ == b.seq; });
        // The earlier batches are written and the later ones wait for this one: the file is
        // this worker's alone until written_ moves on.
        lock.unlock();
        sink_.write(b.text);
        lock.lock();
        ++written_;
        --ahead_;
        spare_.push_back(std::move(b));
        turn_.notify_all();
        room_.notify_one();
    }
}

}  // namespace rt::out
