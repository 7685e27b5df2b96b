#include "platform/userstore.h"

#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
#include <sys/stat.h>
#define TOLVY_STORE_IS_A_FILE
#endif

namespace platform {
namespace {

#ifdef TOLVY_STORE_IS_A_FILE
// A regular file, a link to one, or nothing there yet.
bool fileOrNothing(const QString& path)
{
    struct stat found {};
    return ::stat(QFile::encodeName(path).constData(), &found) != 0 || S_ISREG(found.st_mode);
}

QString lockFileOf(const QString& storeFile)
{
    return storeFile + QStringLiteral(".lock");
}
#endif

} // namespace

void ignoreRelativeBaseFolders()
{
#ifndef Q_OS_WIN
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        if (!qEnvironmentVariableIsEmpty(name) && !qgetenv(name).startsWith('/'))
            qunsetenv(name);
    }
    // In the lists, only the relative entries go.
    for (const char* name : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS"}) {
        if (qEnvironmentVariableIsEmpty(name))
            continue;
        const QList<QByteArray> entries = qgetenv(name).split(':');
        QList<QByteArray> kept;
        for (const QByteArray& entry : entries) {
            if (entry.startsWith('/'))
                kept << entry;
        }
        if (kept.isEmpty())
            qunsetenv(name);
        else if (kept.size() != entries.size())
            qputenv(name, kept.join(':'));
    }
#endif
}

std::unique_ptr<QSettings> openUserStore(const QString& organisation, const QString& application)
{
#ifdef TOLVY_STORE_IS_A_FILE
    // Where the native format keeps a user's settings; checked before the store reads it.
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
                         organisation + u'/' + application + QStringLiteral(".conf");
    if (!fileOrNothing(file) || !fileOrNothing(lockFileOf(file)))
        return nullptr;
#endif
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                       application);
}

bool writeUserStore(QSettings& store, const QString& key, const QVariant& value)
{
#ifdef TOLVY_STORE_IS_A_FILE
    // The store's own writer waits for its lock without end, and a change left pending would be
    // written when the store closes; so look first, for a moment only, before changing anything.
    QLockFile lock(lockFileOf(store.fileName()));
    if (!fileOrNothing(lock.fileName()))
        return false;
    if (lock.tryLock(1500))
        lock.unlock();
    else if (lock.error() == QLockFile::LockFailedError)
        return false;
#endif
    store.setValue(key, value);
    store.sync();
    // A format error only says that the old contents could not be parsed; the store is rewritten
    // all the same, so only an access error means the change was not kept.
    return store.status() != QSettings::AccessError;
}

} // namespace platform
