#include "extraction/field_tally.h"

#include <string>
#include <utility>

namespace morvane {

namespace {

// The quote character in the source's bytes.
std::string QuoteIn(split::Width width) {
    using namespace std::string_literals;
    if (width == split::Width::Utf16Le) return "\"\0"s;
    if (width == split::Width::Utf16Be) return "\0\""s;
    return "\"";
}

}  // namespace

QuotedField::QuotedField(const split::Characters& characters, int field)
    : quotes_(characters, {QuoteIn(characters.width)}, std::nullopt),
      width_(characters.width),
      unit_(characters.UnitSize()),
      field_(field) {}

void QuotedField::TakeQuoted(const unsigned char* at, const unsigned char* end) {
    // Only at a token's start does a quote open a field: "5"" or a"b is data
    // (Take passed over a token that starts otherwise).
    if (std::exchange(fresh_, false) && state_ == State::Closed) {
        state_ = State::Open;
        openedIn_ = token_;
        at += unit_;
    }
    while (at < end) {
        if (state_ == State::Open) {
            at = quotes_.Find(at, end, true).at;
            if (at == end) return;
            state_ = State::MaybeClosed;
        } else if (state_ == State::MaybeClosed && QuoteAt(at)) {
            state_ = State::Open;  // "" inside a quoted field
        } else {
            // Data after the closing quote: the rest of the token is data.
            state_ = State::Closed;
            passOver_ = true;
            return;
        }
        at += unit_;
    }
}

FieldTally::FieldTally(const split::SplitRules& rules, int field)
    : field_(field),
      delimiterLength_(rules.delimiters.empty() ? 0 : rules.delimiters.front().size()),
      quoted_(rules.characters, field),
      pastField_{quoted_, 0},
      restOfLine_(rules, pastField_) {}

void FieldTally::WalkPastField(const unsigned char* restEnd) {
    pastField_.token = tokens_;
    restOfLine_.Start(previousEnd_);
    restOfLine_.Feed(textEnd_, static_cast<std::size_t>(restEnd - textEnd_), true);
}

}  // namespace morvane
