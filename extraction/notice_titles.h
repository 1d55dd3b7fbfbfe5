// The titles of the program's notices and the name of the command
// interpreter it watches for: each stands once, here.
#pragma once

namespace morvane {

// A check refused what the user gave (a box, a dropped file).
inline constexpr const char* kRefusalTitle = "提示！";
// Something outside the program is in the way: a running cmd.exe, another copy.
inline constexpr const char* kHintTitle = "提示";
inline constexpr const char* kSuccessTitle = "成功";
inline constexpr const char* kFailureTitle = "失败";

// The process name of the command interpreter, as the process list gives it.
inline constexpr const char* kInterpreterProcessName = "cmd.exe";

}  // namespace morvane
