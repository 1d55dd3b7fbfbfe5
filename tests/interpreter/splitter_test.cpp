// How lines are split into tokens. Every case runs through LineSplitter (whole
// lines and lines fed in small pieces), BitmaskSplitter where it applies, and
// the character-by-character reference; they must agree.
#include <gtest/gtest.h>

#include "common/split/line_splitter.h"
#include "interpreter/for_options.h"
#include "interpreter/line_values.h"
#include "tests/interpreter/fuzz/split_invariant.h"
#include "tests/interpreter/test_support.h"

namespace morvane::interp {
namespace {

using testing::Cp936;

SplitRules Rules(std::string_view options, Encoding encoding = Encoding::Utf8) {
    std::string error;
    const auto parsed = ParseForOptions(options, error);
    EXPECT_TRUE(parsed) << error;
    SplitRules rules;
    rules.encoding = encoding;
    if (!parsed) return rules;
    rules.plan = parsed->tokens;
    for (const std::string& d : parsed->delimiters)
        rules.delimiters.push_back(*EncodeUtf8Text(d, encoding));
    if (parsed->eol) rules.eol = EncodeUtf8Text(*parsed->eol, encoding);
    return rules;
}

// Each line's values joined by "|" ("_" for a variable without a token), or
// "-" when the body does not run for the line.
std::vector<std::string> Split(const SplitRules& rules, std::string_view file) {
    for (std::size_t piece : {1, 2, 3, 7}) {
        EXPECT_EQ(testing::CompareSplitters(file, rules, piece), "") << "pieces of " << piece;
    }
    std::size_t markLength = 0;
    testing::ReferenceEncoding(file, markLength);
    LineValues values(rules.plan);
    split::LineSplitter<LineValues> splitter(rules.ForSplitter(), values);
    std::vector<std::string> result;
    for (const ByteRange& line : testing::ReferenceLines(file, rules.encoding, markLength)) {
        splitter.Start(line.begin);
        splitter.Feed(reinterpret_cast<const unsigned char*>(file.data()) + line.begin,
                      static_cast<std::size_t>(line.Size()), true);
        if (!values.Runs()) {
            result.push_back("-");
            continue;
        }
        std::string text;
        for (int i = 0; i < values.VariableCount(); ++i) {
            const ByteRange value = values.Value(i);
            if (i > 0) text += '|';
            text += value.Size() == 0 ? std::string("_")
                                      : std::string(file.substr(value.begin, value.Size()));
        }
        result.push_back(text);
    }
    return result;
}

using Lines = std::vector<std::string>;

TEST(FieldRules, LeadingAndRepeatedDelimitersAndMissingFields) {
    const SplitRules rules = Rules("tokens=2 delims=,");
    EXPECT_EQ(Split(rules, "a,b,c\n,,a,,b\na\na,\n,,,\n\nx,y"),
              (Lines{"b", "b", "-", "-", "-", "-", "y"}));
}

TEST(FieldRules, EndOfLineCharacterAfterLeadingDelimiters) {
    EXPECT_EQ(Split(Rules("tokens=2 delims=,"), ";a,b\n,;a,b\na;,b\n"), (Lines{"-", "-", "b"}));
    EXPECT_EQ(Split(Rules("delims=, eol=#"), "#x\n;x\n  #x\n"), (Lines{"-", ";x", "  #x"}));
    // An end-of-line character that is also a delimiter is stripped first.
    EXPECT_EQ(Split(Rules("delims=; eol=;"), ";a\n"), Lines{"a"});
    EXPECT_EQ(Split(Rules("eol= delims=,"), ";a\n"), Lines{";a"});
}

TEST(FieldRules, LineEnds) {
    // CR LF and LF end lines; a CR elsewhere is data, also at the very end.
    EXPECT_EQ(Split(Rules("tokens=2 delims=,"), "a,b\r\nc,d\ne,f\rg,h\r\r\ni,j\r"),
              (Lines{"b", "d", "f\rg", "j\r"}));
    EXPECT_EQ(Split(Rules("tokens=1 delims=,"), "\r\n\r\r\n"), (Lines{"-", "\r"}));
}

TEST(FieldRules, TokenListsRangesAndRest) {
    const std::string line = "a,b,c,d,,e,";
    EXPECT_EQ(Split(Rules("tokens=1,3 delims=,"), line), Lines{"a|c"});
    EXPECT_EQ(Split(Rules("tokens=3,1 delims=,"), line), Lines{"a|c"});
    EXPECT_EQ(Split(Rules("tokens=2-3* delims=,"), line), Lines{"b|c|d,,e,"});
    EXPECT_EQ(Split(Rules("tokens=1* delims=,"), ",,a,,b,c,"), Lines{"a|b,c,"});
    EXPECT_EQ(Split(Rules("tokens=* delims=,"), ",,x,y,,"), Lines{"x,y,,"});
    EXPECT_EQ(Split(Rules("tokens=2,7 delims=,"), line), Lines{"b|_"});
    EXPECT_EQ(Split(Rules("tokens=5* delims=,"), line), Lines{"e|_"});
    EXPECT_EQ(Split(Rules("tokens=7,2 delims=,"), "a"), Lines{"-"});
}

TEST(FieldRules, NumbersAbove31) {
    std::string line;
    for (int i = 1; i <= 35; ++i) line += std::to_string(i) + ",";
    EXPECT_EQ(Split(Rules("tokens=2,32 delims=,"), line), Lines{"2"});
    EXPECT_EQ(Split(Rules("tokens=40 delims=,"), line), Lines{"-"});
    std::string all;
    for (int i = 1; i <= 31; ++i) all += std::to_string(i) + "|";
    EXPECT_EQ(Split(Rules("tokens=1-31* delims=,"), line), Lines{all + "32,33,34,35,"});
}

TEST(FieldRules, SpaceTabAndEmptyDelimiterLists) {
    EXPECT_EQ(Split(Rules("tokens=2 delims= "), "  a  b c\na\tb c\n"), (Lines{"b", "c"}));
    EXPECT_EQ(Split(Rules("tokens=2"), "a\t b\n"), Lines{"b"});
    EXPECT_EQ(Split(Rules("delims="), "  a b \n;x\n"), (Lines{"  a b ", "-"}));
    EXPECT_EQ(Split(Rules("tokens=2 delims="), "a b\n"), Lines{"-"});
}

TEST(Encodings, GbkSecondBytesNeverSplit) {
    // 亅 is 81 7C and 乗 is 81 5C: their second bytes are "|" and "\".
    const SplitRules pipe = Rules("tokens=1,2 delims=|", Encoding::Gbk);
    EXPECT_EQ(Split(pipe, Cp936("亅|x\r\n亅亅|乗\r\n|亅亅|\r\n甲亅|y\r\n")),
              (Lines{Cp936("亅|x"), Cp936("亅亅|乗"), Cp936("亅亅|_"), Cp936("甲亅|y")}));
    const SplitRules backslash = Rules("tokens=2 delims=\\", Encoding::Gbk);
    EXPECT_EQ(Split(backslash, Cp936("乗\\昞\\a\r\n\\\\乗乗\\b\r\n")), (Lines{Cp936("昞"), "b"}));
    // A lead byte before a byte that cannot end a character stands alone.
    const SplitRules both = Rules("tokens=2 delims=,|", Encoding::Gbk);
    EXPECT_EQ(Split(both, "\xBE\xBE\xBE,z|w\r\n\xBE|y,w\r\n"), (Lines{"z", "w"}));
    const SplitRules letter = Rules("tokens=2 delims=@", Encoding::Gbk);
    EXPECT_EQ(Split(letter, Cp936("腀@x\r\n")), Lines{"x"});  // 腀 is C4 40
}

TEST(Encodings, GbkRunsAcrossLongLines) {
    // Runs of double-byte characters of every parity, placed across the
    // 64-byte steps the fast splitter works in.
    const SplitRules pipe = Rules("tokens=1-3 delims=|", Encoding::Gbk);
    std::string file;
    Lines expected;
    for (int prefix = 0; prefix < 140; prefix += 3) {
        for (int count = 1; count <= 4; ++count) {
            std::string run;
            for (int i = 0; i < count; ++i) run += Cp936(i % 2 ? "亅" : "甲");
            const std::string head(static_cast<std::size_t>(prefix), 'a');
            file += head + run + "|" + run + "||x\r\n";
            expected.push_back(head + run + "|" + run + "|x");
        }
    }
    EXPECT_EQ(Split(pipe, file), expected);
}

TEST(Encodings, FullWidthCommaInGbkAndUtf8) {
    const SplitRules gbk = Rules("tokens=2 delims=，", Encoding::Gbk);
    EXPECT_EQ(Split(gbk, Cp936("甲，乙，丙\r\n，，丁\r\n")), (Lines{Cp936("乙"), "-"}));
    // 81 A3 and AC A3 are characters: the A3 AC between them is no comma.
    EXPECT_EQ(Split(Rules("tokens=1 delims=，", Encoding::Gbk), "\x81\xA3\xAC\xA3\xACz"),
              Lines{"\x81\xA3\xAC\xA3\xACz"});
    const SplitRules utf8 = Rules("tokens=2,3 delims=，");
    EXPECT_EQ(Split(utf8, "甲，乙，，丙\r\n甲,乙\r\n"), (Lines{"乙|丙", "-"}));
}

TEST(Encodings, Utf16SplitsOnWholeCodeUnits) {
    // U+2C00 is 00 2C in UTF-16LE, a comma byte inside a character.
    const std::string le =
        std::string("\xFF\xFE", 2) + std::string("\x00\x2C,\x00x\x00\r\x00\n\x00", 10);
    EXPECT_EQ(Split(Rules("tokens=1,2 delims=,", Encoding::Utf16Le), le),
              Lines{std::string("\x00\x2C|x\x00", 5)});
    const std::string be = std::string("\xFE\xFF", 2) +
                           std::string("\x00,\x00,\x4E\x59\x00,\x00y\x00\n\x00#\x00\n", 16);
    EXPECT_EQ(Split(Rules("tokens=1* delims=, eol=#", Encoding::Utf16Be), be),
              (Lines{std::string("\x4E\x59|\x00y", 5), "-"}));
}

}  // namespace
}  // namespace morvane::interp
