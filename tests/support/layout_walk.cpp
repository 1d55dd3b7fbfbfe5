#include "tests/support/layout_walk.h"

namespace morvane::testing {

void ForEachPlacedControl(const FormSpec& form, int dpi,
                          const std::function<void(const ControlSpec&, const PixelRect&)>& visit) {
    for (const ControlSpec& entry : form.controls) {
        const ScreenArea area = PixelArea(entry, dpi);
        visit(entry, {area.left, area.top, area.width, area.height});
    }
}

}  // namespace morvane::testing
