// Text conversion through iconv, and the conversions between UTF-8 and the
// Chinese code pages built on it: code page 936 (GBK), the encoding of
// Chinese text files, and GB18030, its superset that can hold every Unicode
// character, in which the Linux script is written.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvane::posix {

// One conversion between two character sets, as iconv names them.
class IconvConverter {
  public:
    IconvConverter(const char* from, const char* to);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // The whole text converted; nothing when it holds a byte sequence that is
    // not a character of the source set or has no equivalent in the target.
    std::optional<std::string> Convert(std::string_view text);

  private:
    iconv_t handle_;
};

// Answers nothing when the text holds a character code page 936 cannot
// represent (or is not valid UTF-8).
std::optional<std::string> Utf8ToCodePage936(std::string_view text);

// Every character of valid UTF-8 has a GB18030 form; the bytes of a character
// that code page 936 holds are the same in both, with the one exception of
// the euro sign (0x80 in code page 936, A2 E3 in GB18030). Answers nothing
// for text that is not valid UTF-8.
std::optional<std::string> Utf8ToGb18030(std::string_view text);

// GB18030 text as UTF-8; nothing for bytes that are not GB18030.
std::optional<std::string> Gb18030ToUtf8(std::string_view text);

}  // namespace morvane::posix
