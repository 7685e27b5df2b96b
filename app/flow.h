#pragma once

namespace app {

// Which window follows which. The windows only announce what the user asked for (a reading,
// Back, leaving, the end); this connects each window as it is created and runs the changes.
// Calling it again changes nothing.
void connectWindows();

} // namespace app
