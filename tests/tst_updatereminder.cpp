// The start-up reminder to look for an update: silent on a first start and within fourteen
// days of the stored date, a Yes/No question beyond that, and never a stop for a bad store.
#include "app/links.h"
#include "app/settings.h"
#include "reading/frmMain.h"
#include "support/settingsstore.h"
#include "support/testsupport.h"
#include "ui/browser.h"
#include "ui/clock.h"
#include "ui/forms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

#include <memory>

using namespace testsupport::store;

namespace {

const QString kQuestion = QStringLiteral("There maybe an update to this software available\r"
                                         "Do you want to check for an update?");

QString storedKey()
{
    return QStringLiteral("Settings/") + app::EncodeSetting(QStringLiteral("Duration"));
}

// Puts text under the key exactly as given, bypassing the program's own encoding.
void storeRaw(const QString& text)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Veldrane"),
                    QCoreApplication::applicationName());
    store.setValue(storedKey(), text);
    store.sync();
    QCOMPARE(store.status(), QSettings::NoError);
}

// Marks the file with a time long past, so that any rewrite shows.
const QDateTime kLongAgo(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

void stampFile()
{
    QFile file(storeFile());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
}

bool fileUntouched()
{
    return QFileInfo(storeFile()).lastModified().toUTC() == kLongAgo;
}

} // namespace

class UpdateReminderTest : public QObject {
    Q_OBJECT

    QDate today = QDate(2026, 12, 7);
    std::unique_ptr<testsupport::MessageBoxes> messages;
    std::unique_ptr<testsupport::Browser> browser;

    QString todayText() const { return app::dateToSettingText(today); }

private slots:
    void initTestCase()
    {
        // A fixed format, so that the rows' texts mean the dates they name.
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    }

    void init()
    {
        clearStore();
        today = QDate(2026, 12, 7);
        ui::testing::setToday([this] { return today; });
        messages = std::make_unique<testsupport::MessageBoxes>();
        browser = std::make_unique<testsupport::Browser>();
    }

    void cleanup()
    {
        browser.reset();
        messages.reset();
        ui::testing::setToday({});
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        clearStore();
    }

    void firstStartIsSilent()
    {
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(app::GetDuration(), QStringLiteral("12/7/2026"));
        QSettings fresh(storeFile(), QSettings::IniFormat);
        QCOMPARE(fresh.value(storedKey()).toString(), app::EncodeSetting(QStringLiteral("12/7/2026")));
    }

