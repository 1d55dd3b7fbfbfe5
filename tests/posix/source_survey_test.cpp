// The survey of a source through the Linux services, held against the
// stand-in interpreter's own run of the line the program writes: the sources
// of the survey's table the stand-in reads, and every source of its fuzz
// corpus. What the survey counts in each source of the table is a unit test.
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
#include "tests/support/survey_table.h"

namespace morvane {
namespace {

using testing::Reader;
using testing::SurveyRow;
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

// The values of each source the stand-in reads are the table's, and the
// survey of it through the Linux services, read in whole pieces, gives the
// table's counts.
TEST(SourceSurvey, TheStandInGivesTheTablesValuesAndTheLinuxServicesItsCounts) {
    TempDir folder;
    posix::PosixSystem whole;
    for (const SurveyRow& row : testing::kSurveyRows) {
        if (row.reader != Reader::StandIn) continue;
        SCOPED_TRACE(row.what);
        const ExtractionRequest request = RequestFor(folder, row.delimiter, row.field);
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
