// One instance per user: a launch while the program runs shows "Application is already running"
// and ends, leaving the running instance alone; a lock left behind by a killed run does not keep
// the user out. The running instance is always the real executable in a child process. On
// Windows the lock is a named mutex rather than a file.
#include "platform/instancelock.h"
#include "platform/windowsystem.h"
#include "reading/frmMain.h"
#include "services/settings.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/forms.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/stat.h>
#endif

namespace texts = testsupport::texts;

namespace {

constexpr int kStartTimeout = 20000; // generous: the sanitizer build starts slowly on a busy machine

#ifndef Q_OS_WIN
// The process named in the lock file, or 0 while there is none (or it is still being written).
qint64 lockHolder(const QString& lockPath)
{
    // Never read what is not a file: a FIFO would block the reader.
    if (!QFileInfo(lockPath).isFile() || QFileInfo(lockPath).isSymLink())
        return 0;
    qint64 pid = 0;
    QString host;
    QString appName;
    return QLockFile(lockPath).getLockInfo(&pid, &host, &appName) ? pid : 0;
}

#endif

#ifdef Q_OS_WIN
// Whether some process holds the lock: the mutex exists only while a process has it open.
bool mutexExists()
{
    const std::wstring name = QString::fromUtf8(services::identity::kInstanceMutex).toStdWString();
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

// The visible top-level windows of a process, with their titles.
QStringList visibleWindowTitles(qint64 pid)
{
    struct Search {
        DWORD pid;
        QList<HWND> windows;
    } search{static_cast<DWORD>(pid), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* found = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == found->pid && IsWindowVisible(window))
                found->windows << window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    QStringList titles;
    for (HWND window : search.windows) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        titles << QString::fromWCharArray(title);
    }
    return titles;
}

HWND visibleWindow(qint64 pid, const QString& title)
{
    struct Search {
        DWORD pid;
        std::wstring title;
        HWND window;
    } search{static_cast<DWORD>(pid), title.toStdWString(), nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* found = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            if (owner == found->pid && IsWindowVisible(window) && found->title == text) {
                found->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.window;
}
#endif

// Every file below a folder with its size and time, to see whether anything was written. On
// Windows the settings live in the registry: every value of ours there.
QMap<QString, QString> filesBelow(const QString& folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    QMap<QString, QString> values;
    QSettings store(QStringLiteral("HKEY_CURRENT_USER\\Software\\Veldrane"), QSettings::NativeFormat);
    for (const QString& key : store.allKeys())
        values.insert(key, store.value(key).toString());
    return values;
#else
    QMap<QString, QString> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files.insert(
            info.filePath(),
            QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toString(Qt::ISODateWithMs)));
    }
    return files;
#endif
}

} // namespace

class SingleInstanceTest : public testsupport::TestCase {
    Q_OBJECT

    QString executable;
    QString runtimeFolder;
    QString lockPath;
    std::vector<std::unique_ptr<QProcess>> children;
    std::unique_ptr<QProcess> xServer;
    int homes = 0;

