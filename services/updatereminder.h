#pragma once

namespace services {

// Asks at start-up, at most once every fifteen days, whether to look for an update.
void RunUpdateReminder() noexcept;

} // namespace services
