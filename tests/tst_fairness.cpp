// Fair draws: the shared generator and every draw made from it. Over millions of values from a
// fixed seed, each outcome comes up as often as chance allows (chi-square at the 0.001 level);
// the mappings from a value of the generator to an outcome split its 2^24 possible values
// evenly; and the generator never gives 1 or a negative value.
#include "platform/clock.h"
#include "platform/random.h"
#include "reading/reading.h"
#include "referral/promo.h"
#include "support/testsupport.h"

#include <QLabel>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

enum class Draw { Omen, OmenPair, PromoMessage, CoBrand };

constexpr qint64 kDraws = 3'000'000;
// The generator's values are multiples of 2^-24.
constexpr std::int64_t kSteps = std::int64_t{1} << 24;

int cellCount(Draw draw)
{
    switch (draw) {
    case Draw::Omen:
        return 3;
    case Draw::OmenPair:
        return 9;
    case Draw::PromoMessage:
        return referral::kPromoMessageCount;
    case Draw::CoBrand:
        return 6;
    }
    return 0;
}

// The outcome of a generator value r, as a cell 0 .. count-1 (pairs need two values).
int cellFor(Draw draw, float r)
{
    switch (draw) {
    case Draw::Omen:
    case Draw::OmenPair:
        return static_cast<int>(reading::omenFor(r)) - 1;
    case Draw::PromoMessage:
        return referral::promoMessageIndex(r);
    case Draw::CoBrand:
        return referral::coBrandNumber(r) - 1;
    }
    return -1;
}

// One draw the way the program makes it, from the shared generator.
int nextCell(Draw draw, platform::Random& random)
{
    switch (draw) {
    case Draw::Omen:
        return static_cast<int>(reading::DrawOmen(random)) - 1;
    case Draw::OmenPair: {
        const int first = static_cast<int>(reading::DrawOmen(random)) - 1;
        return first * 3 + static_cast<int>(reading::DrawOmen(random)) - 1;
    }
    case Draw::PromoMessage:
        // PickPromoMessage seeds afresh from the clock before its draw, so the reproducible run
        // applies its mapping (checked against the function itself below) to the seeded values.
        return referral::promoMessageIndex(random.Rnd());
    case Draw::CoBrand:
        return referral::coBrandNumber(random.Rnd()) - 1;
    }
    return -1;
}

// The program's own answer for r, through its functions, with r as the generator's next value.
int programCellFor(Draw draw, float r)
{
    platform::Random random;
    testsupport::ScriptedRandom scripted{random, {r, r}};
    switch (draw) {
    case Draw::Omen:
    case Draw::OmenPair:
        return static_cast<int>(reading::DrawOmen(random)) - 1;
    case Draw::PromoMessage: {
        QLabel label;
        referral::PickPromoMessage(label, random);
        for (int k = 0; k < referral::kPromoMessageCount; ++k) {
            if (label.text() == referral::PromoMessage(k))
                return k;
        }
        return -1;
    }
    case Draw::CoBrand:
        return referral::coBrandNumber(random.Rnd()) - 1;
    }
    return -1;
}

float valueAt(std::int64_t step)
{
    return static_cast<float>(step) / static_cast<float>(kSteps);
}

} // namespace

Q_DECLARE_METATYPE(Draw)

class FairnessTest : public testsupport::TestCase {
    Q_OBJECT

private slots:
    void drawsAreUniform_data()
    {
        QTest::addColumn<Draw>("draw");
        QTest::addColumn<double>("critical");
        QTest::addColumn<quint64>("seed");

        // Critical values of chi-square at the 0.001 level for 2, 8, 3 and 5 degrees of freedom.
        QTest::newRow("omen") << Draw::Omen << 13.816 << quint64{20240611};
        QTest::newRow("pair of consecutive omens") << Draw::OmenPair << 26.124 << quint64{77123};
        QTest::newRow("promotional message") << Draw::PromoMessage << 16.266 << quint64{9001};
        QTest::newRow("co-brand number") << Draw::CoBrand << 20.515 << quint64{31337};
    }

    void drawsAreUniform()
    {
        QFETCH(Draw, draw);
        QFETCH(double, critical);
        QFETCH(quint64, seed);

        platform::Random random;
        random.Randomize(seed);
        const int cells = cellCount(draw);
        std::array<qint64, 9> counts{};
        qint64 outside = 0;
        for (qint64 i = 0; i < kDraws; ++i) {
            const int cell = nextCell(draw, random);
            if (cell < 0 || cell >= cells)
                ++outside;
            else
                ++counts[static_cast<std::size_t>(cell)];
        }
        QCOMPARE(outside, qint64{0});

        const double expected = static_cast<double>(kDraws) / cells;
        double chiSquare = 0;
        for (int c = 0; c < cells; ++c) {
            const double difference = static_cast<double>(counts[static_cast<std::size_t>(c)]) - expected;
            chiSquare += difference * difference / expected;
        }
        qInfo("%s: chi-square %.3f over %lld draws, %d cells (critical %.3f)", QTest::currentDataTag(),
              chiSquare, static_cast<long long>(kDraws), cells, critical);
        QVERIFY2(chiSquare < critical, qPrintable(QStringLiteral("chi-square %1").arg(chiSquare)));
    }

