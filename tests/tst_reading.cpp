// A whole reading: three counts with scripted draws, their pictures and texts, the refresh,
// and the way back to the name-entry window.
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "reading/reading.h"
#include "referral/frmNagScreen2.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <memory>

namespace texts = testsupport::texts;

using namespace reading;

namespace {

const float kJustBelowThird = std::nextafter(1.0f / 3.0f, 0.0f);
const float kThird = 1.0f / 3.0f; // the float nearest a third lies just above it
const float kJustBelowTwoThirds = std::nextafter(2.0f / 3.0f, 0.0f);
const float kJustBelowOne = std::nextafter(1.0f, 0.0f);

const QString& kFirstCaption = texts::kFirstCount;
const QString& kSecondCaption = texts::kSecondCount;
const QString& kThirdCaption = texts::kThirdCount;
const QString& kRefreshCaption = texts::kRefresh;

} // namespace

class ReadingTest : public testsupport::ProgramTest {
    Q_OBJECT

    frmMain* main = nullptr;

    void clickBeads(frmDisplay* display)
    {
        QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBeads"), Qt::LeftButton);
    }

private slots:
    void init()
    {
        ProgramTest::init();
        main = startProgram();
        QVERIFY(main);
        typeName(QStringLiteral("tara"));
    }

    void cleanup()
    {
        QCOMPARE(run->ends, 0);
        ProgramTest::cleanup();
    }

