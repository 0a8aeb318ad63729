// Peak memory of a benchmark: the resident-set figures of this process (/proc/self/status).
#pragma once
#include <fstream>
#include <string>

namespace benchmem {

// A figure of /proc/self/status in kB (VmRSS: now, VmHWM: the peak); -1 when absent.
inline long status(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string k;
    long v = -1;
    while (in >> k) {
        if (k == key) {
            in >> v;
            break;
        }
        std::getline(in, k);
    }
    return v;
}

// Starts measuring the peak resident set from now on.
inline void resetpeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace benchmem
