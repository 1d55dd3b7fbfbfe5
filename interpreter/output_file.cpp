#include "interpreter/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace morvane::interp {

OutputFile::OutputFile(std::string path, Redirect mode, CreatedFiles* created)
    : path_(std::move(path)), mode_(mode), createdFiles_(created), markWritten_(false) {}

OutputFile::OutputFile(int fd) : fd_(fd) {}

OutputFile::~OutputFile() = default;

bool OutputFile::Fail(const std::string& what, int error) {
    failed_ = true;
    error_ = what + ": " + std::strerror(error);
    return false;
}

bool OutputFile::Open() {
    // Non-blocking, so a pipe nobody reads fails at once instead of hanging;
    // never through a link: a link at the path is refused, not followed.
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
    // Created anew, with the mode the umask leaves: in a folder others can
    // write, whatever was put at the path before this moment is not ours.
    int fd = ::open(path_.c_str(), flags | O_CREAT | O_EXCL, 0666);
    struct stat info {};
    if (fd >= 0) {
        owned_.Reset(fd);
        created_ = true;
        if (createdFiles_ && ::fstat(fd, &info) == 0)
            createdFiles_->files.push_back({info.st_dev, info.st_ino});
    } else if (errno != EEXIST) {
        return Fail("cannot create the output file \"" + path_ + "\"", errno);
    } else {
        // Something is there: only a regular file this run created may be
        // written again, or an empty one of this user's own with no other
        // name (the program makes the output so before it starts the run):
        // no other user can make one, and nothing in it can be lost.
        fd = ::open(path_.c_str(), flags);
        if (fd >= 0) owned_.Reset(fd);
        const bool regular = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        const bool ours =
            regular &&
            ((info.st_size == 0 && info.st_uid == ::geteuid() && info.st_nlink == 1) ||
             (createdFiles_ && std::any_of(createdFiles_->files.begin(), createdFiles_->files.end(),
                                           [&](const CreatedFiles::Identity& file) {
                                               return file.device == info.st_dev &&
                                                      file.inode == info.st_ino;
                                           })));
        if (!ours) {
            owned_.Reset();
            failed_ = true;
            error_ = "the output file \"" + path_ +
                     "\" already exists and was not created by this run; nothing was written";
            return false;
        }
        originalSize_ = info.st_size;
    }
    fd_ = owned_.Get();
    const int current = ::fcntl(fd_, F_GETFL);
    if (current >= 0) ::fcntl(fd_, F_SETFL, current & ~O_NONBLOCK);
    return true;
}

bool OutputFile::OpenNow() {
    if (failed_) return false;
    if (fd_ < 0 && !Open()) return false;
    openedFirst_ = true;
    if (mode_ == Redirect::Replace) {
        if (!created_ && ::ftruncate(fd_, 0) != 0)
            return Fail("cannot empty the output file \"" + path_ + "\"", errno);
        originalSize_ = 0;
        mode_ = Redirect::Append;
    }
    return true;
}

bool OutputFile::BeginRecordSlowly() {
    if (failed_) return false;
    if (fd_ < 0 && !Open()) return false;
    if (mode_ == Redirect::Replace) {
        // Whatever earlier records left is dropped: the file holds only this one.
        size_ = 0;
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd_, 0) != 0) {
            return Fail("cannot empty the output file \"" + path_ + "\"", errno);
        }
        return Append(byteOrderMark_);
    }
    if (!markWritten_) {
        // The mark goes with the first record, so a file with no value stays
        // empty; and into a file that was empty when the run opened it (the
        // program makes the output so), which would otherwise be UTF-16
        // without one.
        markWritten_ = true;
        if (originalSize_ == 0) return Append(byteOrderMark_);
    }
    return true;
}

bool OutputFile::AppendSlowly(std::string_view bytes) {
    if (failed_ || !Flush()) return false;
    if (bytes.size() >= kBufferSize) return WriteAll(bytes.data(), bytes.size());
    std::memcpy(buffer_.get(), bytes.data(), bytes.size());
    size_ = bytes.size();
    return true;
}

bool OutputFile::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail(path_.empty() ? std::string("cannot write the output")
                                      : "cannot write the output file \"" + path_ + "\"",
                        errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputFile::Flush() {
    if (size_ == 0) return true;
    const bool ok = WriteAll(buffer_.get(), size_);
    size_ = 0;
    return ok;
}

bool OutputFile::Finish() {
    if (failed_) return false;
    if (fd_ < 0) return true;
    if (!Flush()) return false;
    fd_ = -1;
    if (owned_.Valid() && ::close(owned_.Release()) != 0 && errno != EINTR) {
        return Fail("cannot close the output file \"" + path_ + "\"", errno);
    }
    return true;
}

void OutputFile::Discard() {
    size_ = 0;
    if (path_.empty()) return;
    if (created_ && !openedFirst_) {
        ::unlink(path_.c_str());
    } else if (owned_.Valid()) {
        // A block's output was there before any value, as on Windows: it
        // stays, emptied of what the loop wrote. A file an earlier line of
        // the run made goes back to the length it had.
        struct stat info {};
        if (::fstat(owned_.Get(), &info) == 0 && S_ISREG(info.st_mode)) {
            [[maybe_unused]] const int ignored =
                ::ftruncate(owned_.Get(), created_ ? 0 : originalSize_);
        }
    }
    owned_.Reset();
    fd_ = -1;
}

}  // namespace morvane::interp
