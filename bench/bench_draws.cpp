// Fair draws of a real run: the shared generator seeded from the clock as the program seeds it,
// the four draws made from it with their chi-square statistics and p-values, and the clock
// seeds of many processes started together, which must all differ.
//
//   bench_draws [--draws N] [--processes N]
//
// Exit status: 0 all well; 1 a draw failed at the 0.001 level (which a fair generator does now
// and then); 2 two processes got the same seed, or the statistics themselves are wrong.
#include "platform/clock.h"
#include "platform/random.h"
#include "reading/reading.h"
#include "referral/promo.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr double kLevel = 0.001;
const char* const kChildOption = "--print-seed";

std::int64_t wallNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Regularised incomplete gamma functions: P(a, x) by its series below a + 1, Q(a, x) by its
// continued fraction (modified Lentz) above.
double lowerGammaSeries(double a, double x)
{
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n < 10000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * 1e-15)
            break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

double upperGammaFraction(double a, double x)
{
    constexpr double tiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::fabs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        d = 1.0 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1.0) < 1e-15)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

// The probability that a chi-square variable with df degrees of freedom exceeds x.
double chiSquarePValue(double x, int df)
{
    const double a = df / 2.0;
    const double half = x / 2.0;
    if (half <= 0)
        return 1.0;
    if (half < a + 1.0)
        return 1.0 - lowerGammaSeries(a, half);
    return upperGammaFraction(a, half);
}

struct DrawKind {
    const char* name;
    int cells;
    int (*next)(platform::Random& random);
};

int omenCell(platform::Random& random)
{
    return static_cast<int>(reading::DrawOmen(random)) - 1;
}

// The draws as the program makes them from its generator; the message index uses the
// mapping of PickPromoMessage, which would seed afresh before each draw.
const std::array<DrawKind, 4> kDraws{{
    {"omen", 3, omenCell},
    {"pair of consecutive omens", 9,
     [](platform::Random& random) {
         const int first = omenCell(random);
         return first * 3 + omenCell(random);
     }},
    {"promotional message", referral::kPromoMessageCount,
     [](platform::Random& random) { return referral::promoMessageIndex(random.Rnd()); }},
    {"co-brand number", 6,
     [](platform::Random& random) { return referral::coBrandNumber(random.Rnd()) - 1; }},
}};

