// The main window's event handlers. The front ends (platform/qt,
// platform/win32) build the window from MainWindowLayout() and route each event
// here; nothing in this file knows a toolkit.
#pragma once

#include <string>
#include <vector>

#include "extraction/extraction_job.h"
#include "platform/runtime.h"

namespace morvane {

class MainWindowHandlers {
  public:
    MainWindowHandlers(Controls& controls, SystemServices& system);

    // The single-instance guard, before the window shows: claims the
    // instance for this process. Answers false when another copy runs: the
    // notice has been shown and the program has been ended, so the window
    // must not be shown.
    bool GuardSingleInstance();

    // A click on one of the window's buttons (or Enter, which presses the
    // default one): routed to the handler of that button. Anything else is
    // not a button of this window and is ignored.
    void OnClicked(Control button);

    void OnChooseSource();
    void OnChooseOutput();
    void OnStart();
    void OnExit();
    void OnShowExample();

    // The digit filter of the field-number box: `characterCode` is the typed
    // character (8 for Backspace, a control code for Ctrl and a letter); it
    // is set to 0 to discard the keystroke.
    void OnFieldNumberKey(int& characterCode);

    void OnCompletionTimer();

    // Whether a run is going on: the session must not end now.
    bool RunGoingOn() const;
    // The session ends, or the program is told to quit, whatever is going
    // on: a run is undone (its interpreter ended, its output and script
    // removed), so nothing is left half done.
    void OnSessionEnding();

    // Files dropped on the window or named on the command line.
    void OnFilesGiven(const std::vector<std::string>& paths);

    // Whether files may be given now at all (not while a run is going on).
    bool TakesFilesNow() const;

    // Whether OnFilesGiven would take one of `paths` (a drop is reported
    // accepted only then); asks nothing of the user.
    bool WouldTakeFiles(const std::vector<std::string>& paths);

  private:
    Controls& controls_;
    SystemServices& system_;
    ExtractionJob job_;
};

// Backspace and the ten digits pass; every other code is discarded.
bool KeyPassesDigitFilter(int characterCode);

}  // namespace morvane
