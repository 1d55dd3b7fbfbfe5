#include "interpreter/source_window.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace morvane::interp {

namespace {

constexpr std::size_t kMinimumSize = 16;

// A source that cannot be read twice (a pipe, a device) keeps its current
// line whole in the window; an endless line (/dev/zero) stops here instead
// of taking all memory.
constexpr std::size_t kMaxHeldLine = std::size_t{1} << 30;

constexpr std::size_t kReadAgainPiece = 64 * 1024;

}  // namespace

SourceWindow::SourceWindow(SourceFile file, std::size_t size, std::string name,
                           const volatile std::sig_atomic_t* stopRequested)
    : file_(std::move(file)),
      name_(std::move(name)),
      stopRequested_(stopRequested),
      bytes_(std::max(size, kMinimumSize)) {}

bool SourceWindow::Fail(std::string message) {
    error_ = std::move(message);
    return false;
}

bool SourceWindow::ReadMore() {
    ssize_t got = 0;
    do {
        if (stopRequested_ && *stopRequested_)
            return Fail("stopped before the end of the source; what was written is taken back");
        got = file_.Read(bytes_.data() + filled_, bytes_.size() - filled_);
    } while (got < 0 && file_.Interrupted());
    if (got < 0) return Fail("cannot read the source file \"" + name_ + "\": " + file_.Error());
    if (got == 0) atEnd_ = true;
    filled_ += static_cast<std::size_t>(got);
    return true;
}

bool SourceWindow::FillUp() {
    while (!atEnd_ && !Full()) {
        if (!ReadMore()) return false;
    }
    return true;
}

void SourceWindow::DropBefore(std::uint64_t offset) {
    const auto count = static_cast<std::size_t>(offset - begin_);
    if (count == 0) return;
    std::memmove(bytes_.data(), bytes_.data() + count, filled_ - count);
    begin_ = offset;
    filled_ -= count;
}

bool SourceWindow::Grow() {
    if (bytes_.size() >= kMaxHeldLine) {
        return Fail("a line of the source \"" + name_ +
                    "\" is longer than 1 GiB, more than a source that cannot be read twice (a "
                    "pipe or device) may have");
    }
    try {
        bytes_.resize(std::min(bytes_.size() * 2, kMaxHeldLine));
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory to hold a line of the source \"" + name_ + "\"");
    }
    return true;
}

std::optional<std::string_view> SourceWindow::ReadAgain(std::uint64_t offset, std::uint64_t size) {
    if (readAgainBuffer_.empty()) readAgainBuffer_.resize(kReadAgainPiece);
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(readAgainBuffer_.size(), size));
    const ssize_t got = file_.ReadAt(offset, readAgainBuffer_.data(), want);
    if (got <= 0) {
        Fail("cannot read the source file \"" + name_ +
             "\" again: " + (got < 0 ? file_.Error() : std::string("it became shorter")));
        return std::nullopt;
    }
    return std::string_view(reinterpret_cast<const char*>(readAgainBuffer_.data()),
                            static_cast<std::size_t>(got));
}

}  // namespace morvane::interp
