// The backend of the layer's in-process tests.
#pragma once

#include "platform/backend/headless/headless_backend.h"

plat::HeadlessBackend& test_backend();
