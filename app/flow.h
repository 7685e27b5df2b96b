#pragma once

namespace app {

struct ProgramState;

// Which window follows which. The windows only announce what the user asked for (a reading,
// Back, leaving, the end); this connects each window as it is created and runs the changes.
// Windows made from now on are handed their part of the state.
void connectWindows(ProgramState& state);

} // namespace app
