// How the script is run: the system's command interpreter started directly
// on it, never through CreateProcess's own handling of batch files.
//
//   "%ComSpec%" /d /v:off /c ""SCRIPT""
//
// /d keeps the AutoRun commands of the registry out of the run; /v:off keeps
// "!" literal even where delayed expansion is on by default. After /c the
// interpreter strips the first and the last quote of the rest of the line
// when it is not exactly one quoted program name, so the quoted path is
// wrapped in one more pair: what is left is the path in quotes, kept whole
// whatever spaces, "&" or parentheses the user's folder name holds.
#pragma once

#include <string>

#include "platform/win32/unique_handle.h"

namespace morvane::win32 {

// %ComSpec%, or cmd.exe in the system folder when ComSpec is unset or empty.
std::wstring InterpreterPath();

// The whole command line for running `scriptPath` with `interpreter`.
std::wstring InterpreterCommandLine(const std::wstring& interpreter,
                                    const std::wstring& scriptPath);

// Starts the interpreter on the script without a console window of any kind
// (CREATE_NO_WINDOW, and hidden should a console be made all the same) and
// without waiting. Answers the process's handle, or an empty one with the
// system's reason.
UniqueHandle LaunchInterpreter(const std::wstring& scriptPath, std::string& reason);

}  // namespace morvane::win32
