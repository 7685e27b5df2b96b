#include "app/startup.h"

#include "app/flow.h"
#include "app/state.h"
#include "platform/instancelock.h"
#include "reading/frmMain.h"
#include "referral/promo.h"
#include "services/identity.h"
#include "services/product.h"
#include "services/updatereminder.h"
#include "ui/guard.h"
#include "ui/keyfilter.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStyle>

namespace app {
namespace {

// Held for the whole run. Only a live instance keeps a launch out: a lock left by a run that
// crashed or was killed, junk in its place or a folder we cannot write never does.
bool takeInstanceLock(ProgramState& state)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return state.instanceLock.take(folder + u'/' + QString::fromUtf8(services::identity::kInstanceLock),
                                   QString::fromUtf8(services::identity::kInstanceMutex)) !=
           platform::InstanceLock::Outcome::HeldElsewhere;
}

void endProcess(ProgramState& s)
{
    s.ended = true;
    s.instanceLock.release();
    if (s.ender) {
        s.ender();
        return;
    }
    QCoreApplication::exit(0);
}

} // namespace

frmNagScreen::frmNagScreen(ProgramState& state) : state(state) {}
frmNagScreen::~frmNagScreen() = default;

void frmNagScreen::Form_Load()
{
    if (!takeInstanceLock(state)) {
        services::MsgBox(QStringLiteral("Application is already running"), ui::MsgButtons::Ok,
                         ui::MsgIcon::Information);
        ShutDownProgram(state);
        return;
    }
    // A step that fails is skipped; the ones after it run all the same.
    ui::guard([this] { state.random.Randomize(); });
    ui::guard([] { services::RunUpdateReminder(); });
    ui::guard([this] { state.forms.show<reading::frmMain>(); });
    ui::guard([this] { hide(); });
    ui::guard([this] { CoBrand_Randomize(); });
}

void frmNagScreen::CoBrand_Randomize()
{
    state.intCoBrandRandomNumber = referral::coBrandNumber(state.random.Rnd());
    // Only the name-entry window carries the two offers; a start-up that never showed it has
    // nothing to reorder.
    if (auto* main = state.forms.find<reading::frmMain>())
        main->bringOfferToFront(referral::offerInFront(state.intCoBrandRandomNumber));
}

void frmNagScreen::Form_Unload()
{
    ShutDownProgram(state);
}

void startProgram(ProgramState& state)
{
    if (auto* application = QCoreApplication::instance())
        ui::recogniseHeldKeys(*application);
    connectWindows(state);
    ui::guard([&state] { state.forms.get<frmNagScreen>(); });
}

void useWindowsStyle()
{
#ifdef Q_OS_WIN
    if (QApplication::style()->name().compare(u"windowsvista", Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("windowsvista"));
#endif
}

int run()
{
    useWindowsStyle();
    // The program ends only through its own shut-down, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(services::applicationIcon());
    ProgramState state;
    startProgram(state);
    const int code = programEnded(state) ? 0 : QApplication::exec();
    state.forms.destroyAll();
    return code;
}

void ShutDownProgram(ProgramState& s)
{
    // A nested call from an unload handler: the outer call is already on its way to the end.
    if (s.ending)
        return;
    s.ending = true;
    ui::guard([&s] { s.forms.unloadAll(); });
    endProcess(s);
}

bool programEnded(const ProgramState& state)
{
    return state.ended;
}

namespace testing {
void resetProgram(ProgramState& s)
{
    s.ending = true; // unload handlers must not end the test run
    s.forms.unloadAll();
    s.instanceLock.release();
    s.ending = false;
    s.ended = false;
}
} // namespace testing

} // namespace app
