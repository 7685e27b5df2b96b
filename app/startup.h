#pragma once

#include "ui/forms.h"

#include <QtGlobal>

namespace app {

struct ProgramState;

// The start-up host: loaded before any other window and never shown. Loading it runs the
// start-up sequence; it also makes the co-brand draw.
class frmNagScreen final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmNagScreen)

public:
    explicit frmNagScreen(ProgramState& state);
    ~frmNagScreen() override;

    // Brings one of the name-entry window's two offers to the front for this run.
    void CoBrand_Randomize();

private:
    void Form_Load() override;
    void Form_Unload() override;

    ProgramState& state;
};

// On Windows, the Vista style on every version: Qt 6.8 takes its Windows 11 style on Windows 11,
// whose buttons and frames are not the light-grey ones the windows are laid out and checked with.
// Elsewhere Qt's own choice stays.
void useWindowsStyle();

// Runs the program in a QApplication made by the caller: makes the program's state, starts
// the program, runs the event loop until the program ends, and returns the exit code.
int run();

// Starts the program with the state it keeps: loads the start-up host, which runs the
// start-up sequence.
void startProgram(ProgramState& state);

// Unloads every window, then ends the program, exactly once however often it is reached.
void ShutDownProgram(ProgramState& state);

// True once ShutDownProgram has ended the program.
bool programEnded(const ProgramState& state);

namespace testing {
// Unloads every window without ending anything, before a test lets its run's state go.
void resetProgram(ProgramState& state);
} // namespace testing

} // namespace app
