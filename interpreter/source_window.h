// The source file as a for /f loop sees it: a window of memory that moves on
// through the file.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/line_values.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

// Holds the bytes at file offsets [Begin(), End()). The loop reads more at
// the end (ReadMore) and lets go of what it is done with at the front
// (DropBefore); the window grows only for a line longer than it that cannot
// be read again later (Grow). A call that answers false has put the reason in
// Error().
class SourceWindow {
  public:
    // `name` is the source's name in messages; once *stopRequested is set, the
    // next read fails.
    SourceWindow(SourceFile file, std::size_t size, std::string name,
                 const volatile std::sig_atomic_t* stopRequested);

    // Reads once more at the end; AtEnd() once the file has ended.
    bool ReadMore();
    // Reads until the window is full or the file ends, so that the byte-order
    // mark and the encoding are judged from a good stretch of the file.
    bool FillUp();
    // Lets go of the bytes before file offset `offset`, making room at the end.
    void DropBefore(std::uint64_t offset);
    // Doubles the window, up to 1 GiB.
    bool Grow();

    std::uint64_t Begin() const { return begin_; }
    std::uint64_t End() const { return begin_ + filled_; }
    bool AtEnd() const { return atEnd_; }
    bool Full() const { return filled_ == bytes_.size(); }
    const unsigned char* At(std::uint64_t offset) const {
        return bytes_.data() + (offset - begin_);
    }
    // All the bytes the window holds.
    std::span<const unsigned char> Held() const { return {bytes_.data(), filled_}; }
    bool Holds(ByteRange range) const { return range.begin >= begin_ && range.end <= End(); }
    std::string_view Text(ByteRange range) const {
        return {reinterpret_cast<const char*>(At(range.begin)),
                static_cast<std::size_t>(range.Size())};
    }

    // Whether bytes the window has let go of can be read again (ReadAgain),
    // and so a line longer than the window need not be held whole: the file
    // is a regular one.
    bool Rereadable() const { return file_.Seekable(); }
    // Bytes from `offset` on, at most `size` of them (read again from the
    // file), or nothing when they cannot be read.
    std::optional<std::string_view> ReadAgain(std::uint64_t offset, std::uint64_t size);

    SourceFile& File() { return file_; }
    const std::string& Error() const { return error_; }

  private:
    bool Fail(std::string message);

    SourceFile file_;
    std::string name_;
    const volatile std::sig_atomic_t* stopRequested_;
    std::vector<unsigned char> bytes_;
    std::size_t filled_ = 0;
    std::uint64_t begin_ = 0;
    bool atEnd_ = false;
    std::vector<unsigned char> readAgainBuffer_;
    std::string error_;
};

}  // namespace morvane::interp
