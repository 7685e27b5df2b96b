// The stored date survives a restart of the real program: what one start writes, the next
// reads as the same date, under the user's own date format. On Windows the store is the
// registry of the Wine prefix the test runs in, shared with the program it starts.
#include "services/dateformat.h"
#include "services/settings.h"
#include "services/updatereminder.h"
#include "support/settingsstore.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>

#include <memory>
#include <optional>

namespace {

#ifndef Q_OS_WIN
const QDateTime kLongAgo(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());
#endif

QString storedKey()
{
    return QStringLiteral("Settings/") + services::EncodeSetting(QStringLiteral("Duration"));
}

} // namespace

class SettingsRestartTest : public testsupport::TestCase {
    Q_OBJECT

    QString executable;
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<QProcess> program;
    QString localeName;

#ifdef Q_OS_WIN
    static constexpr QSettings::Format kFormat = QSettings::NativeFormat;
    QString storeFile() const
    {
        return QStringLiteral("HKEY_CURRENT_USER\\Software\\Veldrane\\") +
               QFileInfo(executable).completeBaseName();
    }
#else
    static constexpr QSettings::Format kFormat = QSettings::IniFormat;
    QString storeFile() const
    {
        return home->path() + QStringLiteral("/config/Veldrane/") + QFileInfo(executable).fileName() +
               QStringLiteral(".conf");
    }
#endif

    QString rawValue() const
    {
        QSettings store(storeFile(), kFormat);
        return store.value(storedKey()).toString();
    }

    // How the program writes its dates in the locale it runs in.
    services::StoredDateFormat format() const
    {
        return services::StoredDateFormat(QLocale(localeName));
    }

    QDate storedDate() const
    {
        return format().read(services::DecodeSetting(rawValue()));
    }

    void putRaw(const QString& raw)
    {
#ifndef Q_OS_WIN
        QDir().mkpath(QFileInfo(storeFile()).path());
#endif
        QSettings store(storeFile(), kFormat);
        store.setValue(storedKey(), raw);
        store.sync();
        QCOMPARE(store.status(), QSettings::NoError);
    }

    void clearStore()
    {
#ifdef Q_OS_WIN
        QSettings store(storeFile(), kFormat);
        store.clear();
        store.sync();
#endif
    }

