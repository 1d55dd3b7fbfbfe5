// Writing the composed line to the script file.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/runtime.h"

namespace morvane {

// The boxes whose text enters the script as typed, in box order.
inline constexpr std::array<Control, 3> kScriptBoxes = {
    Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox};

// Of kScriptBoxes, the first one holding a character the script's code page
// cannot represent; nothing when all three can be written.
std::optional<Control> FirstUnencodableBox(const Controls& controls, const SystemServices& system);

// Creates or empties the script file, writes the line in the script's code
// page followed by CR LF, and closes it. On failure answers false with the
// reason, fit to follow "无法写入脚本文件<path>：" in a notice.
bool WriteScriptFile(SystemServices& system, const std::string& line, std::string& reason);

}  // namespace morvane