    // A child with a home and settings folder of its own, sharing this process's runtime folder,
    // which is where the instance lock lives.
    QProcessEnvironment childEnvironment()
    {
        const QString home = testsupport::sandboxFolder() + QStringLiteral("/child%1").arg(++homes);
        QDir().mkpath(home);
        QFile::setPermissions(home, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // The process holding the lock. A mutex names no holder: on Windows, any process holding it
    // counts as the one expected.
    qint64 holder(qint64 expected) const
    {
#ifdef Q_OS_WIN
        return mutexExists() ? expected : 0;
#else
        Q_UNUSED(expected);
        return lockHolder(lockPath);
#endif
    }

    // The child's output goes to this process's, or is kept to be read.
    QProcess* launch(const QProcessEnvironment& env, bool keepOutput = false)
    {
        auto& child = children.emplace_back(std::make_unique<QProcess>());
        child->setProgram(executable);
        child->setProcessEnvironment(env);
        child->setProcessChannelMode(keepOutput ? QProcess::MergedChannels : QProcess::ForwardedChannels);
        endWithThisProcess(*child);
        child->start();
        return child.get();
    }

    // Cleanup kills every child; should this process die first (a crash, or the test runner's
    // time limit), the children go with it instead of holding the lock on.
    static void endWithThisProcess(QProcess& process)
    {
#ifdef Q_OS_LINUX
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#else
        Q_UNUSED(process);
#endif
    }

    static void stop(QProcess& process)
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }

    // Runs xdotool on the display; false when it failed. Its output lines go to output.
    static bool xdotool(const QString& display, const QStringList& arguments, QStringList* output = nullptr)
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(10000)) {
            stop(tool);
            return false;
        }
        if (output)
            *output = QString::fromLocal8Bit(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    // Windows of one process on the display that are mapped and carry a title matching the pattern.
    static QStringList visibleWindowsOf(const QString& display, qint64 pid, const QString& title)
    {
        QStringList windows;
        xdotool(display,
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title},
                &windows);
        return windows;
    }

private slots:
    void initTestCase()
    {
        executable = qEnvironmentVariable("TOLVY_EXECUTABLE");
        QVERIFY2(QFileInfo(executable).isExecutable(),
                 "TOLVY_EXECUTABLE must name the built program (ctest passes it)");
        // The program keeps its settings under the application name, its executable's name; this
        // process, whose start-ups run beside the children, must present itself the same way.
        QCoreApplication::setApplicationName(QFileInfo(executable).completeBaseName());
#ifdef Q_OS_WIN
        // Windows has no runtime folder to point elsewhere: the lock's name comes from the one
        // the program finds, as every process of the user does.
        runtimeFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        QVERIFY(!runtimeFolder.isEmpty());
#else
        runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
        QVERIFY(!runtimeFolder.isEmpty());
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), runtimeFolder);
#endif
        lockPath = runtimeFolder + QStringLiteral("/tolvy-sarnavel.lock");
    }

    void init()
    {
        TestCase::init();
#ifdef Q_OS_WIN
        // A killed child's handles close a moment after it has gone.
        QTRY_VERIFY_WITH_TIMEOUT(!mutexExists(), 10000);
#endif
        QVERIFY(!QFileInfo::exists(lockPath));
    }

    void cleanup()
    {
        for (auto& child : children)
            stop(*child);
        children.clear();
        if (xServer) {
            stop(*xServer);
            xServer.reset();
        }
#ifdef Q_OS_WIN
        // The children keep their first start in the registry they share with every later test.
        QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Veldrane\\") +
                      QCoreApplication::applicationName(),
                  QSettings::NativeFormat)
            .clear();
