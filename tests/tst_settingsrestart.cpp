// The stored date survives a restart of the real program: what one start writes, the next
// reads as the same date, under the user's own date format.
#include "services/dateformat.h"
#include "services/settings.h"
#include "services/updatereminder.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

const QDateTime kLongAgo(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

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

    QString storeFile() const
    {
        return home->path() + QStringLiteral("/config/Veldrane/") + QFileInfo(executable).fileName() +
               QStringLiteral(".conf");
    }

    QString rawValue() const
    {
        QSettings store(storeFile(), QSettings::IniFormat);
        return store.value(storedKey()).toString();
    }

    QDate storedDate() const { return services::dateFromSettingText(services::DecodeSetting(rawValue())); }

    void putRaw(const QString& raw)
    {
        QDir().mkpath(QFileInfo(storeFile()).path());
        QSettings store(storeFile(), QSettings::IniFormat);
        store.setValue(storedKey(), raw);
        store.sync();
        QCOMPARE(store.status(), QSettings::NoError);
    }

    void launch()
    {
        const QString runtime = home->path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home->path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home->path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QString posixLocale = localeName + QStringLiteral(".UTF-8");
        env.insert(QStringLiteral("LC_ALL"), posixLocale);
        env.insert(QStringLiteral("LANG"), posixLocale);
        env.remove(QStringLiteral("LANGUAGE"));
        program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
#ifndef Q_OS_UNIX
        QSKIP("The program's store is the user's registry here; it cannot be pointed elsewhere.");
#endif
        executable = qEnvironmentVariable("TOLVY_EXECUTABLE");
        if (executable.isEmpty() || !QFileInfo::exists(executable))
            QSKIP("TOLVY_EXECUTABLE does not name the program");
    }

    void init()
    {
        home = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        stop();
        home.reset();
        QLocale::setDefault(QLocale::system());
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
        localeName = locale;
        QLocale::setDefault(QLocale(locale));

        // First start: today goes into the store, encoded.
        const QDate before = QDate::currentDate();
        launch();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(storeFile()) && !rawValue().isEmpty(), 10000);
        stop();
        const QDate after = QDate::currentDate();
        const QDate first = storedDate();
        QVERIFY2(first == before || first == after, qPrintable(services::DecodeSetting(rawValue())));
        QCOMPARE(services::EncodeSetting(services::DecodeSetting(rawValue())), rawValue());

        // Second start reads it back as the same date and leaves the store alone.
        {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
        }
        const QString written = rawValue();
        launch();
        QTest::qWait(2000);
        QCOMPARE(program->state(), QProcess::Running);
        stop();
        QCOMPARE(rawValue(), written);
        QCOMPARE(QFileInfo(storeFile()).lastModified().toUTC(), kLongAgo);

        // A date three days old: no question, nothing written.
        const QString threeDaysOld =
            services::EncodeSetting(services::dateToSettingText(QDate::currentDate().addDays(-3)));
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
};

QTEST_MAIN(SettingsRestartTest)
#include "tst_settingsrestart.moc"
