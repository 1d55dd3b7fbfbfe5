#include "extraction/script_file.h"

namespace morvane {

std::optional<Control> FirstUnencodableBox(const Controls& controls, const SystemServices& system) {
    for (Control box : kScriptBoxes) {
        if (!system.EncodeForScript(controls.Text(box))) return box;
    }
    return std::nullopt;
}

bool WriteScriptFile(SystemServices& system, const std::string& line, std::string& reason) {
    std::optional<std::string> encoded = system.EncodeForScript(line);
    if (!encoded) {
        reason = "脚本中含有代码页无法表示的字符";
        return false;
    }
    return system.WriteNewFile(system.ScriptPath(), *encoded + "\r\n", reason);
}

}  // namespace morvane
