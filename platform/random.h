#pragma once

#include <cstdint>
#include <functional>
#include <random>

namespace platform {

// The program's random generator: one is made at start-up and lives for the whole run.
class Random final {
public:
    void Randomize();                   // seeds it from the clock
    void Randomize(std::uint64_t seed); // seeds it with a fixed value (tests, reproducible benchmarks)
    float Rnd();                        // next value, single precision, 0 <= r < 1, never 1

    // Makes Rnd return values from the source instead of the generator; empty restores it.
    void setSource(std::function<float()> source);

private:
    std::mt19937_64 engine{0};
    std::function<float()> source;
};

// The integer part of r × count + offset for a value r of Rnd, worked out in double precision:
// in single precision r × 6 rounds up to 6 for the largest r below 1, a seventh value of six.
int drawn(float r, int count, int offset = 0);

} // namespace platform
