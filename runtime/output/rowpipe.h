// The rows of a long printed table of numbers, formatted on worker threads. The procedure's
// thread only copies each row's shown numbers into a batch; workers format whole batches
// (the listing's lines, the report's rows) and the worker that finishes the oldest batch
// writes the finished batches in order, so the bytes are those of row-by-row printing.
// While batches are out, nothing else may write the listing or the report: drain() first.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include "runtime/output/html.h"
#include "runtime/output/layout.h"
#include "runtime/output/listing.h"
#include "runtime/output/objects.h"

namespace rt::out {

class RowPipe {
public:
    // Whether the table's rows can go through a pipe: one panel, only numbers shown, every
    // shown cell bound.
    static bool suits(const DataObject& obj, const Layout& layout, const ListingTable& listing);
    RowPipe(const DataObject& obj, const Layout& layout, ListingTable& listing, HtmlTable& html, int workers);
    ~RowPipe();   // the rows not yet written are dropped: drain() first
    RowPipe(const RowPipe&) = delete;
    RowPipe& operator=(const RowPipe&) = delete;

    // Takes the row now in the object's bound cells.
    void add() {
        double* v = cur_->vals.data() + cur_->n * shown_.size();
        for (const Shown& s : shown_) *v++ = s.integer ? static_cast<double>(*static_cast<const int32_t*>(s.cell))
                                                       : *static_cast<const double*>(s.cell);
        if (++cur_->n == kBatch) submit();
    }
    // Every row taken is written; the workers wait for more. false when a batch could not be
    // formatted (no memory): its rows are missing.
    bool drain();

private:
    static constexpr size_t kBatch = 4096;
    struct Shown {
        const void* cell;
        bool integer;
    };
    struct Batch {
        std::vector<double> vals;
        size_t n = 0;
        long long first = 0;            // the report's count of the table's rows before this batch
        enum State : unsigned char { Free, Filling, Ready, Done } state = Free;
        std::string listing, html, kept;
        long long ncomposed = 0, passed = 0;
        std::vector<uint32_t> keptends;
    };
    void submit();
    void work();
    void format(Batch& b, std::vector<CellValue>& vals, RowTexts& texts, std::string& line) const;
    void writeready(std::unique_lock<std::mutex>& lock);

    const Layout& layout_;
    ListingTable& listing_;
    HtmlTable& html_;
    std::vector<Shown> shown_;
    size_t ncols_ = 0;                  // the object's columns (CellValue vector size)
    std::vector<std::unique_ptr<Batch>> batches_;
    Batch* cur_ = nullptr;
    long long htmlnext_ = 0;            // the report's count of rows before the batch being filled
    size_t nextready_ = 0;              // batches handed out in turn: the next to format
    size_t nextwrite_ = 0;              // the next to write
    size_t nextfill_ = 0;               // the next to fill
    bool writing_ = false;
    bool failed_ = false;
    bool stop_ = false;
    std::mutex m_;
    std::condition_variable work_, freed_;
    std::vector<std::thread> crew_;
};

}  // namespace rt::out
