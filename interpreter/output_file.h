// Where echo writes: a file opened on the first record, or standard output.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/posix/unique_handle.h"
#include "interpreter/script_line.h"

namespace morvane::interp {

// Output is buffered and written in large pieces. A file is created or opened
// only when the first record begins, so no value means no file. With
// Redirect::Replace every record empties the file first (only the last one
// stays), as ">" does.
class OutputFile {
  public:
    // `byteOrderMark` starts the file when this object creates it (and every
    // record with Replace).
    OutputFile(std::string path, Redirect mode, std::string byteOrderMark);
    // Writes to an already open descriptor, e.g. standard output.
    explicit OutputFile(int fd);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool BeginRecord() {
        if (fd_ >= 0 && mode_ != Redirect::Replace && !failed_) return true;
        return BeginRecordSlowly();
    }
    bool Append(std::string_view bytes) {
        if (bytes.size() <= kBufferSize - size_) {
            std::memcpy(buffer_.get() + size_, bytes.data(), bytes.size());
            size_ += bytes.size();
            return true;
        }
        return AppendSlowly(bytes);
    }
    // Writes what is buffered and closes the file.
    bool Finish();
    // Takes back everything written: a file this object created is removed,
    // one it appended to is cut back to its former length.
    void Discard();

    const std::string& Error() const { return error_; }

  private:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    bool BeginRecordSlowly();
    bool AppendSlowly(std::string_view bytes);
    bool Open();
    bool Flush();
    bool WriteAll(const char* data, std::size_t size);
    bool Fail(const std::string& what, int error);

    std::string path_;
    Redirect mode_ = Redirect::Append;
    std::string byteOrderMark_;
    posix::UniqueFd owned_;
    int fd_ = -1;
    bool created_ = false;
    bool failed_ = false;
    off_t originalSize_ = 0;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kBufferSize);
    std::size_t size_ = 0;
    std::string error_;
};

}  // namespace morvane::interp
