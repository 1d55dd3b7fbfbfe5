// The survey of a source, held against the stand-in interpreter's own run of
// the line the program writes: a table of sources with the counts they give,
// and every source of the stand-in's fuzz corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/posix/iconv_converter.h"
#include "extraction/source_survey.h"
#include "interpreter/for_options.h"
#include "interpreter/script_runner.h"
#include "platform/posix/posix_system.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/files.h"

namespace morvane {
namespace {

using testing::TempDir;

ExtractionRequest RequestFor(const TempDir& folder, const std::string& delimiter, int field) {
    return {folder / "source.txt", folder / "out.txt", delimiter, static_cast<std::int16_t>(field),
            kTokensClause,         kDelimsClause,      kInClause, kEchoClause};
}

// The values the stand-in writes for the request (the line feeds of its
// output, whole code units in UTF-16); nothing when the run fails.
std::optional<std::uint64_t> StandInValues(const ExtractionRequest& request) {
    std::filesystem::remove(request.outputPath);
    if (!interp::RunScriptText(*posix::Utf8ToGb18030(ComposeScriptLine(request)), {})) return {};
    const std::string output = testing::ReadFile(request.outputPath).value_or("");
    const bool utf16 = output.starts_with("\xFF\xFE") || output.starts_with("\xFE\xFF");
    if (!utf16) return std::count(output.begin(), output.end(), '\n');
    std::uint64_t lineFeeds = 0;
    const std::string lineFeed(output.starts_with("\xFF") ? "\n\0" : "\0\n", 2);
    for (std::size_t at = 2; at + 1 < output.size(); at += 2)
        lineFeeds += output.compare(at, 2, lineFeed) == 0;
    return lineFeeds;
}

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

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

const SurveyRow kRows[] = {
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
};

TEST(SourceSurvey, CountsWhatTheInterpreterMakesOfEachSource) {
    TempDir folder;
    posix::PosixSystem whole;
    for (const SurveyRow& row : kRows) {
        SCOPED_TRACE(row.what);
        const ExtractionRequest request = RequestFor(folder, row.delimiter, row.field);
        testing::FakeRuntime system;
        system.fileContents[request.sourcePath] = row.source;
        if (row.reader != Reader::StandIn) system.sourceReading = {};
        for (unsigned char lead = 0x81; lead < 0xFF && row.reader == Reader::CodePage936; ++lead)
            system.sourceReading.leadBytes[lead] = true;
        EXPECT_EQ(SurveySource(system, request), row.expected);
        if (row.reader != Reader::StandIn) continue;
        testing::WriteFile(request.sourcePath, row.source);
        EXPECT_EQ(StandInValues(request), row.expected->Values());
        EXPECT_EQ(SurveySource(whole, request), row.expected) << "read in whole pieces";
    }
}

// Each source of the corpus, split at each delimiter its options name that
// the program takes, for fields 1 to 3: the survey's values are the stand-in's,
// whether the source is read whole or a byte at a time.
TEST(SourceSurvey, GivesTheStandInsValuesForEverySourceOfTheFuzzCorpus) {
    TempDir folder;
    posix::PosixSystem system;
    testing::FakeRuntime bytes;  // whose script form of a character is its UTF-8
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
        const std::string input = testing::ReadFile(entry.path().string()).value_or("");
        const std::size_t lineFeed = input.find('\n');
        if (input.empty() || (input[0] & 0x80) || lineFeed == std::string::npos) continue;
        const auto options = posix::Gb18030ToUtf8(input.substr(1, lineFeed - 1));
        std::string error;
        const auto parsed = options ? interp::ParseForOptions(*options, error) : std::nullopt;
        if (!parsed) continue;
        testing::WriteFile(folder / "source.txt", input.substr(lineFeed + 1));
        bytes.fileContents[folder / "source.txt"] = input.substr(lineFeed + 1);
        for (const std::string& delimiter : parsed->delimiters) {
            // What the program refuses as a delimiter.
            if (static_cast<unsigned char>(delimiter[0]) < 0x20 || delimiter[0] == 0x7F ||
                delimiter == "\"")
                continue;
            for (int field = 1; field <= 3; ++field) {
                const ExtractionRequest request = RequestFor(folder, delimiter, field);
                const auto values = StandInValues(request);
                const auto survey = SurveySource(system, request);
                if (!values || !survey) continue;
                EXPECT_EQ(survey->Values(), *values) << entry.path().filename() << " " << field;
                if (static_cast<unsigned char>(delimiter[0]) < 0x80) {
                    EXPECT_EQ(SurveySource(bytes, request), survey) << entry.path().filename();
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace morvane
