#pragma once

namespace services {

// Asks at start-up, at most once every fifteen days, whether to look for an update. A failing
// step ends it there; the caller's guard keeps start-up going.
void RunUpdateReminder();

} // namespace services
