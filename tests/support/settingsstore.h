#pragma once

// The program's settings store as the tests see it: a file under the temporary XDG_CONFIG_HOME,
// or on Windows a key of the registry.
#include <QByteArray>
#include <QList>
#include <QSettings>
#include <QString>

#include <memory>

// Ends a test about the settings file on Windows, where the registry holds the settings, saying
// what the registry lacks.
#ifdef Q_OS_WIN
#define SKIP_ON_REGISTRY(lacks) QSKIP("The registry is the store on Windows: " lacks)
#else
#define SKIP_ON_REGISTRY(lacks) static_cast<void>(0)
#endif

namespace testsupport::store {

QString configFolder();
// The file, or on Windows the registry key ("HKEY_CURRENT_USER\\Software\\...").
QString storeFile();
// The store read by a settings object of its own, in the store's own format.
std::unique_ptr<QSettings> freshStore();
void clearStore();
QByteArray fileContents();
// Replaces the whole file with the given bytes.
void writeFile(const QByteArray& contents);
QString fromCodes(const QList<int>& codes);
// The codes of the text in the system's single-byte code page (Latin-1, or on Windows the ANSI
// code page) as Qt's own converter gives them, -1 for a character that has none; and back.
QList<int> codePageCodes(const QString& text);
QString fromCodePage(const QList<int>& codes);

// Ways of making the store unusable, as data rows in a column "blocker": a folder where the
// file should be, a file where its folder should be, a FIFO, a socket or a link to a FIFO in the
// file's place, a FIFO in the place of the store's lock file, or that lock held by someone else.
void addBlockedStoreRows();
// False when the blocker could not be arranged.
[[nodiscard]] bool blockStore(const QString& blocker);
// The blocker is still there as it was made.
bool stillBlocked(const QString& blocker);

// A write that failed stays pending in this process's settings cache and would be read back, or
// written later, by other tests; a store under a name of its own keeps it to the one test.
class StoreOfItsOwn {
public:
    StoreOfItsOwn();
    ~StoreOfItsOwn();
    StoreOfItsOwn(const StoreOfItsOwn&) = delete;
    StoreOfItsOwn& operator=(const StoreOfItsOwn&) = delete;

private:
    QString name;
};

} // namespace testsupport::store