    // The configuration and runtime folders default to the sandbox's own; the program starts in
    // the given folder, else in the test's.
    void launch(const std::optional<QString>& configFolder = {},
                const std::optional<QString>& runtimeFolder = {}, const QString& startFolder = {})
    {
        const QString runtime = home->path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home->path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"),
                   configFolder.value_or(home->path() + QStringLiteral("/config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder.value_or(runtime));
        // Where the runtime folder falls back to: inside the sandbox too.
        env.insert(QStringLiteral("TMPDIR"), home->path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QString posixLocale = localeName + QStringLiteral(".UTF-8");
        env.insert(QStringLiteral("LC_ALL"), posixLocale);
        env.insert(QStringLiteral("LANG"), posixLocale);
        env.remove(QStringLiteral("LANGUAGE"));
        program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!startFolder.isEmpty())
            program->setWorkingDirectory(startFolder);
        program->start(executable, {});
        QVERIFY2(program->waitForStarted(10000), qPrintable(program->errorString()));
    }

    // The program runs until the user closes it; a test can only take it down.
    void stop()
    {
        if (!program)
            return;
        if (program->state() != QProcess::NotRunning) {
            program->kill();
            program->waitForFinished(10000);
        }
        program.reset();
    }

private slots:
    void initTestCase()
    {
        executable = qEnvironmentVariable("TOLVY_EXECUTABLE");
        if (executable.isEmpty() || !QFileInfo::exists(executable))
            QSKIP("TOLVY_EXECUTABLE does not name the program");
    }

    void init()
    {
        TestCase::init();
        home = std::make_unique<QTemporaryDir>();
        clearStore();
    }

    void cleanup()
    {
        stop();
        clearStore();
        home.reset();
    }

    void dateSurvivesRestart_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("de_DE") << "de_DE";
        QTest::newRow("ar_EG") << "ar_EG";
        QTest::newRow("ko_KR") << "ko_KR";
    }
    void dateSurvivesRestart()
    {
        QFETCH(QString, locale);
#ifdef Q_OS_WIN
        // The program's date format on Windows is the user's of the whole system (under Wine, the
        // prefix's), which no environment of one process changes.
        if (locale != u"en_US")
            QSKIP("The user's locale on Windows is the system's, not the process's");
#endif
        localeName = locale;

        // First start: today goes into the store, encoded.
        const QDate before = QDate::currentDate();
        launch();
        QTRY_VERIFY_WITH_TIMEOUT(!rawValue().isEmpty(), 10000);
        stop();
        const QDate after = QDate::currentDate();
        const QDate first = storedDate();
        QVERIFY2(first == before || first == after, qPrintable(services::DecodeSetting(rawValue())));
        QCOMPARE(services::EncodeSetting(services::DecodeSetting(rawValue())), rawValue());

        // Second start reads it back as the same date and leaves the store alone.
#ifndef Q_OS_WIN
        {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
        }
#endif
        const QString written = rawValue();
        launch();
        QTest::qWait(2000);
        QCOMPARE(program->state(), QProcess::Running);
        stop();
        QCOMPARE(rawValue(), written);
#ifndef Q_OS_WIN
        QCOMPARE(QFileInfo(storeFile()).lastModified().toUTC(), kLongAgo);
#endif

        // A date three days old: no question, nothing written.
        const QString threeDaysOld =
            services::EncodeSetting(format().write(QDate::currentDate().addDays(-3)));
        putRaw(threeDaysOld);
        launch();
        QTest::qWait(2000);
        QCOMPARE(program->state(), QProcess::Running);
        stop();
        QCOMPARE(rawValue(), threeDaysOld);

        // A value that is no date is replaced by today.
        putRaw(services::EncodeSetting(QStringLiteral("not a date")));
        const QDate beforeRepair = QDate::currentDate();
        launch();
        QTRY_VERIFY_WITH_TIMEOUT(storedDate().isValid(), 10000);
        stop();
        const QDate repaired = storedDate();
        QVERIFY(repaired == beforeRepair || repaired == QDate::currentDate());
    }

    // A configuration or runtime folder that is not absolute is no folder: the settings go to the
    // default under the home folder, and nothing lands in the folder the program starts from.
    void relativeFoldersAreIgnored_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("storeUnder");
        QTest::newRow("plain name") << "config"
                                    << ".config";
        QTest::newRow("dot") << "./config"
                             << ".config";
        QTest::newRow("parent") << "../start/config"
                                << ".config";
        QTest::newRow("tilde, which only a shell expands") << "~/config"
                                                           << ".config";
        QTest::newRow("empty") << ""
                               << ".config";
        QTest::newRow("absolute") << "HOME/config"
                                  << "config";
    }

    void relativeFoldersAreIgnored()
    {
        SKIP_ON_REGISTRY("no folder of the environment's holds it");
        QFETCH(QString, folder);
        QFETCH(QString, storeUnder);
        localeName = QStringLiteral("en_US");
        folder.replace(QStringLiteral("HOME"), home->path());
        const QString start = home->path() + QStringLiteral("/start");
        QVERIFY(QDir().mkpath(start));
        const QString name = QFileInfo(executable).fileName() + QStringLiteral(".conf");
        const QString expected = home->path() + u'/' + storeUnder + QStringLiteral("/Veldrane/") + name;
        // The runtime folder is given the same way, relative where the row's folder is.
        const QString runtime =
            folder.startsWith(u'/') || folder.isEmpty() ? folder : QStringLiteral("runtime");
        launch(folder, runtime, start);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(expected), 10000);
        QCOMPARE(program->state(), QProcess::Running);
        stop();
        QCOMPARE(QDir(start).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(
            services::DecodeSetting(QSettings(expected, QSettings::IniFormat).value(storedKey()).toString())
                .isEmpty(),
            false);
    }
};

QTEST_MAIN(SettingsRestartTest)
#include "tst_settingsrestart.moc"
