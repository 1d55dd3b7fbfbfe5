#include "platform/posix/code_page.h"

#include <iconv.h>

namespace morvane::posix {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> Utf8ToCodePage936(const std::string& text) {
    Converter converter("CP936", "UTF-8");
    if (!converter.Valid()) return std::nullopt;
    // Each UTF-8 character becomes at most two bytes, never more than it had.
    std::string out(text.size() + 1, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (::iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace morvane::posix
