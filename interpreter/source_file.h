// The file a for /f loop reads, read sequentially with a fixed end.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/posix/unique_handle.h"

namespace morvane::interp {

// A regular file is read only up to the length it had when opened, so a loop
// that appends to its own source still ends (the Windows interpreter reads
// the whole file first). Other files (pipes, devices) are read to their end.
class SourceFile {
  public:
    static std::optional<SourceFile> Open(const std::string& path, std::string& error);

    // The next bytes; 0 at the end, -1 on an error (see Error()).
    ssize_t Read(unsigned char* buffer, std::size_t size);
    // Bytes from `offset`, for regular files only; short only at the end
    // (the length the file had when opened). A file cut shorter meanwhile
    // is an error.
    ssize_t ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size);

    // Whether ReadAt works: the file is regular.
    bool Seekable() const { return seekable_; }
    std::uint64_t Size() const { return size_; }
    std::string Error() const;
    // Whether the last Read failed only because a signal came meanwhile.
    bool Interrupted() const { return errno_ == EINTR; }

  private:
    SourceFile(posix::UniqueFd fd, bool seekable, std::uint64_t size)
        : fd_(std::move(fd)), seekable_(seekable), size_(size) {}

    posix::UniqueFd fd_;
    bool seekable_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
    int errno_ = 0;
    bool shrank_ = false;
};

}  // namespace morvane::interp