    void quietWithinFourteenDays_data()
    {
        QTest::addColumn<int>("offset");
        for (int offset : {-14, -13, -7, -1, 0, 1, 3, 13, 14})
            QTest::newRow(qPrintable(QStringLiteral("%1 days").arg(offset))) << offset;
    }
    void quietWithinFourteenDays()
    {
        QFETCH(int, offset);
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(offset))));
        stampFile();
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QVERIFY(fileUntouched());
        QCOMPARE(app::dateFromSettingText(app::GetDuration()), today.addDays(offset));
    }

    void asksBeyondFourteenDays_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("yes");
        for (int offset : {-15, 15, -30, 30, -400, 400}) {
            for (bool yes : {true, false})
                QTest::newRow(qPrintable(QStringLiteral("%1 days, %2").arg(offset).arg(yes ? "Yes" : "No")))
                    << offset << yes;
        }
    }
    void asksBeyondFourteenDays()
    {
        QFETCH(int, offset);
        QFETCH(bool, yes);
        const QDate stored = today.addDays(offset);
        QVERIFY(app::SaveDuration(app::dateToSettingText(stored)));
        QDate storedWhileOpen;
        messages->whileOpen = [&](const ui::testing::MessageRequest&) {
            storedWhileOpen = app::dateFromSettingText(app::GetDuration());
        };
        messages->queueAnswer(yes ? ui::MsgAnswer::Yes : ui::MsgAnswer::No);

        app::RunUpdateReminder();

        QCOMPARE(messages->count(), 1);
        const auto& shown = messages->shown.front();
        QCOMPARE(shown.text, kQuestion);
        QVERIFY(!shown.text.contains(u'\n'));
        QCOMPARE(shown.buttons, ui::MsgButtons::YesNo);
        QCOMPARE(shown.icon, ui::MsgIcon::Information);
        QCOMPARE(storedWhileOpen, stored);
        QCOMPARE(app::GetDuration(), todayText());
        const QStringList expected =
            yes ? QStringList{app::linkAddress(app::LinkTarget::ProductDownloadPage)} : QStringList();
        QCOMPARE(browser->opened, expected);
    }

    void pageOpensAfterTheDateIsWritten()
    {
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-20))));
        messages->queueAnswer(ui::MsgAnswer::Yes);
        QStringList opened;
        QString storedWhenOpened;
        ui::testing::setBrowserHandler([&](const QString& address) {
            opened << address;
            storedWhenOpened = app::GetDuration();
            return true;
        });
        app::RunUpdateReminder();
        QCOMPARE(opened, QStringList{app::linkAddress(app::LinkTarget::ProductDownloadPage)});
        QCOMPARE(storedWhenOpened, todayText());
    }

    void nextQuestionNoSoonerThanFifteenDays()
    {
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-15))));
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        today = today.addDays(14);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        today = today.addDays(1);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 2);
    }

    void dateWrittenIsTheDayOfTheWrite()
    {
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-30))));
        // The question stays open past midnight.
        messages->whileOpen = [this](const ui::testing::MessageRequest&) { today = today.addDays(1); };
        app::RunUpdateReminder();
        QCOMPARE(app::GetDuration(), app::dateToSettingText(QDate(2026, 12, 8)));
    }

    void unreadableValueStartsAfresh_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::newRow("encoded words") << app::EncodeSetting(QStringLiteral("not a date"));
        QTest::newRow("encoded impossible date") << app::EncodeSetting(QStringLiteral("13/45/2026"));
        QTest::newRow("encoded other format") << app::EncodeSetting(QStringLiteral("07.12.2026"));
        QTest::newRow("encoded two-digit year") << app::EncodeSetting(QStringLiteral("12/7/26"));
        QTest::newRow("plain digits and slashes") << QStringLiteral("11/6/2026");
        QTest::newRow("plain text with letters") << QStringLiteral("June 11 2026");
        QTest::newRow("control codes") << fromCodes({1, 2, 3, 200, 250});
        QTest::newRow("beyond single bytes") << QStringLiteral("\u65e5\u672c");
    }
    void unreadableValueStartsAfresh()
    {
        QFETCH(QString, raw);
        storeRaw(raw);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(app::GetDuration(), todayText());

        // Repaired for good: the next starts read it again.
        today = today.addDays(20);
        messages->queueAnswer(ui::MsgAnswer::No);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
    }

    void changedDateFormatStartsAfresh()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-40))));
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(app::GetDuration(), QStringLiteral("12/7/2026"));
    }

    void damagedFileStartsAfresh_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("justtext\n[[\n\x01\x02");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += static_cast<char>((i * 131 + 7) % 256);
        QTest::newRow("binary") << binary;
        QTest::newRow("truncated") << QByteArray("[Settings]\n%99%CA%C7");
    }
    void damagedFileStartsAfresh()
    {
        QFETCH(QByteArray, contents);
        writeFile(contents);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(app::GetDuration(), todayText());
    }

    // A line the file format does not know elsewhere in the file leaves the date readable.
    void strayLineDoesNotLoseTheAnswer()
    {
        const QByteArray key = "%99%CA%C7%B6%C9%BE%C4%C3";
        const QByteArray value = app::EncodeSetting(app::dateToSettingText(today.addDays(-30))).toUtf8();
        writeFile("[Settings]\n" + key + '=' + value + "\nstray line\n");
        {
            QSettings check(storeFile(), QSettings::IniFormat);
            QCOMPARE(check.childGroups(), QStringList{QStringLiteral("Settings")});
            QCOMPARE(check.status(), QSettings::FormatError);
        }
        messages->queueAnswer(ui::MsgAnswer::Yes);
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        QCOMPARE(app::GetDuration(), todayText());
        QCOMPARE(browser->opened, QStringList{app::linkAddress(app::LinkTarget::ProductDownloadPage)});
    }

    void unwritableStoreIsSilent_data() { addBlockedStoreRows(); }
    void unwritableStoreIsSilent()
    {
        QFETCH(QString, blocker);
        const StoreOfItsOwn own;
        QVERIFY(blockStore(blocker));
        app::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QVERIFY(stillBlocked(blocker));
    }

    void readOnlyFileAfterTheQuestion()
    {
        const StoreOfItsOwn own;
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-30))));
        const QByteArray before = fileContents();
        QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner));
        QFile probe(storeFile());
        const bool reallyReadOnly = !probe.open(QIODevice::ReadWrite);
        probe.close();
        messages->queueAnswer(ui::MsgAnswer::Yes);
        app::RunUpdateReminder();
        QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(messages->count(), 1);
        // A failed write ends the reminder: the page is not opened. The super-user writes anyway.
        if (reallyReadOnly) {
            QCOMPARE(browser->opened, QStringList());
            QCOMPARE(fileContents(), before);
        } else {
            QCOMPARE(browser->opened.size(), 1);
        }
    }

    void otherExecutableNameIsAFirstStart()
    {
        QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-30))));
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(name + QStringLiteral("-renamed"));
        app::RunUpdateReminder();
        const QString renamedStore = app::GetDuration();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(messages->count(), 0);
        QCOMPARE(renamedStore, todayText());
        QCOMPARE(app::dateFromSettingText(app::GetDuration()), today.addDays(-30));
    }

    void startUpOpensThePageBeforeTheMainWindow_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("asks, Yes") << "old";
        QTest::newRow("unwritable store") << "blocked";
    }
    void startUpOpensThePageBeforeTheMainWindow()
    {
        QFETCH(QString, setup);
        const StoreOfItsOwn own;
        if (setup == QStringLiteral("old")) {
            QVERIFY(app::SaveDuration(app::dateToSettingText(today.addDays(-30))));
            messages->queueAnswer(ui::MsgAnswer::Yes);
        } else {
            QVERIFY(blockStore(QStringLiteral("file where the folder should be")));
        }
        QStringList windowsWhenOpened{QStringLiteral("none yet")};
        QStringList opened;
        ui::testing::setBrowserHandler([&](const QString& address) {
            opened << address;
            windowsWhenOpened = testsupport::visibleWindows();
            return true;
        });
        {
            testsupport::ProgramRun run;
            run.start();
            auto* main = ui::Forms::find<reading::frmMain>();
            QVERIFY(main);
            QVERIFY(main->isVisible());
            QCOMPARE(run.ends, 0);
        }
        if (setup == QStringLiteral("old")) {
            QCOMPARE(opened, QStringList{app::linkAddress(app::LinkTarget::ProductDownloadPage)});
            QCOMPARE(windowsWhenOpened, QStringList());
            QCOMPARE(messages->count(), 1);
        } else {
            QCOMPARE(opened, QStringList());
            QCOMPARE(messages->count(), 0);
        }
    }
};

TOLVY_TEST_MAIN(UpdateReminderTest)
#include "tst_updatereminder.moc"