    void omenBoundaries_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("omen");
        QTest::newRow("0") << 0.0f << 1;
        QTest::newRow("just below a third") << kJustBelowThird << 1;
        QTest::newRow("a third") << kThird << 2;
        QTest::newRow("one half") << 0.5f << 2;
        QTest::newRow("just below two thirds") << kJustBelowTwoThirds << 2;
        QTest::newRow("two thirds") << 2.0f / 3.0f << 3;
        QTest::newRow("just below one") << kJustBelowOne << 3;
    }

    void omenBoundaries()
    {
        QFETCH(float, r);
        QFETCH(int, omen);
        QCOMPARE(int(omenFor(r)), omen);
        testsupport::ScriptedRandom script{run->state.random, {r}};
        QCOMPARE(int(DrawOmen(run->state.random)), omen);
        QCOMPARE(script.consumed, 1);
    }

    void readingWindowOpensCleared()
    {
        frmDisplay* display = askForReading();
        QVERIFY(display && display->isVisible());
        QVERIFY(!main->isVisible());
        QVERIFY(!forms().find<referral::frmNagScreen2>()->isVisible());
        QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), kFirstCaption);
        for (int box = 0; box < 3; ++box)
            QCOMPARE(testsupport::pictureShown(*display, box), Picture::QuestionMark);
        QVERIFY(QTest::qWaitForWindowActive(display));
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*display, "cmdBack"));
        QCOMPARE(testsupport::visibleWindows(), QStringList{QStringLiteral("frmDisplay")});
    }

    void eachCountWritesItsOwnRow_data()
    {
        QTest::addColumn<float>("r1");
        QTest::addColumn<float>("r2");
        QTest::addColumn<float>("r3");
        QTest::addColumn<int>("o1");
        QTest::addColumn<int>("o2");
        QTest::addColumn<int>("o3");
        QTest::newRow("falcon raven snow lion") << 0.1f << 0.5f << 0.9f << 1 << 2 << 3;
        QTest::newRow("snow lion falcon raven") << kJustBelowOne << kJustBelowThird << kThird << 3 << 1 << 2;
        QTest::newRow("raven snow lion falcon") << 0.4f << 0.7f << 0.0f << 2 << 3 << 1;
        QTest::newRow("falcon falcon raven") << 0.0f << 0.2f << 0.6f << 1 << 1 << 2;
    }

    void eachCountWritesItsOwnRow()
    {
        QFETCH(float, r1);
        QFETCH(float, r2);
        QFETCH(float, r3);
        QFETCH(int, o1);
        QFETCH(int, o2);
        QFETCH(int, o3);
        frmDisplay* display = askForReading();
        testsupport::ScriptedRandom script{run->state.random, {r1, r2, r3}};
        const std::array<int, 3> omens{o1, o2, o3};
        const std::array<QLabel*, 3> names{testsupport::child<QLabel>(*display, "lblAnimalOne"),
                                           testsupport::child<QLabel>(*display, "lblAnimalTwo"),
                                           testsupport::child<QLabel>(*display, "lblAnimalThree")};
        const std::array<QLabel*, 3> texts{testsupport::child<QLabel>(*display, "lblOne"),
                                           testsupport::child<QLabel>(*display, "lblTwo"),
                                           testsupport::child<QLabel>(*display, "lblThree")};
        const std::array<QString, 3> captions{kSecondCaption, kThirdCaption, kRefreshCaption};

        for (int count = 1; count <= 3; ++count) {
            clickBeads(display);
            const auto i = size_t(count - 1);
            QCOMPARE(int(run->state.reading.intCount), count);
            QCOMPARE(int(run->state.reading.omen(count)), omens[i]);
            QCOMPARE(int(testsupport::pictureShown(*display, count - 1)), omens[i]);
            QCOMPARE(names[i]->text(), omenName(Omen(omens[i])));
            QCOMPARE(texts[i]->text(), interpretation(count, Omen(omens[i])));
            QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), captions[i]);
            // Rows not counted yet stay empty, their boxes keep the question mark.
            for (size_t later = i + 1; later < 3; ++later) {
                QVERIFY(names[later]->text().isEmpty());
                QVERIFY(texts[later]->text().isEmpty());
                QCOMPARE(testsupport::pictureShown(*display, int(later)), Picture::QuestionMark);
            }
            QVERIFY(testsupport::child<QLabel>(*display, "lblAllThree")->text().isEmpty());
        }
        QCOMPARE(int(run->state.reading.intOmenOne), o1);
        QCOMPARE(int(run->state.reading.intOmenTwo), o2);
        QCOMPARE(int(run->state.reading.intOmenThree), o3);
        QCOMPARE(script.consumed, 3);
    }

    void threeFalconsAddTheirText()
    {
        frmDisplay* display = askForReading();
        testsupport::ScriptedRandom script{run->state.random, {0.0f, kJustBelowThird, 0.2f}};
        clickBeads(display);
        clickBeads(display);
        QVERIFY(testsupport::child<QLabel>(*display, "lblAllThree")->text().isEmpty());
        clickBeads(display);
        QCOMPARE(
            testsupport::child<QLabel>(*display, "lblThree")->text(),
            QStringLiteral("The Falcon is the sign for an unexpected visitor. Health related ailments can be "
                           "cured if you try to find a way."));
        QCOMPARE(testsupport::child<QLabel>(*display, "lblAllThree")->text(),
                 QStringLiteral(
                     "When all three are falcons, this indicates very good times and good luck. Nothing "
                     "can go wrong for you now. Heath will be great and you will have wonderful guests."));
    }

    void refreshClearsAndConsumesADraw()
    {
        frmDisplay* display = askForReading();
        testsupport::ScriptedRandom script{run->state.random, {0.0f, 0.0f, 0.0f, 0.5f, 0.9f}};
        for (int i = 0; i < 3; ++i)
            clickBeads(display);
        QVERIFY(!testsupport::child<QLabel>(*display, "lblAllThree")->text().isEmpty());
        clickBeads(display);
        QCOMPARE(script.consumed, 4);
        QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), kFirstCaption);
        QCOMPARE(int(run->state.reading.intCount), 0);
        QVERIFY(run->state.reading == Reading{});
        QCOMPARE(int(run->state.reading.intOmenOne) + int(run->state.reading.intOmenTwo) +
                     int(run->state.reading.intOmenThree),
                 0);
        for (QLabel* label :
             {testsupport::child<QLabel>(*display, "lblOne"), testsupport::child<QLabel>(*display, "lblTwo"),
              testsupport::child<QLabel>(*display, "lblThree"),
              testsupport::child<QLabel>(*display, "lblAnimalOne"),
              testsupport::child<QLabel>(*display, "lblAnimalTwo"),
              testsupport::child<QLabel>(*display, "lblAnimalThree"),
              testsupport::child<QLabel>(*display, "lblAllThree")})
            QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
        for (int box = 0; box < 3; ++box)
            QCOMPARE(testsupport::pictureShown(*display, box), Picture::QuestionMark);
        // And the next reading starts at the first count with the next draw.
        clickBeads(display);
        QCOMPARE(run->state.reading.intOmenOne, Omen::SnowLion);
        QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), kSecondCaption);
    }

    void interpretationsAreExact_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("omen");
        QTest::addColumn<QString>("text");
        QTest::newRow("first falcon")
            << 1 << 1
            << QStringLiteral("Falcon is a good symbol and bearer of good tidings. You will have success in "
                              "whatever you do. This brings you good luck, happiness and prosperity. You "
                              "will also have success in legal matters.");
        QTest::newRow("first raven")
            << 1 << 2
            << QStringLiteral("A Raven indicates that this is not a good time for you. You will feel that "
                              "life has come to a standstill and nothing seems to be going right. Everything "
                              "you put your hand in will turn out to be a loss.");
        QTest::newRow("first snow lion")
            << 1 << 3
            << QStringLiteral("A Snow Lion is a sign of slow progress. Things will go the right way but will "
                              "take time. This is a very neutral result. Be positive and move ahead.");
        QTest::newRow("second falcon")
            << 2 << 1
            << QStringLiteral("The Falcon is a sign of good luck. There will be progress but there may be "
                              "petty obstacles. This is not a good time to have children.");
        QTest::newRow("second raven")
            << 2 << 2
            << QStringLiteral("The Raven indicates serious illness and health related ailments. Some loss "
                              "too may be faced in the form of thefts.");
        QTest::newRow("second snow lion")
            << 2 << 3
            << QStringLiteral("The Snow Lion indicates that health problems can be overcome and losses can "
                              "be made right if you have the will power.");
        QTest::newRow("third falcon")
            << 3 << 1
            << QStringLiteral("The Falcon is the sign for an unexpected visitor. Health related ailments can "
                              "be cured if you try to find a way.");
        QTest::newRow("third raven") << 3 << 2
                                     << QStringLiteral(
                                            "The Raven indicates that visitors coming to your house may face "
                                            "loses or will be robbed. Health will be bad too.");
        QTest::newRow("third snow lion")
            << 3 << 3
            << QStringLiteral("The Snow Lion indicates delay in arrival of guests. Cure for health problems "
                              "will be found after some delay.");
    }

    void interpretationsAreExact()
    {
        QFETCH(int, count);
        QFETCH(int, omen);
        QFETCH(QString, text);
        QCOMPARE(interpretation(count, Omen(omen)), text);
    }

    void backKeepsTheNameAndTheNextReadingStartsCleared_data()
    {
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("button") << false;
        QTest::newRow("menu") << true;
    }

    void backKeepsTheNameAndTheNextReadingStartsCleared()
    {
        QFETCH(bool, viaMenu);
        frmDisplay* display = askForReading();
        testsupport::ScriptedRandom script{run->state.random, {0.1f, 0.9f}};
        clickBeads(display);
        clickBeads(display);
        if (viaMenu)
            testsupport::child<QAction>(*display, "mnuBack")->trigger();
        else
            QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBack"), Qt::LeftButton);
        testsupport::settle();
        QVERIFY(forms().find<frmDisplay>() == nullptr);
        QCOMPARE(testsupport::visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*main, "txtName")->toPlainText(),
                 QStringLiteral("TARA"));
        // The reading's results outlive its window until the next reading starts.
        QCOMPARE(int(run->state.reading.intCount), 2);
        QCOMPARE(run->state.reading.intOmenTwo, Omen::SnowLion);

        display = askForReading();
        QVERIFY(display);
        QCOMPARE(int(run->state.reading.intCount), 0);
        QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), kFirstCaption);
        for (int box = 0; box < 3; ++box)
            QCOMPARE(testsupport::pictureShown(*display, box), Picture::QuestionMark);
        QVERIFY(testsupport::child<QLabel>(*display, "lblOne")->text().isEmpty());
    }

    void enterRightAfterOpeningGoesBack()
    {
        frmDisplay* display = askForReading();
        QVERIFY(QTest::qWaitForWindowActive(display));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        testsupport::settle();
        QVERIFY(forms().find<frmDisplay>() == nullptr);
        QCOMPARE(testsupport::visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }

    void tabOrderOfTheReadingWindow()
    {
        frmDisplay* display = askForReading();
        QVERIFY(QTest::qWaitForWindowActive(display));
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*display, "cmdBack"));
        QTest::keyClick(testsupport::child<QPushButton>(*display, "cmdBack"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*display, "cmdExit"));
        QTest::keyClick(testsupport::child<QPushButton>(*display, "cmdExit"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*display, "cmdBeads"));
    }

    void widerPicturesAreShownWhole()
    {
        frmDisplay* display = askForReading();
        testsupport::ScriptedRandom script{run->state.random, {0.9f, 0.5f, 0.1f}};
        const QRect design = testsupport::beadBox(*display, 0)->geometry();
        for (int i = 0; i < 3; ++i)
            clickBeads(display);
        const std::array<int, 3> widths{78, 59, 41};
        for (size_t box = 0; box < 3; ++box) {
            const QRect r = testsupport::beadBox(*display, int(box))->geometry();
            QVERIFY(r.width() >= widths[box] + 2);
            QVERIFY(r.height() >= 42);
        }
        // Growing boxes keep clear of each other.
        QVERIFY(testsupport::beadBox(*display, 0)->geometry().right() <
                testsupport::beadBox(*display, 1)->geometry().left());
        QVERIFY(testsupport::beadBox(*display, 1)->geometry().right() <
                testsupport::beadBox(*display, 2)->geometry().left());
        clickBeads(display);
        QCOMPARE(testsupport::beadBox(*display, 0)->geometry(), design);
    }

    void picturesHaveTheirSizes_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QSize>("size");
        QTest::newRow("one bead") << 1 << QSize(41, 40);
        QTest::newRow("two beads") << 2 << QSize(59, 40);
        QTest::newRow("three beads") << 3 << QSize(78, 40);
        QTest::newRow("question mark") << 4 << QSize(41, 40);
    }

    void picturesHaveTheirSizes()
    {
        QFETCH(int, number);
        QFETCH(QSize, size);
        const QPixmap picture = beadPicture(Picture(number));
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.deviceIndependentSize().toSize(), size);
    }
};

QTEST_MAIN(ReadingTest)
#include "tst_reading.moc"
