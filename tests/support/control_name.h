// The name of each control, for test messages and logs.
#pragma once

#include <string>

#include "platform/runtime.h"

namespace morvane::testing {

std::string ControlName(Control control);

}  // namespace morvane::testing
