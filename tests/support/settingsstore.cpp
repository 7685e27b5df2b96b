#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

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

bool blockStore(bool folderIsFile)
{
    if (!folderIsFile)
        return QDir().mkpath(storeFile());
    QFile blocker(configFolder());
    return blocker.open(QIODevice::WriteOnly);
}

void addBlockedStoreRows()
{
    QTest::addColumn<bool>("folderIsFile");
    QTest::newRow("folder where the file should be") << false;
    QTest::newRow("file where the folder should be") << true;
}

StoreOfItsOwn::StoreOfItsOwn() : name(QCoreApplication::applicationName())
{
    static int count = 0;
    QCoreApplication::setApplicationName(name + QStringLiteral("-blocked-%1").arg(++count));
}

StoreOfItsOwn::~StoreOfItsOwn()
{
    clearStore();
    QCoreApplication::setApplicationName(name);
}

} // namespace testsupport::store
