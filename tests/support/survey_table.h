// Sources with what the survey must make of each: on the recording fake
// (unit/source_survey_test.cpp), and on Linux through the real services and in
// the stand-in's own runs (posix/source_survey_test.cpp).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "extraction/source_survey.h"

namespace morvane::testing {

// How the interpreter reads a source: as our stand-in does, or as cmd.exe
// does in code page 1252 or 936.
enum class Reader { StandIn, CodePage1252, CodePage936 };

struct SurveyRow {
    const char* what;
    Reader reader;
    std::string source;
    const char* delimiter;
    int field;
    // lines, blank, without field N, empty field before, quoted field cut,
    // cut at NUL, long, CR-only
    std::optional<SourceSurvey> expected;
};

inline std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

inline const SurveyRow kSurveyRows[] = {
    {"empty field before N", Reader::StandIn, "1,,b,c\r\n", ",", 3, {{1, 0, 0, 1}}},
    {"empty field at N", Reader::StandIn, "1,,c\r\n", ",", 2, {{1, 0, 0, 1}}},
    {"empty field after N", Reader::StandIn, "1,b,,d\r\n", ",", 2, {{1, 0, 0, 0}}},
    {"leading delimiter", Reader::StandIn, ",b,c\r\n", ",", 2, {{1, 0, 0, 1}}},
    {"short lines, one unended", Reader::StandIn, "1,b\r\nonly\r\nc", ",", 2, {{3, 0, 2, 0}}},
    {"blank lines", Reader::StandIn, "1,b\r\n\r\n,,\r\n", ",", 2, {{3, 2, 0, 0}}},
    {"CR data but before LF", Reader::StandIn, "a,\r\nb,\r\r\n", ",", 2, {{2, 0, 1, 0}}},
    {"\";\" line", Reader::StandIn, ";x,y\r\n", ",", 2, {{1, 0, 0, 0}}},
    {"quoted delimiter before N", Reader::StandIn, "1,\"a,b\",c\r\n", ",", 3, {{1, 0, 0, 0, 1}}},
    {"quoted delimiter at N", Reader::StandIn, "1,\"a,b\",c\r\n", ",", 2, {{1, 0, 0, 0, 1}}},
    {"quoted delimiter after N", Reader::StandIn, "1,\"a,b\",c\r\n", ",", 1, {{1, 0, 0, 0, 0}}},
    {"doubled quote",
     Reader::StandIn,
     "1,\"x\"\",y\",z\r\n1,\"x\"\"\",y\r\n",
     ",",
     3,
     {{2, 0, 0, 0, 1}}},
    {"quoted line break", Reader::StandIn, "1,\"a\r\nb\",c\r\nd,e\r\n", ",", 2, {{3, 0, 0, 0, 2}}},
    {"line break after N", Reader::StandIn, "1,\"a\r\nb\",c\r\n", ",", 1, {{2, 0, 0, 0, 1}}},
    {"stray quotes", Reader::StandIn, "5\",a\"b,\"c\"\r\n", ",", 2, {{1, 0, 0, 0, 0}}},
    {"tab-separated", Reader::StandIn, "a\tb\r\n\t\"x\ty\"\r\n", "\t", 2, {{2, 0, 0, 1, 1}}},
    {"quote after a second byte",
     Reader::CodePage936,
     "\x81|\"x\r\ny\r\n",
     "|",
     1,
     {{2, 0, 0, 0, 0}}},
    {"GBK second byte", Reader::StandIn, "12\x81\x7C|b\r\n", "|", 2, {{1, 0, 0, 0}}},
    {"UTF-8 full width", Reader::StandIn, "张三，，男\r\n", "，", 2, {{1, 0, 0, 1}}},
    {"UTF-16 units", Reader::StandIn, Utf16Le(u"丬,b\r\nc,,d\r\n"), ",", 2, {{2, 0, 0, 1}}},
    {"UTF-16 pairs",
     Reader::StandIn,
     Utf16Le(u"a😀😀b\r\n\xD83D"
             u"c😀\r\n"),
     "😀",
     2,
     {{2, 0, 1, 1}}},
    {"936 second byte", Reader::CodePage936, "12\x81\x7C|b\r\n", "|", 2, {{1, 0, 0, 0}}},
    {"1252 bytes", Reader::CodePage1252, "12\x81\x7C|b\r\n", "|", 2, {{1, 0, 0, 1}}},
    {"NUL cuts a line for cmd.exe",
     Reader::CodePage1252,
     std::string("a,b\0x,y\r\nc\0,d\r\n", 15),
     ",",
     2,
     {{2, 0, 1, 0, 0, 2}}},
    {"NUL kept by the stand-in",
     Reader::StandIn,
     std::string("a\0,b\r\n", 6),
     ",",
     2,
     {{1, 0, 0, 0, 0, 0}}},
    {"CR-only line ends", Reader::StandIn, "a,b\rc,d\r", ",", 2, {{1, 0, 0, 0, 0, 0, 0, true}}},
    {"lines of 8,191 bytes",
     Reader::CodePage1252,
     std::string(8189, 'x') + ",b\r\n" + std::string(8188, 'y') + ",c\r\n" + std::string(9000, 'z'),
     ",",
     2,
     {{3, 0, 1, 0, 0, 0, 2}}},
    // Longer than the survey holds at once: a CR LF where a part ends, a
    // quoted field running across parts.
    {"lines of more than 1 MiB",
     Reader::StandIn,
     std::string((1 << 20) - 1, ',') + "\r\n\"a," + std::string(1 << 20, 'x') + "\",b\r\na,b",
     ",",
     2,
     {{3, 1, 0, 0, 1}}},
};

}  // namespace morvane::testing
