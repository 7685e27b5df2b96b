#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// The program's one random generator.
void Randomize();                   // seeds it from the clock
void Randomize(std::uint64_t seed); // seeds it with a fixed value (tests, reproducible benchmarks)
float Rnd();                        // next value, single precision, 0 <= r < 1, never 1

// The integer part of r × count + offset for a value r of Rnd, worked out in double precision:
// in single precision r × 6 rounds up to 6 for the largest r below 1, a seventh value of six.
int drawn(float r, int count, int offset = 0);

namespace testing {
// Makes Rnd return values from the source instead of the generator; empty restores it.
void setRndSource(std::function<float()> source);
} // namespace testing

} // namespace platform
