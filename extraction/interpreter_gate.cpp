#include "extraction/interpreter_gate.h"

#include <algorithm>

#include "extraction/notice_titles.h"

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

bool ProcessNameMatches(const std::string& name, const std::string& wanted) {
    return UpperCase(name) == UpperCase(wanted);
}

bool IsProcessRunning(SystemServices& system, const std::string& exeName) {
    const auto names = system.RunningProcessNames();
    if (!names) return false;
    for (const std::string& name : *names) {
        if (ProcessNameMatches(name, exeName)) return true;
    }
    return false;
}

Gate InterpreterGate(Controls& controls, SystemServices& system) {
    if (!IsProcessRunning(system, kInterpreterProcessName)) return Gate::Open;
    controls.ShowNotice("请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误",
                        kHintTitle);
    return Gate::Blocked;
}

}  // namespace morvane
