#pragma once

#include <vector>

#include "platform/window.h"

namespace tremolex {

// The work area of each monitor (without the taskbar), in the virtual screen's pixels.
std::vector<PixelRect> workAreas();

}  // namespace tremolex
