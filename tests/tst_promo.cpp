// The two random choices: the message of the refer-a-friend window and which offer of the
// name-entry window lies in front.
#include "app/startup.h"
#include "platform/random.h"
#include "reading/frmMain.h"
#include "referral/frmNagScreen2.h"
#include "referral/promo.h"
#include "services/links.h"
#include "support/testsupport.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/linklabel.h"

#include <QGroupBox>
#include <QLabel>

#include <cmath>
#include <memory>

namespace {

const float kJustBelowOne = std::nextafter(1.0f, 0.0f);

// The offer label a click on the middle of the offer frame reaches.
QWidget* offerInFront(reading::frmMain& main)
{
    return testsupport::child<QGroupBox>(main, "fraFullBrand")
        ->childAt(testsupport::child<ui::LinkLabel>(main, "lblFullBrand")->geometry().center());
}

} // namespace

class PromoTest : public testsupport::ProgramTest {
    Q_OBJECT

private slots:
    void draws_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("coBrand");

        QTest::newRow("0") << 0.0f << 0 << 1;
        QTest::newRow("just below 1") << kJustBelowOne << 3 << 6;
        QTest::newRow("0.25") << 0.25f << 1 << 2;
        QTest::newRow("0.5") << 0.5f << 2 << 4;
        QTest::newRow("0.75") << 0.75f << 3 << 5;
        QTest::newRow("just below 0.25") << std::nextafter(0.25f, 0.0f) << 0 << 2;
        QTest::newRow("just below 1/6") << std::nextafter(1.0f / 6.0f, 0.0f) << 0 << 1;
        QTest::newRow("just below 5/6") << std::nextafter(5.0f / 6.0f, 0.0f) << 3 << 5;
    }

    // The message picked for the refer-a-friend window when it is created.
    void draws()
    {
        QFETCH(float, r);
        QFETCH(int, message);

        testsupport::ScriptedRandom random{run->state.random, {r}};
        auto& form = forms().get<referral::frmNagScreen2>();
        QCOMPARE(testsupport::child<QLabel>(form, "Label2")->text(), referral::PromoMessage(message));
        QCOMPARE(random.consumed, 1);
    }

    // The co-brand draw at the end of a real start-up.
    void coBrandDraw_data() { draws_data(); }

    void coBrandDraw()
    {
        QFETCH(float, r);
        QFETCH(int, coBrand);

        testsupport::ScriptedRandom random{run->state.random, {r}};
        run->start();
        auto* host = forms().find<app::frmNagScreen>();
        auto* main = forms().find<reading::frmMain>();
        QVERIFY(host && main);
        QCOMPARE(random.consumed, 1);
        QCOMPARE(run->state.intCoBrandRandomNumber, static_cast<qint16>(coBrand));
        QWidget* expected =
            coBrand % 2 != 0 ? static_cast<QWidget*>(testsupport::child<ui::LinkLabel>(*main, "lblCobrand"))
                             : testsupport::child<ui::LinkLabel>(*main, "lblFullBrand");
        QCOMPARE(offerInFront(*main), expected);
        // Nothing else of the window changes with the draw.
        QVERIFY(main->isVisible());
        QVERIFY(!forms().isLoaded<referral::frmNagScreen2>());
    }

    void pickPromoMessageFillsTheLabel_data() { draws_data(); }

    void pickPromoMessageFillsTheLabel()
    {
        QFETCH(float, r);
        QFETCH(int, message);

        testsupport::ScriptedRandom random{run->state.random, {r}};
        QLabel label(QStringLiteral("before"));
        referral::PickPromoMessage(label, run->state.random);
        QCOMPARE(label.text(), referral::PromoMessage(message));
        QCOMPARE(random.consumed, 1);
    }

    // Seeding from the clock: the same fixed seed before two picks no longer decides what
    // follows them, as it would without the fresh seed.
    void pickPromoMessageReseeds()
    {
        QLabel label;
        run->state.random.Randomize(7);
        run->state.random.Rnd();
        const float secondOfSeven = run->state.random.Rnd();

        run->state.random.Randomize(7);
        referral::PickPromoMessage(label, run->state.random);
        const float afterFirstPick = run->state.random.Rnd();
        run->state.random.Randomize(7);
        referral::PickPromoMessage(label, run->state.random);
        const float afterSecondPick = run->state.random.Rnd();

        QVERIFY(afterFirstPick != secondOfSeven);
        QVERIFY(afterSecondPick != secondOfSeven);
        QVERIFY(afterFirstPick != afterSecondPick);
    }

    // The co-brand draw takes the generator's next value as it stands.
    void coBrandDoesNotReseed()
    {
        run->start();
        auto& main = forms().get<reading::frmMain>();
        auto& host = forms().get<app::frmNagScreen>();
        for (std::uint64_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
            run->state.random.Randomize(seed);
            const float r = run->state.random.Rnd();
            run->state.random.Randomize(seed);
            host.CoBrand_Randomize();
            const qint16 n = run->state.intCoBrandRandomNumber;
            QCOMPARE(n, static_cast<qint16>(std::floor(static_cast<double>(r) * 6.0 + 1.0)));
            QVERIFY(n >= 1 && n <= 6);
            QWidget* expected = n % 2 != 0 ? testsupport::child(main, "lblCobrand")
                                           : testsupport::child(main, "lblFullBrand");
            QCOMPARE(offerInFront(main), expected);
        }
    }

    // Without the name-entry window there is nothing to reorder, and none is created for it.
    void coBrandWithoutTheMainWindow()
    {
        run->start();
        forms().unload<reading::frmMain>();
        testsupport::settle();
        testsupport::ScriptedRandom random{run->state.random, {0.5f}};
        auto& host = forms().get<app::frmNagScreen>();
        host.CoBrand_Randomize();
        QCOMPARE(run->state.intCoBrandRandomNumber, static_cast<qint16>(4));
        QVERIFY(!forms().isLoaded<reading::frmMain>());
    }

    // Until the draw the fully-branded offer lies in front.
    void designOrder()
    {
        auto& main = forms().get<reading::frmMain>();
        QCOMPARE(offerInFront(main),
                 static_cast<QWidget*>(testsupport::child<ui::LinkLabel>(main, "lblFullBrand")));
    }

    void messages()
    {
        QVERIFY(referral::PromoMessage(0).startsWith(QStringLiteral(
            "Veldrane Softwares, such as this can be created and maintained only with your support.")));
        QVERIFY(referral::PromoMessage(0).contains(QStringLiteral("Veldrane Board")));
        QVERIFY(referral::PromoMessage(2).contains(QStringLiteral("FREE online discussion forum")));
        QVERIFY(referral::PromoMessage(3).contains(QStringLiteral("Veldrane Softwares")));
        QStringList all;
        for (int k = 0; k < referral::kPromoMessageCount; ++k) {
            const QString text = referral::PromoMessage(k);
            QVERIFY2(text.contains(referral::ForumSiteName()), qPrintable(text));
            QVERIFY(!all.contains(text));
            all << text;
        }
        QCOMPARE(referral::PromoMessage(-1), QString());
        QCOMPARE(referral::PromoMessage(4), QString());
    }

    void forumSiteName()
    {
        const QString name = referral::ForumSiteName();
        QVERIFY(!name.isEmpty());
        QVERIFY(!name.contains(u':'));
        QCOMPARE(name.toLower(), services::ForumHost().section(u':', 0, 0).toLower());
        QVERIFY(name.at(0).isUpper() || !name.at(0).isLetter());
    }
};

QTEST_MAIN(PromoTest)
#include "tst_promo.moc"
