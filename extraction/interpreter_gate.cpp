#include "extraction/interpreter_gate.h"

#include <algorithm>

namespace morvane {

namespace {

// Upper-cases the ASCII letters; other characters (process names are file
// names, and non-ASCII bytes belong to multi-byte UTF-8 sequences) are left
// as they are.
std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

}  // namespace

bool DescriptionMatches(const std::string& description, const std::string& processName) {
    return UpperCase(description) == UpperCase(processName);
}

bool IsProcessRunning(SystemServices& system, const std::string& exeName) {
    const auto descriptions = system.ProcessDescriptions();
    if (!descriptions) return false;
    for (const std::string& description : *descriptions) {
        if (DescriptionMatches(description, exeName)) return true;
    }
    return false;
}

Gate InterpreterGate(Controls& controls, SystemServices& system) {
    if (!IsProcessRunning(system, "cmd.exe")) return Gate::Open;
    controls.ShowNotice("请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误", "提示");
    return Gate::Blocked;
}

}  // namespace morvane
