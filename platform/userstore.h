#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace platform {

// Drops the base-folder variables (XDG_CONFIG_HOME and its kin) whose folders are not absolute,
// as the rules for them require, so that the defaults under the home folder apply: a relative
// one would put the settings, and the instance lock, under whatever folder the program was
// started from. Runs before anything reads them, Qt and the child processes included.
void ignoreRelativeBaseFolders();

// The per-user settings store of the program (a file under the user's configuration folder, the
// registry on Windows), or nothing when it cannot be used safely: a FIFO, a device, a socket or a
// folder in the place of its file, or of the lock file its writer takes beside it, would hang
// the program or be replaced by a file.
std::unique_ptr<QSettings> openUserStore(const QString& organisation, const QString& application);

// Sets one value and writes the store; false when it could not be written. Another process
// holding the store's lock delays this a moment at most, then nothing is written or left pending.
bool writeUserStore(QSettings& store, const QString& key, const QVariant& value);

} // namespace platform
