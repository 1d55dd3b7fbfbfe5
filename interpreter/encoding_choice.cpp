#include "interpreter/encoding_choice.h"

#include <algorithm>
#include <vector>

#include "interpreter/utf8_validator.h"

namespace morvane::interp {

namespace {

bool NeedsEncoding(const std::string& character) {
    return std::any_of(character.begin(), character.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x40; });
}

}  // namespace

bool EncodingMatters(const std::vector<std::string>& delimiters,
                     const std::optional<std::string>& eol, const std::string& echoText) {
    return std::any_of(delimiters.begin(), delimiters.end(), NeedsEncoding) ||
           (eol && NeedsEncoding(*eol)) ||
           std::any_of(echoText.begin(), echoText.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::optional<Encoding> ChooseEncodingFromContent(SourceFile& source, const unsigned char* head,
                                                  std::size_t headSize, bool headIsAll) {
    Utf8Validator validator;
    bool valid = validator.Feed(head, headSize);
    if (valid && !headIsAll && source.Seekable()) {
        std::vector<unsigned char> chunk(256 * 1024);
        std::uint64_t offset = headSize;
        while (valid) {
            const ssize_t got = source.ReadAt(offset, chunk.data(), chunk.size());
            if (got < 0) return std::nullopt;
            if (got == 0) break;
            valid = validator.Feed(chunk.data(), static_cast<std::size_t>(got));
            offset += static_cast<std::uint64_t>(got);
        }
        valid = valid && validator.Finish();
    } else if (valid && headIsAll) {
        valid = validator.Finish();
    }
    return valid && validator.SawMultibyte() ? Encoding::Utf8 : Encoding::Gbk;
}

}  // namespace morvane::interp
