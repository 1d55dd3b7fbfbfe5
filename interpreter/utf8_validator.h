// Tells, piece by piece, whether a byte stream is valid UTF-8.
#pragma once

#include <cstddef>

namespace morvane::interp {

class Utf8Validator {
  public:
    // Takes the next bytes; answers false once the stream is known not to be
    // UTF-8 (later calls change nothing).
    bool Feed(const unsigned char* data, std::size_t size);
    // Whether the stream, now ended, was valid UTF-8 (no cut-off sequence).
    bool Finish() const { return valid_ && pending_ == 0; }
    // Whether a multi-byte sequence was seen.
    bool SawMultibyte() const { return sawMultibyte_; }

  private:
    bool valid_ = true;
    bool sawMultibyte_ = false;
    int pending_ = 0;           // continuation bytes still expected
    unsigned char low_ = 0x80;  // allowed range of the next continuation byte
    unsigned char high_ = 0xBF;
};

}  // namespace morvane::interp
