// The for /f options string: token lists, delimiter lists and the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "interpreter/for_options.h"

namespace morvane::interp {
namespace {

// The token numbers the variables receive, in variable order; "*" for the rest.
std::string Variables(std::string_view list) {
    std::string error;
    const auto plan = ParseTokenList(list, error);
    if (!plan) return "error: " + error;
    std::string text;
    for (int i = 0; i < plan->VariableCount(); ++i) {
        if (!text.empty()) text += ' ';
        const int token = plan->TokenOfVariable(i);
        text += token == 0 ? "*" : std::to_string(token);
    }
    return text;
}

TEST(TokenList, NumbersRangesAndRestInAscendingOrder) {
    EXPECT_EQ(Variables("2"), "2");
    EXPECT_EQ(Variables("3,1"), "1 3");
    EXPECT_EQ(Variables("2-4,1"), "1 2 3 4");
    EXPECT_EQ(Variables("1,1-2"), "1 2");
    EXPECT_EQ(Variables("2,3*"), "2 3 *");
    EXPECT_EQ(Variables("2*"), "2 *");
    EXPECT_EQ(Variables("1,*"), "1 *");
    EXPECT_EQ(Variables("*"), "*");
    EXPECT_EQ(Variables("007"), "7");
}

TEST(TokenList, NumbersAbove31AndBackwardRangesAreIgnored) {
    EXPECT_EQ(Variables("31"), "31");
    EXPECT_EQ(Variables("32"), "");
    EXPECT_EQ(Variables("2,99999999999999999999"), "2");
    EXPECT_EQ(Variables("30-33,2"), "2");
    EXPECT_EQ(Variables("5-3,1"), "1");
    EXPECT_EQ(Variables("40*"), "*");
}

TEST(TokenList, SyntaxErrors) {
    for (std::string_view bad :
         {"0", "0-2", "1-0", "", "1,", "1-", "-2", "a", "1*2", "1**", "1 2"}) {
        EXPECT_TRUE(Variables(bad).starts_with("error")) << bad;
    }
}

ForOptions Options(std::string_view text) {
    std::string error;
    const auto options = ParseForOptions(text, error);
    EXPECT_TRUE(options.has_value()) << text << ": " << error;
    return options.value_or(ForOptions{});
}

bool Rejected(std::string_view text) {
    std::string error;
    const bool rejected = !ParseForOptions(text, error).has_value();
    EXPECT_TRUE(!rejected || !error.empty());
    return rejected;
}

using Chars = std::vector<std::string>;

TEST(ForOptions, Defaults) {
    const ForOptions options = Options("");
    EXPECT_EQ(options.delimiters, (Chars{" ", "\t"}));
    EXPECT_EQ(options.eol, ";");
    EXPECT_EQ(options.tokens.TokenOfVariable(0), 1);
    EXPECT_EQ(options.tokens.VariableCount(), 1);
    EXPECT_EQ(options.skip, 0u);
    EXPECT_FALSE(options.usebackq);
}

TEST(ForOptions, DelimiterListEndsOnlyBeforeAnotherOption) {
    EXPECT_EQ(Options("tokens=2 delims=,").delimiters, Chars{","});
    EXPECT_EQ(Options("tokens=2 delims= ").delimiters, Chars{" "});
    EXPECT_EQ(Options("delims=, ").delimiters, (Chars{",", " "}));
    EXPECT_EQ(Options("delims=,  ").delimiters, (Chars{",", " "}));
    EXPECT_EQ(Options("delims=a b").delimiters, (Chars{"a", " ", "b"}));
    EXPECT_EQ(Options("delims=").delimiters, Chars{});
    EXPECT_EQ(Options("delims= tokens=2").delimiters, Chars{});

    const ForOptions before = Options("delims=,; tokens=3 eol=#");
    EXPECT_EQ(before.delimiters, (Chars{",", ";"}));
    EXPECT_EQ(before.tokens.TokenOfVariable(0), 3);
    EXPECT_EQ(before.eol, "#");
    EXPECT_EQ(Options("delims=|  usebackq").delimiters, Chars{"|"});
    EXPECT_TRUE(Options("delims=|  usebackq").usebackq);
}

TEST(ForOptions, DelimitersAreCharacters) {
    EXPECT_EQ(Options("delims=，").delimiters, Chars{"，"});
    EXPECT_EQ(Options("delims=\\|").delimiters, (Chars{"\\", "|"}));
    EXPECT_EQ(Options("delims=,,").delimiters, Chars{","});
}

TEST(ForOptions, ALongDelimiterListIsReadInLinearTime) {
    // The best of three readings of a list of `count` distinct characters
    // (and each once more), in seconds.
    const auto seconds = [](char32_t count) {
        std::string list;
        for (int twice = 0; twice < 2; ++twice) {
            for (char32_t c = 0x100; c < 0x100 + count; ++c) {
                const char32_t code = c < 0xD800 ? c : c + 0x800;  // no surrogates
                list += static_cast<char>(0xF0 | code >> 18);
                list += static_cast<char>(0x80 | (code >> 12 & 0x3F));
                list += static_cast<char>(0x80 | (code >> 6 & 0x3F));
                list += static_cast<char>(0x80 | (code & 0x3F));
            }
        }
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            std::string error;
            const auto start = std::chrono::steady_clock::now();
            const auto options = ParseForOptions("delims=" + list, error);
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            EXPECT_EQ(options->delimiters.size(), count);
        }
        return best;
    };
    const double small = seconds(1'000);
    EXPECT_LT(seconds(100'000), 300 * small + 0.05) << "a hundred times the list";
}

TEST(ForOptions, KeywordsInAnyCaseAndOtherOptions) {
    const ForOptions options = Options("TOKENS=1,3 Delims=| EOL=# SKIP=2 UseBackQ");
    EXPECT_EQ(options.tokens.VariableCount(), 2);
    EXPECT_EQ(options.delimiters, Chars{"|"});
    EXPECT_EQ(options.eol, "#");
    EXPECT_EQ(options.skip, 2u);
    EXPECT_TRUE(options.usebackq);
    EXPECT_TRUE(Options("useback").usebackq);
    EXPECT_EQ(Options("eol= ").eol, " ");
    EXPECT_EQ(Options("eol=").eol, std::nullopt);
    EXPECT_EQ(Options("eol=;delims=,").delimiters, Chars{","});
    EXPECT_EQ(Options("skip=99999999999999999999999").skip, UINT64_MAX);
}

TEST(ForOptions, SyntaxErrors) {
    EXPECT_TRUE(Rejected("tokens=0"));
    EXPECT_TRUE(Rejected("skip=0"));
    EXPECT_TRUE(Rejected("skip="));
    EXPECT_TRUE(Rejected("skip=2x"));
    EXPECT_TRUE(Rejected("delimz=,"));
    EXPECT_TRUE(Rejected("usebackqx"));
    EXPECT_TRUE(Rejected("tokens=2 /f"));
}

}  // namespace
}  // namespace morvane::interp
