#include "platform/random.h"

#include "platform/clock.h"

#include <cmath>
#include <random>

namespace platform {
namespace {

struct Generator {
    std::mt19937_64 engine{0};
    std::function<float()> override;
};

Generator& generator()
{
    static Generator g;
    return g;
}

} // namespace

void Randomize()
{
    Randomize(clockSeed());
}

void Randomize(std::uint64_t seed)
{
    generator().engine.seed(seed);
}

float Rnd()
{
    auto& g = generator();
    if (g.override)
        return g.override();
    // 24 random bits are exactly what a float mantissa holds, so the result is one of
    // 2^24 evenly spaced values in [0, 1) and never rounds up to 1.
    constexpr float kScale = 1.0f / 16777216.0f;
    return static_cast<float>(g.engine() >> 40) * kScale;
}

int drawn(float r, int count, int offset)
{
    return static_cast<int>(std::floor(static_cast<double>(r) * count + offset));
}

namespace testing {
void setRndSource(std::function<float()> source)
{
    generator().override = std::move(source);
}
} // namespace testing

} // namespace platform
