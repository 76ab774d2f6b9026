#pragma once
// The generator's one source of chance: a small counter-based generator (splitmix64) whose sequence is the
// same on every platform and standard library, so a seed always makes the same tester.
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace Kestrix::LinkGen {

class Random {
public:
    explicit Random(uint64_t seed) : _state(seed) {}

    // An independent stream for one part of the work (a link, a trace), so that adding draws to one part
    // leaves the others as they were.
    Random fork(uint64_t salt) { return Random(next() ^ (salt * 0x9E3779B97F4A7C15ull)); }

    uint64_t next() {
        uint64_t z = (_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // Uniform in [0, n); n > 0.
    size_t below(size_t n) { return static_cast<size_t>(unit() * static_cast<double>(n)); }
    int between(int lo, int hi) { return lo + static_cast<int>(below(static_cast<size_t>(hi - lo + 1))); }
    bool chance(double p) { return unit() < p; }
    // Normal by Box-Muller; one value per call keeps streams simple.
    double normal(double mean, double sigma) {
        const double u1 = 1.0 - unit();
        const double u2 = unit();
        return mean + sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    uint64_t _state;
};

}  // namespace Kestrix::LinkGen
