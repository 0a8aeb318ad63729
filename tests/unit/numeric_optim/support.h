// Test support: a host instance with a small pool of our own, the censored Weibull sample
// and its log-likelihood on the extreme-value scale of log time.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>
#include "host/hostdefs.h"
#include "host/instance.h"
#include "proc/framework/anchor.h"

namespace numtest {

// A pool that counts live blocks, can refuse to allocate, and can fill blocks with NaNs
// even when asked for zeroed memory (to catch reads of storage that was never written).
struct testpool {
    // The pool object the procedure sees, with a way back to this record.
    struct head {
        poolobj obj;
        testpool* owner;
    } hd;
    poolobj& obj = hd.obj;
    int live = 0;
    int allocs = 0;
    bool refuse = false;
    bool poison = false;
    std::vector<int> flags;

    testpool() { hd = {{&alloc, &release}, this}; }
    testpool(const testpool&) = delete;
    testpool& operator=(const testpool&) = delete;

    static testpool* of(poolobj* p) { return reinterpret_cast<head*>(p)->owner; }
    static void* alloc(poolobj* p, int64_t size, int flags) {
        testpool* self = of(p);
        self->flags.push_back(flags);
        if (self->refuse) return nullptr;
        ++self->live;
        ++self->allocs;
        auto* b = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
        if (self->poison) {
            const double nan = std::nan("");
            for (int64_t i = 0; i + 8 <= size; i += 8) std::memcpy(b + i, &nan, 8);
        } else if (flags & POOL_ZERO) {
            std::memset(b, 0, static_cast<size_t>(size));
        }
        return b;
    }
    static void release(poolobj* p, void* block, int64_t, int) {
        --of(p)->live;
        std::free(block);
    }
};

// Installs a host instance with the given pool as the module's instance while in scope.
struct hostscope {
    hostinst inst{};
    hostinst* saved;
    explicit hostscope(testpool& pool) : saved(v_global_gcb_anchor) {
        inst.pool = &pool.obj;
        inst.missing = hostmissing();
        v_global_gcb_anchor = &inst;
    }
    ~hostscope() { v_global_gcb_anchor = saved; }
};

// The two cells of each "first,second" row of a CSV file after its header line.
inline std::vector<std::pair<std::string, std::string>> csvpairs(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> out;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        out.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    return out;
}

// name,value rows of a reference file.
inline std::map<std::string, double> readrefs(const std::string& path) {
    std::map<std::string, double> out;
    for (const auto& [name, value] : csvpairs(path)) out[name] = std::stod(value);
    return out;
}

// Points a limit-search block at a fixture's work arrays (members theta, base, grad, hess,
// c, low, upp and the evaluation counter) and gives it the tests' common settings.
template <class Fixture>
void wireblock(Fixture& f, int32_t npar, int32_t maxeval) {
    f.blk.npar = npar;
    f.blk.maxeval = maxeval;
    f.blk.evalcnt = &f.counter;
    f.blk.theta = f.theta.data();
    f.blk.base = f.base.data();
    f.blk.cgrad = f.grad.data();
    f.blk.chess = f.hess.data();
    f.blk.cvec = f.c.data();
    f.blk.lowres = f.low.data();
    f.blk.uppres = f.upp.data();
    f.blk.singtol = 1e-10;
    f.blk.alpha = 0.05;
}

// A right-censored sample: log times and event indicators.
struct weibull_sample {
    std::vector<double> y;
    std::vector<int> event;

    static weibull_sample load(const std::string& path) {
        weibull_sample s;
        for (const auto& [time, event] : csvpairs(path)) {
            s.y.push_back(std::log(std::stod(time)));
            s.event.push_back(std::stoi(event));
        }
        return s;
    }

    // Minus the log-likelihood of the smallest extreme-value distribution of log time with
    // location mu and scale exp(eta), theta = (mu, eta); events contribute the log density
    // z - e^z - eta, censored times the log survival -e^z, z = (y - mu) / sigma.
    double negll(const double* th) const {
        const double mu = th[0], eta = th[1], sigma = std::exp(eta);
        double ll = 0.0;
        for (size_t i = 0; i < y.size(); ++i) {
            const double z = (y[i] - mu) / sigma;
            ll += event[i] ? z - std::exp(z) - eta : -std::exp(z);
        }
        return -ll;
    }
    // Gradient and packed Hessian of minus the log-likelihood.
    void derivs(const double* th, double* g, double* h) const {
        const double mu = th[0], eta = th[1], sigma = std::exp(eta);
        double gm = 0, ge = 0, hmm = 0, hme = 0, hee = 0;
        for (size_t i = 0; i < y.size(); ++i) {
            const double z = (y[i] - mu) / sigma, ez = std::exp(z), dl = event[i];
            const double a1 = dl - ez, a2 = -ez;  // first and second derivative in z
            gm += -a1 / sigma;
            ge += -a1 * z - dl;
            hmm += a2 / (sigma * sigma);
            hme += (a2 * z + a1) / sigma;
            hee += a2 * z * z + a1 * z;
        }
        g[0] = -gm;
        g[1] = -ge;
        h[0] = -hmm;
        h[1] = -hme;
        h[2] = -hee;
    }
    // Sum of the log times of the events: the Jacobian between the log-time and the time
    // scale of the log-likelihood.
    double eventlogsum() const {
        double s = 0.0;
        for (size_t i = 0; i < y.size(); ++i)
            if (event[i]) s += y[i];
        return s;
    }
};

inline std::string datapath(const char* name) {
    return std::string(VITALYX_TEST_DATA) + "/numeric_optim/" + name;
}

}  // namespace numtest
