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
#include "interpreter/script_runner.h"

namespace morvane::interp {

// Output is buffered and written in large pieces. A file is created only when
// the first record begins (no value, no file), or at once with OpenNow(). With
// Redirect::Replace every record empties the file first (only the last one
// stays), as ">" does.
//
// A file is only ever written when this run created it: what is already at
// the path (a link someone put there, another user's file, a file that
// appeared meanwhile) is refused, never opened for writing. A file created
// earlier in the same run (`created`) may be written again.
class OutputFile {
  public:
    OutputFile(std::string path, Redirect mode, CreatedFiles* created);
    // Writes to an already open descriptor, e.g. standard output.
    explicit OutputFile(int fd);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts the file, when this object creates it, and every record with
    // Replace. Set before the first record.
    void SetByteOrderMark(std::string bytes) { byteOrderMark_ = std::move(bytes); }

    // Opens the file now, as a redirection around a block does: it exists
    // even when no record follows. With Replace it is emptied this once and
    // the records then accumulate.
    bool OpenNow();

    bool BeginRecord() {
        if (fd_ >= 0 && mode_ != Redirect::Replace && markWritten_ && !failed_) return true;
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
    // Takes back everything written: a file this object created for its
    // first record is removed, one OpenNow created is emptied, one it
    // appended to (created earlier in this run) is cut back to its former
    // length.
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
    CreatedFiles* createdFiles_ = nullptr;
    std::string byteOrderMark_;
    bool markWritten_ = true;
    bool openedFirst_ = false;  // by OpenNow, before any record
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
