// Text conversion between two character sets through iconv.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvane::posix {

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

}  // namespace morvane::posix
