#include "interpreter/for_options.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_set>

#include "interpreter/script_text.h"

namespace morvane::interp {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the UTF-8 character starting at `pos` (1 for a stray byte), never
// running past the end of the text.
std::size_t Utf8CharLengthAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    length = std::min(length, text.size() - pos);
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return i;
    }
    return length;
}

// Reads a decimal number at `pos`; saturates far above 31 so huge numbers are
// simply "above 31".
std::optional<std::uint32_t> ReadNumber(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
    std::uint32_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value =
            std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(text[pos] - '0'), 1000);
        ++pos;
    }
    return value;
}

}  // namespace

// The token list of tokens=.

int TokenPlan::TokenCount() const { return std::popcount(tokens); }

int TokenPlan::HighestToken() const { return 32 - std::countl_zero(tokens); }

int TokenPlan::TokenOfVariable(int index) const {
    std::uint32_t remaining = tokens;
    for (int i = 0; remaining != 0; ++i) {
        const int token = std::countr_zero(remaining) + 1;
        if (i == index) return token;
        remaining &= remaining - 1;
    }
    return 0;
}

std::optional<TokenPlan> ParseTokenList(std::string_view text, std::string& error) {
    TokenPlan plan;
    plan.tokens = 0;
    std::size_t pos = 0;
    if (text.empty()) {
        error = "tokens= needs at least one token number";
        return std::nullopt;
    }
    while (pos < text.size()) {
        if (text[pos] == '*') {
            plan.rest = true;
            ++pos;
            if (pos != text.size()) {
                error = "nothing may follow \"*\" in tokens=";
                return std::nullopt;
            }
            break;
        }
        const auto first = ReadNumber(text, pos);
        if (!first) {
            error = "tokens= expects a number at \"" + std::string(text.substr(pos)) + "\"";
            return std::nullopt;
        }
        std::uint32_t last = *first;
        if (pos < text.size() && text[pos] == '-') {
            ++pos;
            const auto end = ReadNumber(text, pos);
            if (!end) {
                error = "tokens= has a range without an end";
                return std::nullopt;
            }
            last = *end;
        }
        if (*first == 0 || last == 0) {
            error = "tokens=0 is not a token number (tokens count from 1)";
            return std::nullopt;
        }
        if (*first <= last && last <= kMaxTokenNumber) {
            for (std::uint32_t n = *first; n <= last; ++n) plan.tokens |= 1u << (n - 1);
        }
        if (pos == text.size()) break;
        if (text[pos] == ',') {
            ++pos;
            if (pos == text.size()) {
                error = "tokens= ends in a comma";
                return std::nullopt;
            }
        } else if (text[pos] != '*') {
            error = std::string("unexpected \"") + text[pos] + "\" in tokens=";
            return std::nullopt;
        }
    }
    return plan;
}

// The quoted options of for /f.

namespace {

// Reads an option's value, which starts at text[pos], into `options`, and
// leaves `pos` after it; answers false, and says why, on a bad value.
using ReadOptionValue = bool (*)(std::string_view text, std::size_t& pos, ForOptions& options,
                                 std::string& error);

struct Option {
    std::string_view keyword;  // a flag's has no "="
    ReadOptionValue read;
};

const Option* MatchOption(std::string_view text);

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

// The word at `pos`, up to the next blank; `pos` is left after it.
std::string_view TakeWord(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

bool ReadTokens(std::string_view text, std::size_t& pos, ForOptions& options, std::string& error) {
    const auto plan = ParseTokenList(TakeWord(text, pos), error);
    if (plan) options.tokens = *plan;
    return plan.has_value();
}

bool ReadDelimiters(std::string_view text, std::size_t& pos, ForOptions& options, std::string&) {
    options.delimiters.clear();
    // A list may be long (a pasted text); duplicates are found in a set, so
    // reading it takes time linear in its length.
    std::unordered_set<std::string_view> seen;
    while (pos < text.size()) {
        if (IsBlank(text[pos])) {
            const std::size_t next = SkipBlanks(text, pos);
            if (next < text.size() && MatchOption(text.substr(next))) {
                pos = next;
                break;
            }
        }
        const std::size_t length = Utf8CharLengthAt(text, pos);
        if (seen.insert(text.substr(pos, length)).second)
            options.delimiters.emplace_back(text.substr(pos, length));
        pos += length;
    }
    return true;
}

bool ReadEol(std::string_view text, std::size_t& pos, ForOptions& options, std::string&) {
    // "eol=" ending the options leaves no end-of-line character.
    if (pos == text.size()) {
        options.eol.reset();
        return true;
    }
    const std::size_t length = Utf8CharLengthAt(text, pos);
    options.eol = std::string(text.substr(pos, length));
    pos += length;
    return true;
}

bool ReadSkip(std::string_view text, std::size_t& pos, ForOptions& options, std::string& error) {
    const std::string_view value = TakeWord(text, pos);
    if (value.empty() || !std::all_of(value.begin(), value.end(), IsDigit)) {
        error = "skip= expects a number, not \"" + std::string(value) + "\"";
        return false;
    }
    std::uint64_t count = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (char c : value) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        count = count > (kMax - digit) / 10 ? kMax : count * 10 + digit;
    }
    if (count == 0) {
        error = "skip=0 is not allowed";
        return false;
    }
    options.skip = count;
    return true;
}

bool SetUseBackQ(std::string_view, std::size_t&, ForOptions& options, std::string&) {
    options.usebackq = true;
    return true;
}

constexpr Option kOptions[] = {
    {"tokens=", ReadTokens}, {"delims=", ReadDelimiters}, {"eol=", ReadEol},
    {"skip=", ReadSkip},     {"usebackq", SetUseBackQ},   {"useback", SetUseBackQ},
};

// The option the text starts with. A flag needs white space or the end after
// it, so "usebackqx" is not usebackq.
const Option* MatchOption(std::string_view text) {
    for (const Option& option : kOptions) {
        if (!StartsWithWord(text, option.keyword)) continue;
        const std::size_t after = option.keyword.size();
        if (option.keyword.back() == '=' || after == text.size() || IsBlank(text[after])) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<ForOptions> ParseForOptions(std::string_view text, std::string& error) {
    ForOptions options;
    std::size_t pos = SkipBlanks(text, 0);
    while (pos < text.size()) {
        const Option* option = MatchOption(text.substr(pos));
        if (!option) {
            error = "unknown for /f option \"" + std::string(TakeWord(text, pos)) + "\"";
            return std::nullopt;
        }
        pos += option->keyword.size();
        if (!option->read(text, pos, options, error)) return std::nullopt;
        pos = SkipBlanks(text, pos);
    }
    return options;
}

}  // namespace morvane::interp