    // Over all 2^24 values the generator can give, no outcome gets more than one value more
    // than another: the mapping itself adds no bias.
    void mappingsSplitEveryValueEvenly_data()
    {
        QTest::addColumn<Draw>("draw");
        QTest::newRow("omen") << Draw::Omen;
        QTest::newRow("promotional message") << Draw::PromoMessage;
        QTest::newRow("co-brand number") << Draw::CoBrand;
    }

    void mappingsSplitEveryValueEvenly()
    {
        QFETCH(Draw, draw);
        const int cells = cellCount(draw);
        std::array<qint64, 9> counts{};
        qint64 outside = 0;
        int previous = 0;
        qint64 steps = 0;
        for (std::int64_t i = 0; i < kSteps; ++i) {
            const int cell = cellFor(draw, valueAt(i));
            if (cell < 0 || cell >= cells) {
                ++outside;
                continue;
            }
            ++counts[static_cast<std::size_t>(cell)];
            // Larger values never give an earlier outcome.
            if (cell < previous)
                ++steps;
            previous = cell;
        }
        QCOMPARE(outside, qint64{0});
        QCOMPARE(steps, qint64{0});
        const auto [least, most] = std::minmax_element(counts.begin(), counts.begin() + cells);
        QVERIFY2(*most - *least <= 1, qPrintable(QStringLiteral("%1 to %2").arg(*least).arg(*most)));
    }

    // The program's functions split the values at the same places as the mappings above: the
    // last value below each boundary and the first one on it, the smallest and the largest value.
    void programDrawsMatchTheMapping_data()
    {
        QTest::addColumn<Draw>("draw");
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("cell");

        const std::array<std::pair<Draw, const char*>, 3> draws{
            {{Draw::Omen, "omen"}, {Draw::PromoMessage, "message"}, {Draw::CoBrand, "co-brand"}}};
        for (const auto& [draw, name] : draws) {
            const int cells = cellCount(draw);
            QTest::addRow("%s, r = 0", name) << draw << 0.0f << 0;
            QTest::addRow("%s, largest r", name) << draw << valueAt(kSteps - 1) << cells - 1;
            for (int j = 1; j < cells; ++j) {
                const std::int64_t first = (j * kSteps + cells - 1) / cells;
                QTest::addRow("%s, just below %d/%d", name, j, cells) << draw << valueAt(first - 1) << j - 1;
                QTest::addRow("%s, at %d/%d", name, j, cells) << draw << valueAt(first) << j;
            }
        }
    }

    void programDrawsMatchTheMapping()
    {
        QFETCH(Draw, draw);
        QFETCH(float, r);
        QFETCH(int, cell);
        QCOMPARE(cellFor(draw, r), cell);
        QCOMPARE(programCellFor(draw, r), cell);
    }

    void generatorStaysInsideZeroToOne()
    {
        platform::Random random;
        random.Randomize(quint64{4242});
        float least = 1;
        float most = 0;
        qint64 offLattice = 0;
        for (qint64 i = 0; i < kDraws; ++i) {
            const float r = random.Rnd();
            least = std::min(least, r);
            most = std::max(most, r);
            const float scaled = r * static_cast<float>(kSteps);
            if (scaled != std::floor(scaled))
                ++offLattice;
        }
        QVERIFY(least >= 0.0f);
        QVERIFY(most < 1.0f);
        // Every value is 24 random bits over 2^24, so the largest one possible is the float just
        // below 1, never 1 itself.
        QCOMPARE(offLattice, qint64{0});
        const float largest = valueAt(kSteps - 1);
        QVERIFY(largest < 1.0f);
        QCOMPARE(largest, std::nextafter(1.0f, 0.0f));
        QVERIFY(most <= largest);
    }

    void clockSeedsDifferFromCallToCall()
    {
        const std::uint64_t first = platform::clockSeed();
        const std::uint64_t second = platform::clockSeed();
        QVERIFY(first != second);

        QSet<quint64> seeds;
        for (int i = 0; i < 10000; ++i)
            seeds.insert(platform::clockSeed());
        QCOMPARE(seeds.size(), 10000);
    }
};

QTEST_MAIN(FairnessTest)
#include "tst_fairness.moc"