#endif
        // Killed children leave their lock file behind; every case starts without one.
        QFile::remove(lockPath);
        const QFileInfoList aside =
            QDir(runtimeFolder)
                .entryInfoList({QFileInfo(lockPath).fileName() + QStringLiteral(".stale-*")},
                               QDir::AllEntries | QDir::System);
        for (const QFileInfo& stale : aside)
            QDir(stale.filePath()).removeRecursively();
    }

    // Only a live instance keeps a launch out; anything else in the lock's place is taken over.
    void junkInTheLocksPlaceIsTakenOver_data()
    {
        QTest::addColumn<QString>("junk");
        for (const char* junk : {"empty file", "garbage", "unreadable file", "lock of another host",
                                 "lock of a live process of another program", "empty folder",
                                 "folder with a file in it", "FIFO", "dangling link", "link to a device"})
            QTest::newRow(junk) << junk;
    }

    void junkInTheLocksPlaceIsTakenOver()
    {
#ifdef Q_OS_WIN
        QSKIP("The lock is a named mutex on Windows: nothing of it lies in the folder");
#else
        QFETCH(QString, junk);
        const QByteArray thisProcess = QByteArray::number(QCoreApplication::applicationPid());
        const auto write = [this](const QByteArray& contents) {
            QFile file(lockPath);
            return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
        };
        if (junk == u"empty file")
            QVERIFY(write({}));
        else if (junk == u"garbage")
            QVERIFY(write("\x01not a lock\n\xff\xfe"));
        else if (junk == u"unreadable file")
            QVERIFY(write("1\n") && QFile::setPermissions(lockPath, {}));
        else if (junk == u"lock of another host")
            QVERIFY(write(thisProcess + "\ntolvy-sarnavel\nanother-host\n"));
        else if (junk == u"lock of a live process of another program")
            QVERIFY(write(thisProcess + "\nan-editor\n" + QSysInfo::machineHostName().toUtf8() + '\n'));
        else if (junk == u"empty folder")
            QVERIFY(QDir().mkpath(lockPath));
        else if (junk == u"folder with a file in it")
            QVERIFY(QDir().mkpath(lockPath) &&
                    QFile(lockPath + QStringLiteral("/keep")).open(QIODevice::WriteOnly));
        else if (junk == u"FIFO")
            QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        else if (junk == u"dangling link")
            QVERIFY(QFile::link(runtimeFolder + QStringLiteral("/nowhere"), lockPath));
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), lockPath));

        QProcess* child = launch(childEnvironment());
        QVERIFY2(child->waitForStarted(), qPrintable(child->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(lockHolder(lockPath), child->processId(), kStartTimeout);
        QVERIFY(QFileInfo(lockPath).isFile());
        QCOMPARE(child->state(), QProcess::Running);
        // What was in a folder is moved aside, not destroyed; a link's target is left alone.
        if (junk == u"folder with a file in it") {
            const QStringList aside =
                QDir(runtimeFolder)
                    .entryList({QFileInfo(lockPath).fileName() + QStringLiteral(".stale-*")}, QDir::Dirs);
            QCOMPARE(aside.size(), 1);
            QVERIFY(QFileInfo::exists(runtimeFolder + u'/' + aside.constFirst() + QStringLiteral("/keep")));
        }
        QVERIFY(QFileInfo(QStringLiteral("/dev/zero")).exists());
#endif
    }

    // A copy of the program under another name is the same program.
    void launchWhileRunningIsRefused_data()
    {
        QTest::addColumn<QString>("secondName");
        QTest::newRow("the same program") << QString();
        QTest::newRow("a renamed copy") << QStringLiteral("renamed-copy");
    }

    void launchWhileRunningIsRefused()
    {
        QFETCH(QString, secondName);
        QProcess* first = launch(childEnvironment());
        QVERIFY2(first->waitForStarted(), qPrintable(first->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(holder(first->processId()), first->processId(), kStartTimeout);
#ifdef Q_OS_WIN
        // The children share this process's registry: let the first one's first start be written.
        const QString storedDate = QCoreApplication::applicationName() + QStringLiteral("/Settings/") +
                                   services::EncodeSetting(QStringLiteral("Duration"));
        QTRY_VERIFY_WITH_TIMEOUT(filesBelow({}).contains(storedDate), kStartTimeout);
#endif

        const QString settingsFolder = qEnvironmentVariable("XDG_CONFIG_HOME");
        const auto settingsBefore = filesBelow(settingsFolder);
        testsupport::MessageBoxes messages;
        QStringList windowsWhileOpen{QStringLiteral("(box not shown)")};
        messages.whileOpen = [&](const ui::testing::MessageRequest&) {
            windowsWhileOpen = testsupport::visibleWindows();
        };
        const QString ownName = QCoreApplication::applicationName();
        if (!secondName.isEmpty())
            QCoreApplication::setApplicationName(secondName);
        {
            testsupport::ProgramRun run;
            run.start();
            QCoreApplication::setApplicationName(ownName);
            QCOMPARE(messages.texts(), QStringList{QStringLiteral("Application is already running")});
            QCOMPARE(messages.shown.front().buttons, ui::MsgButtons::Ok);
            QCOMPARE(messages.shown.front().icon, ui::MsgIcon::Information);
            QCOMPARE(windowsWhileOpen, QStringList());
            QCOMPARE(run.ends, 1);
            testsupport::settle();
            QCOMPARE(testsupport::visibleWindows(), QStringList());
            QVERIFY(!run.state.forms.isLoaded<reading::frmMain>());
        }
        testsupport::settle();
        QCOMPARE(filesBelow(settingsFolder), settingsBefore);

        // The running instance keeps going and keeps its lock.
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(holder(first->processId()), first->processId());
    }

    void lockOfKilledRunDoesNotBlock_data()
    {
        QTest::addColumn<bool>("inProcess");
        QTest::newRow("relaunched in this process") << true;
        QTest::newRow("relaunched as a new process") << false;
    }

    void lockOfKilledRunDoesNotBlock()
    {
        QFETCH(bool, inProcess);
        QProcess* crashed = launch(childEnvironment());
        QVERIFY2(crashed->waitForStarted(), qPrintable(crashed->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(holder(crashed->processId()), crashed->processId(), kStartTimeout);
        const qint64 crashedPid = crashed->processId();
        crashed->kill();
        QVERIFY(crashed->waitForFinished(10000));
        QCOMPARE(crashed->exitStatus(), QProcess::CrashExit);
#ifdef Q_OS_WIN
        // The system closed the dead process's handle, and with it the mutex went.
        Q_UNUSED(crashedPid);
        QTRY_VERIFY_WITH_TIMEOUT(!mutexExists(), 10000);
#else
        // Nothing cleaned up after it: the lock file still names the dead process.
        QCOMPARE(lockHolder(lockPath), crashedPid);
#endif

        if (inProcess) {
            testsupport::MessageBoxes messages;
            testsupport::ProgramRun run;
            run.start();
            QCOMPARE(messages.texts(), QStringList());
            QCOMPARE(run.ends, 0);
            QVERIFY(testsupport::visibleWindows().contains(QStringLiteral("frmMain")));
            QCOMPARE(holder(QCoreApplication::applicationPid()), QCoreApplication::applicationPid());
        } else {
            QProcess* relaunched = launch(childEnvironment());
            QVERIFY2(relaunched->waitForStarted(), qPrintable(relaunched->errorString()));
            // A refused launch would leave the dead process's name in the file (on Windows, end).
            QTRY_COMPARE_WITH_TIMEOUT(holder(relaunched->processId()), relaunched->processId(),
                                      kStartTimeout);
            QCOMPARE(relaunched->state(), QProcess::Running);
        }
    }

    // Where the program shows its windows: through X on a Wayland session that offers it, else as
    // Qt would; whatever the user chose stays.
    void windowSystemChoice_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("chosen");
        const QString x = QStringLiteral("xcb;wayland");
        QTest::newRow("X11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QStringList{}
                                     << "";
        QTest::newRow("GNOME on Wayland with XWayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME",
                           "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{} << x;
        QTest::newRow("Wayland display alone, with XWayland")
            << QStringList{"WAYLAND_DISPLAY=wayland-1", "DISPLAY=:1"} << QStringList{} << x;
        QTest::newRow("Wayland without XWayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0"} << QStringList{} << "";
        QTest::newRow("empty DISPLAY")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY="}
            << QStringList{} << "";
        QTest::newRow("user's QT_QPA_PLATFORM")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0",
                           "QT_QPA_PLATFORM=wayland"}
            << QStringList{} << "";
        QTest::newRow("empty QT_QPA_PLATFORM, as unset")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0",
                           "QT_QPA_PLATFORM="}
            << QStringList{} << x;
        QTest::newRow("user's -platform")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{"-platform", "wayland"} << "";
        QTest::newRow("user's --platform")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{"--platform", "wayland"} << "";
        QTest::newRow("other arguments")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{"-style", "fusion"} << x;
    }

    void windowSystemChoice()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, arguments);
        QFETCH(QString, chosen);
        QMap<QString, QString> values;
        for (const QString& assignment : environment)
            values.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
        const platform::EnvironmentLookup lookup = [&values](const char* name) {
            return values.value(QString::fromLatin1(name)).toStdString();
        };
        std::vector<QByteArray> storage{QByteArrayLiteral("tolvy-sarnavel")};
        for (const QString& argument : arguments)
            storage.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& argument : storage)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        QCOMPARE(QString::fromStdString(
                     platform::preferredWindowSystem(lookup, static_cast<int>(storage.size()), argv.data())),
                 chosen);
    }

    // Two real processes on a real (virtual) display, so that the refused one's message box can
    // be seen, answered and its end observed.
    void secondProcessShowsOnlyItsMessageAndEnds_data()
    {
        QTest::addColumn<bool>("waylandSession");
        QTest::newRow("X11 session") << false;
#ifndef Q_OS_WIN
        // No compositor answers on the Wayland display: the windows come only through X.
        QTest::newRow("Wayland session with XWayland") << true;
#endif
    }

    void secondProcessShowsOnlyItsMessageAndEnds()
    {
        QFETCH(bool, waylandSession);
#ifdef Q_OS_WIN
        Q_UNUSED(waylandSession);
        // On the windows platform (under Wine, on Wine's display) the refused launch's message
        // box is a real window that can be seen and answered.
        QProcessEnvironment env = childEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("windows"));
        const QString mainTitle = texts::kWindowCaption;
        const QString boxTitle = QStringLiteral("Tolvy Sarnavel");

        QProcess* first = launch(env);
        QVERIFY2(first->waitForStarted(), qPrintable(first->errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(mutexExists(), kStartTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(first->processId(), mainTitle), kStartTimeout);
        const HWND firstWindow = visibleWindow(first->processId(), mainTitle);

        QProcess* second = launch(env);
        QVERIFY2(second->waitForStarted(), qPrintable(second->errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(second->processId(), boxTitle), kStartTimeout);
        const HWND box = visibleWindow(second->processId(), boxTitle);
        QCOMPARE(visibleWindowTitles(second->processId()), QStringList{boxTitle});

        // OK is the default button: Return closes the box.
        bool ended = false;
        for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
            PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0x001c0001);
            PostMessageW(box, WM_KEYUP, VK_RETURN, LPARAM(0xc01c0001));
            ended = QTest::qWaitFor([second] { return second->state() == QProcess::NotRunning; }, 10000);
        }
        QVERIFY2(ended, "the refused launch did not end after its message was answered");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);

        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(mutexExists());
        QCOMPARE(visibleWindow(first->processId(), mainTitle), firstWindow);
        QCOMPARE(visibleWindowTitles(first->processId()), QStringList{mainTitle});
#else
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("Needs Xvfb and xdotool (packages xvfb and xdotool) to show the refused launch's message");

        xServer = std::make_unique<QProcess>();
        endWithThisProcess(*xServer);
        // The server picks a free display itself and writes its number to standard output.
        xServer->start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        QVERIFY2(xServer->waitForStarted(), qPrintable(xServer->errorString()));
        QTRY_VERIFY2_WITH_TIMEOUT(xServer->canReadLine() || xServer->state() == QProcess::NotRunning,
                                  "Xvfb did not report its display", kStartTimeout);
        QVERIFY2(xServer->canReadLine(), xServer->readAllStandardError().constData());
        const QString display = u':' + QString::fromLatin1(xServer->readLine()).trimmed();

        QProcessEnvironment env = childEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        if (waylandSession) {
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
            env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("tolvy-no-compositor"));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        }
        const QString mainTitle = QStringLiteral("^Tolvy Sarnavel v1\\.0$");
        const QString boxTitle = QStringLiteral("^Tolvy Sarnavel$");

        QProcess* first = launch(env, waylandSession);
        QVERIFY2(first->waitForStarted(), qPrintable(first->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(lockHolder(lockPath), first->processId(), kStartTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindowsOf(display, first->processId(), mainTitle).size(),
                                  qsizetype(1), kStartTimeout);
        const QString firstWindow = visibleWindowsOf(display, first->processId(), mainTitle).constFirst();
        // Left to itself, Qt would try the Wayland display first and say that it failed.
        if (waylandSession) {
            const QByteArray said = first->readAll();
            QVERIFY2(!said.contains("wayland"), said.constData());
        }

        QProcess* second = launch(env);
        QVERIFY2(second->waitForStarted(), qPrintable(second->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindowsOf(display, second->processId(), boxTitle).size(),
                                  qsizetype(1), kStartTimeout);
        const QString box = visibleWindowsOf(display, second->processId(), boxTitle).constFirst();
        // While the message is up, it is all the second process shows, and the lock stays with the first.
        QCOMPARE(visibleWindowsOf(display, second->processId(), QStringLiteral(".*")), QStringList{box});
        QCOMPARE(lockHolder(lockPath), first->processId());

        // OK is the default button: Return closes the box. A key pressed before the box had the
        // focus is lost, so try again; but never type while the box is not focused, or the key
        // would reach the first instance.
        bool ended = false;
        for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
            if (xdotool(display, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), box}))
                xdotool(display, {QStringLiteral("key"), QStringLiteral("Return")});
            ended = QTest::qWaitFor([second] { return second->state() == QProcess::NotRunning; }, 10000);
        }
        QVERIFY2(ended, "the refused launch did not end after its message was answered");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);

        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(lockHolder(lockPath), first->processId());
        QCOMPARE(visibleWindowsOf(display, first->processId(), mainTitle), QStringList{firstWindow});
#endif
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
