// The rows of a long printed table of numbers, formatted on worker threads in batches and
// written in order by the worker that finishes the oldest batch.
#include "runtime/output/rowpipe.h"

#include <stdexcept>

namespace rt::out {

bool RowPipe::suits(const DataObject& obj, const Layout& layout, const ListingTable& listing) {
    if (listing.panels().size() != 1 || layout.cols.empty()) return false;
    for (const LayoutCol& c : layout.cols) {
        const Column& col = obj.cols[static_cast<size_t>(c.src)];
        if ((col.kind != 5 && col.kind != 3) || !col.cell) return false;
    }
    return true;
}

RowPipe::RowPipe(const DataObject& obj, const Layout& layout, ListingTable& listing, HtmlTable& html, int workers)
    : layout_(layout), listing_(listing), html_(html), ncols_(obj.cols.size()) {
    for (const LayoutCol& c : layout.cols) {
        const Column& col = obj.cols[static_cast<size_t>(c.src)];
        shown_.push_back({col.cell, col.kind == 3});
    }
    // Two batches a worker: one being formatted, one waiting or being written.
    const size_t q = 2 * static_cast<size_t>(workers) + 2;
    for (size_t i = 0; i < q; ++i) {
        batches_.push_back(std::make_unique<Batch>());
        batches_.back()->vals.resize(kBatch * shown_.size());
    }
    cur_ = batches_.front().get();
    cur_->state = Batch::Filling;
    htmlnext_ = html_.rowsseen();
    for (int t = 0; t < workers; ++t) {
        try {
            crew_.emplace_back([this] { work(); });
        } catch (...) {
            break;
        }
    }
    if (crew_.empty()) throw std::runtime_error("no worker thread");
}

RowPipe::~RowPipe() {
    {
        std::lock_guard<std::mutex> lock(m_);
        stop_ = true;
    }
    work_.notify_all();
    for (auto& t : crew_) t.join();
}

void RowPipe::submit() {
    std::unique_lock<std::mutex> lock(m_);
    // With nothing out, the report's count is read afresh (a suspended table counts anew).
    if (nextwrite_ == nextfill_) htmlnext_ = html_.rowsseen();
    cur_->first = htmlnext_;
    htmlnext_ += static_cast<long long>(cur_->n);
    cur_->state = Batch::Ready;
    ++nextfill_;
    work_.notify_one();
    Batch* next = batches_[nextfill_ % batches_.size()].get();
    freed_.wait(lock, [next] { return next->state == Batch::Free; });
    next->state = Batch::Filling;
    next->n = 0;
    cur_ = next;
}

bool RowPipe::drain() {
    if (cur_->n > 0) submit();
    std::unique_lock<std::mutex> lock(m_);
    freed_.wait(lock, [this] { return nextwrite_ == nextfill_; });
    return !failed_;
}

void RowPipe::work() {
    std::vector<CellValue> vals(ncols_);
    RowTexts texts;
    std::string line;
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
        work_.wait(lock, [this] { return stop_ || nextready_ < nextfill_; });
        if (stop_) return;
        Batch& b = *batches_[nextready_++ % batches_.size()];
        lock.unlock();
        bool ok = true;
        try {
            format(b, vals, texts, line);
        } catch (...) {   // no memory for the texts: the batch prints nothing, and the program fails
            ok = false;
        }
        lock.lock();
        if (!ok) {
            failed_ = true;
            b.n = 0;
            b.listing.clear();
            b.html.clear();
            b.kept.clear();
            b.keptends.clear();
            b.ncomposed = b.passed = 0;
        }
        b.state = Batch::Done;
        writeready(lock);
    }
}

void RowPipe::format(Batch& b, std::vector<CellValue>& vals, RowTexts& texts, std::string& line) const {
    b.listing.clear();
    b.html.clear();
    b.kept.clear();
    b.keptends.clear();
    b.ncomposed = b.passed = 0;
    const size_t ns = shown_.size();
    for (size_t i = 0; i < b.n; ++i) {
        const double* v = b.vals.data() + i * ns;
        // The cells as readshown() reads them.
        for (size_t k = 0; k < ns; ++k)
            vals[static_cast<size_t>(layout_.cols[k].src)] =
                shown_[k].integer ? countcell(static_cast<int32_t>(v[k])) : numbercell(v[k]);
        texts.format(layout_, vals);
        b.listing.append(listing_.line(texts, 0, line));
        // The report composes the rows of its head and keeps the texts of those that may be
        // among the table's last; a row with a full tail of rows after it in this batch cannot.
        if (b.first + static_cast<long long>(i) < kReportHead) {
            b.html.append(html_.compose(texts, line));
            ++b.ncomposed;
        } else if (b.n - i > static_cast<size_t>(kReportTail)) {
            ++b.passed;
        } else {
            html_.keepform(texts, b.kept);
            b.keptends.push_back(static_cast<uint32_t>(b.kept.size()));
        }
    }
}

// The finished batches, oldest first, by one worker at a time (the others go on formatting).
void RowPipe::writeready(std::unique_lock<std::mutex>& lock) {
    if (writing_) return;
    writing_ = true;
    for (;;) {
        if (nextwrite_ == nextfill_) break;
        Batch& b = *batches_[nextwrite_ % batches_.size()];
        if (b.state != Batch::Done) break;
        lock.unlock();
        listing_.lines(b.listing);
        html_.rows(b.html, b.ncomposed, b.passed, b.kept, b.keptends);
        lock.lock();
        b.state = Batch::Free;
        ++nextwrite_;
        freed_.notify_all();
    }
    writing_ = false;
}

}  // namespace rt::out
