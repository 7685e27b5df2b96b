#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

#include <array>
#include <memory>
#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace testsupport::store {

QString configFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Veldrane");
}

QString storeFile()
{
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Veldrane\\") + QCoreApplication::applicationName();
#else
    return configFolder() + u'/' + QCoreApplication::applicationName() + QStringLiteral(".conf");
#endif
}

std::unique_ptr<QSettings> freshStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(storeFile(), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(storeFile(), QSettings::IniFormat);
#endif
}

void clearStore()
{
#ifdef Q_OS_WIN
    QSettings store(storeFile(), QSettings::NativeFormat);
    store.clear();
    store.sync();
#endif
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

QList<int> codePageCodes(const QString& text)
{
    QList<int> list;
    for (QChar c : text) {
#ifdef Q_OS_WIN
        // A character the code page lacks comes back as another one.
        const QByteArray bytes = QStringEncoder(QStringConverter::System).encode(QString(c));
        const bool kept =
            bytes.size() == 1 && QStringDecoder(QStringConverter::System).decode(bytes) == QString(c);
        list << (kept ? static_cast<unsigned char>(bytes.front()) : -1);
#else
        list << (c.unicode() <= 255 ? c.unicode() : -1);
#endif
    }
    return list;
}

QString fromCodePage(const QList<int>& codes)
{
#ifdef Q_OS_WIN
    // One byte at a time: the converter ends the text at a zero byte.
    QString text;
    for (int code : codes)
        text += code == 0
                    ? QString(QChar(u'\0'))
                    : QStringDecoder(QStringConverter::System).decode(QByteArray(1, static_cast<char>(code)));
    return text;
#else
    return fromCodes(codes);
#endif
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

#ifndef Q_OS_WIN
QString lockFile()
{
    return storeFile() + QStringLiteral(".lock");
}
#endif

// Held as a live process holds it: by a process that is running (this one).
std::unique_ptr<QLockFile>& heldLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

#ifndef Q_OS_WIN
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
#endif

} // namespace

void addBlockedStoreRows()
{
    QTest::addColumn<QString>("blocker");
    for (const QString& blocker : blockers())
        QTest::newRow(qPrintable(blocker)) << blocker;
}

bool blockStore(const QString& blocker)
{
#ifdef Q_OS_WIN
    // The registry has no folders, FIFOs or sockets to put in the store's place.
    Q_UNUSED(blocker);
    return false;
#else
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
#endif
}

bool stillBlocked(const QString& blocker)
{
#ifdef Q_OS_WIN
    Q_UNUSED(blocker);
    return false;
#else
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
#endif
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
