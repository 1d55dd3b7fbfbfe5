// Questions about what is at a path: the pattern search behind the input
// checks, and the literal questions the checks ask so that hidden names,
// links and special files cannot fool them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime.h"

namespace morvane::posix {

// Takes `path` as a pattern the way the Windows directory search does: "*"
// and "?" may stand in its last component. Only regular files (symbolic
// links followed) whose names do not begin with a dot match. Answers the
// first matching name; nothing when none matches or the search fails.
std::optional<std::string> FindMatchingFile(const std::string& path);

// "*" stands for any run of characters, "?" for one character; everything
// else, brackets and backslashes included, stands for itself.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// True when anything at all is at `path` (lstat: links are not followed, so
// a dangling link counts). A path we may not look into answers false: the
// program could not write there either.
bool SomethingExistsAt(const std::string& path);

// True when a regular file is at `path`; a link is not followed.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);
std::optional<FileIdentity> RegularFileIdentity(const std::string& path);
bool CreateEmptyFile(const std::string& path, std::string& reason);
// Whether the folder `path` is in is `folder`, by device and inode.
bool InFolder(const std::string& path, const std::string& folder);

// True when both paths lead (links followed) to the same existing file:
// same device and inode.
// The path questions Start asks before a run; see SystemServices.
bool IsAbsolutePath(const std::string& path);
bool CanOpenForReading(const std::string& path);
FolderAccess OutputFolderAccess(const std::string& path);
bool NameFits(const std::string& path);

bool SameFile(const std::string& first, const std::string& second);

}  // namespace morvane::posix
