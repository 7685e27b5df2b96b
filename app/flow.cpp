#include "app/flow.h"

#include "app/startup.h"
#include "app/state.h"
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "referral/frmNagScreen2.h"
#include "ui/guard.h"

namespace app {
namespace {

using reading::frmDisplay;
using reading::frmMain;
using referral::frmNagScreen2;
using ui::Forms;

void startReading()
{
    Forms::show<frmDisplay>();
    Forms::hide<frmMain>();
    // The first reading creates the refer-a-friend window here, hidden: its message is chosen now.
    Forms::hide<frmNagScreen2>();
    Forms::get<frmDisplay>().ResetReading();
}

// A working window is closing: the way out leads through the refer-a-friend window.
void leaveWorkingWindow()
{
    Forms::show<frmNagScreen2>();
}

void goBack()
{
    // In this order: unloading the reading window shows the refer-a-friend window, which the
    // last step hides again.
    Forms::show<frmMain>();
    Forms::unload<frmDisplay>();
    Forms::hide<frmNagScreen2>();
}

} // namespace

void connectWindows(ProgramState& state)
{
    Forms::makeWith<frmNagScreen>([&state] { return new frmNagScreen(state); });
    Forms::makeWith<frmDisplay>([&state] { return new frmDisplay(state.reading, state.random); });
    Forms::makeWith<frmNagScreen2>([&state] { return new frmNagScreen2(state.referral, state.random); });
    Forms::whenCreated<frmMain>([](frmMain& main) {
        QObject::connect(&main, &frmMain::readingRequested, &main, ui::guarded(&startReading));
        QObject::connect(&main, &frmMain::leaving, &main, ui::guarded(&leaveWorkingWindow));
    });
    Forms::whenCreated<frmDisplay>([](frmDisplay& display) {
        QObject::connect(&display, &frmDisplay::backRequested, &display, ui::guarded(&goBack));
        QObject::connect(&display, &frmDisplay::leaving, &display, ui::guarded(&leaveWorkingWindow));
    });
    Forms::whenCreated<frmNagScreen2>([&state](frmNagScreen2& referral) {
        QObject::connect(&referral, &frmNagScreen2::endRequested, &referral,
                         [&state] { ui::guard([&state] { ShutDownProgram(state); }); });
    });
}

} // namespace app
