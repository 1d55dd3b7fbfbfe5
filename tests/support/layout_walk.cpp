#include "tests/support/layout_walk.h"

namespace morvane::testing {

int TwipsToPixelsAt(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

void ForEachPlacedControl(const FormSpec& form, int dpi,
                          const std::function<void(const ControlSpec&, const PixelRect&)>& visit) {
    for (const ControlSpec& entry : form.controls) {
        visit(entry, {TwipsToPixelsAt(entry.left, dpi), TwipsToPixelsAt(entry.top, dpi),
                      TwipsToPixelsAt(entry.width, dpi), TwipsToPixelsAt(entry.height, dpi)});
    }
}

}  // namespace morvane::testing
