// The start-up reminder to look for an update: silent on a first start and within fourteen
// days of the stored date, a Yes/No question beyond that, and never a stop for a bad store.
#include "platform/browser.h"
#include "platform/clock.h"
#include "reading/frmMain.h"
#include "services/dateformat.h"
#include "services/links.h"
#include "services/settings.h"
#include "services/updatereminder.h"
#include "support/settingsstore.h"
#include "support/testsupport.h"
#include "ui/forms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QTimeZone>

#include <memory>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace testsupport::store;

namespace {

const QString kQuestion = QStringLiteral("There maybe an update to this software available\r"
                                         "Do you want to check for an update?");

QString storedKey()
{
    return QStringLiteral("Settings/") + services::EncodeSetting(QStringLiteral("Duration"));
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

#ifdef Q_OS_WIN
// The registry keeps the time of a key's last change, which nobody can set: remember it, and
// wait until the clock has moved on, so that any later write shows.
qint64 lastWrite()
{
    const std::wstring path =
        L"Software\\Veldrane\\" + QCoreApplication::applicationName().toStdWString() + L"\\Settings";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    FILETIME time{};
    const LONG read = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, &time);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? ((qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) : -1;
}

qint64& stamped()
{
    static qint64 time = -1;
    return time;
}

void stampFile()
{
    stamped() = lastWrite();
    QVERIFY(stamped() >= 0);
    QTest::qSleep(20);
}

bool fileUntouched()
{
    return lastWrite() == stamped();
}
#else
// Marks the file with a time long past, so that any rewrite shows.
const QDateTime kLongAgo(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());

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
#endif

} // namespace

class UpdateReminderTest : public testsupport::TestCase {
    Q_OBJECT

    QDate today = QDate(2026, 12, 7);
    std::unique_ptr<testsupport::MessageBoxes> messages;
    std::unique_ptr<testsupport::Browser> browser;

    // The program writes its dates in the user's format, which initTestCase fixes as this one.
    const services::StoredDateFormat usFormat{QLocale(QStringLiteral("en_US"))};

    QString todayText() const { return usFormat.write(today); }

private slots:
    void initTestCase()
    {
        // A fixed format, so that the rows' texts mean the dates they name.
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    }

    void init()
    {
        TestCase::init();
        clearStore();
        today = QDate(2026, 12, 7);
        platform::testing::setToday([this] { return today; });
        messages = std::make_unique<testsupport::MessageBoxes>();
        browser = std::make_unique<testsupport::Browser>();
    }

    void cleanup()
    {
        browser.reset();
        messages.reset();
        platform::testing::setToday({});
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        clearStore();
    }

