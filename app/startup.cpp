#include "app/startup.h"

#include "app/settings.h"
#include "reading/frmMain.h"
#include "referral/promo.h"
#include "ui/guard.h"
#include "ui/messagebox.h"
#include "ui/random.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>

namespace app {
namespace {

struct ProgramState {
    std::unique_ptr<QLockFile> instanceLock;
    bool ending = false;
    bool ended = false;
    std::function<void()> ender;
};

ProgramState& state()
{
    static ProgramState s;
    return s;
}

// Held for the whole run. The lock file names the holder's process, so a lock left behind by
// a run that crashed or was killed is recognised as stale and taken over.
bool takeInstanceLock()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    auto lock = std::make_unique<QLockFile>(folder + u'/' + QCoreApplication::applicationName() +
                                            QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        state().instanceLock = std::move(lock);
        return true;
    }
    // Only a lock held by a live process means an earlier instance; a folder we cannot write
    // must not keep the user out of the program.
    return lock->error() != QLockFile::LockFailedError;
}

void endProcess()
{
    auto& s = state();
    s.ended = true;
    s.instanceLock.reset();
    if (s.ender) {
        s.ender();
        return;
    }
    QCoreApplication::exit(0);
}

} // namespace

frmNagScreen::frmNagScreen() = default;
frmNagScreen::~frmNagScreen() = default;

void frmNagScreen::Form_Load()
{
    if (!takeInstanceLock()) {
        ui::MsgBox(QStringLiteral("Application is already running"), ui::MsgButtons::Ok,
                   ui::MsgIcon::Information);
        ShutDownProgram();
        return;
    }
    ui::step([] { ui::Randomize(); });
    ui::step([] { RunUpdateReminder(); });
    ui::step([] { ui::Forms::show<reading::frmMain>(); });
    ui::step([this] { hide(); });
    ui::step([this] { CoBrand_Randomize(); });
}

void frmNagScreen::CoBrand_Randomize()
{
    referral::CoBrand_Randomize(intCoBrandRandomNumber);
}

void frmNagScreen::Form_Unload()
{
    ShutDownProgram();
}

void startProgram()
{
    ui::step([] { ui::Forms::get<frmNagScreen>(); });
}

void ShutDownProgram()
{
    auto& s = state();
    // A nested call from an unload handler: the outer call is already on its way to the end.
    if (s.ending)
        return;
    s.ending = true;
    ui::step([] { ui::Forms::unloadAll(); });
    endProcess();
}

bool programEnded()
{
    return state().ended;
}

namespace testing {
void setProcessEnder(std::function<void()> ender)
{
    state().ender = std::move(ender);
}

void resetProgram()
{
    auto& s = state();
    s.ending = true; // unload handlers must not end the test run
    ui::Forms::resetForTesting();
    s.instanceLock.reset();
    s.ending = false;
    s.ended = false;
}
} // namespace testing

} // namespace app
