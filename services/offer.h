#pragma once

namespace services {

// The two offers that share one place at the bottom of a window.
enum class Offer { CoBrand, FullBrand };

} // namespace services
