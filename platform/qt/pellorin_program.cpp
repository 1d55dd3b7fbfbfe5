#include "platform/qt/pellorin_program.h"

namespace morvane::qt {

PellorinProgram::PellorinProgram(ProgramSeams seams)
    : controls_(window_, std::move(seams.fileDialog), std::move(seams.endProgram)),
      handlers_(controls_, system_) {
    window_.Connect(handlers_);
}

bool PellorinProgram::Start(const std::vector<std::string>& files) {
    if (!handlers_.OnLoad()) return false;
    window_.show();
    // Once shown, the frame around the window is known: centre it as a whole.
    window_.CentreOnScreen();
    if (!files.empty()) handlers_.OnFilesGiven(files);
    return true;
}

}  // namespace morvane::qt
