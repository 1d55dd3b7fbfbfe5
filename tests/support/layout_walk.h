// Where each control of a window layout must show, in pixels at a dpi: the
// one walk over a layout table that the layout, Qt and Windows tests compare
// their windows with.
#pragma once

#include <functional>

#include "ui/layout.h"

namespace morvane::testing {

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Calls `visit` with every control of `form` and the rectangle it must take
// in the client area at `dpi`.
void ForEachPlacedControl(const FormSpec& form, int dpi,
                          const std::function<void(const ControlSpec&, const PixelRect&)>& visit);

}  // namespace morvane::testing
