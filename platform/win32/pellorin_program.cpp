#include "platform/win32/pellorin_program.h"

namespace morvane::win32 {

PellorinProgram::PellorinProgram(HINSTANCE instance)
    : window_(instance), controls_(window_), handlers_(controls_, system_) {
    window_.RouteEventsTo(handlers_);
}

bool PellorinProgram::Start(const std::vector<std::string>& files) {
    if (!handlers_.GuardSingleInstance()) return false;
    if (!window_.Show()) return false;
    if (!files.empty()) handlers_.OnFilesGiven(files);
    return true;
}

}  // namespace morvane::win32