bool reportDraws(long long draws)
{
    std::printf(
        "Fair draws: the shared generator seeded from the clock, %lld draws each (pairs: %lld pairs)\n\n",
        draws, draws);
    std::printf("%-27s %5s %12s %3s %10s  %s\n", "draw", "cells", "chi-square", "df", "p-value",
                "verdict at the 0.001 level");
    platform::Random random;
    random.Randomize();
    bool allUniform = true;
    for (const DrawKind& kind : kDraws) {
        std::vector<long long> counts(static_cast<std::size_t>(kind.cells), 0);
        long long outside = 0;
        const auto start = std::chrono::steady_clock::now();
        for (long long i = 0; i < draws; ++i) {
            const int cell = kind.next(random);
            if (cell < 0 || cell >= kind.cells)
                ++outside;
            else
                ++counts[static_cast<std::size_t>(cell)];
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double expected = static_cast<double>(draws) / kind.cells;
        double chiSquare = 0;
        for (long long count : counts)
            chiSquare += (count - expected) * (count - expected) / expected;
        const int df = kind.cells - 1;
        const double p = chiSquarePValue(chiSquare, df);
        const bool uniform = p >= kLevel && outside == 0;
        allUniform = allUniform && uniform;
        std::printf("%-27s %5d %12.3f %3d %10.4f  %s (%.0f ns a draw)\n", kind.name, kind.cells, chiSquare,
                    df, p, uniform ? "uniform" : (outside ? "OUT OF RANGE" : "NOT uniform"),
                    seconds * 1e9 / draws);
    }
    std::printf("\nA fair generator fails one of the four at this level in about one run in 250.\n");
    return allUniform;
}

// The p-value function against the tabulated critical values of the 0.001 level.
bool checkPValues()
{
    const std::array<std::pair<int, double>, 4> critical{
        {{2, 13.816}, {8, 26.124}, {3, 16.266}, {5, 20.515}}};
    bool good = true;
    for (const auto& [df, value] : critical)
        good = good && std::fabs(chiSquarePValue(value, df) - kLevel) < 2e-6;
    if (!good)
        std::printf("The p-value computation disagrees with the tables.\n");
    return good;
}

struct ChildSeed {
    std::uint64_t seed = 0;
    std::int64_t readAt = 0;
};

// Starts the children back to back; with an instant, each waits for it before reading the
// clock, so that all read it within the same few milliseconds.
std::vector<ChildSeed> childSeeds(int count, std::int64_t instant, std::int64_t& launchSpread)
{
    std::vector<std::unique_ptr<QProcess>> children;
    const QString self = QCoreApplication::applicationFilePath();
    QStringList arguments{QString::fromLatin1(kChildOption)};
    if (instant)
        arguments << QString::number(instant);
    const std::int64_t first = wallNanoseconds();
    for (int i = 0; i < count; ++i) {
        auto child = std::make_unique<QProcess>();
        child->start(self, arguments);
        children.push_back(std::move(child));
    }
    launchSpread = wallNanoseconds() - first;
    std::vector<ChildSeed> seeds;
    for (auto& child : children) {
        if (!child->waitForFinished(30000) || child->exitCode() != 0)
            continue;
        const QList<QByteArray> fields = child->readAllStandardOutput().trimmed().split(' ');
        if (fields.size() == 2)
            seeds.push_back({fields[0].toULongLong(), fields[1].toLongLong()});
    }
    return seeds;
}

bool reportSeeds(int count, const char* how, std::int64_t instant)
{
    std::int64_t launchSpread = 0;
    const std::vector<ChildSeed> seeds = childSeeds(count, instant, launchSpread);
    std::set<std::uint64_t> distinct;
    for (const ChildSeed& s : seeds)
        distinct.insert(s.seed);
    std::vector<std::int64_t> times;
    for (const ChildSeed& s : seeds)
        times.push_back(s.readAt);
    std::sort(times.begin(), times.end());
    long long close = 0;
    std::int64_t closest = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < times.size(); ++i) {
        for (std::size_t j = i + 1; j < times.size() && times[j] - times[i] < 1'000'000; ++j)
            ++close;
        if (i + 1 < times.size())
            closest = std::min(closest, times[i + 1] - times[i]);
    }
    const bool good = static_cast<int>(seeds.size()) == count && static_cast<int>(distinct.size()) == count;
    std::printf("%-40s %3zu of %d answered, %3zu distinct seeds; launched within %.1f ms; "
                "%lld pairs read the clock less than 1 ms apart (closest %.1f us) -> %s\n",
                how, seeds.size(), count, distinct.size(), launchSpread / 1e6, close,
                times.size() > 1 ? closest / 1e3 : 0.0, good ? "all distinct" : "DUPLICATE OR MISSING SEEDS");
    return good;
}

} // namespace

int main(int argc, char* argv[])
{
    // A child: one clock seed, read as early as possible, no application object.
    if (argc >= 2 && std::strcmp(argv[1], kChildOption) == 0) {
        if (argc >= 3) {
            // Sleeping, not spinning: fifty spinning children on two cores would take turns.
            const std::int64_t wait = std::atoll(argv[2]) - wallNanoseconds();
            if (wait > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
        }
        const std::int64_t readAt = wallNanoseconds();
        const std::uint64_t seed = platform::clockSeed();
        std::printf("%llu %lld\n", static_cast<unsigned long long>(seed), static_cast<long long>(readAt));
        std::fflush(stdout);
        // Ending a process takes a good part of a millisecond of a core: the others, waking at
        // the same instant, go first.
        if (argc >= 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return 0;
    }

    QCoreApplication app(argc, argv);
    long long draws = 3'000'000;
    int processes = 50;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1StringView("--draws"))
            draws = std::max(1LL, args[i + 1].toLongLong());
        else if (args[i] == QLatin1StringView("--processes"))
            processes = std::max(2, args[i + 1].toInt());
    }

    bool sound = checkPValues();
    const bool uniform = reportDraws(draws);
    std::printf("\nClock seeds of %d processes of this program:\n", processes);
    sound = reportSeeds(processes, "started back to back", 0) && sound;
    // Far enough ahead for every child to be up and waiting.
    const std::int64_t instant = wallNanoseconds() + 400'000'000LL + processes * 20'000'000LL;
    sound = reportSeeds(processes, "reading the clock at one agreed instant", instant) && sound;
    std::fflush(stdout);
    return !sound ? 2 : uniform ? 0 : 1;
}
