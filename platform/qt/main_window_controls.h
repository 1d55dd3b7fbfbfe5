// The main window as the portable handlers see it: the Controls of
// platform/runtime.h over the Qt widgets of a MainWindow.
#pragma once

#include <functional>

#include "platform/qt/file_dialog.h"
#include "platform/qt/main_window.h"
#include "platform/runtime.h"

namespace morvane::qt {

class ExampleWindow;

class MainWindowControls : public Controls {
  public:
    MainWindowControls(MainWindow& window, FileDialogFunction fileDialog,
                       std::function<void()> endProgram);

    void ShowNotice(const std::string& prompt, const std::string& title) override;
    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    void SetEnabled(Control control, bool enabled) override;
    void SetVisible(Control control, bool visible) override;
    void SetFocus(Control control) override;
    void SetMousePointer(MousePointer pointer) override;
    void SetCompletionTimerRunning(bool running) override;
    bool CompletionTimerRunning() const override;
    std::optional<FileChoice> ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                             int filterIndex) override;
    void ShowExampleWindow() override;
    void EndProgram() override;

    // The example window while it is open, else nullptr.
    ExampleWindow* OpenExampleWindow() const { return example_; }

  private:
    MainWindow& window_;
    FileDialogFunction fileDialog_;
    std::function<void()> endProgram_;
    ExampleWindow* example_ = nullptr;
};

}  // namespace morvane::qt
