// The checks the Start action runs on the four input boxes before anything is
// written or started.
#pragma once

#include "platform/runtime.h"

namespace morvane {

// The notice for a box holding a character the script cannot carry: text
// that is no UTF-8 at all, or a character the script's code page lacks.
inline constexpr const char* kUnencodableNotice =
    "路径或分割符号中含有无法写入脚本文件的字符，请修改后再试！";

inline constexpr const char* kStreamNameNotice =
    "路径中不能含有“:”（盘符后的除外），请修改后再试！";
inline constexpr const char* kDeviceNameNotice =
    "输出文件名是 Windows 保留的设备名（如 CON、NUL、COM1），请换一个名字！";
inline constexpr const char* kScriptFolderNotice =
    "源文件和输出文件不能放在本程序的脚本文件夹中，请换一个文件夹！";
inline constexpr const char* kFieldRangeNotice = "提取段号只能是 1 到 31。";

// Runs the checks in their fixed order: the four boxes filled, their texts
// fit for the script line (ScriptCanHoldBoxes), then the source, equality and
// output checks, a field number from 1 to 31, then what would make the run
// fail (PathsCanBeUsed, NamesMeanFiles). The
// first one that fails shows its notice (title "提示！"), moves the focus to
// the box to correct and answers false; no box is changed. Answers true when
// all pass.
bool ValidateRequest(Controls& controls, SystemServices& system);

// Whether the source, output and delimiter boxes hold only what the one
// script line can carry. Refused, in box order: text that is not UTF-8 (half
// of a surrogate pair pasted alone); a control character
// (U+0000-U+001F, U+007F: a line feed would start a second command), but a
// tab as the delimiter; a double
// quote (it would end the quoted path or options early); in the output, "%a"
// or "%~", which the interpreter replaces with the loop's value in the
// redirection target however the percent is written. Shows the notice and
// moves the focus like the other checks.
bool ScriptCanHoldBoxes(Controls& controls);

// What can be known before a run that would make it fail, each with a notice
// of its own, in this order: a path that does not start from a root (it
// would depend on the folder the program was started from); "*" or "?" in a
// path (Windows names cannot hold them, and the pattern search takes them for
// patterns); a source that cannot be opened for reading; an output folder
// that is missing, no folder or not writable; an output name too long; then
// NamesMeanFiles.
bool PathsCanBeUsed(Controls& controls, SystemServices& system);

// Names that would not mean the files they seem to, each with a notice of
// its own: on Windows a ":" in a path but after the drive letter (an NTFS
// stream) and an output named like a device (NUL, CON.txt); on every
// platform a source or output in the program's own script folder.
bool NamesMeanFiles(Controls& controls, SystemServices& system);

}  // namespace morvane
