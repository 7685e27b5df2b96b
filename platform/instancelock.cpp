#include "platform/instancelock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <qt_windows.h>
#else
#include <QDeadlineTimer>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

InstanceLock::~InstanceLock()
{
    release();
}

#ifdef _WIN32

InstanceLock::Outcome InstanceLock::take(const QString& path, const QString& mutexName)
{
    release();
    // A named mutex lasts while a process holds a handle to it, and the system closes the
    // handles of a process that ends, however it ends. The session's namespace keeps the users
    // of one machine apart.
    const std::wstring name = mutexName.toStdWString();
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        return GetLastError() == ERROR_ACCESS_DENIED ? Outcome::HeldElsewhere : Outcome::Unavailable;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Outcome::HeldElsewhere;
    }
    handle = mutex;
    lockPath = path;
    return Outcome::Taken;
}

void InstanceLock::release()
{
    if (handle)
        CloseHandle(static_cast<HANDLE>(handle));
    handle = nullptr;
    lockPath.clear();
}

#else

namespace {

// Whoever looks at, clears or takes the lock's place does so alone: two launches at the same
// instant must not each clear what the other has just made. The guard is a lock on the folder;
// should something else hold that for long, the launch goes on without it.
class FolderGuard final {
public:
    explicit FolderGuard(const QString& lockPath)
        : fd(::open(QFile::encodeName(QFileInfo(lockPath).absolutePath()).constData(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        const QDeadlineTimer deadline(2000);
        while (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                ::close(fd);
                fd = -1;
            }
            QThread::msleep(2);
        }
    }
    ~FolderGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FolderGuard(const FolderGuard&) = delete;
    FolderGuard& operator=(const FolderGuard&) = delete;

private:
    int fd;
};

bool namesFile(const QByteArray& path, int fd)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Whatever cannot be locked in the lock's place goes: a file we may not open, a FIFO, a socket,
// a link (never followed), a folder. A folder with something in it is moved aside, not emptied.
void clearPlace(const QByteArray& path)
{
    struct stat found {};
    if (::lstat(path.constData(), &found) != 0)
        return;
    if (!S_ISDIR(found.st_mode)) {
        ::unlink(path.constData());
        return;
    }
    if (::rmdir(path.constData()) != 0)
        ::rename(path.constData(), path + ".stale-" + QByteArray::number(QCoreApplication::applicationPid()));
}

// The holder as QLockFile writes it (process, program, host), for people and tools that look.
void describeHolder(int fd)
{
    const QByteArray text = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            QCoreApplication::applicationName().toUtf8() + '\n' +
                            QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0 && ::write(fd, text.constData(), static_cast<size_t>(text.size())) < 0)
        return; // only a description: the lock holds without it
}

} // namespace

InstanceLock::Outcome InstanceLock::take(const QString& path, const QString&)
{
    release();
    const QByteArray file = QFile::encodeName(path);
    const FolderGuard guard(path);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int opened =
            ::open(file.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat found {};
        if (opened >= 0 && ::fstat(opened, &found) == 0 && S_ISREG(found.st_mode)) {
            // The kernel drops the lock with the process that holds it: a lock that cannot be
            // taken is held by a live process, whatever the file says.
            if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
                const int error = errno;
                ::close(opened);
                return error == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
            }
            // Removed or replaced between the opening and the locking: start again.
            if (!namesFile(file, opened)) {
                ::close(opened);
                continue;
            }
            describeHolder(opened);
            fd = opened;
            lockPath = path;
            return Outcome::Taken;
        }
        if (opened >= 0)
            ::close(opened);
        clearPlace(file);
    }
    return Outcome::Unavailable;
}

void InstanceLock::release()
{
    if (fd < 0)
        return;
    {
        const FolderGuard guard(lockPath);
        // Removed while still held: a launch that opened it meanwhile finds it gone and starts again.
        const QByteArray file = QFile::encodeName(lockPath);
        if (namesFile(file, fd))
            ::unlink(file.constData());
        ::close(fd);
    }
    fd = -1;
    lockPath.clear();
}

#endif

} // namespace platform
