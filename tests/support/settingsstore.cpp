#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

#include <array>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace testsupport::store {

QString configFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Veldrane");
}

QString storeFile()
{
    return configFolder() + u'/' + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

void clearStore()
{
    QDir(configFolder()).removeRecursively();
    QFile::remove(configFolder());
}

QByteArray fileContents()
{
    QFile file(storeFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QByteArray& contents)
{
    clearStore();
    QDir().mkpath(configFolder());
    QFile file(storeFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QString fromCodes(const QList<int>& codes)
{
    QString text;
    for (int code : codes)
        text += QChar(static_cast<char16_t>(code));
    return text;
}

namespace {

const QStringList& blockers()
{
    static const QStringList names{
        QStringLiteral("folder where the file should be"),
        QStringLiteral("file where the folder should be"),
        QStringLiteral("FIFO for the file"),
        QStringLiteral("socket for the file"),
        QStringLiteral("link to a FIFO for the file"),
        QStringLiteral("FIFO for the lock file"),
        QStringLiteral("lock held elsewhere"),
    };
    return names;
}

QString lockFile()
{
    return storeFile() + QStringLiteral(".lock");
}

// Held as a live process holds it: by a process that is running (this one).
std::unique_ptr<QLockFile>& heldLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

bool makeSocket(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    // The socket file stays once bound; nobody needs to listen on it.
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

mode_t typeAt(const QString& path)
{
    struct stat found {};
    return ::lstat(QFile::encodeName(path).constData(), &found) == 0 ? (found.st_mode & S_IFMT) : 0;
}

} // namespace

void addBlockedStoreRows()
{
    QTest::addColumn<QString>("blocker");
    for (const QString& blocker : blockers())
        QTest::newRow(qPrintable(blocker)) << blocker;
}

bool blockStore(const QString& blocker)
{
    if (blocker == blockers().at(1))
        return QFile(configFolder()).open(QIODevice::WriteOnly);
    if (!QDir().mkpath(configFolder()))
        return false;
    if (blocker == blockers().at(0))
        return QDir().mkpath(storeFile());
    if (blocker == blockers().at(2))
        return makeFifo(storeFile());
    if (blocker == blockers().at(3))
        return makeSocket(storeFile());
    if (blocker == blockers().at(4))
        return makeFifo(configFolder() + QStringLiteral("/fifo")) &&
               QFile::link(configFolder() + QStringLiteral("/fifo"), storeFile());
    if (blocker == blockers().at(5))
        return makeFifo(lockFile());
    heldLock() = std::make_unique<QLockFile>(lockFile());
    return heldLock()->tryLock(0);
}

bool stillBlocked(const QString& blocker)
{
    const int index = static_cast<int>(blockers().indexOf(blocker));
    const std::array<std::pair<QString, mode_t>, 7> expected{{
        {storeFile(), S_IFDIR},
        {configFolder(), S_IFREG},
        {storeFile(), S_IFIFO},
        {storeFile(), S_IFSOCK},
        {storeFile(), S_IFLNK},
        {lockFile(), S_IFIFO},
        {lockFile(), S_IFREG},
    }};
    return index >= 0 &&
           typeAt(expected[static_cast<size_t>(index)].first) ==
               expected[static_cast<size_t>(index)].second &&
           (index != 6 || (heldLock() && heldLock()->isLocked()));
}

StoreOfItsOwn::StoreOfItsOwn() : name(QCoreApplication::applicationName())
{
    static int count = 0;
    QCoreApplication::setApplicationName(name + QStringLiteral("-blocked-%1").arg(++count));
}

StoreOfItsOwn::~StoreOfItsOwn()
{
    heldLock().reset();
    clearStore();
    QCoreApplication::setApplicationName(name);
}

} // namespace testsupport::store
