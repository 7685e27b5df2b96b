#pragma once

#include "platform/instancelock.h"
#include "platform/random.h"
#include "reading/reading.h"
#include "referral/modTellAFriend.h"
#include "ui/forms.h"

#include <QtGlobal>

#include <functional>

namespace app {

// The values the program keeps for its whole run. The start-up root makes one when the program
// starts and hands each window the part it works on; a test makes its own.
struct ProgramState {
    ProgramState() = default;
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    platform::Random random;
    reading::Reading reading;
    referral::modTellAFriend::LastReferral referral;
    // Which of the name-entry window's two offers this run puts in front (1 to 6).
    qint16 intCoBrandRandomNumber = 0;
    // The run's windows, at most one of each type.
    ui::Forms forms;

    // The run's own course: the lock it holds as the one instance, whether it is ending or has
    // ended, and what ends the process instead of the event loop (tests run it in-process).
    platform::InstanceLock instanceLock;
    bool ending = false;
    bool ended = false;
    std::function<void()> ender;
};

} // namespace app
