#pragma once

// The Windows API as this layer includes it: no min/max macros to break std::min, and only the
// common part of the headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
