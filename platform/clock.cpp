#include "platform/clock.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>

namespace platform {
namespace {

std::function<QDate()>& todaySource()
{
    static std::function<QDate()> source;
    return source;
}

// splitmix64 finaliser: spreads nearby clock readings over the whole range.
constexpr std::uint64_t mix(std::uint64_t z)
{
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

} // namespace

QDate today()
{
    if (const auto& source = todaySource())
        return source();
    return QDate::currentDate();
}

std::uint64_t clockSeed()
{
    static std::atomic<std::uint64_t> calls{0};
    const auto wall = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    const auto steady =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    // The process id separates launches that read the same clock tick.
    const auto pid = static_cast<std::uint64_t>(QCoreApplication::applicationPid());
    return mix(wall ^ mix(steady ^ mix(pid ^ mix(calls.fetch_add(1)))));
}

namespace testing {
void setToday(std::function<QDate()> source)
{
    todaySource() = std::move(source);
}
} // namespace testing

} // namespace platform
