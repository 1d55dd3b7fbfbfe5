#include "platform/posix/code_page.h"

#include "platform/posix/iconv_converter.h"

namespace morvane::posix {

std::optional<std::string> Utf8ToCodePage936(std::string_view text) {
    return IconvConverter("UTF-8", "CP936").Convert(text);
}

}  // namespace morvane::posix
