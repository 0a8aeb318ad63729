// Work spread over threads started for it: fn(i) for i = 0 .. n - 1 on up to `threads`
// threads (the calling one among them), each taking the next i as it is done; fewer threads
// when the system gives no more.
#pragma once
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace rt::util {
template <class F>
void spread(int threads, int n, F fn) {
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i; (i = next.fetch_add(1)) < n;) fn(i);
    };
    std::vector<std::thread> crew;
    const int extra = std::min(threads, n) - 1;
    for (int t = 0; t < extra; ++t) {
        try {
            crew.emplace_back(work);
        } catch (...) {
            break;   // fewer threads: the ones there take the work
        }
    }
    work();
    for (auto& t : crew) t.join();
}
}  // namespace rt::util
