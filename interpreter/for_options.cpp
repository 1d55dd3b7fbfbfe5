#include "interpreter/for_options.h"

#include <algorithm>
#include <limits>

#include "interpreter/utf8_text.h"

namespace morvane::interp {

namespace {

enum class Keyword { None, Tokens, Delims, Eol, Skip, UseBackQ };

struct KeywordMatch {
    Keyword keyword = Keyword::None;
    std::size_t length = 0;
};

// The option keyword the text starts with. The flag needs white space or the
// end after it, so "usebackqx" is not usebackq.
KeywordMatch MatchKeyword(std::string_view text) {
    static constexpr struct {
        std::string_view word;
        Keyword keyword;
    } kValued[] = {{"tokens=", Keyword::Tokens},
                   {"delims=", Keyword::Delims},
                   {"eol=", Keyword::Eol},
                   {"skip=", Keyword::Skip}};
    for (const auto& entry : kValued) {
        if (StartsWithWord(text, entry.word)) return {entry.keyword, entry.word.size()};
    }
    for (std::string_view flag : {std::string_view("usebackq"), std::string_view("useback")}) {
        if (StartsWithWord(text, flag) &&
            (text.size() == flag.size() || IsBlank(text[flag.size()]))) {
            return {Keyword::UseBackQ, flag.size()};
        }
    }
    return {};
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

std::size_t WordEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    return pos;
}

// The delimiter list starting at `pos`; leaves `pos` where parsing goes on.
std::vector<std::string> ReadDelimiters(std::string_view text, std::size_t& pos) {
    std::vector<std::string> delimiters;
    while (pos < text.size()) {
        if (IsBlank(text[pos])) {
            const std::size_t next = SkipBlanks(text, pos);
            if (next < text.size() && MatchKeyword(text.substr(next)).keyword != Keyword::None) {
                pos = next;
                break;
            }
        }
        const std::size_t length = Utf8CharLengthAt(text, pos);
        std::string character(text.substr(pos, length));
        if (std::find(delimiters.begin(), delimiters.end(), character) == delimiters.end()) {
            delimiters.push_back(std::move(character));
        }
        pos += length;
    }
    return delimiters;
}

std::optional<std::uint64_t> ReadSkip(std::string_view value, std::string& error) {
    if (value.empty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        error = "skip= expects a number, not \"" + std::string(value) + "\"";
        return std::nullopt;
    }
    std::uint64_t count = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (char c : value) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        count = count > (kMax - digit) / 10 ? kMax : count * 10 + digit;
    }
    if (count == 0) {
        error = "skip=0 is not allowed";
        return std::nullopt;
    }
    return count;
}

}  // namespace

std::optional<ForOptions> ParseForOptions(std::string_view text, std::string& error) {
    ForOptions options;
    std::size_t pos = SkipBlanks(text, 0);
    while (pos < text.size()) {
        const KeywordMatch match = MatchKeyword(text.substr(pos));
        if (match.keyword == Keyword::None) {
            error = "unknown for /f option \"" +
                    std::string(text.substr(pos, WordEnd(text, pos) - pos)) + "\"";
            return std::nullopt;
        }
        pos += match.length;
        switch (match.keyword) {
            case Keyword::Delims:
                options.delimiters = ReadDelimiters(text, pos);
                break;
            case Keyword::Eol:
                if (pos < text.size()) {
                    const std::size_t length = Utf8CharLengthAt(text, pos);
                    options.eol = std::string(text.substr(pos, length));
                    pos += length;
                } else {
                    options.eol.reset();
                }
                break;
            case Keyword::Tokens: {
                const std::size_t end = WordEnd(text, pos);
                const auto plan = ParseTokenList(text.substr(pos, end - pos), error);
                if (!plan) return std::nullopt;
                options.tokens = *plan;
                pos = end;
                break;
            }
            case Keyword::Skip: {
                const std::size_t end = WordEnd(text, pos);
                const auto skip = ReadSkip(text.substr(pos, end - pos), error);
                if (!skip) return std::nullopt;
                options.skip = *skip;
                pos = end;
                break;
            }
            case Keyword::UseBackQ:
                options.usebackq = true;
                break;
            case Keyword::None:
                break;
        }
        pos = SkipBlanks(text, pos);
    }
    return options;
}

}  // namespace morvane::interp
