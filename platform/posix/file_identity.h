// Literal questions about what is at a path, for the checks that must not be
// fooled by hidden names, links or special files.
#pragma once

#include <string>

namespace morvane::posix {

// True when anything at all is at `path` (lstat: links are not followed, so
// a dangling link counts). A path we may not look into answers false: the
// program could not write there either.
bool SomethingExistsAt(const std::string& path);

// True when a regular file is at `path`; a link is not followed.
bool RegularFileAt(const std::string& path);

// True when both paths lead (links followed) to the same existing file:
// same device and inode.
bool SameFile(const std::string& first, const std::string& second);

}  // namespace morvane::posix
