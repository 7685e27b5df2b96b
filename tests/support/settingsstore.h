#pragma once

// The program's settings file as the tests see it, under the temporary XDG_CONFIG_HOME.
#include <QByteArray>
#include <QList>
#include <QString>

namespace testsupport::store {

QString configFolder();
QString storeFile();
void clearStore();
QByteArray fileContents();
// Replaces the whole file with the given bytes.
void writeFile(const QByteArray& contents);
QString fromCodes(const QList<int>& codes);

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
