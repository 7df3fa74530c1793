// Reading the resources compiled from res/dorvan3d.rc and embedded in the
// executable, for the parts of the layer that need them (dialogs, bitmaps,
// sounds).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

namespace plat {

// Finds a resource by type and name, each an integer resource
// (MAKEINTRESOURCE) or a string compared without regard to case; "#123"
// stands for the integer 123, as on Windows. The bytes stay valid for the
// whole process. False when there is no such resource.
bool find_resource(LPCSTR type, LPCSTR name, const uint8_t*& data, size_t& size);

}  // namespace plat
