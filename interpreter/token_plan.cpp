#include "interpreter/token_plan.h"

#include <algorithm>
#include <bit>

namespace morvane::interp {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

}  // namespace morvane::interp
