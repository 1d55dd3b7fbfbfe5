#include "platform/posix/process_list.h"

#include <dirent.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "common/posix/unique_handle.h"

namespace morvane::posix {

namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000;  // PF_KTHREAD

bool IsAllDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
    }
    return true;
}

}  // namespace

std::optional<ProcStat> ParseProcStat(const std::string& text) {
    // "PID (NAME) STATE PPID PGRP SESSION TTY TPGID FLAGS ..."
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return std::nullopt;
    ProcStat stat;
    stat.name = text.substr(open + 1, close - open - 1);
    std::istringstream rest(text.substr(close + 1));
    long ignored = 0;
    if (!(rest >> stat.state >> ignored >> ignored >> ignored >> ignored >> ignored >> stat.flags))
        return std::nullopt;
    return stat;
}

bool CountsAsRunningProgram(const ProcStat& stat) {
    return (stat.flags & kKernelThreadFlag) == 0 && stat.state != 'Z' && stat.state != 'X';
}

std::optional<std::vector<std::string>> RunningProcessNames() {
    UniqueDir proc(::opendir("/proc"));
    if (!proc) return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!IsAllDigits(entry->d_name)) continue;
        // A process may end between the listing and the read: skip it.
        std::ifstream file(std::string("/proc/") + entry->d_name + "/stat");
        std::string text;
        if (!std::getline(file, text)) continue;
        const auto stat = ParseProcStat(text);
        if (stat && CountsAsRunningProgram(*stat)) names.push_back(stat->name);
    }
    return names;
}

}  // namespace morvane::posix
