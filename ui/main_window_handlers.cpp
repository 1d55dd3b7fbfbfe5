#include "ui/main_window_handlers.h"

#include "extraction/notice_titles.h"
#include "ui/file_choosing.h"

namespace morvane {

MainWindowHandlers::MainWindowHandlers(Controls& controls, SystemServices& system)
    : controls_(controls), system_(system), job_(controls, system) {}

bool MainWindowHandlers::GuardSingleInstance() {
    if (system_.ClaimSingleInstance()) return true;
    controls_.ShowNotice("一次只能运行一个程序,否则可能造成程序出错!", kHintTitle);
    controls_.EndProgram();
    return false;
}

void MainWindowHandlers::OnClicked(Control button) {
    switch (button) {
        case Control::ChooseSourceButton:
            return OnChooseSource();
        case Control::ChooseOutputButton:
            return OnChooseOutput();
        case Control::StartButton:
            return OnStart();
        case Control::ExitButton:
            return OnExit();
        case Control::ExampleButton:
            return OnShowExample();
        default:
            return;
    }
}

void MainWindowHandlers::OnChooseSource() { ChooseSourceFile(controls_, system_); }
void MainWindowHandlers::OnChooseOutput() { ChooseOutputFile(controls_, system_); }
void MainWindowHandlers::OnStart() { job_.StartAction(); }
void MainWindowHandlers::OnExit() { controls_.EndProgram(); }
void MainWindowHandlers::OnShowExample() { controls_.ShowExampleWindow(); }
void MainWindowHandlers::OnCompletionTimer() { job_.CompletionTick(); }

bool MainWindowHandlers::RunGoingOn() const { return controls_.CompletionTimerRunning(); }

void MainWindowHandlers::OnSessionEnding() { job_.AbandonRun(); }
void MainWindowHandlers::OnFilesGiven(const std::vector<std::string>& paths) {
    TakeSourceFile(controls_, system_, paths);
}
bool MainWindowHandlers::TakesFilesNow() const { return TakesGivenFilesNow(controls_); }
bool MainWindowHandlers::WouldTakeFiles(const std::vector<std::string>& paths) {
    return TakesFilesNow() && JudgeGivenFiles(system_, paths).taken.has_value();
}

bool KeyPassesDigitFilter(int characterCode) {
    return characterCode == 8 || (characterCode >= '0' && characterCode <= '9');
}

void MainWindowHandlers::OnFieldNumberKey(int& characterCode) {
    if (!KeyPassesDigitFilter(characterCode)) characterCode = 0;
}

}  // namespace morvane