    void firstStartIsSilent()
    {
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(services::reminderDateText(), QStringLiteral("12/7/2026"));
        QCOMPARE(freshStore()->value(storedKey()).toString(),
                 services::EncodeSetting(QStringLiteral("12/7/2026")));
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
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(offset))));
        stampFile();
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QVERIFY(fileUntouched());
        QCOMPARE(usFormat.read(services::reminderDateText()), today.addDays(offset));
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
        QVERIFY(services::saveReminderDateText(usFormat.write(stored)));
        QDate storedWhileOpen;
        messages->whileOpen = [&](const ui::testing::MessageRequest&) {
            storedWhileOpen = usFormat.read(services::reminderDateText());
        };
        messages->queueAnswer(yes ? ui::MsgAnswer::Yes : ui::MsgAnswer::No);

        services::RunUpdateReminder();

        QCOMPARE(messages->count(), 1);
        const auto& shown = messages->shown.front();
        QCOMPARE(shown.text, kQuestion);
        QVERIFY(!shown.text.contains(u'\n'));
        QCOMPARE(shown.buttons, ui::MsgButtons::YesNo);
        QCOMPARE(shown.icon, ui::MsgIcon::Information);
        QCOMPARE(storedWhileOpen, stored);
        QCOMPARE(services::reminderDateText(), todayText());
        const QStringList expected =
            yes ? QStringList{services::linkAddress(services::LinkTarget::ProductDownloadPage)}
                : QStringList();
        QCOMPARE(browser->opened, expected);
    }

    void pageOpensAfterTheDateIsWritten()
    {
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-20))));
        messages->queueAnswer(ui::MsgAnswer::Yes);
        QStringList opened;
        QString storedWhenOpened;
        platform::testing::setBrowserHandler([&](const QString& address) {
            opened << address;
            storedWhenOpened = services::reminderDateText();
            return true;
        });
        services::RunUpdateReminder();
        QCOMPARE(opened, QStringList{services::linkAddress(services::LinkTarget::ProductDownloadPage)});
        QCOMPARE(storedWhenOpened, todayText());
    }

    void nextQuestionNoSoonerThanFifteenDays()
    {
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-15))));
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        today = today.addDays(14);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        today = today.addDays(1);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 2);
    }

    void dateWrittenIsTheDayOfTheWrite()
    {
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-30))));
        // The question stays open past midnight.
        messages->whileOpen = [this](const ui::testing::MessageRequest&) { today = today.addDays(1); };
        services::RunUpdateReminder();
        QCOMPARE(services::reminderDateText(), usFormat.write(QDate(2026, 12, 8)));
    }

    void unreadableValueStartsAfresh_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::newRow("encoded words") << services::EncodeSetting(QStringLiteral("not a date"));
        QTest::newRow("encoded impossible date") << services::EncodeSetting(QStringLiteral("13/45/2026"));
        QTest::newRow("encoded other format") << services::EncodeSetting(QStringLiteral("07.12.2026"));
        QTest::newRow("encoded two-digit year") << services::EncodeSetting(QStringLiteral("12/7/26"));
        QTest::newRow("plain digits and slashes") << QStringLiteral("11/6/2026");
        QTest::newRow("plain text with letters") << QStringLiteral("June 11 2026");
        QTest::newRow("control codes") << fromCodes({1, 2, 3, 200, 250});
        QTest::newRow("beyond single bytes") << QStringLiteral("\u65e5\u672c");
    }
    void unreadableValueStartsAfresh()
    {
        QFETCH(QString, raw);
        storeRaw(raw);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(services::reminderDateText(), todayText());

        // Repaired for good: the next starts read it again.
        today = today.addDays(20);
        messages->queueAnswer(ui::MsgAnswer::No);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
    }

    void changedDateFormatStartsAfresh()
    {
        const services::StoredDateFormat german{QLocale(QStringLiteral("de_DE"))};
        QVERIFY(services::saveReminderDateText(german.write(today.addDays(-40))));
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(services::reminderDateText(), QStringLiteral("12/7/2026"));
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
        SKIP_ON_REGISTRY("it has no file to damage");
        QFETCH(QByteArray, contents);
        writeFile(contents);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QCOMPARE(services::reminderDateText(), todayText());
    }

    // A line the file format does not know elsewhere in the file leaves the date readable.
    void strayLineDoesNotLoseTheAnswer()
    {
        SKIP_ON_REGISTRY("it has no lines");
        const QByteArray key = "%99%CA%C7%B6%C9%BE%C4%C3";
        const QByteArray value = services::EncodeSetting(usFormat.write(today.addDays(-30))).toUtf8();
        writeFile("[Settings]\n" + key + '=' + value + "\nstray line\n");
        {
            QSettings check(storeFile(), QSettings::IniFormat);
            QCOMPARE(check.childGroups(), QStringList{QStringLiteral("Settings")});
            QCOMPARE(check.status(), QSettings::FormatError);
        }
        messages->queueAnswer(ui::MsgAnswer::Yes);
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 1);
        QCOMPARE(services::reminderDateText(), todayText());
        QCOMPARE(browser->opened,
                 QStringList{services::linkAddress(services::LinkTarget::ProductDownloadPage)});
    }

    void unwritableStoreIsSilent_data() { addBlockedStoreRows(); }
    void unwritableStoreIsSilent()
    {
        SKIP_ON_REGISTRY("no folder, FIFO or socket can take its place");
        QFETCH(QString, blocker);
        const StoreOfItsOwn own;
        QVERIFY(blockStore(blocker));
        services::RunUpdateReminder();
        QCOMPARE(messages->count(), 0);
        QCOMPARE(browser->opened, QStringList());
        QVERIFY(stillBlocked(blocker));
    }

    // The store reads but cannot be written once the question is answered: the answer still
    // counts, and Yes opens the page.
    void unwritableAfterTheQuestion_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<bool>("yes");
        for (const char* blocker : {"read-only file", "lock held elsewhere"}) {
            QTest::addRow("%s, Yes", blocker) << blocker << true;
            QTest::addRow("%s, No", blocker) << blocker << false;
        }
    }

    void unwritableAfterTheQuestion()
    {
        SKIP_ON_REGISTRY("it has no file permissions");
        QFETCH(QString, blocker);
        QFETCH(bool, yes);
        const StoreOfItsOwn own;
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-30))));
        const QByteArray before = fileContents();
        bool reallyBlocked = true;
        if (blocker == u"read-only file") {
            QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner));
            QFile probe(storeFile());
            // The super-user writes anyway.
            reallyBlocked = !probe.open(QIODevice::ReadWrite);
        } else {
            QVERIFY(blockStore(blocker));
        }
        messages->queueAnswer(yes ? ui::MsgAnswer::Yes : ui::MsgAnswer::No);
        services::RunUpdateReminder();
        QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(messages->count(), 1);
        QCOMPARE(browser->opened,
                 yes ? QStringList{services::linkAddress(services::LinkTarget::ProductDownloadPage)}
                     : QStringList());
        if (reallyBlocked)
            QCOMPARE(fileContents(), before);
    }

    void otherExecutableNameIsAFirstStart()
    {
        QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-30))));
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(name + QStringLiteral("-renamed"));
        services::RunUpdateReminder();
        const QString renamedStore = services::reminderDateText();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(messages->count(), 0);
        QCOMPARE(renamedStore, todayText());
        QCOMPARE(usFormat.read(services::reminderDateText()), today.addDays(-30));
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
            QVERIFY(services::saveReminderDateText(usFormat.write(today.addDays(-30))));
            messages->queueAnswer(ui::MsgAnswer::Yes);
        } else {
            SKIP_ON_REGISTRY("nothing can take its folder's place");
            QVERIFY(blockStore(QStringLiteral("file where the folder should be")));
        }
        QStringList windowsWhenOpened{QStringLiteral("none yet")};
        QStringList opened;
        platform::testing::setBrowserHandler([&](const QString& address) {
            opened << address;
            windowsWhenOpened = testsupport::visibleWindows();
            return true;
        });
        {
            testsupport::ProgramRun run;
            run.start();
            auto* main = run.state.forms.find<reading::frmMain>();
            QVERIFY(main);
            QVERIFY(main->isVisible());
            QCOMPARE(run.ends, 0);
        }
        if (setup == QStringLiteral("old")) {
            QCOMPARE(opened, QStringList{services::linkAddress(services::LinkTarget::ProductDownloadPage)});
            QCOMPARE(windowsWhenOpened, QStringList());
            QCOMPARE(messages->count(), 1);
        } else {
            QCOMPARE(opened, QStringList());
            QCOMPARE(messages->count(), 0);
        }
    }
};

QTEST_MAIN(UpdateReminderTest)
#include "tst_updatereminder.moc"
