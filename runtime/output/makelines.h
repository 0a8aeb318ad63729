// The rows of a large MAKE data set composed and written on threads of their own: the
// procedure's thread hands over each row's values in batches and goes on; each worker takes
// the next batch, turns it into CSV lines with the same code and bytes as the rows written at
// once (makeds.h), and writes them to the data set's file when every earlier batch is written,
// so the lines keep their order. Nothing else writes the file while the workers run.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/output/layout.h"

namespace rt::out {

class Sink;

// How one table's rows make CSV lines: the BY values, and for each header column the table
// column it takes (-1 for none) and that column's kind.
struct MakeShape {
    std::string byprefix;
    bool bys = false;             // the data set has BY columns (the prefix may be empty)
    std::vector<int> map;
    std::vector<int> kinds;
    int ncols = 0;                // columns of the table
};

// Composes the CSV line of one row (with its line end) into line; returns its length.
size_t composeline(const MakeShape& s, const std::vector<CellValue>& vals, std::string& line);

class MakeLines {
public:
    // workers: the threads that compose batches side by side (at least one).
    MakeLines(Sink& sink, int workers);
    ~MakeLines();
    MakeLines(const MakeLines&) = delete;
    MakeLines& operator=(const MakeLines&) = delete;
    // Hands over one row (the values as readrow gives them). The shape is taken by reference:
    // a count of its owners changed for every row would be a write to memory the workers
    // read all the time.
    void row(const std::shared_ptr<MakeShape>& shape, const std::vector<CellValue>& vals);
    // Waits until every row handed over is written and ends the worker.
    void finish();

private:
    struct Batch {
        std::vector<std::shared_ptr<const MakeShape>> shapes;
        std::vector<unsigned char> bytes;   // per row: its shape's index, then its values
        size_t used = 0;                    // bytes of it in use
        size_t rows = 0;
        uint64_t seq = 0;                   // its place in the order of the batches
        std::string text;                   // its lines, composed
    };
    void work();
    void send();

    Sink& sink_;
    Batch cur_;
    std::mutex mu_;
    std::condition_variable ready_, room_, turn_;
    std::deque<Batch> full_;          // batches to compose, in order
    std::vector<Batch> spare_;        // batches written, for reuse
    uint64_t sent_ = 0;               // batches handed over
    uint64_t written_ = 0;            // batches written to the file
    size_t ahead_ = 0;                // batches handed over and not yet written
    size_t most_ = 0;                 // the most that may be
    bool done_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace rt::out
