#include "platform/posix/code_page.h"

#include "platform/posix/iconv_converter.h"

namespace morvane::posix {

std::optional<std::string> Utf8ToCodePage936(std::string_view text) {
    return IconvConverter("UTF-8", "CP936").Convert(text);
}

std::optional<std::string> Utf8ToGb18030(std::string_view text) {
    return IconvConverter("UTF-8", "GB18030").Convert(text);
}

std::optional<std::string> Gb18030ToUtf8(std::string_view text) {
    return IconvConverter("GB18030", "UTF-8").Convert(text);
}

}  // namespace morvane::posix
