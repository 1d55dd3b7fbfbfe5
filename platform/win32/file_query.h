// Questions about what is at a path: the directory search behind the input
// checks, and the literal questions the checks ask so that hidden files,
// links and devices cannot fool them. Paths are UTF-8; one that is not, or
// that holds a NUL, names nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime.h"

namespace morvane::win32 {

// FindFirstFileW on `path`, "*" and "?" in its last component taken as
// patterns: the first match that is neither a folder nor hidden nor a
// system file. Answers its name; nothing when none matches or the search
// fails.
std::optional<std::string> FindMatchingFile(const std::string& path);

// True when anything at all is at `path`, taken literally: a file whatever
// its attributes, a link (even a dangling one), a folder, a device, a file
// another program holds open without sharing.
bool SomethingExistsAt(const std::string& path);

// The size of the disk file at `path`; nothing for a folder, a link (not
// followed) or a device name.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// The path questions Start asks before a run; see SystemServices.
bool IsAbsolutePath(const std::string& path);
bool CanOpenForReading(const std::string& path);
FolderAccess OutputFolderAccess(const std::string& path);
bool NameFits(const std::string& path);

// True when both paths open (links followed) the same file: same volume
// serial number and file index.
bool SameFile(const std::string& first, const std::string& second);

// The disk file at `path` (a link not followed): volume serial number, file
// index and size.
std::optional<FileIdentity> RegularFileIdentity(const std::string& path);
bool CreateEmptyFile(const std::string& path, std::string& reason);
// Whether the folder `path` is in is `folder`, however either is spelt.
bool InFolder(const std::string& path, const std::string& folder);

}  // namespace morvane::win32
