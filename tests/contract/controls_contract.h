// What the main window must do the same on every front end, asked through
// the Controls interface of platform/runtime.h and seen through a probe of
// the real widgets: texts (Chinese included), captions, enabling, showing,
// focus, the busy pointer, the completion timer and the example window.
// The cases live in controls_contract.cpp; each front end's test program
// supplies its window (MakeControlsPlatform, in one small file naming the
// front end's classes).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "tests/support/window_probe.h"

namespace morvane::testing {

// The example window while it is open.
class ExampleWindowAccess {
  public:
    virtual ~ExampleWindowAccess() = default;
    // What a box or label shows; line breaks as "\n" whatever the platform keeps.
    virtual std::string Text(Control control) const = 0;
    // Replaces a box's text, as a user's editing would.
    virtual void Edit(Control control, const std::string& text) = 0;
};

// A front end's main window, shown, with the focus in its first box.
class ControlsPlatform {
  public:
    virtual ~ControlsPlatform() = default;
    virtual Controls& Window() = 0;
    virtual const ControlsProbe& Probe() const = 0;
    // The next time the example window shows, runs `look` on it and then
    // presses its close button.
    virtual void WhenExampleShows(std::function<void(ExampleWindowAccess&)> look) = 0;
    // Asks the window to close, as its close box, Alt+F4 and the window
    // manager do; answers whether it closed.
    virtual bool AskToClose() = 0;
};

// Defined once by each front end's test program.
std::unique_ptr<ControlsPlatform> MakeControlsPlatform();

class ControlsContract : public ::testing::Test {
  protected:
    std::unique_ptr<ControlsPlatform> platform = MakeControlsPlatform();
    Controls& controls = platform->Window();
    const ControlsProbe& probe = platform->Probe();
};

}  // namespace morvane::testing
