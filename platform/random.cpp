#include "platform/random.h"

#include "platform/clock.h"

#include <cmath>

namespace platform {

void Random::Randomize()
{
    Randomize(clockSeed());
}

void Random::Randomize(std::uint64_t seed)
{
    engine.seed(seed);
}

float Random::Rnd()
{
    if (source)
        return source();
    // 24 random bits are exactly what a float mantissa holds, so the result is one of
    // 2^24 evenly spaced values in [0, 1) and never rounds up to 1.
    constexpr float kScale = 1.0f / 16777216.0f;
    return static_cast<float>(engine() >> 40) * kScale;
}

void Random::setSource(std::function<float()> replacement)
{
    source = std::move(replacement);
}

int drawn(float r, int count, int offset)
{
    return static_cast<int>(std::floor(static_cast<double>(r) * count + offset));
}

} // namespace platform
