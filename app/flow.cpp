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

void startReading(ui::Forms& forms)
{
    forms.show<frmDisplay>();
    forms.hide<frmMain>();
    // The first reading creates the refer-a-friend window here, hidden: its message is chosen now.
    forms.hide<frmNagScreen2>();
    forms.get<frmDisplay>().ResetReading();
}

// A working window is closing: the way out leads through the refer-a-friend window.
void leaveWorkingWindow(ui::Forms& forms)
{
    forms.show<frmNagScreen2>();
}

void goBack(ui::Forms& forms)
{
    // In this order: unloading the reading window shows the refer-a-friend window, which the
    // last step hides again. Shown and hidden within this step, it never reaches the screen and
    // never takes the activation from the name-entry window.
    forms.show<frmMain>();
    forms.unload<frmDisplay>();
    forms.hide<frmNagScreen2>();
}

} // namespace

void connectWindows(ProgramState& state)
{
    state.forms.makeWith<frmNagScreen>([&state] { return new frmNagScreen(state); });
    state.forms.makeWith<frmDisplay>([&state] { return new frmDisplay(state.reading, state.random); });
    state.forms.makeWith<frmNagScreen2>([&state] { return new frmNagScreen2(state.referral, state.random); });
    state.forms.whenCreated<frmMain>([&state](frmMain& main) {
        QObject::connect(&main, &frmMain::readingRequested, &main,
                         ui::guarded([&state] { startReading(state.forms); }));
        QObject::connect(&main, &frmMain::leaving, &main,
                         ui::guarded([&state] { leaveWorkingWindow(state.forms); }));
    });
    state.forms.whenCreated<frmDisplay>([&state](frmDisplay& display) {
        QObject::connect(&display, &frmDisplay::backRequested, &display,
                         ui::guarded([&state] { goBack(state.forms); }));
        QObject::connect(&display, &frmDisplay::leaving, &display,
                         ui::guarded([&state] { leaveWorkingWindow(state.forms); }));
    });
    state.forms.whenCreated<frmNagScreen2>([&state](frmNagScreen2& referral) {
        QObject::connect(&referral, &frmNagScreen2::endRequested, &referral,
                         ui::guarded([&state] { ShutDownProgram(state); }));
    });
}

} // namespace app
