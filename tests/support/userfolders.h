#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>

namespace testsupport {

// Points the program's home, settings and runtime folders into root, the runtime folder private
// as the instance lock wants it. Shared with the fuzz targets, which link nothing of the tests.
inline void pointUserFoldersAt(const QString& root)
{
    const QString runtime = root + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
}

} // namespace testsupport
