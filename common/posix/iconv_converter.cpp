#include "common/posix/iconv_converter.h"

#include <cerrno>
#include <vector>

namespace morvane::posix {

IconvConverter::IconvConverter(const char* from, const char* to) : handle_(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
    if (Valid()) iconv_close(handle_);
}

std::optional<std::string> IconvConverter::Convert(std::string_view text) {
    if (!Valid()) return std::nullopt;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string result;
    std::vector<char> input(text.begin(), text.end());
    char* in = input.data();
    std::size_t inLeft = input.size();
    char chunk[1024];
    while (true) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t done =
            iconv(handle_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
        result.append(chunk, static_cast<std::size_t>(out - chunk));
        if (done != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno != E2BIG) return std::nullopt;
    }
    // Flush any shift state the target set needs at the end.
    char* out = chunk;
    std::size_t outLeft = sizeof chunk;
    if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    result.append(chunk, static_cast<std::size_t>(out - chunk));
    return result;
}

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
