// Where Pellorin.exe keeps its script: a "Morvane" folder in the user's own
// local application-data folder (on XP "Local Settings\Application Data",
// since Vista "AppData\Local").
//
// That folder is the one place every Windows from XP to 11 gives each user
// that is theirs alone and always writable without elevation: it lies in the
// user's profile, whose permissions admit only the user (and the system and
// administrators); it never roams to a network share as the roaming folder
// may; and, unlike the temporary folder, it cannot be moved into a shared
// place by a TMP or TEMP variable pointing at, say, C:\Temp. On a terminal
// server each user gets their own. Paths stay UTF-16 from the shell to the
// file system, so a user name outside the ANSI code page works.
#pragma once

#include <string>

namespace morvane::win32 {

// The folder's full path, without a trailing backslash. Falls back to a
// Morvane folder in the temporary folder when the profile has no local
// application-data folder (a profile that is not loaded); "" when there is
// neither.
std::wstring ScriptFolderPath();

// Creates the folder when it is missing. Answers false with the system's
// reason when it cannot, or when something that is not a folder is there.
bool EnsureScriptFolder(const std::wstring& folder, std::string& reason);

}  // namespace morvane::win32
