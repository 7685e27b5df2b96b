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

// Makes the store unwritable: a folder where the file should be, or a file where its folder
// should be. False when that could not be arranged.
[[nodiscard]] bool blockStore(bool folderIsFile);
// The two ways of blocking as data rows, in a column "folderIsFile".
void addBlockedStoreRows();

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
