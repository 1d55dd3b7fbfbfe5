// What a test sees of a window, whatever shows it: the fake runtime's state,
// Qt widgets, or Win32 controls read in-process or from another process.
// The main window at rest between runs is described here once, and checked
// through any probe.
#pragma once

#include <optional>
#include <string>

#include "platform/runtime.h"

namespace morvane::testing {

class WindowProbe {
  public:
    virtual ~WindowProbe() = default;
    // The text a box holds, or the caption a label or button shows.
    virtual std::string Text(Control control) const = 0;
    virtual bool Enabled(Control control) const = 0;
    virtual bool Visible(Control control) const = 0;
    // The window's control that has the keyboard focus, if any has.
    virtual std::optional<Control> Focus() const = 0;
};

// The pointer a control shows when the mouse is over it.
enum class PointerSeen { Arrow, Hourglass, TextBeam, Other };

// A window of this test's own process, whose pointers can be asked too.
class ControlsProbe : public WindowProbe {
  public:
    virtual PointerSeen PointerOver(Control control) const = 0;
};

enum class InputBoxes { Emptied, Kept };

// The main window between runs: every box and button enabled, the progress
// label hidden with its caption, the hidden template boxes holding their
// fragments of the script line. After a run (`Emptied`) the four input
// boxes are empty and the focus is back in the source box; after a refusal
// (`Kept`) the source box still holds what was typed.
void ExpectIdleWindow(const WindowProbe& window, InputBoxes boxes);

}  // namespace morvane::testing
