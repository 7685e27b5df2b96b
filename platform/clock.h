#pragma once

#include <QDate>

#include <cstdint>
#include <functional>

namespace platform {

// The local calendar date now.
QDate today();

// Fresh bits from the clock for seeding; two calls, or two processes started in the same
// millisecond, give different values.
std::uint64_t clockSeed();

namespace testing {
// Replaces today's date; an empty function restores the real clock.
void setToday(std::function<QDate()> source);
} // namespace testing

} // namespace platform
